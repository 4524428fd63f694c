// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServiceEndings.h"

#include "platform/SystemError.h"

#include <cerrno>

namespace serviceendings {

namespace {

// A child that ended without an answer of its own, or a service that went away.
Ending endOfChild(const serviceprotocol::Outcome &outcome, const Facts &facts)
{
    using serviceprotocol::OutcomeKind;
    const bool outOfMemory = facts.limits.memoryMegabytes > 0 && saysOutOfMemory(facts.errorOutput);
    const Ending atMemoryLimit{
        Outcome::MemoryLimit,
        reasons::memoryLimit(facts.limits.memoryMegabytes, outcome.memoryLimitPage)};
    switch (outcome.kind) {
    case OutcomeKind::TimeLimit:
        return {Outcome::TimeLimit, reasons::timeLimit(facts.limits.idleSeconds)};
    case OutcomeKind::MemoryLimit:
        return atMemoryLimit;
    case OutcomeKind::Crashed:
        return outOfMemory ? atMemoryLimit
                           : Ending{Outcome::Crashed, reasons::crashed(outcome.signal)};
    case OutcomeKind::ChildFailed:
        if (outcome.systemError != 0)
            return {Outcome::CannotStart, reasons::cannotStart(systemError(outcome.systemError))};
        return outOfMemory ? atMemoryLimit : Ending{Outcome::Damaged, reasons::Damaged};
    default:
        // The service went away with this file; the next job starts it again.
        return {Outcome::Crashed, reasons::serviceLost(facts.lostReason)};
    }
}

} // namespace

Ending endingOf(const serviceprotocol::Outcome &outcome, const Facts &facts)
{
    using serviceprotocol::OutcomeKind;
    switch (outcome.kind) {
    case OutcomeKind::NeedsPassword:
        return {Outcome::Protected, reasons::Protected};
    case OutcomeKind::WrongPassword:
        if (facts.order.password.isEmpty())
            return {Outcome::Protected, reasons::Protected};
        return {Outcome::WrongPassword, reasons::WrongPassword};
    case OutcomeKind::CannotOpen:
        // The system's reason where the child had one: a file that is gone or cannot be read.
        if (outcome.systemError != 0)
            return {Outcome::CannotRead, reasons::cannotRead(systemError(outcome.systemError))};
        return {Outcome::Damaged, reasons::Damaged};
    case OutcomeKind::PageRange:
        if (outcome.pageCount > 0) {
            const TextOptions::Pages pages = facts.order.text.pagesOf(outcome.pageCount);
            return {Outcome::PageRange, reasons::pageRange(pages.first, pages.last)};
        }
        [[fallthrough]];         // a document without pages
    case OutcomeKind::Converted: // not a failure; handled before
    case OutcomeKind::Damaged:
        // pdftotext ends with 1 or 99 for these: a file that could not be read.
        return {Outcome::Damaged, reasons::Damaged};
    case OutcomeKind::NoTextEncoding:
        return {Outcome::CannotStart, reasons::noTextEncoding(facts.order.text.encoding)};
    case OutcomeKind::LeftToSplit: // the run splits it; its page count is kept in the result
        return {Outcome::Stopped, reasons::Stopped};
    case OutcomeKind::WriteFailed:
        return {Outcome::WriteFailed,
                reasons::writeFailed(systemError(outcome.systemError ? outcome.systemError : EIO))};
    case OutcomeKind::Cancelled:
        return {Outcome::Stopped, reasons::Stopped};
    case OutcomeKind::TimeLimit:
    case OutcomeKind::MemoryLimit:
    case OutcomeKind::Crashed:
    case OutcomeKind::ChildFailed:
    case OutcomeKind::ServiceLost:
        break;
    }
    return endOfChild(outcome, facts);
}

} // namespace serviceendings
