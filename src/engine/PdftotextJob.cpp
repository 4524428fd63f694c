// SPDX-License-Identifier: GPL-3.0-or-later
#include "PdftotextJob.h"

#include "PopplerUtils.h"

#include "PdfInfoReader.h"
#include "platform/NativePath.h"

#include <QStringList>

#include <fcntl.h>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif
#include <algorithm>

PdftotextJob::PdftotextJob(QString program, JobOrder order, ConversionLimits limits,
                           QObject *parent)
    : ConversionJob(parent), m_program(std::move(program)), m_order(std::move(order)),
      m_limits(limits), m_text(m_order.textPath)
{
    expectText(m_order.text);
    connect(&m_idle, &IdleWatch::expired, this,
            [this] { abort(Outcome::TimeLimit, reasons::timeLimit(m_limits.idleSeconds)); });
}

PdftotextJob::~PdftotextJob()
{
    if (m_process)
        m_process->disconnect(this); // deleted with the job: killed, and reaped as it ends
    if (m_pdfFd >= 0)
        ::close(m_pdfFd);
}

QStringList PdftotextJob::arguments(const JobOrder &order, PasswordRole role)
{
    QStringList args;
    args << popplerutils::passwordArguments(order.password, role == PasswordRole::User);
    TextOptions text = order.text;
    if (order.firstHundredPages) {
        text.firstPage = 1;
        text.lastPage = 100;
    }
    args << textoptions::pdftotextArguments(text);
    args << positionalPath(order.pdf) << QStringLiteral("-");
    return args;
}

void PdftotextJob::programPlaced(const QString &program, const QString &why)
{
    m_program = program;
    m_missingReason = why;
    m_waitingForProgram = false;
    if (m_startWanted && !m_aborted && !m_ended)
        start();
}

void PdftotextJob::start()
{
    if (m_waitingForProgram) {
        m_startWanted = true;
        return;
    }
    // A file that is gone or cannot be read is named with the system's reason, not as damage.
    QString unreadable;
    m_pdfFd = nativepath::openForReading(m_order.pdf, unreadable);
    if (m_pdfFd < 0) {
        QMetaObject::invokeMethod(
            this, [this, unreadable] { end(Outcome::CannotRead, reasons::cannotRead(unreadable)); },
            Qt::QueuedConnection);
        return;
    }
    m_result.opened = FileIdentity::ofOpenFile(m_pdfFd);
    if (!nativepath::holdsKeptBytes(m_order.pdf)) {
        ::close(m_pdfFd);
        m_pdfFd = -1;
    }
    if (!m_text.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        const QString reason = m_text.errorString();
        QMetaObject::invokeMethod(
            this, [this, reason] { end(Outcome::WriteFailed, reasons::writeFailed(reason)); },
            Qt::QueuedConnection);
        return;
    }
    launch(PasswordRole::Owner);
}

void PdftotextJob::launch(PasswordRole role)
{
    m_role = role;
    m_process = new ChildProcess(this);
    JobOrder order = m_order;
    if (m_pdfFd >= 0) { // the process's arguments would spell the name's bytes differently
        order.pdf = QStringLiteral("/dev/fd/%1").arg(m_pdfFd);
        m_process->setInheritedDescriptor(m_pdfFd);
    }
    m_process->setProgram(m_program, arguments(order, role));
    m_process->setMemoryLimit(quint64(std::max(0, m_limits.memoryMegabytes)) * 1024 * 1024);
    // The time limit counts time without new text, so the text must show as it is made. Written
    // to a pipe, pdftotext's text waits in its output buffer (4 KB) and a slow file of short
    // pages shows none for minutes; written to a terminal, every line comes as soon as it is
    // done, a page's at its end. Only the text is a true sign of progress: a page of forms that
    // draw forms keeps the converter busy, reading the file and using the processor, for
    // minutes without a line, and must still be stopped.
    m_process->setOutputThroughTerminal(true);
    connect(m_process, &ChildProcess::outputReady, this, &PdftotextJob::takeText);
    connect(m_process, &ChildProcess::finished, this, &PdftotextJob::onFinished);
    connect(m_process, &ChildProcess::failedToStart, this, &PdftotextJob::onError);
    m_idle.start(
        std::chrono::milliseconds(ConversionLimits::idleMilliseconds(m_limits.idleSeconds)));
    if (m_program.isEmpty()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                end(Outcome::CannotStart,
                    reasons::cannotStart(m_missingReason.isEmpty()
                                             ? QStringLiteral("no converter is available")
                                             : m_missingReason));
            },
            Qt::QueuedConnection);
        return;
    }
    m_process->start();
}

void PdftotextJob::stop()
{
    if (m_ended)
        return;
    if ((m_process && m_process->isRunning()) || (m_info && m_info->isRunning())) {
        abort(Outcome::Stopped, reasons::Stopped);
        return;
    }
    m_aborted = true;
    QMetaObject::invokeMethod(
        this, [this] { end(Outcome::Stopped, reasons::Stopped); }, Qt::QueuedConnection);
}

void PdftotextJob::abort(Outcome outcome, const QString &reason)
{
    if (m_aborted || m_ended)
        return;
    m_aborted = true;
    m_result.outcome = outcome;
    m_result.reason = reason;
    m_idle.stop();
    if (m_info && m_info->isRunning())
        m_info->stop();
    else if (m_process)
        m_process->kill();
}

void PdftotextJob::takeText()
{
    const QByteArray bytes = m_process->readOutput();
    if (bytes.isEmpty() || m_aborted)
        return;
    if (!keepText(m_text, bytes)) {
        abort(Outcome::WriteFailed, reasons::writeFailed(m_text.errorString()));
        return;
    }
    m_idle.textArrived();
}

bool PdftotextJob::resetText()
{
    forgetText();
    return m_text.resize(0) && m_text.seek(0);
}

void PdftotextJob::onFinished(int exitCode, QProcess::ExitStatus status)
{
    takeText();
    m_result.errorOutput = QString::fromLocal8Bit(m_process->errorTail());
    m_idle.stop();
    if (m_aborted) {
        end(m_result.outcome, m_result.reason);
        return;
    }
    const QString &said = m_result.errorOutput;
    const bool limited = m_limits.memoryMegabytes > 0;
    if (status == QProcess::CrashExit) {
        if (limited && saysOutOfMemory(said))
            end(Outcome::MemoryLimit, reasons::memoryLimit(m_limits.memoryMegabytes));
        else
            end(Outcome::Crashed, reasons::crashed(exitCode));
        return;
    }
    if (exitCode == 0) {
        if (m_order.documentInfo)
            readDocumentInfo();
        else
            settleText();
        return;
    }
    if (popplerutils::saysWrongPassword(said)) {
        if (!m_order.password.isEmpty() && m_role == PasswordRole::Owner) {
            // The typed password may be the one that opens the file rather than the owner's.
            m_process->disconnect(this);
            m_process->deleteLater();
            m_process = nullptr;
            m_result.errorOutput.clear();
            if (!resetText()) {
                end(Outcome::WriteFailed, reasons::writeFailed(m_text.errorString()));
                return;
            }
            launch(PasswordRole::User);
            return;
        }
        if (m_order.password.isEmpty())
            end(Outcome::Protected, reasons::Protected);
        else
            end(Outcome::WrongPassword, reasons::WrongPassword);
        return;
    }
    int firstPage = 0;
    int lastPage = 0;
    if (limited && saysOutOfMemory(said))
        end(Outcome::MemoryLimit, reasons::memoryLimit(m_limits.memoryMegabytes));
    else if (saysNoTextEncoding(said))
        end(Outcome::CannotStart, reasons::noTextEncoding(m_order.text.encoding));
    else if (saysWrongPageRange(said, firstPage, lastPage) && lastPage > 0)
        end(Outcome::PageRange, reasons::pageRange(firstPage, lastPage));
    else if (exitCode == popplerutils::ExitPermissions)
        end(Outcome::Protected, reasons::Protected);
    else if (const QString why = popplerutils::openFailure(said); !why.isEmpty())
        end(Outcome::CannotRead, reasons::cannotRead(why));
    else
        end(Outcome::Damaged, reasons::Damaged);
}

void PdftotextJob::settleText()
{
    const Ending ending = settleCompleteText(m_text);
    end(ending.outcome, ending.reason);
}

// pdfinfo after pdftotext, with the same file, password and limits; the text is settled once it
// has ended.
void PdftotextJob::readDocumentInfo()
{
    m_info = new PdfInfoReader(this);
    connect(m_info, &PdfInfoReader::finished, this, [this] {
        m_result.facts.info = m_info->output();
        m_idle.stop();
        if (m_aborted)
            end(m_result.outcome, m_result.reason);
        else
            settleText();
    });
    QStringList arguments =
        popplerutils::passwordArguments(m_order.password, m_role == PasswordRole::User);
    arguments << positionalPath(m_pdfFd >= 0 ? QStringLiteral("/dev/fd/%1").arg(m_pdfFd)
                                             : m_order.pdf);
    m_idle.start(
        std::chrono::milliseconds(ConversionLimits::idleMilliseconds(m_limits.idleSeconds)));
    m_info->start(arguments, quint64(std::max(0, m_limits.memoryMegabytes)) * 1024 * 1024, m_pdfFd);
}

void PdftotextJob::onError(const QString &reason)
{
    if (m_ended)
        return;
    m_idle.stop();
    end(Outcome::CannotStart, reasons::cannotStart(reason));
}

void PdftotextJob::end(Outcome outcome, const QString &reason)
{
    if (m_ended)
        return;
    m_ended = true;
    m_idle.stop();
    if (m_text.isOpen())
        m_text.close();
    if (m_pdfFd >= 0) {
        ::close(m_pdfFd);
        m_pdfFd = -1;
    }
    m_result.outcome = outcome;
    m_result.reason = reason;
    emit finished();
}
