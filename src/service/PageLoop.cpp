// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageLoop.h"

#include "OcrHandOff.h"
#include "PageRecorder.h"
#include "ServiceProtocol.h"
#include "TextSink.h"
#include "UnreadPages.h"

#include <PDFDoc.h>
#include <TextOutputDev.h>

#include <string>
#include <utility>

namespace childconversion {

namespace {

using serviceprotocol::ConvertRequest;

EndOfLineKind endOfLineKind(serviceprotocol::EndOfLine endOfLine)
{
    switch (endOfLine) {
    case serviceprotocol::EndOfLine::Dos:
        return eolDOS;
    case serviceprotocol::EndOfLine::Mac:
        return eolMac;
    case serviceprotocol::EndOfLine::Unix:
        break;
    }
    return eolUnix;
}

// poppler's text device as pdftotext sets it up for the request's mode, handing the text on after
// every page.
class PageFlushingTextDevice : public TextOutputDev
{
public:
    PageFlushingTextDevice(TextSink &sink, const ConvertRequest &request)
        : TextOutputDev(&TextSink::collect, &sink,
                        request.textMode == serviceprotocol::TextMode::Layout, 0,
                        request.textMode == serviceprotocol::TextMode::Raw, false),
          m_sink(sink)
    {
        setTextEOL(endOfLineKind(request.endOfLine));
        setTextPageBreaks(request.pageBreaks);
    }

    void endPage() override
    {
        TextOutputDev::endPage();
        m_sink.pageEnded();
        ++m_pagesDone;
    }

    // Pages whose text was handed on: poppler ends no page it cannot read.
    int pagesDone() const { return m_pagesDone; }

private:
    TextSink &m_sink;
    int m_pagesDone = 0;
};

// Tells the service that `done` of the request's `total` pages are through.
void sendPageProgress(int answerFd, int done, int total)
{
    const std::string frame = serviceprotocol::encodePage(0, done, total);
    writeAll(answerFd, frame.data(), frame.size());
}

} // namespace

void convertPages(PDFDoc &doc, PageRange pages, const ConvertRequest &request, TextSink &sink,
                  UnreadPages &unread, serviceprotocol::Outcome &outcome, int answerFd)
{
    const int count = pages.last - pages.first + 1;
    OcrHandOff ocr(request, outcome);
    PageFlushingTextDevice device(sink, request);
    PageRecorder record(sink, outcome);
    sendPageProgress(answerFd, 0, count);
    for (int page = pages.first; page <= pages.last; ++page) {
        record.pageStarts();
        // A page that OCR may read is held until its end, when its text is judged.
        if (ocr.active())
            sink.holdPage(ocr.holdsWholePage(&doc, page));
        const int done = device.pagesDone();
        doc.displayPage(&device, page, 72.0, 72.0, 0, true, false, false);
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
}

} // namespace childconversion
