// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The converter that the program carries inside itself, its copy in the user's temporary folder
// and the removal of that copy.
namespace converter {

// TEMP, else TMPDIR, else /tmp (on Windows: TEMP, else the platform's temporary folder).
QString temporaryBase();

// temporaryBase() followed by the user's private folder "morwenda-<user id>". Built afresh at
// every call.
QString converterFolder();

// The file name of the converter in its folder.
QString converterFileName();

// converterFolder() followed by "pdftotext" ("pdftotext.exe" on Windows).
QString converterPath();

// The running processor's address width, "64" or "32".
QString getAddressWidth();

// The resource that holds the converter build for an address width: 102 for "64", else 101.
QString converterResource(const QString &width);

// The bytes of the converter build for an address width. Throws Failure when the program
// carries no such build.
QByteArray converterBuild(const QString &width);

// Why a program must not be run from the file at `path`: it is missing, a symbolic link, not an
// ordinary file, owned by another user, or writable by others. Empty when it is safe.
QString unsafeFileReason(const QString &path);

// Why no program can be run from `folder`: a mount that forbids it (noexec). Empty when one can.
QString noExecReason(const QString &folder);

// Creates the private folder (owner only) when it is missing. Throws Failure when it cannot be
// made or is not safe to run a program from.
void prepareFolder(const QString &folder);

// Writes the block as a new file with the execute permission, unless a file is already at the
// path: written under a private name and moved into place only when whole. Throws Failure.
void writeResourceFile(const QByteArray &block, const QString &path);

} // namespace converter
