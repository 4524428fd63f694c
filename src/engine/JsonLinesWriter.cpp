// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonLinesWriter.h"

#include "PdfInfoText.h"
#include "ReportColumns.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace jsonlines {

namespace {

// The length of the well-formed UTF-8 sequence at `at`, 0 when there is none.
int sequenceLength(const unsigned char *at, qsizetype left)
{
    const unsigned char lead = at[0];
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || left < length || at[1] < low || at[1] > high)
        return 0;
    for (int i = 2; i < length; ++i)
        if (at[i] < 0x80 || at[i] > 0xBF)
            return 0;
    return length;
}

void appendJsonString(QByteArray &out, QByteArrayView text)
{
    static const char hex[] = "0123456789abcdef";
    out += '"';
    const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
    for (qsizetype i = 0; i < text.size();) {
        const unsigned char byte = bytes[i];
        if (byte >= 0x80) {
            const int length = sequenceLength(bytes + i, text.size() - i);
            if (length == 0) {
                out += "\\ufffd";
                ++i;
            } else {
                out.append(text.data() + i, length);
                i += length;
            }
            continue;
        }
        ++i;
        switch (byte) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += hex[byte >> 4];
                out += hex[byte & 15];
            } else {
                out += char(byte);
            }
        }
    }
    out += '"';
}

// Reads exactly `length` bytes, or fewer at the text's end.
bool readPart(QIODevice &text, qint64 length, QByteArray &part, QString &error)
{
    part.resize(length);
    qint64 got = 0;
    while (got < length) {
        const qint64 count = text.read(part.data() + got, length - got);
        if (count < 0) {
            error = text.errorString();
            return false;
        }
        if (count == 0)
            break;
        got += count;
    }
    part.truncate(got);
    return true;
}

bool putPage(const PageFact &fact, const QByteArray &part, const LineSink &put, QString &error)
{
    error = put(pageLine(fact, part));
    return error.isEmpty();
}

// pdftotext's text: a page ends after each form feed; what follows the last one (a text without
// page breaks) is a page of its own.
bool writeFormFeedPages(QIODevice &text, int firstPage, int pageCount, const LineSink &put,
                        QString &error)
{
    const QByteArray whole = text.readAll();
    if (!text.isSequential() && whole.size() != text.size()) {
        error = text.errorString();
        return false;
    }
    const qsizetype pieces = whole.count('\f') + (whole.endsWith('\f') || whole.isEmpty() ? 0 : 1);
    if (pageCount >= 0 && pieces != pageCount) {
        error = QStringLiteral("the text's %1 form feeds do not tell its %2 pages apart")
                    .arg(whole.count('\f'))
                    .arg(pageCount);
        return false;
    }
    PageFact fact;
    fact.page = firstPage < 1 ? 1 : firstPage;
    qsizetype start = 0;
    while (start < whole.size()) {
        qsizetype end = whole.indexOf('\f', start);
        end = end < 0 ? whole.size() : end + 1;
        if (!putPage(fact, whole.mid(start, end - start), put, error))
            return false;
        ++fact.page;
        start = end;
    }
    return true;
}

// A JSON string as the report's own JSON writer spells it, names that are not UTF-8 included.
QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

const QByteArray FileLineStart("{\"type\":\"file\",\"path\":");

} // namespace

QByteArray fileLine(const ReportRow &row, const QByteArray &info)
{
    // Written key by key, so that "type" comes first, as on the page lines.
    QByteArray line("{\"type\":\"file\"");
    const auto &columns = reportcolumns::all();
    for (const char *name : {"path", "outcome", "reason"}) {
        const auto column = std::find_if(columns.cbegin(), columns.cend(),
                                         [&](const auto &c) { return qstrcmp(c.name, name) == 0; });
        line += ",\"" + QByteArray(name) + "\":" + jsonString(column->text(row));
    }
    if (!info.isEmpty())
        line += ",\"metadata\":" +
                QJsonDocument(pdfinfotext::metadata(info)).toJson(QJsonDocument::Compact);
    return line + "}\n";
}

QByteArray withPath(const QByteArray &fileLine, const QString &path)
{
    if (!fileLine.startsWith(FileLineStart) || fileLine.size() <= FileLineStart.size())
        return fileLine;
    qsizetype end = FileLineStart.size() + 1; // past the value's opening quote
    while (end < fileLine.size() && fileLine.at(end) != '"')
        end += fileLine.at(end) == '\\' ? 2 : 1;
    return FileLineStart + jsonString(path) + fileLine.mid(end + 1);
}

QByteArray pageLine(const PageFact &fact, QByteArrayView text)
{
    QByteArray line;
    line.reserve(text.size() + text.size() / 8 + 96);
    line += "{\"type\":\"page\",\"page\":";
    line += QByteArray::number(fact.page);
    line += ",\"text\":";
    appendJsonString(line, text);
    line += fact.byOcr ? ",\"ocr\":true" : ",\"ocr\":false";
    line += ",\"ocr_confidence\":";
    line += fact.byOcr && fact.ocrConfidence >= 0 ? QByteArray::number(fact.ocrConfidence, 'f', 1)
                                                  : QByteArray("null");
    line += fact.unread ? ",\"unread\":true}\n" : ",\"unread\":false}\n";
    return line;
}

bool writePages(QIODevice &text, const PageFacts &facts, int firstPage, int pageCount,
                const LineSink &put, QString &error)
{
    if (facts.pages.isEmpty())
        return writeFormFeedPages(text, firstPage, pageCount, put, error);
    QByteArray part;
    for (const PageFact &fact : facts.pages) {
        if (!readPart(text, fact.bytes, part, error))
            return false;
        if (part.size() != fact.bytes) {
            error = QStringLiteral("the text is shorter than its pages");
            return false;
        }
        if (!putPage(fact, part, put, error))
            return false;
    }
    if (!text.atEnd()) {
        error = QStringLiteral("the text is longer than its pages");
        return false;
    }
    return true;
}

} // namespace jsonlines
