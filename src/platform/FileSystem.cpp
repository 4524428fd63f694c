// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileSystem.h"

#include "NativePath.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

// The facts of the path's file after following links; false when there are none.
bool statOf(const QString &path, struct stat &facts)
{
    return !path.isEmpty() && ::stat(nativepath::encode(path).constData(), &facts) == 0;
}

} // namespace

bool fileExists(const QString &path)
{
    struct stat facts;
    return statOf(path, facts);
}

qint64 lastChangeMs(const QString &path)
{
    struct stat facts;
    if (!statOf(path, facts))
        return -1;
    return qint64(facts.st_mtim.tv_sec) * 1000 + facts.st_mtim.tv_nsec / 1000000;
}

qint64 sizeOf(const QString &path)
{
    struct stat facts;
    return statOf(path, facts) ? qint64(facts.st_size) : 0;
}

bool isFolder(const QString &path)
{
    struct stat facts;
    return statOf(path, facts) && S_ISDIR(facts.st_mode);
}

bool isOrdinaryFile(const QString &path)
{
    struct stat facts;
    return statOf(path, facts) && S_ISREG(facts.st_mode);
}

bool isAccessibleFile(const QString &path)
{
    return isOrdinaryFile(path);
}

bool hasUnsafeChars(const QString &name)
{
    for (const QChar c : name) {
        const char16_t code = c.unicode();
        if (code < 32 || (code >= 127 && code <= 159) || code == u'?' || code == 0xFFFD)
            return true;
    }
    return false;
}

void deleteFileSafe(const QString &path)
{
    if (path.isEmpty())
        return;
    const QByteArray bytes = nativepath::encode(path);
    if (::unlink(bytes.constData()) == 0)
        return;
    struct stat facts;
    // A link is never followed: making its target writable would change another file.
    if (::lstat(bytes.constData(), &facts) != 0 || !S_ISREG(facts.st_mode))
        return;
    ::chmod(bytes.constData(), (facts.st_mode & 07777) | S_IWUSR);
    ::unlink(bytes.constData());
}

QString desktopOrHomeFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    folder = QDir::toNativeSeparators(folder);
    return folder.endsWith(QDir::separator()) ? folder : folder + QDir::separator();
}

} // namespace files
