// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace childconversion {

// The pages poppler could not read, named by the numbers pdftotext's -f and -l take: poppler
// numbers the pages it reaches in the page tree one after the other, and the pages the tree
// claims beyond them give no text. A page named in the tree by a missing object takes no number,
// so the pages after it move down one, as pdftotext gives them.
class UnreadPages
{
public:
    // Pages are added in increasing order.
    void add(int page) { m_pages.push_back(page); }
    int count() const { return int(m_pages.size()); }
    // "5,12,31-40": adjacent pages joined in runs; "" when none.
    std::string text() const { return listText(m_pages); }

    // The pages of `increasing` as text() writes them.
    static std::string listText(const std::vector<int> &increasing);

private:
    std::vector<int> m_pages;
};

} // namespace childconversion
