// SPDX-License-Identifier: GPL-3.0-or-later
// The 'D' frame: how a request ended, with its counts, page lists and page records.
#include "ServiceProtocol.h"

#include "PayloadWriting.h"

#include <stdexcept>

namespace serviceprotocol {

using namespace payload;

std::string encodeDone(std::uint32_t id, const Outcome &outcome)
{
    std::string payload;
    putU32(payload, id);
    putU8(payload, static_cast<std::uint8_t>(outcome.kind));
    putI32(payload, outcome.exitCode);
    putI32(payload, outcome.signal);
    putI32(payload, outcome.popplerError);
    putI32(payload, outcome.systemError);
    putI32(payload, outcome.pageCount);
    putU64(payload, outcome.textBytes);
    putString(payload, outcome.diagnostics);
    putI32(payload, outcome.ocrPages);
    putI32(payload, outcome.ocrWords);
    putU64(payload, outcome.ocrConfidenceSum);
    putI32(payload, outcome.pagesRequested);
    putI32(payload, outcome.pagesUnread);
    putString(payload, outcome.unreadPages);
    for (const auto *pages :
         {&outcome.ocrTurnedPages, &outcome.ocrDeskewedPages, &outcome.ocrDoubtfulPages}) {
        putU32(payload, static_cast<std::uint32_t>(pages->size()));
        for (const std::int32_t page : *pages)
            putI32(payload, page);
    }
    putU8(payload, outcome.ocrOrientationUnknown ? 1 : 0);
    putI32(payload, outcome.memoryLimitPage);
    putString(payload, outcome.documentInfo);
    putU32(payload, static_cast<std::uint32_t>(outcome.pages.size()));
    for (const PageFact &page : outcome.pages) {
        putI32(payload, page.page);
        putU64(payload, page.bytes);
        putU8(payload, page.flags);
        putI32(payload, page.ocrWords);
        putU64(payload, page.ocrConfidenceSum);
    }
    std::string frame;
    appendFrame(frame, FrameKind::Done, payload);
    return frame;
}

std::pair<std::uint32_t, Outcome> decodeDone(std::string_view payload)
{
    PayloadReader reader(payload);
    const std::uint32_t id = reader.u32();
    Outcome outcome;
    outcome.kind = static_cast<OutcomeKind>(reader.u8());
    outcome.exitCode = reader.i32();
    outcome.signal = reader.i32();
    outcome.popplerError = reader.i32();
    outcome.systemError = reader.i32();
    outcome.pageCount = reader.i32();
    outcome.textBytes = reader.u64();
    outcome.diagnostics = reader.string();
    outcome.ocrPages = reader.i32();
    outcome.ocrWords = reader.i32();
    outcome.ocrConfidenceSum = reader.u64();
    outcome.pagesRequested = reader.i32();
    outcome.pagesUnread = reader.i32();
    outcome.unreadPages = reader.string();
    for (auto *pages :
         {&outcome.ocrTurnedPages, &outcome.ocrDeskewedPages, &outcome.ocrDoubtfulPages}) {
        const std::uint32_t count = reader.u32();
        // Each page takes four bytes: a count the payload cannot hold is refused before any
        // memory is asked for it.
        if (count > reader.rest().size() / 4)
            throw std::out_of_range("page list longer than its message");
        pages->reserve(count);
        for (std::uint32_t i = 0; i < count; ++i)
            pages->push_back(reader.i32());
    }
    outcome.ocrOrientationUnknown = reader.u8() != 0;
    outcome.memoryLimitPage = reader.i32();
    outcome.documentInfo = reader.string();
    const std::uint32_t pages = reader.u32();
    constexpr std::size_t PageRecordLength = 4 + 8 + 1 + 4 + 8;
    if (pages > reader.rest().size() / PageRecordLength)
        throw std::out_of_range("page records longer than their message");
    outcome.pages.resize(pages);
    for (PageFact &page : outcome.pages) {
        page.page = reader.i32();
        page.bytes = reader.u64();
        page.flags = reader.u8();
        page.ocrWords = reader.i32();
        page.ocrConfidenceSum = reader.u64();
    }
    return {id, outcome};
}

} // namespace serviceprotocol
