// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

struct stat;

// What a file is at one moment: its device, inode, size and last change to the nanosecond. A
// file replaced under its name (a sync tool's rename over it, `cp -p`) or written in place differs
// from what it was, even when its size and seconds stay the same.
class FileIdentity
{
public:
    FileIdentity() = default;

    // The file the path names now (links followed); not known when it cannot be reached.
    static FileIdentity ofPath(const QString &path);
    // The file open on `fd`.
    static FileIdentity ofOpenFile(int fd);

    bool isKnown() const { return m_known; }

    // Both known and the same file, unchanged.
    bool sameAs(const FileIdentity &other) const;

private:
    static FileIdentity ofFacts(const struct stat &facts);

    bool m_known = false;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    qint64 m_size = 0;
    qint64 m_changeSeconds = 0;
    qint64 m_changeNanoseconds = 0;
};
