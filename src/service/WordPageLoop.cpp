// SPDX-License-Identifier: GPL-3.0-or-later
#include "WordPageLoop.h"

#include "HtmlHead.h"
#include "OcrHandOff.h"
#include "ServiceProtocol.h"
#include "TextDevice.h"
#include "TextSink.h"
#include "UnreadPages.h"
#include "WordBoxes.h"
#include "WordTable.h"

#include <GlobalParams.h>
#include <goo/GooString.h>
#include <PDFDoc.h>
#include <TextOutputDev.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace childconversion {

namespace {

using serviceprotocol::ConvertRequest;
using serviceprotocol::TextOutput;

std::string opening(PDFDoc &doc, const ConvertRequest &request)
{
    if (request.textOutput == TextOutput::Tsv)
        return WordTable::header();
    return htmlhead::head(doc, *globalParams->getTextEncoding(), false) + wordboxes::docStart();
}

std::string closing(const ConvertRequest &request)
{
    if (request.textOutput == TextOutput::Tsv)
        return {};
    return wordboxes::docEnd() + htmlhead::tail(false);
}

struct PageSize
{
    double width;
    double height;
};

// The page's size in points: its media box, or its crop box with -cropbox.
PageSize pageSize(PDFDoc &doc, int page, const ConvertRequest &request)
{
    if (request.cropBox)
        return {doc.getPageCropWidth(page), doc.getPageCropHeight(page)};
    return {doc.getPageMediaWidth(page), doc.getPageMediaHeight(page)};
}

// The page's part before its words.
std::string pageStart(PDFDoc &doc, int page, const ConvertRequest &request, const WordTable &table)
{
    const PageSize size = pageSize(doc, page, request);
    if (request.textOutput == TextOutput::Tsv)
        return table.pageRow(page, size.width, size.height);
    return wordboxes::pageStart(size.width, size.height);
}

// The page's words as poppler's device gathered them, and its end.
std::string pageWords(TextDevice &device, int page, const ConvertRequest &request, WordTable &table)
{
    switch (request.textOutput) {
    case TextOutput::Tsv:
        return table.textRows(page, device);
    case TextOutput::BboxLayout:
        return wordboxes::layout(device) + wordboxes::pageEnd();
    default:
        return wordboxes::words(device) + wordboxes::pageEnd();
    }
}

// The words OCR read on the page, and its end.
std::string readWords(const std::vector<ocrwords::Word> &words, int page,
                      const ConvertRequest &request)
{
    switch (request.textOutput) {
    case TextOutput::Tsv:
        return WordTable::readRows(page, words);
    case TextOutput::BboxLayout:
        return wordboxes::readLayout(words) + wordboxes::pageEnd();
    default:
        return wordboxes::readWords(words) + wordboxes::pageEnd();
    }
}

// The text of the words poppler found on the page, for OCR's judgement: words apart, lines
// apart.
std::string popplerWordsText(TextDevice &device)
{
    const std::unique_ptr<TextWordList> list = device.makeWordList();
    std::string text;
    for (int index = 0; list && index < list->getLength(); ++index) {
        const TextWord *word = list->get(index);
        const std::unique_ptr<GooString> wordText(word->getText());
        text += wordText->toStr();
        text += word->getNext() ? ' ' : '\n';
    }
    return text;
}

// The page's words, from OCR where it reads the page. poppler's are taken all the same: they
// carry the next ###PAGE### row's corner.
std::string wordsOfPage(PDFDoc &doc, int page, TextDevice &device, OcrHandOff &ocr,
                        const ConvertRequest &request, WordTable &table)
{
    std::string popplers = pageWords(device, page, request, table);
    if (!ocr.active())
        return popplers;
    const PageSize size = pageSize(doc, page, request);
    const double scale = request.resolution / 72;
    const bool sideways = doc.getPageRotate(page) % 180 != 0;
    const std::optional<std::vector<ocrwords::Word>> read = ocr.pageWords(
        &doc, page, popplerWordsText(device), (sideways ? size.height : size.width) * scale,
        (sideways ? size.width : size.height) * scale);
    return read ? readWords(*read, page, request) : popplers;
}

// A split part goes on from the page before it as the whole range would: that page's words are
// laid out, unwritten, so that the device and the table hold what they would hold after it.
void layOutPageBefore(PDFDoc &doc, const ConvertRequest &request, TextDevice &device,
                      WordTable &table)
{
    const int done = device.pagesDone();
    doc.displayPage(&device, request.pageBefore, request.resolution, request.resolution, 0,
                    !request.cropBox, request.cropBox, false);
    if (device.pagesDone() > done && request.textOutput == TextOutput::Tsv)
        table.textRows(request.pageBefore, device);
}

} // namespace

void convertWordPages(PDFDoc &doc, PageRange pages, const ConvertRequest &request, TextSink &sink,
                      UnreadPages &unread, serviceprotocol::Outcome &outcome, int answerFd)
{
    const int count = pages.last - pages.first + 1;
    TextDevice device(nullptr, request);
    OcrHandOff ocr(request, outcome);
    sendPageProgress(answerFd, 0, count);
    WordTable table;
    if (request.pageBefore > 0 && request.pageBefore <= doc.getNumPages())
        layOutPageBefore(doc, request, device, table);
    std::string part = opening(doc, request);
    for (int page = pages.first; page <= pages.last; ++page) {
        part += pageStart(doc, page, request, table);
        if (ocr.active())
            ocr.holdsWholePage(&doc, page);
        const int done = device.pagesDone();
        doc.displayPage(&device, page, request.resolution, request.resolution, 0, !request.cropBox,
                        request.cropBox, false);
        const bool read = device.pagesDone() > done;
        if (!read)
            unread.add(page);
        // A page poppler could not read has no picture for OCR either.
        part += read ? wordsOfPage(doc, page, device, ocr, request, table)
                     : pageWords(device, page, request, table);
        sink.append(part.data(), part.size());
        sink.flush();
        part.clear();
        sendPageProgress(answerFd, page - pages.first + 1, count);
    }
    part += closing(request);
    sink.append(part.data(), part.size());
}

} // namespace childconversion
