// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchReport.h"

#include "platform/NativePath.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace batchreport {

namespace {

QByteArray csvField(const QString &text)
{
    QByteArray bytes = nativepath::display(text).toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') ||
        bytes.contains('\r')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

QString secondsText(double seconds)
{
    return QString::number(seconds, 'f', 3);
}

} // namespace

Format formatFor(const QString &path)
{
    return path.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive) ? Format::Json : Format::Csv;
}

QByteArray toCsv(const QList<ReportRow> &rows)
{
    QByteArray csv = "path,output,outcome,reason,pages,seconds\r\n";
    for (const ReportRow &row : rows) {
        csv += csvField(row.pdf) + ',' + csvField(row.output) + ',' + csvField(row.outcome) + ',' +
               csvField(row.reason) + ',' +
               (row.pages >= 0 ? QByteArray::number(row.pages) : QByteArray()) + ',' +
               secondsText(row.seconds).toLatin1() + "\r\n";
    }
    return csv;
}

QByteArray toJson(const QList<ReportRow> &rows)
{
    QJsonArray array;
    for (const ReportRow &row : rows) {
        QJsonObject object;
        object.insert(QStringLiteral("path"), nativepath::display(row.pdf));
        object.insert(QStringLiteral("output"), nativepath::display(row.output));
        object.insert(QStringLiteral("outcome"), row.outcome);
        object.insert(QStringLiteral("reason"), row.reason);
        object.insert(QStringLiteral("pages"),
                      row.pages >= 0 ? QJsonValue(row.pages) : QJsonValue(QJsonValue::Null));
        object.insert(QStringLiteral("seconds"), secondsText(row.seconds).toDouble());
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QString write(const QString &path, const QList<ReportRow> &rows)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const QByteArray bytes = formatFor(path) == Format::Json ? toJson(rows) : toCsv(rows);
    if (file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return QString();
}

} // namespace batchreport
