// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/ReportRow.h"

#include <optional>
#include <QFile>
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

// The report of a run while it runs: each row is appended to a partial file beside the report
// ("report.csv.<pid>.part", written through to the system as the file ends, so a killed run
// leaves the rows of every finished file), and when the run ends the report is written whole from
// the rows, replacing the old one at once; then the partial file goes. An old report is never
// touched before that. With `append`, the old report's rows stay in front of the new ones, but
// not the rows of files converted again.
class ReportLog
{
public:
    ReportLog(QString path, bool append);
    ~ReportLog();
    ReportLog(const ReportLog &) = delete;
    ReportLog &operator=(const ReportLog &) = delete;

    // Makes the partial file; "" or the system's reason why it cannot be made.
    QString open();

    // Appends one finished file's row. A write the disk refuses is undone to the last whole row;
    // the rows after it are then kept in memory only, and finish() says why.
    void add(const ReportRow &row);

    // Writes the report of `rows` (and with `append` the old rows of other files), then removes
    // the partial file. Returns "" or what went wrong, with the system's reason; the partial file
    // is then kept when it holds every row, and the old report is untouched.
    QString finish(const QList<ReportRow> &rows);

    QString partialPath() const { return m_partialPath; }

private:
    bool keep(const QByteArray &bytes);
    void removePartial();

    QString m_path;
    bool m_append;
    QString m_partialPath;
    QFile m_partial;
    qint64 m_whole = 0; // bytes of whole rows in the partial file
    QString m_partialError;
};
