// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterService.h"

#include "ChildConversion.h"
#include "IdleDeadline.h"
#include "platform/ChildProcess.h"
#include "platform/SystemError.h"
#include "ServiceProtocol.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <list>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace converterservice {

namespace {

using namespace serviceprotocol;
using Clock = std::chrono::steady_clock;

constexpr std::string_view OutOfMemoryMark = "Out of memory";

// The service's end of one request's child.
struct Child
{
    std::uint32_t id = 0;
    pid_t pid = -1;
    int answerFd = -1;
    int errorFd = -1;
    std::string answerBuffer;
    std::string diagnostics;
    std::string errorTail; // the last bytes read, so a mark split between reads is still seen
    bool outOfMemory = false;
    bool memoryLimited = false;
    std::optional<Outcome> answer;
    std::uint64_t textBytes = 0;
    bool textToFile = false; // the child writes the text itself and counts it
    IdleDeadline deadline{std::chrono::milliseconds(0)};
    bool timedOut = false;
    bool cancelled = false;
};

class OutputGone : public std::runtime_error
{
public:
    OutputGone() : std::runtime_error("standard output is gone") {}
};

void writeAllOrThrow(std::string_view data)
{
    while (!data.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw OutputGone();
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
}

// The service's own address space in bytes (0 when it cannot be read).
std::uint64_t ownAddressSpace()
{
    const int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[64] = {};
    const ssize_t got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (got <= 0)
        return 0;
    return std::strtoull(text, nullptr, 10) * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

void closeIfOpen(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

class Service
{
public:
    int serve();

private:
    void readRequests();
    void handleFrame(const Frame &frame);
    void startChild(const ConvertRequest &request);
    [[noreturn]] void becomeChild(const ConvertRequest &request, int answerWrite, int errorWrite,
                                  pid_t service);
    void readAnswer(Child &child);
    void readErrors(Child &child);
    void finish(std::list<Child>::iterator child);
    void killOverdue();
    int pollTimeout() const;
    void killAll();

    std::list<Child> m_children;
    std::string m_input;
    bool m_inputOpen = true;
};

int Service::serve()
{
    writeAllOrThrow(encodeReady(childconversion::libraryVersion()));
    while (m_inputOpen || !m_children.empty()) {
        std::vector<pollfd> fds;
        if (m_inputOpen)
            fds.push_back({STDIN_FILENO, POLLIN, 0});
        for (const Child &child : m_children) {
            if (child.answerFd >= 0)
                fds.push_back({child.answerFd, POLLIN, 0});
            if (child.errorFd >= 0)
                fds.push_back({child.errorFd, POLLIN, 0});
        }
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
        for (auto child = m_children.begin(); child != m_children.end();) {
            const auto next = std::next(child);
            if (child->answerFd < 0 && child->errorFd < 0)
                finish(child);
            child = next;
        }
        if (!m_inputOpen)
            killAll();
    }
    return 0;
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
        startChild(decodeConvert(frame.payload));
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

void Service::startChild(const ConvertRequest &request)
{
    // The system reads a path up to its first NUL byte: such a path would name another file.
    if (request.pdfPath.find('\0') != std::string::npos ||
        request.outputPath.find('\0') != std::string::npos) {
        Outcome refused;
        refused.kind = OutcomeKind::CannotOpen;
        refused.systemError = EINVAL;
        refused.exitCode = 1;
        writeAllOrThrow(encodeDone(request.id, refused));
        return;
    }
    int answerPipe[2];
    int errorPipe[2];
    if (::pipe2(answerPipe, O_CLOEXEC) != 0) {
        Outcome failed;
        failed.systemError = errno;
        writeAllOrThrow(encodeDone(request.id, failed));
        return;
    }
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        Outcome failed;
        failed.systemError = errno;
        ::close(answerPipe[0]);
        ::close(answerPipe[1]);
        writeAllOrThrow(encodeDone(request.id, failed));
        return;
    }
    const pid_t service = ::getpid();
    // The limit is on what the conversion adds to the loaded service, which the child starts as.
    // A limit beyond what can be counted is none at all.
    ConvertRequest limited = request;
    if (limited.memoryLimit > 0) {
        const std::uint64_t own = ownAddressSpace();
        limited.memoryLimit =
            limited.memoryLimit > RLIM_INFINITY - own ? RLIM_INFINITY : limited.memoryLimit + own;
    }
    const pid_t pid = ::fork();
    if (pid == 0)
        becomeChild(limited, answerPipe[1], errorPipe[1], service);
    ::close(answerPipe[1]);
    ::close(errorPipe[1]);
    if (pid < 0) {
        Outcome failed;
        failed.systemError = errno;
        ::close(answerPipe[0]);
        ::close(errorPipe[0]);
        writeAllOrThrow(encodeDone(request.id, failed));
        return;
    }
    Child child;
    child.id = request.id;
    child.pid = pid;
    child.answerFd = answerPipe[0];
    child.errorFd = errorPipe[0];
    child.memoryLimited = request.memoryLimit > 0;
    child.textToFile = request.target == OutputTarget::File;
    child.deadline = IdleDeadline(std::chrono::milliseconds(request.idleLimitMs));
    m_children.push_back(std::move(child));
}

void Service::becomeChild(const ConvertRequest &request, int answerWrite, int errorWrite,
                          pid_t service)
{
    // Dies with the service; a service that died before this line leaves the child adopted.
    childprocess::tieToParent(service);
    // The protocol's pipes belong to the service alone.
    const int nothing = ::open("/dev/null", O_RDWR);
    ::dup2(nothing, STDIN_FILENO);
    ::dup2(nothing, STDOUT_FILENO);
    ::dup2(errorWrite, STDERR_FILENO);
    ::close(nothing);
    ::close(errorWrite);
    for (Child &other : m_children) {
        closeIfOpen(other.answerFd);
        closeIfOpen(other.errorFd);
    }
    ::signal(SIGPIPE, SIG_DFL);
    if (request.memoryLimit > 0 && request.memoryLimit < RLIM_INFINITY) {
        const rlimit limit{request.memoryLimit, request.memoryLimit};
        ::setrlimit(RLIMIT_AS, &limit);
    }
    childconversion::convertAndExit(request, answerWrite);
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
    child.answerBuffer.append(buffer, static_cast<std::size_t>(got));
    std::size_t consumed = 0;
    try {
        while (auto frame = takeFrame(child.answerBuffer, consumed)) {
            if (frame->kind == FrameKind::Text) {
                writeAllOrThrow(encodeTextHeader(child.id, frame->payload.size()));
                writeAllOrThrow(frame->payload);
                child.textBytes += frame->payload.size();
                child.deadline.textArrived();
            } else if (frame->kind == FrameKind::Page) {
                // A finished page is progress, also when it gave no text.
                const PageProgress page = decodePage(frame->payload);
                writeAllOrThrow(encodePage(child.id, page.done, page.total));
                child.deadline.pagesDone(page.done);
            } else if (frame->kind == FrameKind::Done) {
                child.answer = decodeDone(frame->payload).second;
            }
            child.answerBuffer.erase(0, consumed);
        }
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
    const std::string_view text(buffer, static_cast<std::size_t>(got));
    if (child.diagnostics.size() < maxDiagnostics)
        child.diagnostics.append(text.substr(0, maxDiagnostics - child.diagnostics.size()));
    if (!child.outOfMemory) {
        const std::string seen = child.errorTail + std::string(text);
        child.outOfMemory = seen.find(OutOfMemoryMark) != std::string::npos;
        child.errorTail = seen.substr(seen.size() - std::min(seen.size(), OutOfMemoryMark.size()));
    }
}

void Service::finish(std::list<Child>::iterator child)
{
    int status = 0;
    while (::waitpid(child->pid, &status, 0) < 0 && errno == EINTR) {
    }
    Outcome outcome;
    if (WIFEXITED(status) && child->answer && child->answer->exitCode == WEXITSTATUS(status)) {
        outcome = *child->answer;
    } else {
        if (WIFEXITED(status))
            outcome.exitCode = WEXITSTATUS(status);
        if (WIFSIGNALED(status))
            outcome.signal = WTERMSIG(status);
        if (child->cancelled)
            outcome.kind = OutcomeKind::Cancelled;
        else if (child->timedOut)
            outcome.kind = OutcomeKind::TimeLimit;
        else if (WIFSIGNALED(status) && child->outOfMemory && child->memoryLimited)
            outcome.kind = OutcomeKind::MemoryLimit;
        else if (WIFSIGNALED(status))
            outcome.kind = OutcomeKind::Crashed;
        else
            outcome.kind = OutcomeKind::ChildFailed;
        if (child->answer)
            outcome.pageCount = child->answer->pageCount;
    }
    // Text that went through the service is counted here; text the child wrote to a file, there.
    outcome.textBytes =
        child->textToFile && child->answer ? child->answer->textBytes : child->textBytes;
    outcome.diagnostics = std::move(child->diagnostics);
    const std::uint32_t id = child->id;
    m_children.erase(child);
    writeAllOrThrow(encodeDone(id, outcome));
}

void Service::killOverdue()
{
    for (Child &child : m_children) {
        if (child.deadline.passed() && !child.timedOut) {
            child.timedOut = true;
            child.deadline.clear();
            ::kill(child.pid, SIGKILL);
        }
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
