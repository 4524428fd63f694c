// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageCleaning.h"

#include "ScanCleanup.h"

#include <cmath>

namespace pagecleaning {

bool despeckle(PixPointer &picture, int dpi)
{
    if (scancleanup::impulseShare(picture.get()) <= scancleanup::SpeckledShare)
        return false;
    picture = scancleanup::removeImpulses(picture.get(), dpi);
    return true;
}

double straighten(PixPointer &picture)
{
    const double skew = scancleanup::skewDegrees(picture.get());
    if (std::abs(skew) < scancleanup::LeastSkew)
        return 0.0;
    picture = scancleanup::straighten(picture.get(), skew);
    return skew;
}

} // namespace pagecleaning
