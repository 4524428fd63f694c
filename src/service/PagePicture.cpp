// SPDX-License-Identifier: GPL-3.0-or-later
#include "PagePicture.h"

#include "PictureBudget.h"

#include <GfxState.h>
#include <leptonica/allheaders.h>
#include <OutputDev.h>
#include <Page.h>
#include <PDFDoc.h>
#include <Stream.h>

#include <algorithm>
#include <cmath>

namespace pagepicture {

void PixDeleter::operator()(Pix *pix) const
{
    pixDestroy(&pix);
}

namespace {

// Sees what a page draws without drawing it: the pictures' places, the characters' extent and
// whether anything but one picture shows. Device space is the page's crop box in points, y down.
class SurveyDevice : public OutputDev
{
public:
    explicit SurveyDevice(bool decode) : m_decode(decode) {}

    bool upsideDown() override { return true; }
    bool useDrawChar() override { return true; }
    bool interpretType3Chars() override { return false; }
    bool needNonText() override { return true; }

    void startPage(int, GfxState *state, XRef *) override
    {
        m_pageWidth = state->getPageWidth();
        m_pageHeight = state->getPageHeight();
    }

    void drawChar(GfxState *state, double x, double y, double dx, double dy, double, double,
                  CharCode, int, const Unicode *, int) override
    {
        double x0, y0, x1, y1;
        state->transform(x, y, &x0, &y0);
        state->transform(x + dx, y + dy, &x1, &y1);
        const double advance = std::hypot(x1 - x0, y1 - y0);
        m_textArea += advance * std::abs(state->getTransformedFontSize());
        // Render modes 3 and 7 draw nothing (an OCR layer, a clip).
        if ((state->getRender() & 3) != 3)
            m_otherMarks = true;
    }

    void drawImageMask(GfxState *state, Object *ref, Stream *str, int width, int height,
                       bool invert, bool interpolate, bool inlineImg) override
    {
        m_otherMarks = true;
        OutputDev::drawImageMask(state, ref, str, width, height, invert, interpolate, inlineImg);
    }

    void drawImage(GfxState *state, Object *ref, Stream *str, int width, int height,
                   GfxImageColorMap *colorMap, bool interpolate, const int *maskColors,
                   bool inlineImg) override
    {
        double xs[4], ys[4];
        const double unit[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
        for (int i = 0; i < 4; ++i)
            state->transform(unit[i][0], unit[i][1], &xs[i], &ys[i]);
        const double left = std::max(0.0, *std::min_element(xs, xs + 4));
        const double right = std::min(m_pageWidth, *std::max_element(xs, xs + 4));
        const double top = std::max(0.0, *std::min_element(ys, ys + 4));
        const double bottom = std::min(m_pageHeight, *std::max_element(ys, ys + 4));
        const double pageArea = m_pageWidth * m_pageHeight;
        const double cover = right > left && bottom > top && pageArea > 0
                                 ? (right - left) * (bottom - top) / pageArea
                                 : 0.0;
        if (m_pictures++ > 0)
            m_otherMarks = true;
        m_pictureCover = std::max(m_pictureCover, cover);
        // Upright: the picture's first row at the top, its first column at the left.
        const double *ctm = state->getCTM();
        const bool upright =
            std::abs(ctm[1]) < 1e-6 && std::abs(ctm[2]) < 1e-6 && ctm[0] > 0 && ctm[3] < 0;
        if (m_decode && m_pictures == 1 && cover >= pagejudgement::ScanCover && upright &&
            width > 0 && height > 0) {
            decode(str, width, height, colorMap);
            const double across = width / (ctm[0] / 72.0);
            const double down = height / (-ctm[3] / 72.0);
            m_dpi = std::min(across, down);
            return;
        }
        OutputDev::drawImage(state, ref, str, width, height, colorMap, interpolate, maskColors,
                             inlineImg);
    }

    Survey result()
    {
        Survey survey;
        const double pageArea = m_pageWidth * m_pageHeight;
        survey.pictureCover = m_pictureCover;
        survey.textCover = pageArea > 0 ? std::min(1.0, m_textArea / pageArea) : 0.0;
        survey.otherMarks = m_otherMarks;
        if (!m_otherMarks && m_picture) {
            survey.picture = std::move(m_picture);
            survey.pictureDpi = m_dpi;
        }
        return survey;
    }

private:
    void decode(Stream *str, int width, int height, GfxImageColorMap *colorMap)
    {
        const int components = colorMap->getNumPixelComps();
        // A picture too large to read is left: the page is drawn at a resolution that fits.
        if (!picturebudget::canHold(width, height, 8, picturebudget::ReadingCopies))
            return;
        PixPointer pix(pixCreate(width, height, 8));
        if (!pix)
            return;
        ImageStream stream(str, width, components, colorMap->getBits());
        stream.reset();
        l_uint32 *data = pixGetData(pix.get());
        const int wordsPerLine = pixGetWpl(pix.get());
        for (int y = 0; y < height; ++y) {
            unsigned char *line = stream.getLine();
            if (line == nullptr) {
                // A picture cut short is drawn as poppler draws it.
                stream.close();
                return;
            }
            l_uint32 *row = data + static_cast<std::ptrdiff_t>(y) * wordsPerLine;
            for (int x = 0; x < width; ++x) {
                GfxGray gray;
                colorMap->getGray(line + static_cast<std::ptrdiff_t>(x) * components, &gray);
                SET_DATA_BYTE(row, x, colToByte(gray));
            }
        }
        stream.close();
        m_picture = std::move(pix);
    }

    bool m_decode;
    double m_pageWidth = 0;
    double m_pageHeight = 0;
    double m_textArea = 0;
    double m_pictureCover = 0;
    int m_pictures = 0;
    bool m_otherMarks = false;
    PixPointer m_picture;
    double m_dpi = 0;
};

} // namespace

bool mayHoldPicture(PDFDoc *doc, int page)
{
    Page *pdfPage = doc->getPage(page);
    Dict *resources = pdfPage ? pdfPage->getResourceDict() : nullptr;
    if (resources == nullptr)
        return false;
    const Object xobjects = resources->lookup("XObject");
    return xobjects.isDict() && xobjects.dictGetLength() > 0;
}

Survey survey(PDFDoc *doc, int page, bool decode)
{
    SurveyDevice device(decode);
    doc->displayPage(&device, page, 72.0, 72.0, 0, false, true, false);
    return device.result();
}

} // namespace pagepicture
