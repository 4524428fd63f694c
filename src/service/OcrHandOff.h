// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

class PDFDoc;
class PageOcr;

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

    // OCR's lines (LF) ended as the text's, and its page break where the text has them.
    std::string inTextForm(const std::string &read) const;

private:
    const serviceprotocol::ConvertRequest &m_request;
    serviceprotocol::Outcome &m_outcome;
#ifdef MORWENDA_OCR
    std::unique_ptr<PageOcr> m_ocr;
    int m_tried = 0;        // pages given to OCR
    bool m_stamped = false; // the page at hand is a scan with a stamp for its text
#endif
};

} // namespace childconversion
