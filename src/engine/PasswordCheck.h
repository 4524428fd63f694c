// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionLimits.h"
#include "Outcome.h"

#include <memory>
#include <QObject>
#include <QString>

class ConversionJob;
class ConverterKind;
class TemporaryFolder;

// Tells whether a PDF needs a password before anyone is asked for one. The converter opens the
// file without a password over an empty page range (the first page after the last), which it
// refuses only after the file has opened: a file that opens with the empty password (one that
// only forbids copying, say) converts without a box, as it does without one. Driven by the
// converter's signals: start() returns at once and finished() follows.
class PasswordCheck : public QObject
{
    Q_OBJECT

public:
    PasswordCheck(ConverterKind &converter, const ConversionLimits &limits,
                  QObject *parent = nullptr);
    ~PasswordCheck() override;

    // Starts the check of `pdf`; a check still running is dropped without its finished().
    void start(const QString &pdf);
    // Kills the converter; finished() follows (the answer is then "ask").
    void stop();
    bool isRunning() const { return m_job != nullptr; }

    // Whether the outcome of opening a file without a password calls for a password: the file
    // is locked, or the converter could not tell (asking then is what it did before it could).
    static bool needsPassword(Outcome opened);

signals:
    void finished(bool needsPassword);

private:
    void onJobFinished();
    void dropJob();

    ConverterKind &m_converter;
    ConversionLimits m_limits;
    std::unique_ptr<TemporaryFolder> m_scratch;
    std::unique_ptr<ConversionJob> m_job;
    int m_checks = 0;
};
