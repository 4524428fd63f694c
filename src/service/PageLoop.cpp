// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageLoop.h"

#include "HtmlHead.h"
#include "OcrHandOff.h"
#include "PageRecorder.h"
#include "ServiceProtocol.h"
#include "TextDevice.h"
#include "TextSink.h"
#include "UnreadPages.h"
#include "WordPageLoop.h"

#include <GlobalParams.h>
#include <PDFDoc.h>

#include <string>
#include <utility>

namespace childconversion {

namespace {

using serviceprotocol::ConvertRequest;

// The page as pdftotext draws it for its text: at the request's resolution, within the crop area
// when one is given.
void displayTextPage(PDFDoc &doc, TextDevice &device, int page, const ConvertRequest &request)
{
    const double dpi = request.resolution;
    if (request.cropX == 0 && request.cropY == 0 && request.cropWidth == 0 &&
        request.cropHeight == 0)
        doc.displayPage(&device, page, dpi, dpi, 0, true, false, false);
    else
        doc.displayPageSlice(&device, page, dpi, dpi, 0, true, false, false, request.cropX,
                             request.cropY, request.cropWidth, request.cropHeight);
}

void appendHtml(TextSink &sink, const std::string &html)
{
    sink.append(html.data(), html.size());
}

} // namespace

void sendPageProgress(int answerFd, int done, int total)
{
    const std::string frame = serviceprotocol::encodePage(0, done, total);
    writeAll(answerFd, frame.data(), frame.size());
}

void convertPages(PDFDoc &doc, PageRange pages, const ConvertRequest &request, TextSink &sink,
                  UnreadPages &unread, serviceprotocol::Outcome &outcome, int answerFd)
{
    if (request.textOutput != serviceprotocol::TextOutput::Text &&
        request.textOutput != serviceprotocol::TextOutput::HtmlMeta) {
        convertWordPages(doc, pages, request, sink, unread, outcome, answerFd);
        return;
    }
    const bool html = request.textOutput == serviceprotocol::TextOutput::HtmlMeta;
    const int count = pages.last - pages.first + 1;
    OcrHandOff ocr(request, outcome);
    TextDevice device(&sink, request);
    PageRecorder record(sink, outcome);
    sendPageProgress(answerFd, 0, count);
    if (html)
        appendHtml(sink, htmlhead::head(doc, *globalParams->getTextEncoding(), true));
    for (int page = pages.first; page <= pages.last; ++page) {
        record.pageStarts();
        // A page that OCR may read is held until its end, when its text is judged.
        if (ocr.active())
            sink.holdPage(ocr.holdsWholePage(&doc, page));
        const int done = device.pagesDone();
        displayTextPage(doc, device, page, request);
        const bool read = device.pagesDone() > done;
        if (!read)
            unread.add(page);
        if (sink.holding()) {
            // A page poppler could not read has no picture for OCR either.
            std::string text = sink.takeHeldPage();
            if (read)
                text = ocr.pageText(&doc, page, std::move(text));
            sink.append(text.data(), text.size());
            sink.flush();
        }
        record.pageEnds(page, read);
        sendPageProgress(answerFd, page - pages.first + 1, count);
    }
    if (html)
        appendHtml(sink, htmlhead::tail(true));
}

} // namespace childconversion
