// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The pages that -f and -l ask for, as pdftotext takes them: from page 1 when the first is below
// 1, to the document's last page when the last is below 1 or beyond it. The engine and the
// converter service's child both count a request's pages by this one rule.
struct PageSpan
{
    int first = 1;
    int last = 0;

    // The span -f `first` -l `last` asks for in a document of `pageCount` pages; it holds no page
    // when first > last (pdftotext's "Wrong page range given").
    static PageSpan asked(int first, int last, int pageCount);
    // The first page -f `first` asks for, whatever the document holds.
    static int firstAsked(int first) { return first < 1 ? 1 : first; }
};
