// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class PDFDoc;

namespace serviceprotocol {
struct ConvertRequest;
struct Outcome;
} // namespace serviceprotocol

namespace childconversion {

class TextSink;
class UnreadPages;

// The request's pages, first to last, as pdftotext reads them.
struct PageRange
{
    int first;
    int last;
};

// Tells the service that `done` of the request's `total` pages are through.
void sendPageProgress(int answerFd, int done, int total);

// Gives the text of each page of `pages` to `sink` in the request's text mode and output form
// (the text, or within -htmlmeta's HTML; the forms of words go to convertWordPages), through OCR
// where the request asks for it, and tells the service after each page. A page poppler cannot read
// (a page tree that names a missing object, or claims more pages than it holds) is left out without
// a word, as pdftotext leaves it out, and added to `unread` by its page number. Throws
// picturebudget::PageTooLarge for a page OCR cannot hold in memory.
void convertPages(PDFDoc &doc, PageRange pages, const serviceprotocol::ConvertRequest &request,
                  TextSink &sink, UnreadPages &unread, serviceprotocol::Outcome &outcome,
                  int answerFd);

} // namespace childconversion
