// SPDX-License-Identifier: GPL-3.0-or-later
#include "StopSignals.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <QSocketNotifier>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};
std::atomic<bool> g_requested{false};
std::atomic<int> g_signal{0};
// SIGINT (Ctrl-C), SIGTERM, and SIGHUP (the terminal closed, the SSH session lost).
constexpr int Stopping[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction g_old[std::size(Stopping)];
struct sigaction g_oldPipe;

void onSignal(int signal)
{
    const int saved = errno;
    g_requested = true;
    int none = 0;
    g_signal.compare_exchange_strong(none, signal);
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

// A reader of standard output or error gone (a closed SSH session, `| head`): the write fails
// with EPIPE instead of killing the program before its report is written. A handler rather than
// SIG_IGN, so that the converters started later have the usual SIGPIPE.
void onBrokenPipe(int) {}

} // namespace

StopSignals::StopSignals(QObject *parent) : QObject(parent)
{
    g_requested = false;
    g_signal = 0;
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readPipe);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(Stopping); ++i)
        ::sigaction(Stopping[i], &action, &g_old[i]);
    action.sa_handler = onBrokenPipe;
    ::sigaction(SIGPIPE, &action, &g_oldPipe);
}

StopSignals::~StopSignals()
{
    if (g_pipe[0] < 0)
        return;
    for (size_t i = 0; i < std::size(Stopping); ++i)
        ::sigaction(Stopping[i], &g_old[i], nullptr);
    ::sigaction(SIGPIPE, &g_oldPipe, nullptr);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

bool StopSignals::requested()
{
    return g_requested;
}

int StopSignals::signalNumber()
{
    return g_signal;
}

int StopSignals::wakeDescriptor() const
{
    return g_pipe[0];
}

void StopSignals::readPipe()
{
    char bytes[16];
    const ssize_t count = ::read(g_pipe[0], bytes, sizeof bytes);
    if (count > 0)
        emit stopRequested(int(bytes[count - 1]));
}
