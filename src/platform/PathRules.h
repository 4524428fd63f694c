// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Path rules of the program, pure functions over text. Each takes the separator style so that the
// Windows forms can be checked on any machine; the defaults follow the platform the program runs
// on.
namespace paths {

enum class Style
{
    Windows,
    Posix
};

constexpr Style nativeStyle()
{
#ifdef Q_OS_WIN
    return Style::Windows;
#else
    return Style::Posix;
#endif
}

QChar separator(Style style = nativeStyle());

// Collapses doubled separators in one left-to-right pass. A leading run of separators becomes the
// network-path pair on Windows ("\\server\share") and a single separator on POSIX ("/home").
QString removeDoubleBackslashes(const QString &path, Style style = nativeStyle());

// The characters after the last separator; the whole text when there is none.
QString getFileName(const QString &path, Style style = nativeStyle());

// The characters up to and including the last separator; empty when there is none.
QString getFolderPath(const QString &path, Style style = nativeStyle());

// The characters before the last dot of the whole text. Throws Failure when there is no dot.
QString stripExtension(const QString &path);

// The text file name for a PDF file name: its last extension, in any letter case, becomes ".txt"
// ("report.final.pdf" gives "report.final.txt"); a name without a dot gets ".txt" appended. Another
// `extension` (without its dot: "html", "tsv") takes the place of "txt".
QString outputFileName(const QString &fileName, const QString &extension = QStringLiteral("txt"));

} // namespace paths
