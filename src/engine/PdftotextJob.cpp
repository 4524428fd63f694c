// SPDX-License-Identifier: GPL-3.0-or-later
#include "PdftotextJob.h"

#include <QStringList>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

// pdftotext's own exit codes.
constexpr int ExitPermissions = 3;

bool saysWrongPassword(const QString &errorOutput)
{
    return errorOutput.contains(QStringLiteral("Incorrect password"));
}

} // namespace

PdftotextJob::PdftotextJob(QString program, JobOrder order, ConversionLimits limits,
                           QObject *parent)
    : ConversionJob(parent), m_program(std::move(program)), m_order(std::move(order)),
      m_limits(limits), m_text(m_order.textPath)
{
    expectText(m_order.text);
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this,
            [this] { abort(Outcome::TimeLimit, reasons::timeLimit(m_limits.idleSeconds)); });
}

PdftotextJob::~PdftotextJob()
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill(); // the QProcess reaps it as it goes
    }
}

QStringList PdftotextJob::arguments(const JobOrder &order, PasswordRole role)
{
    QStringList args;
    if (!order.password.isEmpty())
        args << (role == PasswordRole::User ? QStringLiteral("-upw") : QStringLiteral("-opw"))
             << order.password;
    TextOptions text = order.text;
    if (order.firstHundredPages) {
        text.firstPage = 1;
        text.lastPage = 100;
    }
    args << textoptions::pdftotextArguments(text);
    args << positionalPath(order.pdf) << QStringLiteral("-");
    return args;
}

void PdftotextJob::start()
{
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
    m_process = new QProcess(this);
    m_process->setProgram(m_program);
    m_process->setArguments(arguments(m_order, role));
    m_process->setStandardInputFile(QProcess::nullDevice());
#ifdef Q_OS_LINUX
    const rlim_t memory = rlim_t(m_limits.memoryMegabytes) * 1024 * 1024;
    const pid_t parent = ::getpid();
    m_process->setChildProcessModifier([memory, parent] {
        // Between fork and exec: only calls that are safe there.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // A group of its own: a Ctrl-C on the terminal reaches the program, which stops its
        // converters itself, instead of killing them behind its back.
        ::setpgid(0, 0);
        if (::getppid() != parent)
            ::_exit(127); // the program ended before the converter could be tied to it
        if (memory > 0) {
            const rlimit limit{memory, memory};
            ::setrlimit(RLIMIT_AS, &limit);
        }
    });
#endif
    connect(m_process, &QProcess::readyReadStandardOutput, this, &PdftotextJob::takeText);
    connect(m_process, &QProcess::readyReadStandardError, this, &PdftotextJob::takeErrorOutput);
    connect(m_process, &QProcess::finished, this, &PdftotextJob::onFinished);
    connect(m_process, &QProcess::errorOccurred, this, &PdftotextJob::onError);
    if (m_limits.idleSeconds > 0)
        m_idle.start(m_limits.idleSeconds * 1000);
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
    if (m_process && m_process->state() != QProcess::NotRunning) {
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
    if (m_process)
        m_process->kill();
}

void PdftotextJob::takeText()
{
    const QByteArray bytes = m_process->readAllStandardOutput();
    if (bytes.isEmpty() || m_aborted)
        return;
    if (!keepText(m_text, bytes)) {
        abort(Outcome::WriteFailed, reasons::writeFailed(m_text.errorString()));
        return;
    }
    if (m_limits.idleSeconds > 0)
        m_idle.start(m_limits.idleSeconds * 1000);
}

void PdftotextJob::takeErrorOutput()
{
    const QByteArray bytes = m_process->readAllStandardError();
    const qsizetype room = ErrorOutputLimit - m_result.errorOutput.size();
    if (room > 0)
        m_result.errorOutput += QString::fromLocal8Bit(bytes.left(room));
}

bool PdftotextJob::resetText()
{
    forgetText();
    return m_text.resize(0) && m_text.seek(0);
}

void PdftotextJob::onFinished(int exitCode, QProcess::ExitStatus status)
{
    takeText();
    takeErrorOutput();
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
        const Ending ending = settleCompleteText(m_text);
        end(ending.outcome, ending.reason);
        return;
    }
    if (saysWrongPassword(said)) {
        if (!m_order.password.isEmpty() && m_role == PasswordRole::Owner) {
            // The typed password may be the one that opens the file rather than the owner's.
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
    else if (exitCode == ExitPermissions)
        end(Outcome::Protected, reasons::Protected);
    else
        end(Outcome::Damaged, reasons::Damaged);
}

void PdftotextJob::onError(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart || m_ended)
        return;
    m_idle.stop();
    end(Outcome::CannotStart, reasons::cannotStart(m_process->errorString()));
}

void PdftotextJob::end(Outcome outcome, const QString &reason)
{
    if (m_ended)
        return;
    m_ended = true;
    m_idle.stop();
    if (m_text.isOpen())
        m_text.close();
    m_result.outcome = outcome;
    m_result.reason = reason;
    emit finished();
}
