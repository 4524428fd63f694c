#pragma once

#include <QString>

// The reasons a file is named in the final message of a run, each after the file's path.
namespace reasons {
// A typed password did not open the file.
inline const QString WrongPassword =
    QStringLiteral("  - invalid password or no password protected.");
// No password was typed and the converter could not read the file.
inline const QString Protected = QStringLiteral("  - password protected or text is protected.");
// The text holds no usable text (a scanned image, say).
inline const QString Unreadable = QStringLiteral(
    "  - text unreadable. Please view the file yourself to see if it is really a scanned image of "
    "text and not proper PDF text.");
} // namespace reasons
