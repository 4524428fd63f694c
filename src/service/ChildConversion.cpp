// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChildConversion.h"

#include "DocumentInfo.h"
#include "DocumentOpening.h"
#include "PageLoop.h"
#include "PictureBudget.h"
#include "platform/PageSpan.h"
#include "ServiceProtocol.h"
#include "TextSink.h"
#include "UnreadPages.h"

#include <ErrorCodes.h>
#include <GlobalParams.h>
#include <PDFDoc.h>
#include <poppler-config.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <new>
#include <string>
#include <unistd.h>

namespace childconversion {

namespace {

using serviceprotocol::ConvertRequest;
using serviceprotocol::Outcome;
using serviceprotocol::OutcomeKind;

[[noreturn]] void answerAndExit(int answerFd, Outcome outcome)
{
    const std::string frame = serviceprotocol::encodeDone(0, outcome);
    writeAll(answerFd, frame.data(), frame.size());
    ::_exit(outcome.exitCode);
}

// A refused allocation says so on the error output, as poppler's own allocator does, so the
// service can tell the memory limit from another crash once the child aborts.
void allocationRefused()
{
    static const char message[] = "Out of memory\n";
    [[maybe_unused]] const auto ignored = ::write(2, message, sizeof message - 1);
    std::set_new_handler(nullptr);
    throw std::bad_alloc();
}

// The request's pages within the document's; a range that holds no page ends the child as
// pdftotext would.
PageRange pageRangeOrExit(const ConvertRequest &request, Outcome &outcome, int answerFd)
{
    const PageSpan pages = PageSpan::asked(request.firstPage, request.lastPage, outcome.pageCount);
    const int firstPage = pages.first;
    const int lastPage = pages.last;
    if (lastPage < firstPage) {
        error(errCommandLine, -1,
              "Wrong page range given: the first page ({0:d}) can not be after the last page "
              "({1:d}).",
              firstPage, lastPage);
        outcome.kind = OutcomeKind::PageRange;
        outcome.exitCode = 99;
        answerAndExit(answerFd, outcome);
    }
    // A long range is split by the engine over several children: this one only tells the count.
    if (request.splitAbovePages > 0 && lastPage - firstPage + 1 > request.splitAbovePages) {
        outcome.kind = OutcomeKind::LeftToSplit;
        outcome.exitCode = 0;
        answerAndExit(answerFd, outcome);
    }
    return {firstPage, lastPage};
}

// Where the text is written: the answer pipe, or the file the request names.
int openTextTargetOrExit(const ConvertRequest &request, Outcome &outcome, int answerFd)
{
    if (request.target != serviceprotocol::OutputTarget::File)
        return answerFd;
    const int textFd =
        ::open(request.outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (textFd < 0) {
        outcome.systemError = errno;
        error(errIO, -1, "Couldn't open text file '{0:s}'", request.outputPath.c_str());
        outcome.kind = OutcomeKind::WriteFailed;
        outcome.exitCode = 2;
        answerAndExit(answerFd, outcome);
    }
    return textFd;
}

// The last of the text is handed on and the outcome says whether all of it was written. The
// text of the pages poppler read is kept (pdftotext gives the same), and the pages it could not
// read are named; a document none of whose requested pages could be read is damaged.
void finishText(TextSink &sink, const ConvertRequest &request, int textFd, int pagesRequested,
                const UnreadPages &unread, Outcome &outcome)
{
    const bool toFile = request.target == serviceprotocol::OutputTarget::File;
    sink.flush();
    outcome.systemError = sink.error();
    if (toFile && ::close(textFd) != 0 && outcome.systemError == 0)
        outcome.systemError = errno;
    outcome.textBytes = sink.written();
    outcome.pagesRequested = pagesRequested;
    outcome.pagesUnread = unread.count();
    outcome.unreadPages = unread.text();
    if (outcome.systemError != 0) {
        outcome.kind = OutcomeKind::WriteFailed;
        outcome.exitCode = 2;
    } else if (outcome.pagesUnread >= pagesRequested) {
        error(errSyntaxError, -1, "None of the {0:d} pages could be read", pagesRequested);
        outcome.kind = OutcomeKind::Damaged;
        outcome.exitCode = 1;
    } else {
        outcome.kind = OutcomeKind::Converted;
        outcome.exitCode = 0;
    }
}

// A page whose picture cannot be held within the memory limit ends the conversion there, with
// the page's number, before anything is asked for it.
[[noreturn]] void answerPageTooLarge(int answerFd, Outcome outcome, int page)
{
    outcome.kind = OutcomeKind::MemoryLimit;
    outcome.memoryLimitPage = page;
    outcome.exitCode = 99;
    answerAndExit(answerFd, outcome);
}

[[noreturn]] void convert(const ConvertRequest &request, int answerFd)
{
    Outcome outcome;
    // As pdftotext: the text encoding is settled before the file is opened.
    if (!request.textEncoding.empty())
        globalParams->setTextEncoding(request.textEncoding.c_str());
    if (!globalParams->getTextEncoding()) {
        error(errCommandLine, -1, "Couldn't get text encoding");
        outcome.kind = OutcomeKind::NoTextEncoding;
        outcome.exitCode = 99;
        answerAndExit(answerFd, outcome);
    }
    const std::unique_ptr<PDFDoc> doc = documentopening::openWithPassword(request);
    if (!doc->isOk())
        answerAndExit(answerFd, documentopening::unopened(*doc, request));
    outcome.pageCount = doc->getNumPages();
    if (request.documentInfo)
        outcome.documentInfo = documentinfo::describe(*doc);
    const PageRange pages = pageRangeOrExit(request, outcome, answerFd);
    const int textFd = openTextTargetOrExit(request, outcome, answerFd);

    TextSink sink(textFd, request.target != serviceprotocol::OutputTarget::File);
    UnreadPages unread;
    try {
        convertPages(*doc, pages, request, sink, unread, outcome, answerFd);
    } catch (const picturebudget::PageTooLarge &tooLarge) {
        answerPageTooLarge(answerFd, outcome, tooLarge.page);
    }
    finishText(sink, request, textFd, pages.last - pages.first + 1, unread, outcome);
    answerAndExit(answerFd, outcome);
}

} // namespace

void loadLibrary()
{
    globalParams = std::make_unique<GlobalParams>();
}

const char *libraryVersion()
{
    return POPPLER_VERSION;
}

void convertAndExit(const ConvertRequest &request, int answerFd)
{
    std::set_new_handler(&allocationRefused);
    // Numbers are written as pdftotext writes them, whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    // Nothing may unwind into the service's own frames, which this forked copy still holds: an
    // exception that poppler lets through ends the child as a crash.
    try {
        convert(request, answerFd);
    } catch (...) {
        std::abort();
    }
}

} // namespace childconversion
