// SPDX-License-Identifier: GPL-3.0-or-later
#include "InstanceLock.h"

#include "platform/Failure.h"
#include "platform/NativePath.h"
#include "platform/SystemError.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

Failure lockFailure(const QString &path, const QString &reason)
{
    return Failure(QStringLiteral("The instance lock %1 cannot be taken: %2").arg(path, reason));
}

} // namespace

InstanceLock::InstanceLock(QString path) : m_path(std::move(path)) {}

InstanceLock::~InstanceLock()
{
    release();
}

#ifdef Q_OS_WIN

void InstanceLock::open()
{
    if (m_handle)
        return;
    HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t *>(m_path.utf16()), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw lockFailure(m_path, QStringLiteral("error %1").arg(GetLastError()));
    m_handle = handle;
}

void InstanceLock::holdShared()
{
    open();
    OVERLAPPED whole = {};
    if (!LockFileEx(m_handle, 0, 0, 1, 0, &whole))
        throw lockFailure(m_path, QStringLiteral("error %1").arg(GetLastError()));
}

bool InstanceLock::tryExclusive()
{
    open();
    OVERLAPPED whole = {};
    UnlockFileEx(m_handle, 0, 1, 0, &whole);
    whole = {};
    return LockFileEx(m_handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                      &whole);
}

void InstanceLock::removeFile() {}

void InstanceLock::release()
{
    if (!m_handle)
        return;
    CloseHandle(m_handle); // closing the handle gives up its locks
    m_handle = nullptr;
}

#else

void InstanceLock::open()
{
    if (m_fd >= 0)
        return;
    // Close-on-exec: a converter that outlives this instance must not keep the lock alive.
    const int fd = ::open(nativepath::encode(m_path).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        throw lockFailure(m_path, systemError(errno));
    m_fd = fd;
}

void InstanceLock::holdShared()
{
    for (;;) {
        open();
        int result;
        do {
            result = ::flock(m_fd, LOCK_SH);
        } while (result != 0 && errno == EINTR);
        if (result != 0)
            throw lockFailure(m_path, systemError(errno));
        // The last instance to close removes the file while it holds it exclusively: one that
        // waited on it then holds a file without a name, and takes the one named now instead.
        struct stat held;
        struct stat named;
        if (::fstat(m_fd, &held) == 0 &&
            ::stat(nativepath::encode(m_path).constData(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino)
            return;
        release();
    }
}

bool InstanceLock::tryExclusive()
{
    open();
    // Converting the shared hold drops it first, so of two instances closing at the same moment
    // one is sure to succeed.
    return ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
}

void InstanceLock::removeFile()
{
    if (m_fd >= 0)
        ::unlink(nativepath::encode(m_path).constData());
}

void InstanceLock::release()
{
    if (m_fd < 0)
        return;
    ::close(m_fd); // closing the only descriptor gives up the lock
    m_fd = -1;
}

#endif
