// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/PasswordCheck.h"
#include "platform/Services.h"

#include <functional>
#include <optional>
#include <QObject>
#include <QString>

class ConverterKind;
class QEventLoop;
struct ConversionLimits;

// The passwords of one run, wanted as the run reaches each file in row order. The converter first
// tells whether the file opens without one: such a file gets no box. A protected file gets the
// box, unless the user ticked its check box for an earlier file: then that answer, unasked (a
// wrong one ends the file as a wrong password, named at the end like any other). While the
// converter looks, the window and the run's converters go on: the wait ends on the check's own
// signal.
class RunPasswords final : public QObject
{
    Q_OBJECT

public:
    // Shows the password box for a file (with its check box) and gives its answer.
    using Ask = std::function<PasswordAnswer(const QString &pdf)>;

    RunPasswords(ConverterKind &converter, const ConversionLimits &limits, Ask ask,
                 QObject *parent = nullptr);
    // Ends a wait under way (its caller gets "").
    ~RunPasswords() override;

    // The password for `pdf`: "" for a file that opens without one.
    QString passwordFor(const QString &pdf);

    // The run was stopped or the window closes: a wait under way ends, and no box comes again.
    void abandon();

private:
    // Whether `pdf` needs a password; false once abandoned.
    bool needsPassword(const QString &pdf);

    PasswordCheck m_check;
    Ask m_ask;
    std::optional<QString> m_forTheOthers;
    QEventLoop *m_waiting = nullptr;
    bool m_abandoned = false;
};
