// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportRow.h"

#include "PageList.h"

namespace reportrows {

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
    row.identity = file.identity.toText();
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

} // namespace reportrows
