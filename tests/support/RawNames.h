// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/NativePath.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

// Files whose names are bytes that are not UTF-8, as old disks and archives hold them. Paths are
// the program's lossless form (platform/NativePath); the bytes are made with the system's calls.
namespace rawnames {

// "café" in Latin-1, and a name of two bytes that start no UTF-8 sequence.
inline const QByteArray Cafe = "caf\xe9";
inline const QByteArray Junk = "\xff\xfe";

// `folder` (a path the program holds) and a relative part given as raw bytes.
inline QString under(const QString &folder, const QByteArray &relative)
{
    return folder + u'/' + nativepath::decode(relative);
}

inline bool exists(const QString &path)
{
    struct stat facts;
    return ::lstat(nativepath::encode(path).constData(), &facts) == 0;
}

inline bool makeFolder(const QString &path)
{
    return ::mkdir(nativepath::encode(path).constData(), 0700) == 0;
}

inline QByteArray contentOf(const QString &path)
{
    const int fd = ::open(nativepath::encode(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray("(none)");
    QByteArray all;
    char buffer[65536];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        all.append(buffer, got);
    ::close(fd);
    return all;
}

// Copies the file at `source` (an ordinary name) to `target`; false when it cannot.
inline bool copyTo(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    const int fd = ::open(nativepath::encode(target).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool whole = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && whole;
}

// The names in a folder, in the system's order, each with its own bytes.
inline QStringList entries(const QString &folder)
{
    QStringList names;
    DIR *dir = ::opendir(nativepath::encode(folder).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(nativepath::decode(name));
    }
    ::closedir(dir);
    return names;
}

// Removes a tree whatever its names (Qt's own removal leaves names it cannot spell).
inline void removeTree(const QString &folder)
{
    ::nftw(
        nativepath::encode(folder).constData(),
        [](const char *path, const struct stat *, int, FTW *) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
}

} // namespace rawnames
