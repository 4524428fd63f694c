// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChildConversion.h"

#include "ServiceProtocol.h"

#include <ErrorCodes.h>
#include <GlobalParams.h>
#include <goo/GooString.h>
#include <PDFDoc.h>
#include <poppler-config.h>
#include <TextOutputDev.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <optional>
#include <unistd.h>

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
        m_buffer.append(text, length);
        if (m_buffer.size() >= FlushSize)
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
        m_sink.flush();
    }

private:
    TextSink &m_sink;
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

OutcomeKind openFailureKind(int popplerError, bool passwordGiven)
{
    switch (popplerError) {
    case errEncrypted:
        return passwordGiven ? OutcomeKind::WrongPassword : OutcomeKind::NeedsPassword;
    case errOpenFile:
        return OutcomeKind::CannotOpen;
    default:
        return OutcomeKind::Damaged;
    }
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

namespace {

[[noreturn]] void convert(const ConvertRequest &request, int answerFd)
{
    using serviceprotocol::PasswordUse;

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
    if (!doc->isOk()) {
        outcome.popplerError = doc->getErrorCode();
        outcome.kind = openFailureKind(outcome.popplerError, password.has_value());
        if (outcome.kind == OutcomeKind::CannotOpen)
            outcome.systemError = doc->getFopenErrno();
        outcome.exitCode = 1;
        answerAndExit(answerFd, outcome);
    }

    outcome.pageCount = doc->getNumPages();
    int firstPage = request.firstPage < 1 ? 1 : request.firstPage;
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
    if (request.splitAbovePages > 0 && lastPage - firstPage + 1 > request.splitAbovePages) {
        outcome.kind = OutcomeKind::LeftToSplit;
        outcome.exitCode = 0;
        answerAndExit(answerFd, outcome);
    }

    const bool toFile = request.target == serviceprotocol::OutputTarget::File;
    int textFd = answerFd;
    if (toFile) {
        textFd = ::open(request.outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (textFd < 0) {
            outcome.systemError = errno;
            error(errIO, -1, "Couldn't open text file '{0:s}'", request.outputPath.c_str());
            outcome.kind = OutcomeKind::WriteFailed;
            outcome.exitCode = 2;
            answerAndExit(answerFd, outcome);
        }
    }

    TextSink sink(textFd, !toFile);
    {
        PageFlushingTextDevice device(sink, request);
        doc->displayPages(&device, firstPage, lastPage, 72.0, 72.0, 0, true, false, false);
    }
    sink.flush();
    outcome.systemError = sink.error();
    if (toFile && ::close(textFd) != 0 && outcome.systemError == 0)
        outcome.systemError = errno;
    outcome.textBytes = sink.written();
    if (outcome.systemError != 0) {
        outcome.kind = OutcomeKind::WriteFailed;
        outcome.exitCode = 2;
    } else {
        outcome.kind = OutcomeKind::Converted;
        outcome.exitCode = 0;
    }
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
