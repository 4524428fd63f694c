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
#include <PDFDoc.h>

#include <string>

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

// The page's part before its words.
std::string pageStart(PDFDoc &doc, int page, const ConvertRequest &request, const WordTable &table)
{
    const double width = request.cropBox ? doc.getPageCropWidth(page) : doc.getPageMediaWidth(page);
    const double height =
        request.cropBox ? doc.getPageCropHeight(page) : doc.getPageMediaHeight(page);
    if (request.textOutput == TextOutput::Tsv)
        return table.pageRow(page, width, height);
    return wordboxes::pageStart(width, height);
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

} // namespace

void convertWordPages(PDFDoc &doc, PageRange pages, const ConvertRequest &request, TextSink &sink,
                      UnreadPages &unread, serviceprotocol::Outcome &outcome, int answerFd)
{
    const int count = pages.last - pages.first + 1;
    TextDevice device(nullptr, request);
    OcrHandOff ocr(request, outcome);
    sendPageProgress(answerFd, 0, count);
    WordTable table;
    std::string part = opening(doc, request);
    for (int page = pages.first; page <= pages.last; ++page) {
        part += pageStart(doc, page, request, table);
        const int done = device.pagesDone();
        doc.displayPage(&device, page, request.resolution, request.resolution, 0, !request.cropBox,
                        request.cropBox, false);
        const bool read = device.pagesDone() > done;
        if (!read)
            unread.add(page);
        part += pageWords(device, page, request, table);
        sink.append(part.data(), part.size());
        sink.flush();
        part.clear();
        sendPageProgress(answerFd, page - pages.first + 1, count);
    }
    part += closing(request);
    sink.append(part.data(), part.size());
}

} // namespace childconversion
