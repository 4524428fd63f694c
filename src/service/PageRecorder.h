// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace serviceprotocol {
struct Outcome;
}

namespace childconversion {

class TextSink;

// Keeps the outcome's page records: each page's share of the text, exactly as the sink let it
// through, and what OCR gave on it (from the outcome's OCR counts before and after the page).
class PageRecorder
{
public:
    PageRecorder(const TextSink &sink, serviceprotocol::Outcome &outcome)
        : m_sink(sink), m_outcome(outcome)
    {
    }

    void pageStarts();
    // The page is through, all its text handed to the sink.
    void pageEnds(int page, bool read);

private:
    const TextSink &m_sink;
    serviceprotocol::Outcome &m_outcome;
    std::uint64_t m_passed = 0;
    std::int32_t m_ocrPages = 0;
    std::int32_t m_ocrWords = 0;
    std::uint64_t m_ocrSum = 0;
};

} // namespace childconversion
