// SPDX-License-Identifier: GPL-3.0-or-later
#include "StagingFolder.h"

#include "platform/NativePath.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>
#include <QDir>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Prefix = QStringLiteral(".morwenda-");
constexpr int RandomPartLength = 6;

// Why a staging folder cannot be made in `folder`, in the system's words where it has them.
QString whyNotMade(const QString &folder, const QString &shownFolder)
{
    // QTemporaryDir keeps no reason; the folder itself tells the usual ones.
    const QByteArray bytes = nativepath::encode(folder);
    struct stat facts;
    if (::stat(bytes.constData(), &facts) != 0)
        return systemError(errno);
    if (!S_ISDIR(facts.st_mode))
        return systemError(ENOTDIR);
    if (::access(bytes.constData(), W_OK | X_OK) != 0)
        return systemError(errno);
    // A full disk, no inodes left, a read-only mount: making one tells.
    QByteArray probe = bytes + '/' + nativepath::encode(Prefix) + "XXXXXX";
    if (!::mkdtemp(probe.data()))
        return systemError(errno);
    ::rmdir(probe.constData());
    return QStringLiteral("the folder for the text cannot be made in ") +
           nativepath::display(shownFolder);
}

// True when `name` is one of ours: the prefix and six letters or digits.
bool namedLikeStaging(const QString &name)
{
    if (!name.startsWith(Prefix) || name.size() != Prefix.size() + RandomPartLength)
        return false;
    for (qsizetype i = Prefix.size(); i < name.size(); ++i)
        if (!name.at(i).isLetterOrNumber() || name.at(i).unicode() > 127)
            return false;
    return true;
}

// Removes the plain files inside the folder, then the folder; a folder that holds anything else
// stays (with that).
bool removeOwnFolder(int parentFd, const QByteArray &name)
{
    const int dirFd =
        ::openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirFd < 0)
        return false;
    DIR *dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return false;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray child(entry->d_name);
        if (child == "." || child == "..")
            continue;
        struct stat facts;
        if (::fstatat(dirFd, child.constData(), &facts, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(facts.st_mode))
            ::unlinkat(dirFd, child.constData(), 0);
    }
    ::closedir(dir);
    return ::unlinkat(parentFd, name.constData(), AT_REMOVEDIR) == 0;
}

} // namespace

StagingFolder::StagingFolder(const QString &outputFolder) : m_outputFolder(outputFolder)
{
    QString place = outputFolder;
    if (nativepath::holdsKeptBytes(outputFolder)) {
        // Qt's file functions would spell the name differently: the folder is reached through a
        // descriptor held for the staging folder's life.
        m_folderFd = ::open(nativepath::encode(outputFolder).constData(),
                            O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_folderFd < 0) {
            m_error = systemError(errno);
            return;
        }
        place = QStringLiteral("/proc/self/fd/%1").arg(m_folderFd);
    }
    m_dir =
        std::make_unique<TemporaryFolder>(place + u'/' + Prefix + QString(RandomPartLength, u'X'));
    if (!m_dir->isValid()) {
        m_error = whyNotMade(place, outputFolder);
        return;
    }
    const QByteArray lock = nativepath::encode(m_dir->filePath(QString::fromUtf16(LockFileName)));
    m_lockFd = ::open(lock.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_lockFd < 0 || ::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        m_error = systemError(errno);
        if (m_lockFd >= 0)
            ::close(m_lockFd);
        m_lockFd = -1;
        return;
    }
    // The number is for people; the lock is what a later run trusts.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::write(m_lockFd, pid.constData(), size_t(pid.size())) < 0) {
        // Only the number is missing; the lock holds all the same.
    }
}

StagingFolder::~StagingFolder()
{
    m_dir.reset(); // the folder and the texts that were not put in place
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    if (m_folderFd >= 0)
        ::close(m_folderFd);
}

QString StagingFolder::newTextPath()
{
    return m_dir->filePath(QString::number(++m_count) + QStringLiteral(".txt"));
}

int StagingFolder::removeStale(const QString &outputFolder)
{
    const int parentFd =
        ::open(nativepath::encode(outputFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0)
        return 0;
    QStringList candidates;
    const int listFd = ::dup(parentFd);
    if (DIR *dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr) {
        while (const dirent *entry = ::readdir(dir)) {
            const QString name = QString::fromLatin1(entry->d_name);
            if (namedLikeStaging(name))
                candidates.append(name);
        }
        ::closedir(dir);
    } else if (listFd >= 0) {
        ::close(listFd);
    }
    int removed = 0;
    for (const QString &name : candidates) {
        if (!namedLikeStaging(name))
            continue;
        const QByteArray local = name.toLatin1();
        struct stat facts;
        if (::fstatat(parentFd, local.constData(), &facts, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISDIR(facts.st_mode) || facts.st_uid != ::geteuid())
            continue;
        const QByteArray lockPath = local + '/' + QString::fromUtf16(LockFileName).toUtf8();
        const int lockFd =
            ::openat(parentFd, lockPath.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (lockFd < 0)
            continue; // no lock file: nothing tells whose it is
        // A lock held by no process: its owner is gone. Held until the folder is gone, so a
        // second run cleaning at the same moment leaves it alone.
        if (::flock(lockFd, LOCK_EX | LOCK_NB) == 0 && removeOwnFolder(parentFd, local))
            ++removed;
        ::close(lockFd);
    }
    ::close(parentFd);
    return removed;
}
