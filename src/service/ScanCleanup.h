// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PagePicture.h"

#include <vector>

// What is done to a scan's gray picture (8 bits) before tesseract reads it, and the look at its
// ink after: leptonica's pictures throughout. Each step is chosen by a measure of the picture,
// so that a clean, straight page goes to tesseract as it is.
namespace scancleanup {

using pagepicture::PixPointer;

// The share of pixels that stand alone against all eight neighbours (a dark dot on light paper,
// a light hole in dark ink): impulse noise, as an old fax or a dusty glass leaves it. Drawn text
// has almost none.
double impulseShare(Pix *gray);

// Above this share the picture is cleaned with a 3 x 3 median before it is read.
inline constexpr double SpeckledShare = 0.002;

// The picture with each pixel the median of its 3 x 3 neighbourhood, and the specks that remain
// (ink smaller than a full stop at `dpi`) made white.
PixPointer removeImpulses(Pix *gray, int dpi);

// The picture's skew in degrees (counter-clockwise positive, as leptonica finds it), 0 when the
// picture is straight or its lines cannot be told.
double skewDegrees(Pix *gray);

// Smaller skews are left: tesseract reads them, and turning the picture costs time.
inline constexpr double LeastSkew = 0.1;

// The picture turned by `degrees` about its centre, white brought in at the corners.
PixPointer straighten(Pix *gray, double degrees);

// The picture turned clockwise by `quarters` quarter turns.
PixPointer turn(Pix *gray, int quarters);

// The picture scaled by `factor` (area-mapped down, interpolated up).
PixPointer scaled(Pix *gray, double factor);

struct Box
{
    int left, top, width, height;
};

// Ink shaped like letters (at `dpi`) in a binary picture (1 bit, ink set), and how many of those
// shapes have their centre in none of `words`: text that is on the page and was not read.
struct InkCheck
{
    int letters = 0;
    int unread = 0;
};
InkCheck letterShapesOutside(Pix *binary, int dpi, const std::vector<Box> &words);

} // namespace scancleanup
