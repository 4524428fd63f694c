// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PagePicture.h"

// The cleaning of a page's picture before it is read, each step where a measure of the picture
// calls for it (the measures and the work are scancleanup's): impulse noise removed, skew
// straightened. A clean, straight picture is left as it is, at no cost but the measure.
namespace pagecleaning {

using pagepicture::PixPointer;

// Removes impulse noise where there is more than scancleanup::SpeckledShare of it; true when it
// did. Noise is measured at the picture's own resolution, where a speck is one pixel.
bool despeckle(PixPointer &picture, int dpi);

// Straightens a skew of scancleanup::LeastSkew degrees or more; the skew straightened, or 0.
double straighten(PixPointer &picture);

} // namespace pagecleaning
