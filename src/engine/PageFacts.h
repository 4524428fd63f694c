// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

namespace serviceprotocol {
struct Outcome;
}

// One page of a converted text: its number, how many bytes of the text are its own (the pages'
// bytes, in order, are the whole text), and how it was read.
struct PageFact
{
    int page = 0;
    qint64 bytes = 0;
    bool unread = false;       // the converter could not read it: it has no text
    bool byOcr = false;        // its text is what OCR read
    double ocrConfidence = -1; // mean word confidence of OCR on it; -1: no words

    friend bool operator==(const PageFact &, const PageFact &) = default;
};

// What a converter told of the document beside its text: its pages, when it knows where each
// ends, and its information as `pdfinfo -isodates` prints it, when asked for.
struct PageFacts
{
    QList<PageFact> pages; // empty: the converter does not say where pages end
    QByteArray info;       // pdfinfo's "Key: value" lines; empty: not read

    friend bool operator==(const PageFacts &, const PageFacts &) = default;
};

namespace pagefacts {

// The facts a converter service's answer carries.
PageFacts ofService(const serviceprotocol::Outcome &outcome);

// The facts of a file converted in page ranges, from those of its ranges in page order: the
// pages one after the other, the information of the first range that read it. A range that does
// not tell its pages leaves the whole without them.
PageFacts joined(const QList<PageFacts> &ranges);

} // namespace pagefacts
