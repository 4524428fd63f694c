// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The converter service's wire format, spoken over the service's standard input (requests) and
// standard output (answers). Plain C++ so the service, which makes no QCoreApplication, and the
// client share one definition.
//
// Every message is a frame:
//
//     u32 payload length | u8 kind | payload
//
// Integers are little-endian; a string is a u32 byte count followed by the bytes (paths and
// passwords as the system and the PDF see them: UTF-8). A frame longer than maxFrameLength ends
// the conversation.
//
// Client -> service
//   'C' convert   u32 id, u8 PasswordUse, u8 OutputTarget, i32 first page, i32 last page,
//                 u64 memory limit in bytes beyond the service's own
//                 address space (0: none), u32 time limit in ms without new text
//                 (0: none), string pdf path, string output path (OutputTarget::File only),
//                 string password, u8 OcrMode, string OCR languages ("eng+deu"),
//                 i32 OCR dots per inch (0: the reader's default), i32 pages read by OCR at
//                 most (0: no limit; the pages after keep poppler's text), u8 TextMode,
//                 u8 EndOfLine, u8 page breaks (1: a form feed after each page), string text
//                 encoding (pdftotext -enc; "": UTF-8),
//                 i32 split above (0: never; else a page range of more pages is not converted and
//                 is answered as LeftToSplit with the page count), u8 TextOutput, f64 resolution
//                 (pdftotext -r), i32 crop x, i32 crop y, i32 crop width, i32 crop height
//                 (-x -y -W -H; a width or height of 0 reaches the page's edge), f64 fixed pitch
//                 (-fixed; 0: none), u8 discard diagonal text (-nodiag), u8 crop box (-cropbox),
//                 f64 column spacing (-colspacing), u8 1 when the answer is to carry the
//                 document's information, i32 the page before a part of a split range (0: none;
//                 else its words are laid out first, unwritten, so the part's -tsv rows go on
//                 from it as a whole run's do)
//   'X' cancel    u32 id: the child of that request is killed; its outcome is Cancelled
//
// Service -> client
//   'R' ready     string: poppler's version. Sent once, when the library is loaded.
//   'T' text      u32 id, then the next bytes of that request's text (OutputTarget::Stream)
//   'P' page      u32 id, i32 pages done, i32 pages requested: sent when the pages are known and
//                 after each page (child -> service with id 0, like 'T')
//   'D' done      u32 id, u8 OutcomeKind, i32 exit code (as pdftotext would give, -1 when the
//                 child did not end by itself), i32 signal (0: none), i32 poppler error code,
//                 i32 errno (0: none), i32 page count (-1: the file did not open), u64 text bytes,
//                 string diagnostics (the first 64 KiB of the child's error output), i32 pages
//                 read by OCR, i32 words OCR gave a confidence for, u64 the sum of those
//                 confidences (0 to 100 each), i32 pages requested, i32 pages poppler could not
//                 read (their text is left out, as pdftotext leaves it out), string those pages
//                 ("5,12,31-40"), then three page lists (each a u32 count and that many i32
//                 page numbers): the pages OCR turned upright, those it straightened, and those
//                 whose OCR is doubtful; u8 1 when OCR could not tell pages' orientation
//                 (tesseract's orientation data is not installed), i32 the page being converted
//                 when the memory limit stopped the child (MemoryLimit; 0: not known), string
//                 the document's information as pdfinfo -isodates prints it ("Key: value"
//                 lines; "" unless asked for), then u32 a count of pages and that many page
//                 records: i32 page number, u64 bytes of its text, u8 PageFact flags, i32 words
//                 OCR gave a confidence for on it, u64 the sum of those confidences
//
// Each request ends with exactly one 'D'; its 'T' frames all come before it. Requests run at
// once, each in a child of its own, and answers of different ids may interleave. The service
// ends when its standard input closes, killing the children it still has.
namespace serviceprotocol {

inline constexpr std::uint32_t maxFrameLength = 64u * 1024u * 1024u;
inline constexpr std::size_t maxDiagnostics = 64u * 1024u;
inline constexpr std::size_t frameHeaderLength = 5;

enum class FrameKind : std::uint8_t
{
    Convert = 'C',
    Cancel = 'X',
    Ready = 'R',
    Text = 'T',
    Done = 'D',
    Page = 'P',
};

// Which pages are read by OCR: none, those without usable text, or every page.
enum class OcrMode : std::uint8_t
{
    Off = 0,
    Auto = 1,
    Always = 2,
};

// How a typed password is offered: as the owner password, as the password that opens the file,
// or first as the one and, when the file stays locked, as the other.
enum class PasswordUse : std::uint8_t
{
    None = 0,
    Owner = 1,
    User = 2,
    OwnerThenUser = 3,
};

// Where the text goes: back over the pipe in 'T' frames, or into a file the child writes itself.
enum class OutputTarget : std::uint8_t
{
    Stream = 0,
    File = 1,
};

// pdftotext's text modes: reading order, -layout, -raw.
enum class TextMode : std::uint8_t
{
    Reading = 0,
    Layout = 1,
    Raw = 2,
};

// What pdftotext writes: the text, -htmlmeta, -tsv, -bbox, -bbox-layout.
enum class TextOutput : std::uint8_t
{
    Text = 0,
    HtmlMeta = 1,
    Tsv = 2,
    Bbox = 3,
    BboxLayout = 4,
};

// pdftotext's -eol: LF, CR LF, CR.
enum class EndOfLine : std::uint8_t
{
    Unix = 0,
    Dos = 1,
    Mac = 2,
};

enum class OutcomeKind : std::uint8_t
{
    Converted = 0,     // the text of every readable page was delivered; exit code 0
    NeedsPassword = 1, // the file is encrypted and no password was given
    WrongPassword = 2, // the file is encrypted and the given password opens it in neither role
    Damaged = 3,       // poppler could not read it as a PDF (damaged, not a PDF, bad catalog, or
                       // not one of the requested pages)
    CannotOpen = 4,    // the file itself could not be opened (errno says why)
    PageRange = 5,     // the first page lies after the last (a file of 0 pages included)
    WriteFailed = 6,   // the text could not be written (errno says why); exit code 2
    TimeLimit = 7,     // killed after the time limit passed without new text
    MemoryLimit = 8,   // the child died when the memory limit refused an allocation
    Crashed = 9,       // the child died of a signal (signal says which)
    Cancelled = 10,    // killed on the client's request
    ChildFailed = 11,  // no child could be made (errno), or it ended without an answer
    ServiceLost = 12,  // never sent: the client's word for a service that went away
    // poppler has no such text encoding; exit code 99
    NoTextEncoding = 13,
    // the range holds more pages than the request's split size: nothing was converted;
    // pageCount says how many the document has; exit code 0
    LeftToSplit = 14,
};

struct ConvertRequest
{
    std::uint32_t id = 0;
    PasswordUse passwordUse = PasswordUse::None;
    OutputTarget target = OutputTarget::Stream;
    std::int32_t firstPage = 0; // 0: the first page
    std::int32_t lastPage = 0;  // 0: the last page
    std::uint64_t memoryLimit = 0;
    std::uint32_t idleLimitMs = 0;
    std::string pdfPath;
    std::string outputPath;
    std::string password;
    OcrMode ocrMode = OcrMode::Off;
    std::string ocrLanguages;
    std::int32_t ocrDpi = 0;
    std::int32_t ocrPageLimit = 0;
    TextMode textMode = TextMode::Reading;
    EndOfLine endOfLine = EndOfLine::Unix;
    bool pageBreaks = true;
    std::string textEncoding; // "": UTF-8
    std::int32_t splitAbovePages = 0;
    TextOutput textOutput = TextOutput::Text;
    double resolution = 72;
    std::int32_t cropX = 0;
    std::int32_t cropY = 0;
    std::int32_t cropWidth = 0;
    std::int32_t cropHeight = 0;
    double fixedPitch = 0;
    bool discardDiagonal = false;
    bool cropBox = false;
    double columnSpacing = 0.7;
    bool documentInfo = false; // the answer carries the document's information
    std::int32_t pageBefore = 0; // a split part's page before it, laid out unwritten; 0: none

    friend bool operator==(const ConvertRequest &, const ConvertRequest &) = default;
};

// One page the child went through, in page order: how many bytes of the text are its own (the
// texts of the pages, in order, are the whole text), and how it was read.
struct PageFact
{
    enum Flag : std::uint8_t
    {
        Unread = 1, // poppler could not read it: no text
        ByOcr = 2,  // its text is what OCR read
    };
    std::int32_t page = 0;
    std::uint64_t bytes = 0;
    std::uint8_t flags = 0;
    std::int32_t ocrWords = 0;
    std::uint64_t ocrConfidenceSum = 0;

    friend bool operator==(const PageFact &, const PageFact &) = default;
};

struct Outcome
{
    OutcomeKind kind = OutcomeKind::ChildFailed;
    std::int32_t exitCode = -1;
    std::int32_t signal = 0;
    std::int32_t popplerError = 0;
    std::int32_t systemError = 0;
    std::int32_t pageCount = -1;
    std::uint64_t textBytes = 0;
    std::string diagnostics;
    std::int32_t ocrPages = 0;
    std::int32_t ocrWords = 0;
    std::uint64_t ocrConfidenceSum = 0;
    std::int32_t pagesRequested = 0;
    std::int32_t pagesUnread = 0;
    std::string unreadPages; // "5,12,31-40"; "" when every page was read
    std::vector<std::int32_t> ocrTurnedPages;
    std::vector<std::int32_t> ocrDeskewedPages;
    std::vector<std::int32_t> ocrDoubtfulPages;
    bool ocrOrientationUnknown = false;
    std::int32_t memoryLimitPage = 0; // MemoryLimit: the page it stopped at; 0: not known
    std::string documentInfo;         // pdfinfo's lines; "" unless the request asked
    std::vector<PageFact> pages;
};

// Appends a whole frame of the given kind around `payload` to `out`.
void appendFrame(std::string &out, FrameKind kind, std::string_view payload);

std::string encodeConvert(const ConvertRequest &request);
std::string encodeCancel(std::uint32_t id);
std::string encodeReady(std::string_view popplerVersion);
// The header of a 'T' frame for `length` bytes of text; the text follows it on the wire.
std::string encodeTextHeader(std::uint32_t id, std::size_t length);
std::string encodeDone(std::uint32_t id, const Outcome &outcome);
std::string encodePage(std::uint32_t id, std::int32_t done, std::int32_t total);

// One frame taken from the front of a byte buffer.
struct Frame
{
    FrameKind kind;
    std::string_view payload;
};

// The frame at the front of `buffer`, if it is complete; `consumed` is set to its whole length.
// Throws std::length_error for a frame announcing more than maxFrameLength.
std::optional<Frame> takeFrame(std::string_view buffer, std::size_t &consumed);

// Reading a payload; each throws std::out_of_range when the payload is too short.
class PayloadReader
{
public:
    explicit PayloadReader(std::string_view payload) : m_rest(payload) {}
    std::uint8_t u8();
    std::uint32_t u32();
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::uint64_t u64();
    double f64();
    std::string string();
    std::string_view rest() const { return m_rest; }

private:
    std::string_view take(std::size_t length);
    std::string_view m_rest;
};

ConvertRequest decodeConvert(std::string_view payload);
// A 'D' payload into its id and outcome.
std::pair<std::uint32_t, Outcome> decodeDone(std::string_view payload);
struct PageProgress
{
    std::uint32_t id = 0;
    std::int32_t done = 0;
    std::int32_t total = 0;
};
PageProgress decodePage(std::string_view payload);

} // namespace serviceprotocol
