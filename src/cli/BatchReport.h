// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/ReportRow.h"

#include <optional>
#include <QList>
#include <QString>

// The report of a batch: one row per input file, as CSV (a header line, then RFC 4180 rows), JSON
// (an array of objects) or JSON Lines (one object a line), chosen by the file's extension.
namespace batchreport {

enum class Format
{
    Csv,
    Json,
    JsonLines
};

// The format a report file's name asks for (".json", ".jsonl", anything else CSV); a partial
// file ("report.json.123.part") is read by the name it stands for.
Format formatFor(const QString &path);

QByteArray toCsv(const QList<ReportRow> &rows);
QByteArray toJson(const QList<ReportRow> &rows);
QByteArray toJsonLines(const QList<ReportRow> &rows);

// The bytes a partial file starts with (CSV's header), and one row's line in it (a JSON
// report's partial file holds JSON Lines).
QByteArray partialHeader(Format format);
QByteArray partialLine(Format format, const ReportRow &row);

// Writes the report whole or not at all (a new file is renamed into place). Returns "" or the
// system's reason for the failure.
QString write(const QString &path, const QList<ReportRow> &rows);

// The rows of a report (also of a partial file, whose last line may be cut short: it is left
// out), or nullopt with the reason in `error`.
std::optional<QList<ReportRow>> read(const QString &path, QString &error);

} // namespace batchreport
