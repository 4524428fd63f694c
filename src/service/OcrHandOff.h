// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OcrWords.h"
#ifdef MORWENDA_OCR
#include "PageOcr.h"
#endif

#include <memory>
#include <optional>
#include <string>
#include <vector>

class PDFDoc;

namespace serviceprotocol {
struct ConvertRequest;
struct Outcome;
} // namespace serviceprotocol

namespace childconversion {

// What stands for a page's text when the request asks for OCR: poppler's text when it is usable
// (mode auto) and not a stamp on a scan, else what tesseract reads on the page, followed by the
// page's form feed. A page OCR finds nothing on, or cannot read, keeps poppler's text; a page it
// cannot read says why on the error output. The pages OCR turned, straightened or read doubtfully
// are counted in the outcome. The reader is made at the first page it reads, after the memory
// limit is set. A page too large to read within the memory left throws
// picturebudget::PageTooLarge.
class OcrHandOff
{
public:
    OcrHandOff(const serviceprotocol::ConvertRequest &request, serviceprotocol::Outcome &outcome);
    ~OcrHandOff();
    OcrHandOff(const OcrHandOff &) = delete;
    OcrHandOff &operator=(const OcrHandOff &) = delete;

    // The request asks for OCR (and this build has it).
    bool active() const;

    // Looks at the page before its text is taken: true when the whole of its text must wait for
    // the page's end (mode always, or a scan whose text layer is only a stamp).
    bool holdsWholePage(PDFDoc *doc, int page);

    // The text that stands for page `page`, poppler's being `popplerText`.
    std::string pageText(PDFDoc *doc, int page, std::string popplerText);

    // The words OCR read in place of poppler's on page `page`, placed on the page (`pageWidth` by
    // `pageHeight` at the request's resolution); none where poppler's words stand. The page is
    // judged by the text of poppler's words, `popplerWords` (words apart, lines apart).
    std::optional<std::vector<ocrwords::Word>> pageWords(PDFDoc *doc, int page,
                                                         const std::string &popplerWords,
                                                         double pageWidth, double pageHeight);

    // OCR's lines (LF) ended as the text's, and its page break where the text has them.
    std::string inTextForm(const std::string &read) const;

private:
    const serviceprotocol::ConvertRequest &m_request;
    serviceprotocol::Outcome &m_outcome;
#ifdef MORWENDA_OCR
    // What OCR read on the page, or none where poppler's text stands (`judged`, its form feed
    // included, is usable; the page limit is reached; OCR read nothing or failed, which the error
    // output tells). Counts the page in the outcome.
    std::optional<PageOcr::PageText> readPage(PDFDoc *doc, int page, const std::string &judged);

    std::unique_ptr<PageOcr> m_ocr;
    int m_tried = 0;        // pages given to OCR
    bool m_stamped = false; // the page at hand is a scan with a stamp for its text
#endif
};

} // namespace childconversion
