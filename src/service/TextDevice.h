// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <TextOutputDev.h>

namespace serviceprotocol {
struct ConvertRequest;
}

namespace childconversion {

class TextSink;

// poppler's text device as pdftotext sets it up for the request: its mode (-layout, -raw, -fixed,
// which implies -layout), -nodiag, -colspacing (where pdftotext applies it), -eol and -nopgbrk.
// With a sink, each page's text is handed on at the page's end; without one the device only
// gathers the page's words for the word forms.
class TextDevice : public TextOutputDev
{
public:
    TextDevice(TextSink *sink, const serviceprotocol::ConvertRequest &request);

    void endPage() override;

    // Pages that ended: poppler ends no page it cannot read.
    int pagesDone() const { return m_pagesDone; }

    // The layout flag pdftotext gives poppler for the request.
    static bool physicalLayout(const serviceprotocol::ConvertRequest &request);

private:
    TextSink *m_sink;
    int m_pagesDone = 0;
};

} // namespace childconversion
