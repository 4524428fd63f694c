// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

struct stat;

// What a file is at one moment: its device, inode, size, last modification and last status change,
// both to the nanosecond. A file replaced under its name (a sync tool's rename over it, `cp -p`)
// or written in place differs from what it was, even when its size stays the same and its
// modification time is set back: the status change cannot be set back.
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

    // "device:inode:size:mtime-seconds.nanoseconds:ctime-seconds.nanoseconds", all decimal, as a
    // report keeps it; "" when not known. fromText() reads it back, and anything else as not known.
    QString toText() const;
    static FileIdentity fromText(const QString &text);

private:
    static FileIdentity ofFacts(const struct stat &facts);

    bool m_known = false;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    qint64 m_size = 0;
    qint64 m_modifySeconds = 0;
    qint64 m_modifyNanoseconds = 0;
    qint64 m_statusSeconds = 0;
    qint64 m_statusNanoseconds = 0;
};
