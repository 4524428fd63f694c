// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextDevice.h"

#include "ServiceProtocol.h"
#include "TextSink.h"

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

} // namespace

bool TextDevice::physicalLayout(const ConvertRequest &request)
{
    return request.textMode == serviceprotocol::TextMode::Layout || request.fixedPitch != 0;
}

TextDevice::TextDevice(TextSink *sink, const ConvertRequest &request)
    : TextOutputDev(sink ? &TextSink::collect : nullptr, sink, physicalLayout(request),
                    request.fixedPitch, request.textMode == serviceprotocol::TextMode::Raw,
                    request.discardDiagonal),
      m_sink(sink)
{
    setTextEOL(endOfLineKind(request.endOfLine));
    setTextPageBreaks(request.pageBreaks);
    // pdftotext leaves the column spacing at poppler's default for its table of words.
    if (request.textOutput != serviceprotocol::TextOutput::Tsv)
        setMinColSpacing1(request.columnSpacing);
}

void TextDevice::endPage()
{
    TextOutputDev::endPage();
    if (m_sink)
        m_sink->pageEnded();
    ++m_pagesDone;
}

} // namespace childconversion
