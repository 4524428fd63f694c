// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportColumns.h"

#include "platform/NativePath.h"

#include <QJsonValue>

#include <algorithm>

namespace reportcolumns {

namespace {

QString wholeText(int value, int none)
{
    return value == none ? QString() : QString::number(value);
}

int wholeOf(const QString &text, int none)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : none;
}

// A name's own bytes (platform/NativePath), also when they are not UTF-8: the row stands for
// that file and no other, when the report is read again (--resume, --append) or merged.
QByteArray csvField(const QString &text)
{
    QByteArray bytes = nativepath::encode(text);
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') ||
        bytes.contains('\r')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

QJsonValue jsonValue(const Column &column, const ReportRow &row)
{
    const QString text = column.text(row);
    if (column.kind == Kind::Text)
        return text;
    if (text.isEmpty())
        return QJsonValue(QJsonValue::Null);
    return column.kind == Kind::Whole ? QJsonValue(text.toLongLong()) : QJsonValue(text.toDouble());
}

QString textOfJson(const Column &column, const QJsonValue &value)
{
    if (column.kind == Kind::Text)
        return value.toString();
    if (!value.isDouble())
        return QString();
    return column.kind == Kind::Whole ? QString::number(value.toInteger())
                                      : QString::number(value.toDouble(), 'g', 17);
}

// The widths of the reports written before the later columns: before the unread pages and
// OCR's turned and straightened pages (8), and before OCR (6).
constexpr qsizetype EarlierWidths[] = {6, 8, 11};

} // namespace

// clang-format off
const QList<Column> &all()
{
    static const QList<Column> columns = {
        {"path", Kind::Text, [](const ReportRow &r) { return r.pdf; },
         [](ReportRow &r, const QString &t) { r.pdf = t; }},
        {"output", Kind::Text, [](const ReportRow &r) { return r.output; },
         [](ReportRow &r, const QString &t) { r.output = t; }},
        {"outcome", Kind::Text, [](const ReportRow &r) { return r.outcome; },
         [](ReportRow &r, const QString &t) { r.outcome = t; }},
        {"reason", Kind::Text, [](const ReportRow &r) { return r.reason; },
         [](ReportRow &r, const QString &t) { r.reason = t; }},
        {"pages", Kind::Whole, [](const ReportRow &r) { return wholeText(r.pages, -1); },
         [](ReportRow &r, const QString &t) { r.pages = wholeOf(t, -1); }},
        {"seconds", Kind::Decimal,
         [](const ReportRow &r) { return reportrows::secondsText(r.seconds); },
         [](ReportRow &r, const QString &t) { r.seconds = t.toDouble(); }},
        {"ocr_pages", Kind::Whole, [](const ReportRow &r) { return QString::number(r.ocrPages); },
         [](ReportRow &r, const QString &t) { r.ocrPages = wholeOf(t, 0); }},
        {"ocr_confidence", Kind::Decimal,
         [](const ReportRow &r) { return reportrows::confidenceText(r.ocrConfidence); },
         [](ReportRow &r, const QString &t) { r.ocrConfidence = t.isEmpty() ? -1 : t.toDouble(); }},
        {"unread_pages", Kind::Text, [](const ReportRow &r) { return r.unreadPages; },
         [](ReportRow &r, const QString &t) { r.unreadPages = t; }},
        {"ocr_turned", Kind::Text, [](const ReportRow &r) { return r.ocrTurned; },
         [](ReportRow &r, const QString &t) { r.ocrTurned = t; }},
        {"ocr_deskewed", Kind::Text, [](const ReportRow &r) { return r.ocrDeskewed; },
         [](ReportRow &r, const QString &t) { r.ocrDeskewed = t; }},
        {"identity", Kind::Text, [](const ReportRow &r) { return r.identity; },
         [](ReportRow &r, const QString &t) { r.identity = t; }},
    };
    return columns;
}
// clang-format on

QStringList names()
{
    QStringList names;
    for (const Column &column : all())
        names << QLatin1String(column.name);
    return names;
}

qsizetype widthOfHeader(const QStringList &header)
{
    const QStringList known = names();
    if (header.size() != known.size() && !std::ranges::count(EarlierWidths, header.size()))
        return 0;
    return known.mid(0, header.size()) == header ? header.size() : 0;
}

ReportRow rowOfFields(const QStringList &fields)
{
    ReportRow row;
    for (qsizetype i = 0; i < fields.size() && i < all().size(); ++i)
        all().at(i).read(row, fields.at(i));
    return row;
}

QJsonObject jsonObject(const ReportRow &row)
{
    QJsonObject object;
    for (const Column &column : all())
        object.insert(QLatin1String(column.name), jsonValue(column, row));
    return object;
}

ReportRow rowOfJson(const QJsonObject &object)
{
    ReportRow row;
    for (const Column &column : all()) {
        const QJsonValue value = object.value(QLatin1String(column.name));
        // A key the report lacks keeps the row's default, as "" might not.
        if (!value.isUndefined())
            column.read(row, textOfJson(column, value));
    }
    return row;
}

} // namespace reportcolumns

namespace reportrows {

const QByteArray CsvHeader = reportcolumns::names().join(u',').toLatin1() + "\r\n";

QByteArray csvLine(const ReportRow &row)
{
    QByteArray line;
    for (const reportcolumns::Column &column : reportcolumns::all()) {
        if (&column != &reportcolumns::all().constFirst())
            line += ',';
        line += reportcolumns::csvField(column.text(row));
    }
    return line + "\r\n";
}

} // namespace reportrows
