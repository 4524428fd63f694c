// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageJudgement.h"

#include <cmath>

namespace pagejudgement {

bool isStampedScan(double pictureCover, double textCover)
{
    return pictureCover >= ScanCover && textCover <= StampCover;
}

void WordTally::add(float confidence)
{
    ++words;
    confidenceSum += std::lround(confidence);
    if (confidence < LowWordConfidence)
        ++lowWords;
}

double WordTally::confidence() const
{
    return words > 0 ? static_cast<double>(confidenceSum) / words : 0.0;
}

bool isDoubtful(const WordTally &tally, int letters, int unreadLetters)
{
    if (tally.words > 0 && tally.lowWords > DoubtfulLowWords * tally.words)
        return true;
    return letters >= LeastLettersJudged && unreadLetters > DoubtfulUnreadLetters * letters;
}

} // namespace pagejudgement
