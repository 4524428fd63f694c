// SPDX-License-Identifier: GPL-3.0-or-later
#include "ErrorOutputCatch.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The catch in place, for the abort handler: descriptors only, read without allocating.
volatile sig_atomic_t g_caught = -1;
volatile sig_atomic_t g_saved = -1;

// Whether `fd` (read from its start) holds the mark. Read in pieces, each looked at with the end of
// the one before it, so that a page that gave many messages needs no memory for them; safe in a
// signal handler.
bool holdsMark(int fd)
{
    constexpr std::string_view Mark = ErrorOutputCatch::OutOfMemoryMark;
    constexpr std::size_t Overlap = Mark.size() - 1;
    char buffer[Overlap + 4096];
    std::size_t kept = 0;
    off_t offset = 0;
    ssize_t got;
    while ((got = ::pread(fd, buffer + kept, sizeof buffer - kept, offset)) > 0) {
        offset += got;
        const std::string_view seen(buffer, kept + static_cast<std::size_t>(got));
        if (seen.find(Mark) != std::string_view::npos)
            return true;
        kept = std::min(Overlap, seen.size());
        std::memmove(buffer, seen.data() + seen.size() - kept, kept);
    }
    return false;
}

void abortedWhileCaught(int)
{
    if (g_saved >= 0) {
        ::dup2(g_saved, STDERR_FILENO);
        if (g_caught >= 0 && holdsMark(g_caught)) {
            static const char message[] = "Out of memory\n";
            [[maybe_unused]] const auto ignored =
                ::write(STDERR_FILENO, message, sizeof message - 1);
        }
    }
    ::signal(SIGABRT, SIG_DFL);
    ::raise(SIGABRT);
}

} // namespace

ErrorOutputCatch::ErrorOutputCatch()
{
    m_caught = ::memfd_create("page-ocr-errors", MFD_CLOEXEC);
    if (m_caught < 0) {
        m_error = errno;
        return;
    }
    m_saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (m_saved < 0 || ::dup2(m_caught, STDERR_FILENO) < 0) {
        m_error = errno;
        release();
        return;
    }
    g_caught = m_caught;
    g_saved = m_saved;
    ::signal(SIGABRT, &abortedWhileCaught);
}

ErrorOutputCatch::~ErrorOutputCatch()
{
    release();
}

bool ErrorOutputCatch::allocationRefused()
{
    if (m_caught < 0)
        return false;
    ::dup2(m_saved, STDERR_FILENO);
    const bool refused = holdsMark(m_caught);
    release();
    return refused;
}

void ErrorOutputCatch::endOutOfMemory()
{
    static const char message[] = "Out of memory\n";
    const int fd = g_saved >= 0 ? int(g_saved) : STDERR_FILENO;
    [[maybe_unused]] const auto ignored = ::write(fd, message, sizeof message - 1);
    std::abort();
}

void ErrorOutputCatch::release()
{
    if (m_saved >= 0) {
        ::signal(SIGABRT, SIG_DFL);
        g_caught = -1;
        g_saved = -1;
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }
    if (m_caught >= 0) {
        ::close(m_caught);
        m_caught = -1;
    }
}
