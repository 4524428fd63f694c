// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

class QIODevice;

// The system calls a complete write makes where a disk can fail; tests give failing ones.
struct FileCalls
{
    ssize_t (*write)(int fd, const void *data, size_t size);
    int (*sync)(int fd);
    int (*rename)(const char *from, const char *to);
};

// A file written complete or not at all: the bytes go to a new file beside the file's place,
// which reaches the disk (fsync) before it is renamed over the place, and the folder reaches the
// disk after. Until commit() succeeds the place keeps what it had; a file not committed is
// removed with the object. A place that already holds a file keeps its permission bits (and its
// owner and group where this program may set them); one that is a symbolic link is written
// through to the link's target, staged beside the target, and the link stays. A folder, a FIFO, a
// socket or a device at the place is refused with a reason and never opened for writing. Paths
// are the program's lossless ones (nativepath).
class CompleteFile
{
public:
    explicit CompleteFile(QString path);
    CompleteFile(QString path, const FileCalls &calls);
    ~CompleteFile();
    CompleteFile(const CompleteFile &) = delete;
    CompleteFile &operator=(const CompleteFile &) = delete;

    // Makes the new file beside the place. "" or why not.
    QString open();
    // Appends the bytes; "" or the system's reason.
    QString write(const QByteArray &bytes);
    // Appends everything `source` gives; "" or the reason of the side that failed.
    QString writeFrom(QIODevice &source);
    // The permission bits the file gets in place of the old file's (or a new file's).
    void setMode(mode_t mode) { m_mode = int(mode); }
    // Puts the new file in place; "" or why not (the place then keeps what it had). With
    // `replace` false a file already at the place stays and the call succeeds all the same: a
    // copy of the same bytes that another process was quicker to put there.
    QString commit(bool replace = true);

    // Where the bytes of `path` go: the path, or the last target of its links (which may not
    // exist yet).
    static QByteArray placeOf(const QString &path);
    // Why no text can be written at `path`: "" when it is free or an ordinary file, else the
    // words for what is there (a folder, a FIFO, a socket, a device).
    static QString refusal(const QString &path);
    // Puts a file written elsewhere in the same folder (a converter's staged text) in place of
    // `path` with everything above, and removes `staged` whatever happens. "" or why not.
    static QString putInPlace(const QString &staged, const QString &path);
    static QString putInPlace(const QString &staged, const QString &path, const FileCalls &calls);

    static FileCalls systemCalls();

private:
    QString finish(int fd, bool replace);
    void discard();

    QString m_path;
    FileCalls m_calls;
    QByteArray m_place;
    QByteArray m_staged;
    int m_fd = -1;
    int m_mode = -1;
};
