// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileSystem.h"

#include "Failure.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

namespace files {

bool fileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

bool isFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool isOrdinaryFile(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool isAccessibleFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    struct stat facts;
    return ::stat(QFile::encodeName(path).constData(), &facts) == 0 && S_ISREG(facts.st_mode);
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
    if (path.isEmpty() || QFile::remove(path))
        return;
    QFile file(path);
    // A link is never followed: making its target writable would change another file.
    if (!file.exists() || QFileInfo(path).isSymLink())
        return;
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    file.remove();
}

QString desktopFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty())
        throw Failure(QStringLiteral("The desktop folder cannot be found"));
    return QDir::toNativeSeparators(desktop) + QDir::separator();
}

} // namespace files
