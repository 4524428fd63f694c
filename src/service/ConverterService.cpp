// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterService.h"

#include "ChildConversion.h"
#include "platform/SystemError.h"
#include "ServedChild.h"
#include "ServiceProtocol.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <list>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace converterservice {

namespace {

using namespace serviceprotocol;
using Clock = std::chrono::steady_clock;

// The loop that takes requests from standard input and watches every request's child, answering
// on standard output; what is done for each request is ServedChild's.
class Service
{
public:
    int serve();

private:
    std::vector<pollfd> watched() const;
    void readRequests();
    void handleFrame(const Frame &frame);
    void readAnswer(Child &child);
    void readErrors(Child &child);
    void finishEnded();
    void killOverdue();
    int pollTimeout() const;
    void killAll();

    const Send m_send = &writeAllOrThrow;
    std::list<Child> m_children;
    std::string m_input;
    bool m_inputOpen = true;
};

int Service::serve()
{
    writeAllOrThrow(encodeReady(childconversion::libraryVersion()));
    while (m_inputOpen || !m_children.empty()) {
        std::vector<pollfd> fds = watched();
        if (::poll(fds.data(), fds.size(), pollTimeout()) < 0 && errno != EINTR)
            throw std::runtime_error("poll: " + systemError(errno).toStdString());
        for (const pollfd &ready : fds) {
            if (ready.revents == 0)
                continue;
            if (ready.fd == STDIN_FILENO) {
                readRequests();
                continue;
            }
            for (Child &child : m_children) {
                if (ready.fd == child.answerFd)
                    readAnswer(child);
                else if (ready.fd == child.errorFd)
                    readErrors(child);
            }
        }
        killOverdue();
        finishEnded();
        if (!m_inputOpen)
            killAll();
    }
    return 0;
}

std::vector<pollfd> Service::watched() const
{
    std::vector<pollfd> fds;
    if (m_inputOpen)
        fds.push_back({STDIN_FILENO, POLLIN, 0});
    for (const Child &child : m_children) {
        if (child.answerFd >= 0)
            fds.push_back({child.answerFd, POLLIN, 0});
        if (child.errorFd >= 0)
            fds.push_back({child.errorFd, POLLIN, 0});
    }
    return fds;
}

void Service::readRequests()
{
    char buffer[64 * 1024];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
        return;
    if (got <= 0) {
        m_inputOpen = false;
        return;
    }
    m_input.append(buffer, static_cast<std::size_t>(got));
    std::size_t consumed = 0;
    while (auto frame = takeFrame(m_input, consumed)) {
        handleFrame(*frame);
        m_input.erase(0, consumed);
    }
}

void Service::handleFrame(const Frame &frame)
{
    if (frame.kind == FrameKind::Convert) {
        if (std::optional<Child> child =
                startChild(decodeConvert(frame.payload), m_children, m_send))
            m_children.push_back(std::move(*child));
    } else if (frame.kind == FrameKind::Cancel) {
        const std::uint32_t id = PayloadReader(frame.payload).u32();
        for (Child &child : m_children) {
            if (child.id == id && !child.cancelled) {
                child.cancelled = true;
                ::kill(child.pid, SIGKILL);
            }
        }
    } else {
        throw std::runtime_error("unknown request");
    }
}

void Service::readAnswer(Child &child)
{
    char buffer[64 * 1024];
    const ssize_t got = ::read(child.answerFd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
        return;
    if (got <= 0) {
        closeIfOpen(child.answerFd);
        return;
    }
    try {
        takeAnswers(child, std::string_view(buffer, static_cast<std::size_t>(got)), m_send);
    } catch (const std::logic_error &) {
        // A child that garbles its own pipe is treated as crashed: it is killed and its
        // answer, if any, is not trusted.
        child.answer.reset();
        ::kill(child.pid, SIGKILL);
        closeIfOpen(child.answerFd);
    }
}

void Service::readErrors(Child &child)
{
    char buffer[16 * 1024];
    const ssize_t got = ::read(child.errorFd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
        return;
    if (got <= 0) {
        closeIfOpen(child.errorFd);
        return;
    }
    takeErrors(child, std::string_view(buffer, static_cast<std::size_t>(got)));
}

// Each child whose pipes have both closed is reaped and answered for.
void Service::finishEnded()
{
    for (auto child = m_children.begin(); child != m_children.end();) {
        const auto next = std::next(child);
        if (child->answerFd < 0 && child->errorFd < 0) {
            int status = 0;
            while (::waitpid(child->pid, &status, 0) < 0 && errno == EINTR) {
            }
            const Outcome outcome = outcomeOf(*child, status);
            const std::uint32_t id = child->id;
            m_children.erase(child);
            writeAllOrThrow(encodeDone(id, outcome));
        }
        child = next;
    }
}

void Service::killOverdue()
{
    for (Child &child : m_children) {
        if (markIfOverdue(child))
            ::kill(child.pid, SIGKILL);
    }
}

int Service::pollTimeout() const
{
    std::optional<Clock::time_point> first;
    for (const Child &child : m_children) {
        const std::optional<Clock::time_point> due = child.deadline.due();
        if (due && (!first || *due < *first))
            first = due;
    }
    if (!first)
        return -1;
    const auto wait =
        std::chrono::duration_cast<std::chrono::milliseconds>(*first - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(wait + 1, 0, 60 * 1000));
}

void Service::killAll()
{
    for (Child &child : m_children) {
        if (!child.cancelled) {
            child.cancelled = true;
            ::kill(child.pid, SIGKILL);
        }
    }
}

} // namespace

int run()
{
    // A client that goes away shows as a failed write, not a signal.
    ::signal(SIGPIPE, SIG_IGN);
    childconversion::loadLibrary();
    Service service;
    try {
        return service.serve();
    } catch (const OutputGone &) {
        return 0;
    } catch (const std::exception &failure) {
        const std::string message = std::string("converter service: ") + failure.what() + "\n";
        [[maybe_unused]] const auto ignored =
            ::write(STDERR_FILENO, message.data(), message.size());
        return 2;
    }
}

} // namespace converterservice
