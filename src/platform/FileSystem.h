#pragma once

#include <QString>

// File facts and file removal as the rest of the program needs them. None of these reports.
namespace files {

// True exactly when the date and time of the path's last change can be read.
bool FileExists(const QString &path);

// True when the path names an existing folder.
bool IsFolder(const QString &path);

// True when the path names an existing ordinary file (not a folder).
bool IsOrdinaryFile(const QString &path);

// Deletes the file if it can; a read-only file (not a link) is made writable for a second attempt.
// A file that cannot be deleted stays; nothing is reported.
void DeleteFileSafe(const QString &path);

// The user's desktop folder followed by one separator. Throws Failure when the platform names no
// desktop folder.
QString DesktopFolder();

} // namespace files
