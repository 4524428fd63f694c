// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// File names are bytes to the system, and not every name is valid UTF-8 (old disks, archives).
// Qt turns such bytes into U+FFFD, and a path built from that opens nothing (or another file).
// The program keeps every path as a QString that holds the name losslessly: a byte that is not
// part of valid UTF-8 is kept as the lone surrogate U+DC80 + (byte - 0x80). Wherever a path meets
// the system, encode() gives the exact bytes back; display() is the readable form for people.
namespace nativepath {

// The path's bytes for the system: UTF-8, each kept byte (U+DC80..U+DCFF) as itself.
QByteArray encode(const QString &path);

// The lossless QString of bytes from the system (a name, a path, an argument).
QString decode(const QByteArray &bytes);
QString decode(const char *bytes);

// True when the path holds a kept byte, so that Qt's own file functions would open another name.
bool holdsKeptBytes(const QString &path);

// The path as people read it: each kept byte shown as U+FFFD.
QString display(const QString &path);

// The text (a message that may hold names) for a terminal: as display() gives it, each control
// character but the line break (ESC, BEL, CR, DEL, the C1 controls) written as \xHH, so that no
// name can move the cursor, ring the bell or hide itself.
QString forTerminal(const QString &text);

// The program's arguments as given (argv[0] first), without loss.
QStringList arguments(int argc, const char *const *argv);

// The absolute form of `path` (the current folder's real bytes before a relative one), cleaned.
QString absolute(const QString &path);

// A path whose names came through Qt's lossy decoding (a file dialog) and hold U+FFFD: each name
// that does not exist as given is looked up in its folder among the names that Qt shows the same
// way; when exactly one does, its real bytes take its place. Otherwise the path stays as given.
QString fromLossy(const QString &path);

// Opens an existing file for reading (close-on-exec) and checks that it is a regular file. Gives
// the descriptor, or -1 with the system's reason in `reason` (a folder gives "Is a directory", a
// FIFO or device "not a regular file"); a FIFO never blocks the open.
int openForReading(const QString &path, QString &reason);

// Makes the folder and the folders on the way to it, each name with its own bytes; true when the
// folder exists afterwards.
bool makePath(const QString &path);

// The system's words for an errno value.
QString systemReason(int error);

} // namespace nativepath
