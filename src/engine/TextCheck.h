// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ErrorReport.h"
#include "TextOptions.h"

#include <QStringList>

// Reading the converter's text files (UTF-8) and judging whether they hold usable text.

// The files are read in pieces of this many bytes, so that any size is judged in little memory.
constexpr qint64 TextReadChunkBytes = 64 * 1024;

// The file's lines in order: LF or CR LF ends a line and is not part of it; a last line without
// LF is a line too, so an empty file gives none. Reading stops after `limit` lines (none: no
// limit). A file that cannot be read is reported once through `report` and gives the lines read
// before (none when it cannot be opened).
QStringList readTextLines(const QString &path, const ReportFn &report, int limit = -1);

// True exactly when the text holds at most 5 printable characters and at least one that is not
// (line breaks count neither way): a PDF whose pages hold no text gives page breaks only. Reading
// stops at the sixth printable character. A file that cannot be read is reported once through
// `report` and gives the answer so far (false when it cannot be opened).
bool hasNoUsableText(const QString &path, const ReportFn &report);
// The same for a text in the encoding and with the line ends of `form` (TextJudge).
bool hasNoUsableTextAs(const QString &path, const TextOptions &form, const ReportFn &report);
