// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageRanges.h"

#include "PageList.h"
#include "TextJoin.h"
#include "TextVerdict.h"

namespace pageranges {

QList<TextOptions::Pages> split(const TextOptions &text, int pageCount, int count)
{
    const TextOptions::Pages all = text.pagesOf(pageCount);
    const int pages = all.last - all.first + 1;
    QList<TextOptions::Pages> ranges;
    for (int i = 0; i < count; ++i)
        ranges << TextOptions::Pages{all.first + int(qint64(pages) * i / count),
                                     all.first + int(qint64(pages) * (i + 1) / count) - 1};
    return ranges;
}

bool noPageRead(const JobResult &result)
{
    return result.outcome == Outcome::Damaged && result.pagesRequested > 0 &&
           result.pagesUnread >= result.pagesRequested;
}

void gather(FileOutcome &file, const QList<JobResult> &ranges)
{
    file.pages = 0;
    file.ocrPages = 0;
    file.pagesRequested = file.pagesUnread = 0;
    file.ocr = {};
    double confidenceSum = 0;
    int confidencePages = 0;
    QStringList unread;
    for (const JobResult &result : ranges) {
        const int pages = noPageRead(result) ? 0 : result.pages;
        file.pages = pages < 0 || file.pages < 0 ? -1 : file.pages + pages;
        file.ocr.add(result.ocr);
        file.ocrPages += result.ocrPages;
        if (result.ocrConfidence >= 0) {
            confidencePages += result.ocrPages;
            confidenceSum += result.ocrConfidence * result.ocrPages;
        }
        file.pagesRequested += result.pagesRequested;
        file.pagesUnread += result.pagesUnread;
        unread << result.unreadPages;
    }
    file.ocrConfidence = confidencePages > 0 ? confidenceSum / confidencePages : -1;
    if (ranges.size() == 1) {
        // A whole file: its converter's own figures.
        file.pages = ranges.front().pages;
        file.ocrConfidence = ranges.front().ocrConfidence;
    }
    file.unreadPages = pagelist::joinWritten(unread);
}

void settleJoined(FileOutcome &file, const QString &target, const QStringList &rest,
                  const TextOptions &form)
{
    const JoinedText joined = joinTexts(target, rest, form);
    if (!joined.written) {
        settle(file, Outcome::WriteFailed, joined.reason);
        return;
    }
    const TextFacts facts =
        textverdict::factsOf(file, joined.bytes, form.pageBreaks, joined.noUsableText);
    const TextVerdict verdict = textverdict::judge(facts);
    settle(file, verdict.outcome, verdict.reason);
}

void settle(FileOutcome &file, Outcome outcome, const QString &reason)
{
    file.outcome = outcome;
    file.reason = outcome == Outcome::Converted ? QString() : reason;
    if (!leftText(outcome))
        file.unreadPages.clear();
}

} // namespace pageranges
