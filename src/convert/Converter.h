#pragma once

#include <QByteArray>
#include <QString>

class Procedure;

// The converter that the program carries inside itself, its copy in the user's temporary folder
// and the removal of that copy.
namespace converter {

// TEMP (or the platform's temporary folder when TEMP is unset or empty) followed by the user's
// private folder "morwenda-<user id>". Built afresh at every call.
QString ConverterFolder();

// ConverterFolder() followed by "pdftotext" ("pdftotext.exe" on Windows).
QString ConverterPath();

// The running processor's address width, "64" or "32".
QString GetAddressWidth();

// The resource that holds the converter build for an address width: 102 for "64", else 101.
QString ConverterResource(const QString &width);

// The bytes of the converter build for an address width. Throws Failure when the program
// carries no such build.
QByteArray ConverterBuild(const QString &width);

// Why a program must not be run from the folder (or the file) at `path`: it is missing, a
// symbolic link, not a folder (not an ordinary file), owned by another user, or writable by others.
// Empty when it is safe.
QString UnsafeFolderReason(const QString &path);
QString UnsafeFileReason(const QString &path);

// ConverterPath() when the converter is there and it and its folder are safe to run; otherwise
// "", which fails to start like a missing converter.
QString ProgramToRun();

// Writes the block as a new file with the execute permission, unless a file is already at the
// path: written under a private name and moved into place only when whole. Throws Failure.
void WriteResourceFile(const QByteArray &block, const QString &path);

// The end of start-up (statements 154 to 164 of proc): the build that fits the processor is
// written to the converter path unless a file is already there, and this instance takes its
// share of the instance lock. Every failure is reported through proc; a folder or file that is
// not safe is reported and never run.
void Deploy(Procedure &proc);

// The window is closing: deletes the converter unless another instance still holds the instance
// lock. Never reports.
void RemoveAtShutdown();

} // namespace converter
