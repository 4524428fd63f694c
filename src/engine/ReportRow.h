// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Outcome.h"

#include <QByteArray>
#include <QString>

// One row of a run's report: how one listed file ended, as morwenda-batch's report and the
// window's saved list give it.
struct ReportRow
{
    QString pdf;
    QString output;
    QString outcome; // outcomeName(), or "skipped", "missing"
    QString reason;  // the reason's words without the leading "  - "; "" when converted
    int pages = -1;  // -1 when not known
    double seconds = 0;
    int ocrPages = 0;          // pages whose text OCR read
    double ocrConfidence = -1; // tesseract's mean word confidence over them; -1: none
    QString unreadPages = {};  // pages left out of the text as unreadable, "5,12,31-40"
    QString ocrTurned = {};    // the pages OCR turned upright ("1-4,7"); "" none
    QString ocrDeskewed = {};  // the pages OCR straightened; "" none
    QString identity = {};     // the PDF converted, FileIdentity::toText(); "" not known
};

namespace reportrows {

// The CSV header line of the report's columns (engine/ReportColumns), ended by CR LF.
extern const QByteArray CsvHeader;

// The row of a file that a run converted (or tried to): its output, pages and unread pages only
// where a text is in place.
ReportRow rowOf(const FileOutcome &file);

// The reason's words as a report gives them: the final message's text without its "  - ".
QString reasonWords(const QString &reason);

// One RFC 4180 line of the report's columns, names as their bytes (platform/NativePath), ended
// by CR LF (engine/ReportColumns).
QByteArray csvLine(const ReportRow &row);

// "0.250"; tesseract's confidence with one decimal, "" when OCR gave no words.
QString secondsText(double seconds);
QString confidenceText(double confidence);

} // namespace reportrows
