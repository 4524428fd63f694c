// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChildProcess.h"

#include "NativePath.h"

#include <QSet>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <algorithm>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

// Every process started here that is not reaped yet (the registry of endAll()).
QSet<QProcess *> &liveProcesses()
{
    static QSet<QProcess *> live;
    return live;
}

void killGroup(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-pid_t(pid), SIGKILL); // its group: anything it started goes with it
    process.kill();                   // before the child made its group
}

} // namespace

namespace childprocess {

void tieToParent(pid_t parent) noexcept
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        ::_exit(127); // the parent ended before the child could be tied to it
}

} // namespace childprocess

ChildProcess::ChildProcess(QObject *parent) : QObject(parent), m_process(new QProcess)
{
    liveProcesses().insert(m_process);
    connect(m_process, &QProcess::readyReadStandardOutput, this, &ChildProcess::outputReady);
    connect(m_process, &QProcess::readyReadStandardError, this, [this] {
        takeErrorOutput();
        emit errorOutputReady();
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            emit failedToStart(m_process->errorString());
    });
    connect(m_process, &QProcess::finished, this, &ChildProcess::onProcessFinished);
}

void ChildProcess::onProcessFinished(int exitCode, QProcess::ExitStatus status)
{
    liveProcesses().remove(m_process);
    takeErrorOutput();
    if (m_terminal >= 0) {
        readTerminal();
        if (m_terminal >= 0) {
            // Its last lines are still on their way through the terminal: finished() follows
            // when the terminal says it has no more.
            m_finishPending = true;
            m_exitCode = exitCode;
            m_exitStatus = status;
            return;
        }
    }
    emit finished(exitCode, status);
}

ChildProcess::~ChildProcess()
{
    closeTerminal();
    m_process->disconnect(this);
    if (m_process->state() == QProcess::NotRunning) {
        liveProcesses().remove(m_process);
        delete m_process;
        return;
    }
    // Killed now, reaped when its end is signalled: a kill ends a process at once, but one stuck
    // in the kernel would hold a thread that waited for it.
    killGroup(*m_process);
    QProcess *process = m_process;
    QObject::connect(process, &QProcess::finished, process, [process] {
        liveProcesses().remove(process);
        process->deleteLater();
    });
}

void ChildProcess::setProgram(const QString &program, const QStringList &arguments)
{
    m_process->setProgram(program);
    m_process->setArguments(arguments);
    m_exactArguments.reset();
    // QProcess spells an argument in UTF-8, and a kept byte (a Latin-1 password line) as U+FFFD:
    // such a vector is given to the child as its own bytes (see start()).
    if (std::none_of(arguments.begin(), arguments.end(), nativepath::holdsKeptBytes))
        return;
    auto exact = std::make_shared<ExactArguments>();
    const QString resolved =
        program.contains(u'/') ? program : QStandardPaths::findExecutable(program);
    exact->bytes << nativepath::encode(resolved.isEmpty() ? program : resolved);
    for (const QString &argument : arguments)
        exact->bytes << nativepath::encode(argument);
    for (QByteArray &bytes : exact->bytes)
        exact->pointers.push_back(bytes.data());
    exact->pointers.push_back(nullptr);
    m_exactArguments = std::move(exact);
}

void ChildProcess::start()
{
    m_errorTail.clear();
    if (m_inputFromNothing)
        m_process->setStandardInputFile(QProcess::nullDevice());
    closeTerminal();
    m_finishPending = false;
    const bool terminal = m_terminalWanted && openTerminal();
    if (terminal)
        m_process->setStandardOutputFile(QProcess::nullDevice()); // replaced in the child
    const int childTerminal = m_childTerminal;
    const pid_t parent = ::getpid();
    const rlim_t memory = m_memoryLimit;
    const int inherited = m_inherited;
    const std::shared_ptr<ExactArguments> exact = m_exactArguments;
    m_process->setChildProcessModifier([parent, memory, childTerminal, inherited, exact] {
        // Between fork and exec: only calls that are safe there.
        if (inherited >= 0)
            ::fcntl(inherited, F_SETFD, 0); // kept open across exec
        ::setpgid(0, 0);
        childprocess::tieToParent(parent);
        if (memory > 0) {
            const rlimit limit{memory, memory};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        if (childTerminal >= 0)
            ::dup2(childTerminal, STDOUT_FILENO);
        // Everything QProcess sets up is in place by now; where this exec fails, QProcess's own
        // fails the same way and says why.
        if (exact)
            ::execv(exact->pointers.front(), exact->pointers.data());
    });
    liveProcesses().insert(m_process);
    m_process->start(m_inputFromNothing ? QIODevice::ReadOnly
                                        : QIODevice::ReadWrite | QIODevice::Unbuffered);
    // The child has its own copy now (or none, when it did not start): the terminal reports its
    // end once the child's copy is closed.
    if (m_childTerminal >= 0) {
        ::close(m_childTerminal);
        m_childTerminal = -1;
    }
}

bool ChildProcess::openTerminal()
{
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0)
        return false;
    char name[PATH_MAX];
    int child = -1;
    if (::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0 &&
        ::ptsname_r(terminal, name, sizeof name) == 0)
        child = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    if (child < 0 || ::tcgetattr(child, &raw) != 0) {
        if (child >= 0)
            ::close(child);
        ::close(terminal);
        return false;
    }
    ::cfmakeraw(&raw); // the bytes as written: no line ends turned into CR LF
    ::tcsetattr(child, TCSANOW, &raw);
    ::fcntl(terminal, F_SETFL, ::fcntl(terminal, F_GETFL) | O_NONBLOCK);
    m_terminal = terminal;
    m_childTerminal = child;
    auto *notifier = new QSocketNotifier(terminal, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &ChildProcess::readTerminal);
    m_terminalNotifier = notifier;
    return true;
}

void ChildProcess::readTerminal()
{
    bool more = false;
    while (m_terminal >= 0) {
        char buffer[64 * 1024];
        const ssize_t got = ::read(m_terminal, buffer, sizeof buffer);
        if (got > 0) {
            m_terminalOutput.append(buffer, got);
            more = true;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            break;
        closeTerminal(); // EIO: every copy of the child's side is closed and all was read
    }
    if (more)
        emit outputReady();
    if (m_terminal < 0 && m_finishPending) {
        m_finishPending = false;
        emit finished(m_exitCode, m_exitStatus);
    }
}

void ChildProcess::closeTerminal()
{
    delete m_terminalNotifier;
    m_terminalNotifier = nullptr;
    if (m_terminal >= 0)
        ::close(m_terminal);
    if (m_childTerminal >= 0)
        ::close(m_childTerminal);
    m_terminal = -1;
    m_childTerminal = -1;
}

QByteArray ChildProcess::readOutput()
{
    QByteArray output = std::exchange(m_terminalOutput, {});
    output += m_process->readAllStandardOutput(); // nothing when the output is the terminal
    return output;
}

void ChildProcess::kill()
{
    killGroup(*m_process);
}

bool ChildProcess::isRunning() const
{
    return m_process->state() != QProcess::NotRunning;
}

qint64 ChildProcess::processId() const
{
    return m_process->processId();
}

QByteArray ChildProcess::errorTail()
{
    takeErrorOutput();
    return m_errorTail;
}

void ChildProcess::takeErrorOutput()
{
    m_errorTail += m_process->readAllStandardError();
    if (m_errorTail.size() > m_errorTailLimit)
        m_errorTail.remove(0, m_errorTail.size() - m_errorTailLimit);
}

void ChildProcess::endAll()
{
    const QSet<QProcess *> live = liveProcesses();
    QList<pid_t> killed;
    for (QProcess *process : live) {
        if (process->processId() > 0)
            killed << pid_t(process->processId());
        killGroup(*process);
    }
    // The program ends next, with no turn of the event loop to reap them: a killed child ends at
    // once, so it is reaped here, and none is left behind even as a zombie.
    for (const pid_t pid : killed) {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

int ChildProcess::liveCount()
{
    return int(liveProcesses().size());
}
