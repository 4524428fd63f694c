// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What poppler's command-line tools (pdftotext, pdfinfo) take and what they say.
namespace popplerutils {

// pdftotext's exit code when the file's permissions forbid copying its text.
constexpr int ExitPermissions = 3;

// -opw PASSWORD, or -upw PASSWORD when it is offered as the user's; none for "".
QStringList passwordArguments(const QString &password, bool asUser);

// The error output says the password opened the file in neither role.
bool saysWrongPassword(const QString &errorOutput);

// The system's reason when the tool could not open the file ("I/O Error: Couldn't open file
// 'x.pdf': No such file or directory."); "" when it said no such thing.
QString openFailure(const QString &errorOutput);

} // namespace popplerutils
