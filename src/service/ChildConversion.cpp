// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChildConversion.h"

#include "PageTextCheck.h"
#include "ServiceProtocol.h"
#ifdef MORWENDA_OCR
#include "PageOcr.h"
#include "PagePicture.h"
#endif

#include <ErrorCodes.h>
#include <GlobalParams.h>
#include <goo/GooString.h>
#include <PDFDoc.h>
#include <poppler-config.h>
#include <TextOutputDev.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace childconversion {

namespace {

using serviceprotocol::ConvertRequest;
using serviceprotocol::FrameKind;
using serviceprotocol::Outcome;
using serviceprotocol::OutcomeKind;

// Writes all of `data`; false with errno set when the descriptor refuses.
bool writeAll(int fd, const char *data, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

// Where the text goes: gathered here and handed on at each page's end (so the service sees the
// text coming while a long document converts) or when a page gives much text.
class TextSink
{
public:
    TextSink(int fd, bool framed) : m_fd(fd), m_framed(framed) {}

    static void collect(void *sink, const char *text, int length)
    {
        static_cast<TextSink *>(sink)->append(text, static_cast<std::size_t>(length));
    }

    void append(const char *text, std::size_t length)
    {
        if (m_holding) {
            // A page's text waits for its judgement, unless it has shown itself usable already
            // and is no page to be read by OCR whatever it holds.
            m_page.append(text, length);
            if (!m_holdWhole) {
                m_pageCounter.feed(std::string_view(text, length));
                if (m_pageCounter.decided()) {
                    m_holding = false;
                    append(m_page.data(), m_page.size());
                    m_page.clear();
                }
            }
            return;
        }
        m_buffer.append(text, length);
        if (m_buffer.size() >= FlushSize)
            flush();
    }

    // The next page's text is held until takeHeldPage(): the whole of it (`whole`), or until it
    // shows itself usable.
    void holdPage(bool whole)
    {
        m_holding = true;
        m_holdWhole = whole;
        m_page.clear();
        m_pageCounter = pagetextcheck::Counter();
    }

    // The page's text still held (empty once it was let through as usable).
    bool holding() const { return m_holding; }
    std::string takeHeldPage()
    {
        m_holding = false;
        return std::exchange(m_page, {});
    }

    void pageEnded()
    {
        if (!m_holding)
            flush();
    }

    void flush()
    {
        // After a failed write the rest of the text is dropped: the outcome is a failure anyway.
        if (m_buffer.empty() || m_error != 0) {
            m_buffer.clear();
            return;
        }
        bool written;
        if (m_framed) {
            std::string frame;
            serviceprotocol::appendFrame(frame, FrameKind::Text, m_buffer);
            written = writeAll(m_fd, frame.data(), frame.size());
        } else {
            written = writeAll(m_fd, m_buffer.data(), m_buffer.size());
        }
        if (!written)
            m_error = errno;
        else
            m_written += m_buffer.size();
        m_buffer.clear();
    }

    int error() const { return m_error; }
    std::uint64_t written() const { return m_written; }

private:
    static constexpr std::size_t FlushSize = 64 * 1024;
    int m_fd;
    bool m_framed;
    std::string m_buffer;
    std::string m_page;
    pagetextcheck::Counter m_pageCounter;
    bool m_holding = false;
    bool m_holdWhole = false;
    int m_error = 0;
    std::uint64_t m_written = 0;
};

EndOfLineKind endOfLineKind(serviceprotocol::EndOfLine endOfLine)
{
    switch (endOfLine) {
    case serviceprotocol::EndOfLine::Dos:
        return eolDOS;
    case serviceprotocol::EndOfLine::Mac:
        return eolMac;
    case serviceprotocol::EndOfLine::Unix:
        break;
    }
    return eolUnix;
}

// poppler's text device as pdftotext sets it up for the request's mode, handing the text on after
// every page.
class PageFlushingTextDevice : public TextOutputDev
{
public:
    PageFlushingTextDevice(TextSink &sink, const ConvertRequest &request)
        : TextOutputDev(&TextSink::collect, &sink,
                        request.textMode == serviceprotocol::TextMode::Layout, 0,
                        request.textMode == serviceprotocol::TextMode::Raw, false),
          m_sink(sink)
    {
        setTextEOL(endOfLineKind(request.endOfLine));
        setTextPageBreaks(request.pageBreaks);
    }

    void endPage() override
    {
        TextOutputDev::endPage();
        m_sink.pageEnded();
        ++m_pagesDone;
    }

    // Pages whose text was handed on: a page poppler cannot read (a page tree that names a
    // missing object, or claims more pages than it holds) is left out without a word, as
    // pdftotext leaves it out.
    int pagesDone() const { return m_pagesDone; }

private:
    TextSink &m_sink;
    int m_pagesDone = 0;
};

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

std::unique_ptr<PDFDoc> openDocument(const std::string &path,
                                     const std::optional<GooString> &ownerPassword,
                                     const std::optional<GooString> &userPassword)
{
    return std::make_unique<PDFDoc>(std::make_unique<GooString>(path), ownerPassword, userPassword);
}

int stringLength(const Object &object)
{
    return object.isString() ? object.getString()->getLength() : -1;
}

// A file whose encryption no password can undo: a security handler other than the standard one
// (the only one poppler has), or a standard one whose own entries poppler refuses (the kinds and
// lengths its handler requires). It is damaged, as pdftotext's mode says, not locked.
bool noPasswordCanOpen(PDFDoc &doc)
{
    XRef *xref = doc.getXRef();
    if (!xref)
        return true;
    const Object encrypt = xref->getTrailerDict()->dictLookup("Encrypt");
    if (!encrypt.isDict() || !encrypt.dictLookup("Filter").isName("Standard"))
        return true;
    const Object version = encrypt.dictLookup("V");
    const Object revision = encrypt.dictLookup("R");
    if (!version.isInt() || !revision.isInt() || !encrypt.dictLookup("P").isInt())
        return true;
    const int v = version.getInt();
    const int r = revision.getInt();
    if ((v != 1 && v != 2 && v != 4 && v != 5) || r < 2 || r > 6)
        return true;
    const int owner = stringLength(encrypt.dictLookup("O"));
    const int user = stringLength(encrypt.dictLookup("U"));
    if (r <= 4)
        return owner != 32 || user != 32;
    return owner < 48 || user < 48 || stringLength(encrypt.dictLookup("OE")) != 32 ||
           stringLength(encrypt.dictLookup("UE")) != 32;
}

OutcomeKind openFailureKind(PDFDoc &doc, int popplerError, bool passwordGiven)
{
    switch (popplerError) {
    case errEncrypted:
        if (noPasswordCanOpen(doc))
            return OutcomeKind::Damaged;
        return passwordGiven ? OutcomeKind::WrongPassword : OutcomeKind::NeedsPassword;
    case errOpenFile:
        return OutcomeKind::CannotOpen;
    default:
        return OutcomeKind::Damaged;
    }
}

// Tells the service that `done` of the request's `total` pages are through.
void sendPageProgress(int answerFd, int done, int total)
{
    const std::string frame = serviceprotocol::encodePage(0, done, total);
    writeAll(answerFd, frame.data(), frame.size());
}

// What stands for a page's text when the request asks for OCR: poppler's text when it is usable
// (mode auto) and not a stamp on a scan, else what tesseract reads on the page, followed by the
// page's form feed. A page OCR finds nothing on, or cannot read, keeps poppler's text; a page it
// cannot read says why on the error output. The pages OCR turned, straightened or read
// doubtfully are counted in the outcome. The reader is made at the first page it reads, after the
// memory limit is set.
class PageReader
{
public:
    PageReader(const ConvertRequest &request, Outcome &outcome)
        : m_request(request), m_outcome(outcome)
    {
    }

    // OCR's lines (LF) ended as the text's, and its page break where the text has them.
    std::string inTextForm(const std::string &read) const
    {
        std::string text;
        for (const char c : read) {
            if (c != '\n')
                text += c;
            else if (m_request.endOfLine == serviceprotocol::EndOfLine::Dos)
                text += "\r\n";
            else if (m_request.endOfLine == serviceprotocol::EndOfLine::Mac)
                text += '\r';
            else
                text += '\n';
        }
        if (m_request.pageBreaks)
            text += '\f';
        return text;
    }

    bool active() const
    {
#ifdef MORWENDA_OCR
        return m_request.ocrMode != serviceprotocol::OcrMode::Off;
#else
        return false;
#endif
    }

    // Looks at the page before its text is taken: true when the whole of its text must wait for
    // the page's end (mode always, or a scan whose text layer is only a stamp).
    bool holdsWholePage([[maybe_unused]] PDFDoc *doc, [[maybe_unused]] int page)
    {
#ifdef MORWENDA_OCR
        m_stamped = false;
        if (m_request.ocrMode == serviceprotocol::OcrMode::Always)
            return true;
        if (m_request.ocrMode == serviceprotocol::OcrMode::Auto &&
            pagepicture::mayHoldPicture(doc, page))
            m_stamped = pagepicture::isStampedScan(pagepicture::survey(doc, page, false));
        return m_stamped;
#else
        return false;
#endif
    }

    std::string pageText([[maybe_unused]] PDFDoc *doc, [[maybe_unused]] int page,
                         std::string popplerText)
    {
#ifdef MORWENDA_OCR
        // The page is judged with its form feed, also where the text has none. A stamp's text is
        // no page's text: the stamp is read with the scan it is on.
        if ((m_request.ocrMode == serviceprotocol::OcrMode::Auto && !m_stamped &&
             pagetextcheck::hasUsableText(m_request.pageBreaks ? popplerText
                                                               : popplerText + '\f')) ||
            (m_request.ocrPageLimit > 0 && m_tried >= m_request.ocrPageLimit))
            return popplerText;
        ++m_tried;
        if (!m_ocr)
            m_ocr = std::make_unique<PageOcr>(
                m_request.ocrLanguages.empty() ? std::string("eng") : m_request.ocrLanguages);
        const PageOcr::PageText read =
            m_ocr->read(doc, page, m_request.ocrDpi > 0 ? m_request.ocrDpi : PageOcr::DefaultDpi);
        if (!read.read) {
            error(errInternal, -1, "{0:s}", read.failure.c_str());
            return popplerText;
        }
        m_outcome.ocrOrientationUnknown |= read.orientationUnknown;
        if (read.turnedDegrees != 0)
            m_outcome.ocrTurnedPages.push_back(page);
        if (read.skewDegrees != 0)
            m_outcome.ocrDeskewedPages.push_back(page);
        // Also a page where nothing was read while letters are to be seen.
        if (read.doubtful)
            m_outcome.ocrDoubtfulPages.push_back(page);
        if (read.text.empty())
            return popplerText;
        ++m_outcome.ocrPages;
        m_outcome.ocrWords += read.words;
        m_outcome.ocrConfidenceSum +=
            static_cast<std::uint64_t>(std::llround(read.confidence * read.words));
        return inTextForm(read.text);
#else
        return popplerText;
#endif
    }

private:
    const ConvertRequest &m_request;
    Outcome &m_outcome;
#ifdef MORWENDA_OCR
    std::unique_ptr<PageOcr> m_ocr;
    int m_tried = 0;        // pages given to OCR
    bool m_stamped = false; // the page at hand is a scan with a stamp for its text
#endif
};

} // namespace

void loadLibrary()
{
    globalParams = std::make_unique<GlobalParams>();
}

const char *libraryVersion()
{
    return POPPLER_VERSION;
}

namespace {

// The document opened with the password in the role(s) the request names.
std::unique_ptr<PDFDoc> openWithPassword(const ConvertRequest &request)
{
    using serviceprotocol::PasswordUse;
    std::optional<GooString> password;
    if (request.passwordUse != PasswordUse::None)
        password = GooString(request.password);
    const bool asOwner = request.passwordUse == PasswordUse::Owner ||
                         request.passwordUse == PasswordUse::OwnerThenUser;
    std::unique_ptr<PDFDoc> doc = asOwner ? openDocument(request.pdfPath, password, std::nullopt)
                                          : openDocument(request.pdfPath, std::nullopt, password);
    // A file locked by an open password refuses that password offered as the owner's.
    if (!doc->isOk() && doc->getErrorCode() == errEncrypted &&
        request.passwordUse == PasswordUse::OwnerThenUser)
        doc = openDocument(request.pdfPath, std::nullopt, password);
    return doc;
}

[[noreturn]] void answerUnopened(PDFDoc &doc, const ConvertRequest &request, int answerFd)
{
    Outcome outcome;
    outcome.popplerError = doc.getErrorCode();
    outcome.kind = openFailureKind(doc, outcome.popplerError,
                                   request.passwordUse != serviceprotocol::PasswordUse::None);
    if (outcome.kind == OutcomeKind::CannotOpen)
        outcome.systemError = doc.getFopenErrno();
    outcome.exitCode = 1;
    answerAndExit(answerFd, outcome);
}

struct PageRange
{
    int first;
    int last;
};

// The request's pages within the document's; a range that holds no page ends the child as
// pdftotext would.
PageRange pageRangeOrExit(const ConvertRequest &request, Outcome &outcome, int answerFd)
{
    const int firstPage = request.firstPage < 1 ? 1 : request.firstPage;
    int lastPage = request.lastPage;
    if (lastPage < 1 || lastPage > outcome.pageCount)
        lastPage = outcome.pageCount;
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

// The places (from 1, in the page tree's order) of the pages poppler cannot reach: an entry of
// Kids that names no page (a missing object, another type, a node seen before) and the places the
// root's /Count claims beyond the tree's leaves.
void findUnreachable(const Object &node, int depth, int &place, std::vector<int> &unreachable,
                     std::set<int> &seen)
{
    const Object kids = node.dictLookup("Kids");
    if (!kids.isArray() || depth > 100)
        return;
    for (int i = 0; i < kids.arrayGetLength() && place < 10'000'000; ++i) {
        const Object &ref = kids.arrayGetNF(i);
        const Object kid = kids.arrayGet(i);
        if (ref.isRef() && !seen.insert(ref.getRefNum()).second)
            unreachable.push_back(++place);
        else if (kid.isDict("Page") || (kid.isDict() && !kid.getDict()->hasKey("Kids")))
            ++place;
        else if (kid.isDict())
            findUnreachable(kid, depth + 1, place, unreachable, seen);
        else
            unreachable.push_back(++place);
    }
}

// poppler numbers the pages it reaches one after the other, and the pages it counts beyond them
// give no text: its page n beyond them stands for the (n - reached)-th unreachable place of the
// tree. The places, when the tree says as much as poppler counts; else nothing.
std::vector<int> unreachablePlaces(PDFDoc &doc)
{
    XRef *xref = doc.getXRef();
    if (!xref)
        return {};
    const Object catalog = xref->getCatalog();
    const Object root = catalog.isDict() ? catalog.dictLookup("Pages") : Object();
    if (!root.isDict())
        return {};
    std::vector<int> unreachable;
    std::set<int> seen;
    int place = 0;
    findUnreachable(root, 0, place, unreachable, seen);
    for (int claimed = place + 1; claimed <= doc.getNumPages(); ++claimed)
        unreachable.push_back(claimed);
    if (std::max(place, doc.getNumPages()) != doc.getNumPages())
        return {};
    return unreachable;
}

// The pages that could not be read, as "5,12,31-40" (in increasing order).
class UnreadPages
{
public:
    // poppler's numbers of the pages that gave no text are said as the places of the page tree
    // they stand for, where the tree tells them.
    void nameByTree(std::vector<int> places, int pageCount)
    {
        m_places = std::move(places);
        m_pageCount = pageCount;
    }

    void add(int page)
    {
        ++m_count;
        m_pages.push_back(page);
    }

    int count() const { return m_count; }

    std::string text()
    {
        std::vector<int> pages = std::exchange(m_pages, {});
        const int reached = m_pageCount - int(m_places.size());
        bool byTree = !m_places.empty();
        for (const int page : pages)
            byTree = byTree && page > reached && page <= m_pageCount;
        m_text.clear();
        m_runStart = m_last = 0;
        for (const int page : pages)
            addToText(byTree ? m_places[std::size_t(page - reached - 1)] : page);
        close();
        return m_text;
    }

private:
    void addToText(int page)
    {
        if (m_last == page - 1 && m_runStart > 0) {
            m_last = page;
            return;
        }
        close();
        m_runStart = m_last = page;
    }

    void close()
    {
        if (m_runStart <= 0)
            return;
        if (!m_text.empty())
            m_text += ',';
        m_text += std::to_string(m_runStart);
        if (m_last > m_runStart)
            m_text += '-' + std::to_string(m_last);
        m_runStart = m_last = 0;
    }

    std::vector<int> m_pages;
    std::vector<int> m_places;
    int m_pageCount = 0;
    std::string m_text;
    int m_count = 0;
    int m_runStart = 0;
    int m_last = 0;
};

// The last of the text is handed on and the outcome says whether all of it was written. The
// text of the pages poppler read is kept (pdftotext gives the same), and the pages it could not
// read are named; a document none of whose requested pages could be read is damaged.
void finishText(TextSink &sink, const ConvertRequest &request, int textFd, int pagesRequested,
                UnreadPages &unread, Outcome &outcome)
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
    const std::unique_ptr<PDFDoc> doc = openWithPassword(request);
    if (!doc->isOk())
        answerUnopened(*doc, request, answerFd);
    outcome.pageCount = doc->getNumPages();
    const PageRange pages = pageRangeOrExit(request, outcome, answerFd);
    const int textFd = openTextTargetOrExit(request, outcome, answerFd);

    TextSink sink(textFd, request.target != serviceprotocol::OutputTarget::File);
    UnreadPages unread;
    const int count = pages.last - pages.first + 1;
    {
        PageReader reader(request, outcome);
        PageFlushingTextDevice device(sink, request);
        sendPageProgress(answerFd, 0, count);
        for (int page = pages.first; page <= pages.last; ++page) {
            // A page that OCR may read is held until its end, when its text is judged.
            if (reader.active())
                sink.holdPage(reader.holdsWholePage(doc.get(), page));
            const int done = device.pagesDone();
            doc->displayPage(&device, page, 72.0, 72.0, 0, true, false, false);
            const bool read = device.pagesDone() > done;
            if (!read)
                unread.add(page);
            if (sink.holding()) {
                // A page poppler could not read has no picture for OCR either.
                std::string text = sink.takeHeldPage();
                if (read)
                    text = reader.pageText(doc.get(), page, std::move(text));
                sink.append(text.data(), text.size());
                sink.flush();
            }
            sendPageProgress(answerFd, page - pages.first + 1, count);
        }
    }
    if (unread.count() > 0)
        unread.nameByTree(unreachablePlaces(*doc), doc->getNumPages());
    finishText(sink, request, textFd, count, unread, outcome);
    answerAndExit(answerFd, outcome);
}

} // namespace

void convertAndExit(const ConvertRequest &request, int answerFd)
{
    std::set_new_handler(&allocationRefused);
    // Nothing may unwind into the service's own frames, which this forked copy still holds: an
    // exception that poppler lets through ends the child as a crash.
    try {
        convert(request, answerFd);
    } catch (...) {
        std::abort();
    }
}

} // namespace childconversion
