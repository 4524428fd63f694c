// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PagePicture.h"

#include <string>

class PDFDoc;

// The first step of reading a page by OCR: its picture in gray. A page that is one picture (a
// scan) gives that picture as stored, at its own resolution raised to the reading's only when
// lower; any other page is drawn by poppler. Every picture is checked against leptonica's and
// tesseract's sizes and the memory left before it is made: a page whose picture cannot be held
// throws picturebudget::PageTooLarge.
namespace ocrpicture {

using pagepicture::PixPointer;

// A page is drawn at fewer dots per inch where the picture would exceed these: tesseract refuses
// a side above 32767 pixels, and 150 million pixels still holds A0 at 300 dpi.
inline constexpr int MaxSidePixels = 32767;
inline constexpr double MaxPixels = 150e6;

// The resolution at which a page of this size in points stays within the limits above.
int fittingDpi(double widthPoints, double heightPoints, int dpi);

struct Picture
{
    PixPointer pix;      // null when nothing could be drawn; `failure` says why
    int dpi = 0;         // its resolution
    bool stored = false; // the page's own picture, not a drawing of the page
    std::string failure; // one sentence for the report, without a final full stop
};

// Page `page` (1-based) of `doc` at `dpi`, the stored picture first when `useStored`. The page's
// allocations refused while poppler decodes or draws end the process as the memory limit.
Picture pagePicture(PDFDoc *doc, int page, int dpi, bool useStored);

// A stored picture brought to the reading's resolution `dpi` (up only, and down to the limits).
void toReadingResolution(Picture &picture, int dpi, int page);

} // namespace ocrpicture
