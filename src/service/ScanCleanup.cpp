// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScanCleanup.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <cmath>

namespace scancleanup {

namespace {

constexpr int Ink = 128; // gray below it is ink

} // namespace

double impulseShare(Pix *gray)
{
    const int width = static_cast<int>(pixGetWidth(gray));
    const int height = static_cast<int>(pixGetHeight(gray));
    if (width < 3 || height < 3)
        return 0;
    const l_uint32 *data = pixGetData(gray);
    const int wordsPerLine = pixGetWpl(gray);
    long impulses = 0;
    long looked = 0;
    // Every other line is enough to tell noise from a clean page, at half the cost.
    for (int y = 1; y + 1 < height; y += 2) {
        const l_uint32 *above = data + static_cast<std::ptrdiff_t>(y - 1) * wordsPerLine;
        const l_uint32 *line = above + wordsPerLine;
        const l_uint32 *below = line + wordsPerLine;
        for (int x = 1; x + 1 < width; ++x) {
            ++looked;
            const bool ink = GET_DATA_BYTE(line, x) < Ink;
            bool alone = true;
            for (int dx = -1; dx <= 1 && alone; ++dx) {
                alone = (GET_DATA_BYTE(above, x + dx) < Ink) != ink &&
                        (GET_DATA_BYTE(below, x + dx) < Ink) != ink &&
                        (dx == 0 || (GET_DATA_BYTE(line, x + dx) < Ink) != ink);
            }
            if (alone)
                ++impulses;
        }
    }
    return looked > 0 ? static_cast<double>(impulses) / looked : 0.0;
}

PixPointer removeImpulses(Pix *gray, int dpi)
{
    PixPointer cleaned(pixMedianFilter(gray, 1, 1));
    // The median leaves the specks that fell side by side; ink smaller than a full stop (a
    // hundredth of an inch either way) is no letter's and goes too.
    PixPointer binary(pixConvertTo1(cleaned.get(), Ink));
    const int speck = std::max(1, dpi / 100);
    PixPointer specks(
        pixSelectBySize(binary.get(), speck, speck, 8, L_SELECT_IF_BOTH, L_SELECT_IF_LTE, nullptr));
    if (specks)
        pixPaintThroughMask(cleaned.get(), specks.get(), 0, 0, 0xff);
    return cleaned;
}

double skewDegrees(Pix *gray)
{
    PixPointer binary(pixConvertTo1(gray, Ink));
    if (!binary)
        return 0;
    l_float32 angle = 0;
    l_float32 confidence = 0;
    // leptonica's own deskewing trusts a skew of confidence 3 or more.
    if (pixFindSkew(binary.get(), &angle, &confidence) != 0 || confidence < 3.0f)
        return 0;
    return angle;
}

PixPointer straighten(Pix *gray, double degrees)
{
    return PixPointer(pixRotate(gray, static_cast<l_float32>(degrees * M_PI / 180.0),
                                L_ROTATE_AREA_MAP, L_BRING_IN_WHITE, 0, 0));
}

PixPointer turn(Pix *gray, int quarters)
{
    return PixPointer(pixRotateOrth(gray, ((quarters % 4) + 4) % 4));
}

PixPointer scaled(Pix *gray, double factor)
{
    return PixPointer(
        pixScale(gray, static_cast<l_float32>(factor), static_cast<l_float32>(factor)));
}

InkCheck letterShapesOutside(Pix *binary, int dpi, const std::vector<Box> &words)
{
    InkCheck check;
    const int width = static_cast<int>(pixGetWidth(binary));
    const int height = static_cast<int>(pixGetHeight(binary));
    PixPointer read(pixCreate(width, height, 1));
    for (const Box &word : words)
        pixRasterop(read.get(), word.left, word.top, word.width, word.height, PIX_SET, nullptr, 0,
                    0);
    BOXA *shapes = pixConnComp(binary, nullptr, 8);
    if (shapes == nullptr)
        return check;
    // From a small letter's stem at 6 points to a heading's capital; wider shapes are letters
    // run together, rules or pictures.
    const int least = std::max(2, dpi / 50);
    const int most = dpi / 3;
    const int count = boxaGetCount(shapes);
    for (int i = 0; i < count; ++i) {
        l_int32 x, y, w, h;
        boxaGetBoxGeometry(shapes, i, &x, &y, &w, &h);
        if (h < least || h > most || w > dpi / 2)
            continue;
        ++check.letters;
        l_uint32 covered = 0;
        pixGetPixel(read.get(), x + w / 2, y + h / 2, &covered);
        if (covered == 0)
            ++check.unread;
    }
    boxaDestroy(&shapes);
    return check;
}

} // namespace scancleanup
