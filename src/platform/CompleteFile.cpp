// SPDX-License-Identifier: GPL-3.0-or-later
#include "CompleteFile.h"

#include "NativePath.h"
#include "SystemError.h"

#include <QFile>
#include <QIODevice>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int MostLinks = 40; // as the system follows them
constexpr qsizetype MostNameBytes = 200;
constexpr qint64 CopyPiece = 256 * 1024;

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// A new file in the place's folder, named after the place and hidden; made with the mode a new
// file gets (0666 less the umask). -1 with errno set when none can be made.
int makeStaged(const QByteArray &place, QByteArray &staged)
{
    const QByteArray stem = folderOf(place) + "/." + nameOf(place).left(MostNameBytes) + '.';
    for (int attempt = 0; attempt < 100; ++attempt) {
        staged = stem + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        const int fd =
            ::open(staged.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Gives the new file on `fd` what the user gave the file it replaces: its owner and group where
// this program may set them, and its permission bits. Group bits that would go to another group
// than the old file's are dropped, so that replacing a file never opens it to more people.
void keepWhatTheUserGave(int fd, const QByteArray &place)
{
    struct stat old;
    struct stat made;
    if (::lstat(place.constData(), &old) != 0 || !S_ISREG(old.st_mode) || ::fstat(fd, &made) != 0)
        return;
    mode_t mode = old.st_mode & 0777;
    if (old.st_uid != made.st_uid || old.st_gid != made.st_gid) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0)
            mode &= ~mode_t(0070);
    }
    ::fchmod(fd, mode);
}

QString syncAndClose(int fd, const FileCalls &calls)
{
    const QString error = calls.sync(fd) != 0 ? systemError(errno) : QString();
    ::close(fd);
    return error;
}

QString rename(const QByteArray &from, const QByteArray &to, bool replace, const FileCalls &calls)
{
    if (replace)
        return calls.rename(from.constData(), to.constData()) == 0 ? QString() : systemError(errno);
    // Never over a file: a link fails where one is there already, and the staged name goes.
    if (::link(from.constData(), to.constData()) != 0 && errno != EEXIST)
        return systemError(errno);
    ::unlink(from.constData());
    return QString();
}

// The folder's entry of the renamed file reaches the disk; a file system that cannot sync a
// folder (EINVAL) keeps its entries by its own rules.
QString syncFolder(const QByteArray &place, const FileCalls &calls)
{
    const int fd = ::open(folderOf(place).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return systemError(errno);
    const int result = calls.sync(fd);
    const int error = errno;
    ::close(fd);
    return result == 0 || error == EINVAL ? QString() : systemError(error);
}

ssize_t writeChecked(const FileCalls &calls, int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = calls.write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return -1;
        }
        data += written;
        size -= size_t(written);
    }
    return 0;
}

} // namespace

FileCalls CompleteFile::systemCalls()
{
    return FileCalls{::write, ::fsync, ::rename};
}

CompleteFile::CompleteFile(QString path) : CompleteFile(std::move(path), systemCalls()) {}

CompleteFile::CompleteFile(QString path, const FileCalls &calls)
    : m_path(std::move(path)), m_calls(calls)
{
}

CompleteFile::~CompleteFile()
{
    discard();
}

void CompleteFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_staged.isEmpty())
        ::unlink(m_staged.constData());
    m_staged.clear();
}

QByteArray CompleteFile::placeOf(const QString &path)
{
    QByteArray place = nativepath::encode(path);
    for (int hop = 0; hop < MostLinks; ++hop) {
        struct stat facts;
        if (::lstat(place.constData(), &facts) != 0 || !S_ISLNK(facts.st_mode))
            return place;
        QByteArray target(qsizetype(facts.st_size > 0 ? facts.st_size : 4096) + 1, '\0');
        const ssize_t length = ::readlink(place.constData(), target.data(), size_t(target.size()));
        if (length < 0 || length >= target.size())
            return place;
        target.truncate(length);
        place = target.startsWith('/') ? target : folderOf(place) + '/' + target;
    }
    return place;
}

QString CompleteFile::refusal(const QString &path)
{
    struct stat facts;
    if (::lstat(placeOf(path).constData(), &facts) != 0 || S_ISREG(facts.st_mode))
        return QString(); // free, or a file; what cannot be reached says so when it is written
    if (S_ISDIR(facts.st_mode))
        return systemError(EISDIR);
    if (S_ISLNK(facts.st_mode))
        return systemError(ELOOP);
    if (S_ISFIFO(facts.st_mode))
        return QStringLiteral("its place is a FIFO (named pipe), not a file");
    if (S_ISSOCK(facts.st_mode))
        return QStringLiteral("its place is a socket, not a file");
    if (S_ISCHR(facts.st_mode) || S_ISBLK(facts.st_mode))
        return QStringLiteral("its place is a device, not a file");
    return QStringLiteral("its place is not a file");
}

QString CompleteFile::open()
{
    discard();
    if (const QString why = refusal(m_path); !why.isEmpty())
        return why;
    m_place = placeOf(m_path);
    m_fd = makeStaged(m_place, m_staged);
    if (m_fd < 0) {
        m_staged.clear();
        return systemError(errno);
    }
    return QString();
}

QString CompleteFile::write(const QByteArray &bytes)
{
    if (m_fd < 0)
        return systemError(EBADF);
    return writeChecked(m_calls, m_fd, bytes.constData(), size_t(bytes.size())) == 0
               ? QString()
               : systemError(errno);
}

QString CompleteFile::writeFrom(QIODevice &source)
{
    QByteArray piece(CopyPiece, '\0');
    for (;;) {
        const qint64 got = source.read(piece.data(), piece.size());
        if (got < 0)
            return source.errorString();
        if (got == 0)
            return QString();
        if (const QString error = write(piece.left(got)); !error.isEmpty())
            return error;
    }
}

QString CompleteFile::commit(bool replace)
{
    if (m_fd < 0)
        return systemError(EBADF);
    if (m_mode >= 0)
        ::fchmod(m_fd, mode_t(m_mode));
    else if (replace)
        keepWhatTheUserGave(m_fd, m_place);
    QString error = syncAndClose(std::exchange(m_fd, -1), m_calls);
    if (error.isEmpty())
        error = rename(m_staged, m_place, replace, m_calls);
    if (!error.isEmpty()) {
        discard();
        return error;
    }
    m_staged.clear();
    return syncFolder(m_place, m_calls);
}

QString CompleteFile::putInPlace(const QString &staged, const QString &path)
{
    return putInPlace(staged, path, systemCalls());
}

QString CompleteFile::putInPlace(const QString &staged, const QString &path, const FileCalls &calls)
{
    const QByteArray from = nativepath::encode(staged);
    const QByteArray place = placeOf(path);
    QString error = refusal(path);
    if (error.isEmpty() && place != nativepath::encode(path)) {
        // Through a link: staged again beside its target, which may be on another disk.
        QFile text(staged);
        CompleteFile file(path, calls);
        error = text.open(QIODevice::ReadOnly) ? file.open() : text.errorString();
        if (error.isEmpty())
            error = file.writeFrom(text);
        if (error.isEmpty())
            error = file.commit();
    } else if (error.isEmpty()) {
        const int fd = ::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            return systemError(errno);
        keepWhatTheUserGave(fd, place);
        error = syncAndClose(fd, calls);
        if (error.isEmpty())
            error = rename(from, place, true, calls);
        if (error.isEmpty())
            return syncFolder(place, calls);
    }
    ::unlink(from.constData());
    return error;
}
