// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageFacts.h"

#include "service/ServiceProtocol.h"

namespace pagefacts {

PageFacts ofService(const serviceprotocol::Outcome &outcome)
{
    using serviceprotocol::PageFact;
    PageFacts facts;
    facts.info = QByteArray::fromStdString(outcome.documentInfo);
    facts.pages.reserve(qsizetype(outcome.pages.size()));
    for (const PageFact &told : outcome.pages) {
        ::PageFact page;
        page.page = told.page;
        page.bytes = qint64(told.bytes);
        page.unread = (told.flags & PageFact::Unread) != 0;
        page.byOcr = (told.flags & PageFact::ByOcr) != 0;
        if (page.byOcr && told.ocrWords > 0)
            page.ocrConfidence = double(told.ocrConfidenceSum) / told.ocrWords;
        facts.pages.append(page);
    }
    return facts;
}

PageFacts joined(const QList<PageFacts> &ranges)
{
    PageFacts whole;
    bool pagesKnown = true;
    for (const PageFacts &range : ranges) {
        if (whole.info.isEmpty())
            whole.info = range.info;
        pagesKnown = pagesKnown && !range.pages.isEmpty();
        whole.pages += range.pages;
    }
    if (!pagesKnown)
        whole.pages.clear();
    return whole;
}

} // namespace pagefacts
