// SPDX-License-Identifier: GPL-3.0-or-later
#include "UnreadPages.h"

#include <cstddef>

namespace childconversion {

std::string UnreadPages::listText(const std::vector<int> &increasing)
{
    std::string text;
    for (std::size_t start = 0; start < increasing.size();) {
        std::size_t end = start;
        while (end + 1 < increasing.size() && increasing[end + 1] == increasing[end] + 1)
            ++end;
        if (!text.empty())
            text += ',';
        text += std::to_string(increasing[start]);
        if (end > start)
            text += '-' + std::to_string(increasing[end]);
        start = end + 1;
    }
    return text;
}

} // namespace childconversion
