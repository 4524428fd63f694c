// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConverterKind.h"

#include <functional>
#include <QList>
#include <QPointer>
#include <QString>

class PdftotextJob;

// The pdftotext program as the converter: it writes the text to its standard output, and the job
// writes that to the staging file itself, so every failed write is seen.
class PdftotextConverter : public ConverterKind
{
public:
    // Finds the program when a job first needs it: the program, or "" with `why` set.
    using ProgramSource = std::function<QString(QString &why)>;

    // `program`: the converter to run ("" fails to start like a missing converter).
    explicit PdftotextConverter(QString program);
    // The program is asked for at the first job (a converter put in place only when needed); a
    // program that cannot be had is asked for once, and every job names why it failed to start.
    explicit PdftotextConverter(ProgramSource source);

    std::unique_ptr<ConversionJob> makeJob(const JobOrder &order,
                                           const ConversionLimits &limits) override;

    // The program, once known ("" before the first job of a converter found when needed).
    const QString &program() const { return m_program; }

private:
    ProgramSource m_source;
    bool m_placing = false;                  // m_source is at work
    QList<QPointer<PdftotextJob>> m_waiting; // jobs made meanwhile, to start once it is done
    QString m_program;
    QString m_missingReason;
};
