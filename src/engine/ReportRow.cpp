// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportRow.h"

#include "PageList.h"

#include "platform/NativePath.h"

namespace reportrows {

namespace {

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

} // namespace

ReportRow rowOf(const FileOutcome &file)
{
    ReportRow row;
    row.pdf = file.pdf;
    row.output = leftText(file.outcome) ? file.output : QString();
    row.outcome = outcomeName(file.outcome);
    row.reason = reasonWords(file.reason);
    row.pages = leftText(file.outcome) ? file.pages : -1;
    row.seconds = file.seconds;
    row.ocrPages = file.ocrPages;
    row.ocrConfidence = file.ocrConfidence;
    if (leftText(file.outcome))
        row.unreadPages = file.unreadPages;
    row.ocrTurned = pagelist::write(pagelist::runsOf(file.ocr.turned));
    row.ocrDeskewed = pagelist::write(pagelist::runsOf(file.ocr.deskewed));
    return row;
}

QString reasonWords(const QString &reason)
{
    return reason.startsWith(QStringLiteral("  - ")) ? reason.mid(4) : reason;
}

QString secondsText(double seconds)
{
    return QString::number(seconds, 'f', 3);
}

QString confidenceText(double confidence)
{
    return confidence >= 0 ? QString::number(confidence, 'f', 1) : QString();
}

QByteArray csvLine(const ReportRow &row)
{
    return csvField(row.pdf) + ',' + csvField(row.output) + ',' + csvField(row.outcome) + ',' +
           csvField(row.reason) + ',' +
           (row.pages >= 0 ? QByteArray::number(row.pages) : QByteArray()) + ',' +
           secondsText(row.seconds).toLatin1() + ',' + QByteArray::number(row.ocrPages) + ',' +
           confidenceText(row.ocrConfidence).toLatin1() + ',' + csvField(row.unreadPages) + ',' +
           csvField(row.ocrTurned) + ',' + csvField(row.ocrDeskewed) + "\r\n";
}

} // namespace reportrows
