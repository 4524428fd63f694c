#pragma once

#include <QString>

struct WindowContext;

// "Start Converting To Text": converts every listed file, top to bottom, and ends with one message
// naming the files that gave no usable text.
void PushButton2_Click(WindowContext &ctx);

// The reasons a file is named in the final message.
namespace reasons {
inline const QString WrongPassword =
    QStringLiteral("  - invalid password or no password protected.");
inline const QString Protected = QStringLiteral("  - password protected or text is protected.");
inline const QString Unreadable = QStringLiteral(
    "  - text unreadable. Please view the file yourself to see if it is really a scanned image of "
    "text and not proper PDF text.");
} // namespace reasons

// The prompt of the password box for one file.
QString PasswordPrompt(const QString &pdf);

// Asks for the password of one file (batch run and preview alike); Cancel gives "".
QString AskPassword(WindowContext &ctx, const QString &pdf);

// Where the text of `pdf` goes: into `folder` (Option1) or next to the PDF (Option2).
QString OutputPathInFolder(const QString &folder, const QString &pdf);
QString OutputPathBesidePdf(const QString &pdf);

// A PDF whose name already ends in ".txt" would be replaced by its own text: its output then gets
// ".txt" appended to the whole name ("notes.txt.txt").
QString NotOverThePdf(const QString &output, const QString &pdf);
