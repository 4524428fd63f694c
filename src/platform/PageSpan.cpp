// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageSpan.h"

PageSpan PageSpan::asked(int first, int last, int pageCount)
{
    return {firstAsked(first), last < 1 || last > pageCount ? pageCount : last};
}
