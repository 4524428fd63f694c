// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageRecorder.h"

#include "ServiceProtocol.h"
#include "TextSink.h"

namespace childconversion {

void PageRecorder::pageStarts()
{
    m_passed = m_sink.passed();
    m_ocrPages = m_outcome.ocrPages;
    m_ocrWords = m_outcome.ocrWords;
    m_ocrSum = m_outcome.ocrConfidenceSum;
}

void PageRecorder::pageEnds(int page, bool read)
{
    serviceprotocol::PageFact fact;
    fact.page = page;
    fact.bytes = m_sink.passed() - m_passed;
    if (!read)
        fact.flags |= serviceprotocol::PageFact::Unread;
    if (m_outcome.ocrPages > m_ocrPages)
        fact.flags |= serviceprotocol::PageFact::ByOcr;
    fact.ocrWords = m_outcome.ocrWords - m_ocrWords;
    fact.ocrConfidenceSum = m_outcome.ocrConfidenceSum - m_ocrSum;
    m_outcome.pages.push_back(fact);
}

} // namespace childconversion
