// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Outcome.h"

#include <QList>
#include <QString>

// What is known of a complete text once its converter (or the last of its page ranges) has ended
// and every byte reached the file: a whole file and a file joined from page ranges are judged by
// the same facts, so the number of converters never changes an outcome.
struct TextFacts
{
    qint64 bytes = 0;          // of the text
    bool pageBreaks = true;    // the text ends each page with a form feed
    bool noUsableText = false; // TextJudge's answer over the whole text
    int pages = -1;            // pages of the text; -1 when not known
    int pagesRequested = 0;    // pages of the range the converter went through (0: not known)
    int pagesUnread = 0;       // of them, pages it could not read
    int ocrPages = 0;          // pages whose text OCR read
    double ocrConfidence = -1; // mean word confidence over them; -1: no words
    QList<int> ocrDoubtful;    // pages OCR read doubtfully
};

// How a complete text ends: its outcome and reason ("" for Converted).
struct TextVerdict
{
    Outcome outcome = Outcome::Converted;
    QString reason;
};

namespace textverdict {

// The facts of a text of `bytes` bytes judged by TextJudge, with the page and OCR figures of its
// job's result (JobResult) or of its file (FileOutcome).
template <typename Figures>
TextFacts factsOf(const Figures &figures, qint64 bytes, bool pageBreaks, bool noUsableText)
{
    TextFacts facts;
    facts.bytes = bytes;
    facts.pageBreaks = pageBreaks;
    facts.noUsableText = noUsableText;
    facts.pages = figures.pages;
    facts.pagesRequested = figures.pagesRequested;
    facts.pagesUnread = figures.pagesUnread;
    facts.ocrPages = figures.ocrPages;
    facts.ocrConfidence = figures.ocrConfidence;
    facts.ocrDoubtful = figures.ocr.doubtful;
    return facts;
}

// The first step of the ladder whose case holds, in this order: every page asked for unread,
// or a text with page breaks that holds no byte (no page could be read): Damaged; no usable
// text: NoUsableText; OCR read pages with a mean confidence below OcrChoice::LowConfidence:
// LowConfidence; pages read doubtfully: OcrDoubtful; else Converted. A failure to write the text
// and a file that changed while it converted are decided before, where they happen.
TextVerdict judge(const TextFacts &facts);

} // namespace textverdict
