// SPDX-License-Identifier: GPL-3.0-or-later
#include "OcrPicture.h"

#include "ErrorOutputCatch.h"
#include "PictureBudget.h"
#include "platform/SystemError.h"
#include "ScanCleanup.h"

#include <leptonica/allheaders.h>
#include <PDFDoc.h>
#include <splash/SplashBitmap.h>
#include <SplashOutputDev.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ocrpicture {

namespace {

using picturebudget::PageTooLarge;

// The picture's side in pixels of a page side in points at `dpi`, as Splash rounds it.
int sidePixels(double points, int dpi)
{
    return static_cast<int>(std::ceil(points * dpi / 72.0));
}

// Page `page` drawn by poppler in gray at `dpi` (less where the picture would be too large; the
// resolution used goes to `drawnDpi`); null when poppler drew nothing.
PixPointer drawPage(PDFDoc *doc, int page, int dpi, int &drawnDpi)
{
    double width = doc->getPageCropWidth(page);
    double height = doc->getPageCropHeight(page);
    if (doc->getPageRotate(page) % 180 != 0)
        std::swap(width, height);
    drawnDpi = fittingDpi(width, height, dpi);
    // Poppler's bitmap and leptonica's copy of it are held together, and the reading's copies
    // follow the drawing.
    if (!picturebudget::canHold(sidePixels(width, drawnDpi) + 1, sidePixels(height, drawnDpi) + 1,
                                8, picturebudget::ReadingCopies))
        throw PageTooLarge{page};
    SplashColor paper;
    paper[0] = 0xff;
    SplashOutputDev device(splashModeMono8, 4, false, paper);
    device.setFontAntialias(true);
    device.setVectorAntialias(true);
    device.startDoc(doc);
    doc->displayPage(&device, page, drawnDpi, drawnDpi, 0, false, true, false);
    SplashBitmap *bitmap = device.getBitmap();
    if (bitmap == nullptr || bitmap->getDataPtr() == nullptr || bitmap->getWidth() < 1 ||
        bitmap->getHeight() < 1)
        return {};
    PixPointer pix(pixCreateNoInit(bitmap->getWidth(), bitmap->getHeight(), 8));
    if (!pix)
        throw PageTooLarge{page};
    l_uint32 *data = pixGetData(pix.get());
    const int wordsPerLine = pixGetWpl(pix.get());
    for (int y = 0; y < bitmap->getHeight(); ++y)
        std::memcpy(data + static_cast<std::ptrdiff_t>(y) * wordsPerLine,
                    bitmap->getDataPtr() + static_cast<std::ptrdiff_t>(y) * bitmap->getRowSize(),
                    static_cast<std::size_t>(bitmap->getWidth()));
    // leptonica keeps the bytes of each 32-bit word in the machine's order.
    pixEndianByteSwap(pix.get());
    return pix;
}

} // namespace

int fittingDpi(double widthPoints, double heightPoints, int dpi)
{
    const double longSide = std::max(widthPoints, heightPoints) * dpi / 72.0;
    const double pixels = widthPoints * heightPoints * (dpi / 72.0) * (dpi / 72.0);
    double scale = 1.0;
    if (longSide > MaxSidePixels)
        scale = std::min(scale, (MaxSidePixels - 1) / longSide);
    if (pixels > MaxPixels)
        scale = std::min(scale, std::sqrt(MaxPixels / pixels));
    return std::max(1, static_cast<int>(std::floor(dpi * scale)));
}

Picture pagePicture(PDFDoc *doc, int page, int dpi, bool useStored)
{
    Picture picture;
    ErrorOutputCatch errors;
    if (errors.error() != 0) {
        picture.failure = "OCR could not draw page " + std::to_string(page) + ": " +
                          systemError(errors.error()).toStdString();
        return picture;
    }
    pagepicture::Survey survey;
    if (useStored)
        survey = pagepicture::survey(doc, page, true);
    if (survey.picture && survey.pictureDpi >= 1) {
        picture.pix = std::move(survey.picture);
        picture.stored = true;
        picture.dpi = static_cast<int>(std::lround(survey.pictureDpi));
    } else {
        picture.pix = drawPage(doc, page, dpi, picture.dpi);
    }
    if (errors.allocationRefused())
        ErrorOutputCatch::endOutOfMemory();
    if (!picture.pix)
        picture.failure = "OCR could not draw page " + std::to_string(page);
    return picture;
}

void toReadingResolution(Picture &picture, int dpi, int page)
{
    if (!picture.stored)
        return;
    const double width = pixGetWidth(picture.pix.get());
    const double height = pixGetHeight(picture.pix.get());
    double factor = picture.dpi < dpi ? static_cast<double>(dpi) / picture.dpi : 1.0;
    const int fitting = fittingDpi(width * 72.0 / picture.dpi, height * 72.0 / picture.dpi,
                                   std::max(dpi, picture.dpi));
    factor = std::min(factor, static_cast<double>(fitting) / picture.dpi);
    if (std::abs(factor - 1.0) <= 1e-3)
        return;
    const int scaledWidth = static_cast<int>(std::ceil(width * factor)) + 1;
    const int scaledHeight = static_cast<int>(std::ceil(height * factor)) + 1;
    if (!picturebudget::fits(picturebudget::pictureBytes(scaledWidth, scaledHeight, 8),
                             picturebudget::ReadingCopies))
        throw PageTooLarge{page};
    picture.pix = scancleanup::scaled(picture.pix.get(), factor);
    picture.dpi = static_cast<int>(std::lround(picture.dpi * factor));
}

} // namespace ocrpicture
