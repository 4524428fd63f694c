// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServedChild.h"

#include "ChildConversion.h"
#include "PictureBudget.h"
#include "platform/ChildProcess.h"
#include "platform/PageSpan.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace converterservice {

namespace {

using namespace serviceprotocol;

constexpr std::string_view OutOfMemoryMark = "Out of memory";

[[noreturn]] void becomeChild(const ConvertRequest &request, int answerWrite, int errorWrite,
                              pid_t service, std::list<Child> &running)
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
    for (Child &other : running) {
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

void answerFailed(std::uint32_t id, int systemError, const Send &send)
{
    Outcome failed;
    failed.systemError = systemError;
    send(encodeDone(id, failed));
}

} // namespace

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

void closeIfOpen(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

std::optional<Child> startChild(const ConvertRequest &request, std::list<Child> &running,
                                const Send &send)
{
    // The system reads a path up to its first NUL byte: such a path would name another file.
    if (request.pdfPath.find('\0') != std::string::npos ||
        request.outputPath.find('\0') != std::string::npos) {
        Outcome refused;
        refused.kind = OutcomeKind::CannotOpen;
        refused.systemError = EINVAL;
        refused.exitCode = 1;
        send(encodeDone(request.id, refused));
        return std::nullopt;
    }
    int answerPipe[2];
    int errorPipe[2];
    if (::pipe2(answerPipe, O_CLOEXEC) != 0) {
        answerFailed(request.id, errno, send);
        return std::nullopt;
    }
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(answerPipe[0]);
        ::close(answerPipe[1]);
        answerFailed(request.id, error, send);
        return std::nullopt;
    }
    const pid_t service = ::getpid();
    // The limit is on what the conversion adds to the loaded service, which the child starts as.
    // A limit beyond what can be counted is none at all.
    ConvertRequest limited = request;
    if (limited.memoryLimit > 0) {
        const std::uint64_t own = picturebudget::addressSpaceInUse();
        limited.memoryLimit =
            limited.memoryLimit > RLIM_INFINITY - own ? RLIM_INFINITY : limited.memoryLimit + own;
    }
    const pid_t pid = ::fork();
    if (pid == 0)
        becomeChild(limited, answerPipe[1], errorPipe[1], service, running);
    ::close(answerPipe[1]);
    ::close(errorPipe[1]);
    if (pid < 0) {
        const int error = errno;
        ::close(answerPipe[0]);
        ::close(errorPipe[0]);
        answerFailed(request.id, error, send);
        return std::nullopt;
    }
    Child child;
    child.id = request.id;
    child.pid = pid;
    child.answerFd = answerPipe[0];
    child.errorFd = errorPipe[0];
    child.memoryLimited = request.memoryLimit > 0;
    child.textToFile = request.target == OutputTarget::File;
    child.deadline = IdleDeadline(std::chrono::milliseconds(request.idleLimitMs));
    child.firstPage = PageSpan::firstAsked(request.firstPage);
    return child;
}

void takeAnswers(Child &child, std::string_view bytes, const Send &send)
{
    child.answerBuffer.append(bytes);
    std::size_t consumed = 0;
    while (auto frame = takeFrame(child.answerBuffer, consumed)) {
        if (frame->kind == FrameKind::Text) {
            send(encodeTextHeader(child.id, frame->payload.size()));
            send(frame->payload);
            child.textBytes += frame->payload.size();
            child.deadline.textArrived();
        } else if (frame->kind == FrameKind::Page) {
            // A finished page is progress, also when it gave no text.
            const PageProgress page = decodePage(frame->payload);
            send(encodePage(child.id, page.done, page.total));
            child.pagesDone = page.done;
            child.pagesTotal = page.total;
            child.deadline.pagesDone(page.done);
        } else if (frame->kind == FrameKind::Done) {
            child.answer = decodeDone(frame->payload).second;
        }
        child.answerBuffer.erase(0, consumed);
    }
}

bool markIfOverdue(Child &child)
{
    if (!child.deadline.passed()) // cleared once it has been stopped
        return false;
    child.timedOut = true;
    child.deadline.clear();
    return true;
}

void takeErrors(Child &child, std::string_view text)
{
    if (child.diagnostics.size() < maxDiagnostics)
        child.diagnostics.append(text.substr(0, maxDiagnostics - child.diagnostics.size()));
    if (!child.outOfMemory) {
        const std::string seen = child.errorTail + std::string(text);
        child.outOfMemory = seen.find(OutOfMemoryMark) != std::string::npos;
        child.errorTail = seen.substr(seen.size() - std::min(seen.size(), OutOfMemoryMark.size()));
    }
}

Outcome outcomeOf(Child &child, int status)
{
    Outcome outcome;
    if (WIFEXITED(status) && child.answer && child.answer->exitCode == WEXITSTATUS(status)) {
        outcome = *child.answer;
    } else {
        if (WIFEXITED(status))
            outcome.exitCode = WEXITSTATUS(status);
        if (WIFSIGNALED(status))
            outcome.signal = WTERMSIG(status);
        if (child.cancelled)
            outcome.kind = OutcomeKind::Cancelled;
        else if (child.timedOut)
            outcome.kind = OutcomeKind::TimeLimit;
        else if (WIFSIGNALED(status) && child.outOfMemory && child.memoryLimited)
            outcome.kind = OutcomeKind::MemoryLimit;
        else if (WIFSIGNALED(status))
            outcome.kind = OutcomeKind::Crashed;
        else
            outcome.kind = OutcomeKind::ChildFailed;
        if (child.answer)
            outcome.pageCount = child.answer->pageCount;
        // The page being converted: the one after those the child told done.
        if (outcome.kind == OutcomeKind::MemoryLimit && child.pagesDone < child.pagesTotal)
            outcome.memoryLimitPage = child.firstPage + child.pagesDone;
    }
    // Text that went through the service is counted here; text the child wrote to a file, there.
    outcome.textBytes =
        child.textToFile && child.answer ? child.answer->textBytes : child.textBytes;
    outcome.diagnostics = std::move(child.diagnostics);
    return outcome;
}

} // namespace converterservice
