// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchReport.h"

#include "engine/ReportColumns.h"
#include "platform/CompleteFile.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/SystemError.h"
#include <fcntl.h>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace batchreport {

namespace {

using reportrows::CsvHeader;
using reportrows::csvLine;

QByteArray jsonLine(const ReportRow &row)
{
    return QJsonDocument(reportcolumns::jsonObject(row)).toJson(QJsonDocument::Compact) + '\n';
}

// The records of RFC 4180 text; a last record without its line end is left out (cut short).
QList<QStringList> csvRecords(const QByteArray &bytes)
{
    const QString text = nativepath::decode(bytes); // names as the bytes they were written as
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            record << field;
            field.clear();
        } else if (c == u'\n') {
            if (field.endsWith(u'\r'))
                field.chop(1);
            records << (record << field);
            record.clear();
            field.clear();
        } else {
            field += c;
        }
    }
    return records;
}

std::optional<QList<ReportRow>> fromCsv(const QByteArray &bytes, QString &error)
{
    const QList<QStringList> records = csvRecords(bytes);
    const qsizetype fields =
        records.isEmpty() ? 0 : reportcolumns::widthOfHeader(records.constFirst());
    if (fields == 0) {
        error = QStringLiteral("not a morwenda-batch report");
        return std::nullopt;
    }
    QList<ReportRow> rows;
    for (const QStringList &record : records.mid(1)) {
        if (record.size() != fields) {
            error = QStringLiteral("not a morwenda-batch report (a row of %1 fields)")
                        .arg(record.size());
            return std::nullopt;
        }
        rows << reportcolumns::rowOfFields(record);
    }
    return rows;
}

std::optional<QList<ReportRow>> fromJson(const QByteArray &bytes, QString &error)
{
    QList<ReportRow> rows;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (document.isArray()) {
        for (const QJsonValue &value : document.array()) {
            if (!value.isObject() || !value.toObject().contains(QStringLiteral("path"))) {
                error = QStringLiteral("not a morwenda-batch report (row %1 is not an object "
                                       "with a path)")
                            .arg(rows.size() + 1);
                return std::nullopt;
            }
            rows << reportcolumns::rowOfJson(value.toObject());
        }
        return rows;
    }
    // JSON Lines (also a JSON report's partial file): an object a line, a cut last line left out.
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        if (line.isEmpty())
            continue;
        const QJsonDocument object = QJsonDocument::fromJson(line, &parseError);
        if (!object.isObject()) {
            if (i == lines.size() - 1)
                break;
            // Valid JSON that is no row (a number, an array) has no parse error to tell.
            error = QStringLiteral("not a morwenda-batch report (line %1: %2)")
                        .arg(i + 1)
                        .arg(parseError.error != QJsonParseError::NoError
                                 ? parseError.errorString()
                                 : QStringLiteral("not a row, which is a JSON object"));
            return std::nullopt;
        }
        rows << reportcolumns::rowOfJson(object.object());
    }
    return rows;
}

} // namespace

Format formatFor(const QString &path)
{
    QString name = path;
    if (name.endsWith(QStringLiteral(".part")))
        name = name.section(u'.', 0, -3); // the report's own name, without ".<pid>.part"
    if (name.endsWith(QStringLiteral(".jsonl"), Qt::CaseInsensitive))
        return Format::JsonLines;
    return name.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive) ? Format::Json : Format::Csv;
}

QByteArray toCsv(const QList<ReportRow> &rows)
{
    QByteArray csv = CsvHeader;
    for (const ReportRow &row : rows)
        csv += csvLine(row);
    return csv;
}

QByteArray toJson(const QList<ReportRow> &rows)
{
    QJsonArray array;
    for (const ReportRow &row : rows)
        array.append(reportcolumns::jsonObject(row));
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QByteArray toJsonLines(const QList<ReportRow> &rows)
{
    QByteArray lines;
    for (const ReportRow &row : rows)
        lines += jsonLine(row);
    return lines;
}

QByteArray partialHeader(Format format)
{
    return format == Format::Csv ? CsvHeader : QByteArray();
}

QByteArray partialLine(Format format, const ReportRow &row)
{
    return format == Format::Csv ? csvLine(row) : jsonLine(row);
}

QString write(const QString &path, const QList<ReportRow> &rows)
{
    QByteArray bytes;
    switch (formatFor(path)) {
    case Format::Csv:
        bytes = toCsv(rows);
        break;
    case Format::Json:
        bytes = toJson(rows);
        break;
    case Format::JsonLines:
        bytes = toJsonLines(rows);
        break;
    }
    // Whole on the disk before it takes the report's place, by the name's own bytes.
    CompleteFile file(path);
    QString error = file.open();
    if (error.isEmpty())
        error = file.write(bytes);
    return error.isEmpty() ? file.commit() : error;
}

std::optional<QList<ReportRow>> read(const QString &path, QString &error)
{
    QFile file;
    const int fd = nativepath::openForReading(path, error);
    if (fd < 0)
        return std::nullopt;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return std::nullopt;
    }
    if (bytes.isEmpty())
        return QList<ReportRow>();
    return formatFor(path) == Format::Csv ? fromCsv(bytes, error) : fromJson(bytes, error);
}

} // namespace batchreport
