// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextVerdict.h"

#include "OcrChoice.h"

namespace textverdict {

namespace {

struct Step
{
    bool (*holds)(const TextFacts &);
    Outcome outcome;
    QString (*reason)(const TextFacts &);
};

bool noPageRead(const TextFacts &facts)
{
    return (facts.pagesRequested > 0 && facts.pagesUnread >= facts.pagesRequested) ||
           (facts.pageBreaks && facts.bytes == 0);
}

bool noUsableText(const TextFacts &facts)
{
    return facts.bytes == 0 || facts.noUsableText;
}

bool lowConfidence(const TextFacts &facts)
{
    return facts.ocrPages > 0 && facts.ocrConfidence >= 0 &&
           facts.ocrConfidence < OcrChoice::LowConfidence;
}

bool doubtful(const TextFacts &facts)
{
    return !facts.ocrDoubtful.isEmpty();
}

const Step Ladder[] = {
    {noPageRead, Outcome::Damaged, [](const TextFacts &) { return reasons::Damaged; }},
    {noUsableText, Outcome::NoUsableText, [](const TextFacts &) { return reasons::Unreadable; }},
    {lowConfidence, Outcome::LowConfidence,
     [](const TextFacts &facts) {
         return reasons::lowConfidence(facts.ocrPages, facts.pages, facts.ocrConfidence);
     }},
    {doubtful, Outcome::OcrDoubtful,
     [](const TextFacts &facts) { return reasons::ocrDoubtful(facts.ocrDoubtful); }},
};

} // namespace

TextVerdict judge(const TextFacts &facts)
{
    for (const Step &step : Ladder)
        if (step.holds(facts))
            return {step.outcome, step.reason(facts)};
    return {};
}

} // namespace textverdict
