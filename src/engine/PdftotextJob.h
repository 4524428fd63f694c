// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CommandLines.h"
#include "ConversionJob.h"
#include "ConversionLimits.h"
#include "IdleWatch.h"
#include "platform/ChildProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

class PdfInfoReader;

// One pdftotext run (two when a typed password is first refused as the owner password and then
// tried as the one that opens the file). The text streams from the converter's standard output
// into the staging file through checked writes and the text check; the last 64 KB of its error
// output are kept. The converter runs under the memory limit, dies with this process, and is
// stopped when it goes the time limit without new text.
class PdftotextJob : public ConversionJob
{
    Q_OBJECT

public:
    // How much of the converter's error output is kept: its last bytes.
    static constexpr qsizetype ErrorOutputLimit = ChildProcess::DefaultErrorTail;

    PdftotextJob(QString program, JobOrder order, ConversionLimits limits,
                 QObject *parent = nullptr);
    ~PdftotextJob() override;

    void start() override;
    void stop() override;

    // Why there is no program, for a job made with none ("no converter is available" if unset).
    void setMissingReason(const QString &why) { m_missingReason = why; }

    // The program is still being put in place (a job made while an earlier one put it there):
    // start() waits for programPlaced(), which starts the job when it was asked to start.
    void waitForProgram() { m_waitingForProgram = true; }
    void programPlaced(const QString &program, const QString &why);

    // The converter's arguments for a password role; the text goes to standard output ("-").
    static QStringList arguments(const JobOrder &order, PasswordRole role);

private:
    void launch(PasswordRole role);
    void takeText();
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onError(const QString &reason);
    void abort(Outcome outcome, const QString &reason);
    void end(Outcome outcome, const QString &reason);
    bool resetText();
    void settleText();
    void readDocumentInfo();

    QString m_program;
    QString m_missingReason;
    JobOrder m_order;
    ConversionLimits m_limits;
    ChildProcess *m_process = nullptr;
    PdfInfoReader *m_info = nullptr; // the document's information, when the order asks
    QFile m_text;
    IdleWatch m_idle;
    PasswordRole m_role = PasswordRole::Owner;
    int m_pdfFd = -1; // the PDF, open for a name QProcess cannot pass: given as /dev/fd/N
    bool m_aborted = false;
    bool m_ended = false;
    bool m_waitingForProgram = false;
    bool m_startWanted = false;
};
