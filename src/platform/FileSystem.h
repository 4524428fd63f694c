// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// File facts and file removal as the rest of the program needs them. None of these reports.
namespace files {

// True exactly when the date and time of the path's last change can be read.
bool fileExists(const QString &path);

// When the file (after following links) last changed, in milliseconds since 1970; -1 when that
// cannot be read.
qint64 lastChangeMs(const QString &path);

// The size in bytes of the file (after following links); 0 when that cannot be read.
qint64 sizeOf(const QString &path);

// True when the path names an existing folder.
bool isFolder(const QString &path);

// True when the path names an existing ordinary file (not a folder).
bool isOrdinaryFile(const QString &path);

// True when the path is a regular file, after following a link, that the process can see.
// Folders, FIFOs, sockets and device files answer false: a FIFO handed to the converter would
// keep it waiting forever. A missing path and any failure of the test answer false too.
bool isAccessibleFile(const QString &path);

// True when a file or folder name holds a character that the folder walk refuses: a control
// character (below 32), DEL or a C1 control (127 to 159), or "?". A name that is not valid UTF-8
// arrives from Qt with U+FFFD in place of its bytes and cannot be opened by that path, so U+FFFD
// counts as unsafe too. An empty name is safe.
bool hasUnsafeChars(const QString &name);

// Deletes the file if it can; a read-only file (not a link) is made writable for a second attempt.
// A file that cannot be deleted stays; nothing is reported.
void deleteFileSafe(const QString &path);

// The folder texts go to until the user chooses one: the user's desktop folder when it exists
// (a first start on a desktop without one must not point at a missing folder), else the home
// folder; followed by one separator.
QString desktopOrHomeFolder();

} // namespace files
