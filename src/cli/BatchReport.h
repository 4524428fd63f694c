// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// One row of a batch's report: how one input file ended.
struct ReportRow
{
    QString pdf;
    QString output;
    QString outcome; // outcomeName(), or "skipped"
    QString reason;  // the reason's words without the leading "  - "; "" when converted
    int pages = -1;  // -1 when not known
    double seconds = 0;
    int ocrPages = 0;          // pages whose text OCR read
    double ocrConfidence = -1; // tesseract's mean word confidence over them; -1: none
};

// The report of a batch: one row per input file, in input order, as CSV (a header line, then
// RFC 4180 rows) or JSON (an array of objects), chosen by the file's extension.
namespace batchreport {

enum class Format
{
    Csv,
    Json
};

// The format a report file's name asks for (".json" for JSON, anything else CSV).
Format formatFor(const QString &path);

QByteArray toCsv(const QList<ReportRow> &rows);
QByteArray toJson(const QList<ReportRow> &rows);

// Writes the report whole or not at all (a new file is renamed into place). Returns "" or the
// system's reason for the failure.
QString write(const QString &path, const QList<ReportRow> &rows);

} // namespace batchreport
