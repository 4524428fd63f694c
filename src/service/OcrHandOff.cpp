// SPDX-License-Identifier: GPL-3.0-or-later
#include "OcrHandOff.h"

#include "PageTextCheck.h"
#include "ServiceProtocol.h"
#ifdef MORWENDA_OCR
#include "PageOcr.h"
#include "PagePicture.h"
#endif

#include <Error.h>
#include <GlobalParams.h>

#include <cmath>
#include <utility>

namespace childconversion {

using serviceprotocol::OcrMode;

OcrHandOff::OcrHandOff(const serviceprotocol::ConvertRequest &request,
                       serviceprotocol::Outcome &outcome)
    : m_request(request), m_outcome(outcome)
{
}

OcrHandOff::~OcrHandOff() = default;

std::string OcrHandOff::inTextForm(const std::string &read) const
{
    std::string text;
    for (const char c : read) {
        if (c != '\n')
            text += c;
        else if (m_request.endOfLine == serviceprotocol::EndOfLine::Dos)
            text += "\r\n";
        else if (m_request.endOfLine == serviceprotocol::EndOfLine::Mac)
            text += '\r';
        else
            text += '\n';
    }
    if (m_request.pageBreaks)
        text += '\f';
    return text;
}

bool OcrHandOff::active() const
{
#ifdef MORWENDA_OCR
    return m_request.ocrMode != OcrMode::Off;
#else
    return false;
#endif
}

bool OcrHandOff::holdsWholePage([[maybe_unused]] PDFDoc *doc, [[maybe_unused]] int page)
{
#ifdef MORWENDA_OCR
    m_stamped = false;
    if (m_request.ocrMode == OcrMode::Always)
        return true;
    if (m_request.ocrMode == OcrMode::Auto && pagepicture::mayHoldPicture(doc, page))
        m_stamped = pagepicture::isStampedScan(pagepicture::survey(doc, page, false));
    return m_stamped;
#else
    return false;
#endif
}

std::string OcrHandOff::pageText([[maybe_unused]] PDFDoc *doc, [[maybe_unused]] int page,
                                 std::string popplerText)
{
#ifdef MORWENDA_OCR
    // The page is judged with its form feed, also where the text has none.
    const std::optional<PageOcr::PageText> read =
        readPage(doc, page, m_request.pageBreaks ? popplerText : popplerText + '\f');
    if (read)
        return inTextForm(read->text);
#endif
    return popplerText;
}

std::optional<std::vector<ocrwords::Word>>
OcrHandOff::pageWords([[maybe_unused]] PDFDoc *doc, [[maybe_unused]] int page,
                      [[maybe_unused]] const std::string &popplerWords,
                      [[maybe_unused]] double pageWidth, [[maybe_unused]] double pageHeight)
{
#ifdef MORWENDA_OCR
    const std::optional<PageOcr::PageText> read = readPage(doc, page, popplerWords + '\f');
    if (!read)
        return std::nullopt;
    std::vector<ocrwords::Word> words = ocrwords::placed(
        read->boxedWords, {read->pictureWidth, read->pictureHeight, read->turnedDegrees}, pageWidth,
        pageHeight);
    ocrwords::encode(words, *globalParams->getTextEncoding());
    return words;
#endif
    return std::nullopt;
}

#ifdef MORWENDA_OCR
std::optional<PageOcr::PageText> OcrHandOff::readPage(PDFDoc *doc, int page,
                                                      const std::string &judged)
{
    // A stamp's text is no page's text: the stamp is read with the scan it is on.
    if ((m_request.ocrMode == OcrMode::Auto && !m_stamped &&
         pagetextcheck::hasUsableText(judged)) ||
        (m_request.ocrPageLimit > 0 && m_tried >= m_request.ocrPageLimit))
        return std::nullopt;
    ++m_tried;
    if (!m_ocr)
        m_ocr = std::make_unique<PageOcr>(m_request.ocrLanguages.empty() ? std::string("eng")
                                                                         : m_request.ocrLanguages);
    PageOcr::PageText read =
        m_ocr->read(doc, page, m_request.ocrDpi > 0 ? m_request.ocrDpi : PageOcr::DefaultDpi);
    if (!read.read) {
        error(errInternal, -1, "{0:s}", read.failure.c_str());
        return std::nullopt;
    }
    m_outcome.ocrOrientationUnknown |= read.orientationUnknown;
    if (read.turnedDegrees != 0)
        m_outcome.ocrTurnedPages.push_back(page);
    if (read.skewDegrees != 0)
        m_outcome.ocrDeskewedPages.push_back(page);
    // Also a page where nothing was read while letters are to be seen.
    if (read.doubtful)
        m_outcome.ocrDoubtfulPages.push_back(page);
    if (read.text.empty())
        return std::nullopt;
    ++m_outcome.ocrPages;
    m_outcome.ocrWords += read.words;
    m_outcome.ocrConfidenceSum +=
        static_cast<std::uint64_t>(std::llround(read.confidence * read.words));
    return read;
}
#endif

} // namespace childconversion
