// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PageFacts.h"
#include "ReportRow.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

class QIODevice;

// A file's text as JSON Lines: a first line of the file ({"type": "file", "path", "outcome",
// "reason", "metadata"}), then a line per page ({"type": "page", "page", "text", "ocr",
// "ocr_confidence", "unread"}) whose texts, joined in order, are the text file byte for byte.
namespace jsonlines {

// The file's line: path, outcome and reason as the report words them, the metadata as
// pdfinfotext::metadata reads `info` (absent when it is empty). Ends with LF.
QByteArray fileLine(const ReportRow &row, const QByteArray &info);

// A file's line with `path` in place of the path it holds (a PDF read from standard input is
// converted from a copy, and the report names it "-"); another line as it is.
QByteArray withPath(const QByteArray &fileLine, const QString &path);

// One page's line; `text` is UTF-8 (a byte that is not is written as U+FFFD). Ends with LF.
QByteArray pageLine(const PageFact &fact, QByteArrayView text);

// The page lines of the text `text` gives, cut where `facts` says each page ends; without page
// facts (a converter that does not tell them), cut after each form feed, the pages numbered from
// `firstPage`; when `pageCount` is known (not -1) and the form feeds do not match it (a form feed
// inside a page's text, a page left out), the pages are not guessed: false, with the reason. Each
// line goes to `put` as it is made, which answers "" or why it could not be written. False with
// `error` set when a read or a write fails or the text is not as long as its pages.
using LineSink = std::function<QString(const QByteArray &line)>;
bool writePages(QIODevice &text, const PageFacts &facts, int firstPage, int pageCount,
                const LineSink &put, QString &error);

} // namespace jsonlines
