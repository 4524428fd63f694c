// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PageFacts.h"
#include "platform/FileIdentity.h"

#include <QList>
#include <QString>

// How the conversion of one file ended.
enum class Outcome
{
    Converted,     // usable text, in place
    NoUsableText,  // R3: a text without usable text (or none at all) is in place
    WrongPassword, // R1: the typed password opened nothing
    Protected,     // R2: the file wants a password, or forbids copying its text
    Damaged,       // damaged, or not a PDF at all
    CannotRead,    // the file could not be opened for reading (missing, denied, not a file)
    WriteFailed,   // the text could not be written; the old file stays
    TimeLimit,     // the converter gave no new text for too long and was stopped
    MemoryLimit,   // the converter wanted more memory than it may have
    Crashed,       // the converter ended by a signal
    CannotStart,   // the converter could not be started
    Stopped,       // the user stopped the run before this file was done
    LowConfidence, // text in place, but OCR read its pages with low confidence
    PageRange,     // the page range asked for holds no page of the document
    Changed,       // the PDF was replaced or changed while it was converted; the old text stays
    OcrDoubtful,   // text in place, but OCR may have missed text on some of its pages
};

// What OCR did to a file's pages besides reading them (page numbers from 1, ascending).
struct OcrPages
{
    QList<int> turned;               // turned upright before they were read
    QList<int> deskewed;             // straightened before they were read
    QList<int> doubtful;             // read doubtfully: text may be missing
    bool orientationUnknown = false; // tesseract's orientation data is not installed

    // Adds the pages of another part of the same file.
    void add(const OcrPages &other);
};

// How one listed file ended in a run.
struct FileOutcome
{
    QString pdf = {};
    QString output = {}; // where its text is (or would have gone)
    Outcome outcome = Outcome::Stopped;
    QString reason = {}; // empty for Converted
    double seconds = 0;
    int pages = -1;            // pages of the text (its page breaks); -1 when not known
    bool numbered = false;     // its text path got a number: an earlier row's text has its name
    int ocrPages = 0;          // pages whose text was read by OCR
    double ocrConfidence = -1; // tesseract's mean word confidence over them; -1: no words
    int pagesRequested = 0;    // pages of the range converted (0: not known)
    int pagesUnread = 0;       // of them, pages the converter could not read (left out)
    QString unreadPages = {};  // those pages, "5,12,31-40"
    OcrPages ocr = {};
    FileIdentity identity = {}; // the PDF as it was when its conversion started; not known before
    PageFacts facts = {};       // where its pages end, its information (engine/JsonLinesFile)
};

// A text file is in place for the file (also for NoUsableText).
inline bool leftText(Outcome outcome)
{
    return outcome == Outcome::Converted || outcome == Outcome::NoUsableText ||
           outcome == Outcome::LowConfidence || outcome == Outcome::OcrDoubtful;
}

// What a converter writes on its error output when it cannot get the memory it asks for.
bool saysOutOfMemory(const QString &errorOutput);

// A fixed name per outcome for reports that programs read ("converted", "time-limit", ...).
QString outcomeName(Outcome outcome);

// The reasons a file is named in the final message. Each begins with two blanks and a dash.
namespace reasons {
inline const QString WrongPassword =
    QStringLiteral("  - invalid password or no password protected.");
inline const QString Protected = QStringLiteral("  - password protected or text is protected.");
inline const QString Unreadable = QStringLiteral(
    "  - text unreadable. Please view the file yourself to see if it is really a scanned image of "
    "text and not proper PDF text.");
inline const QString Damaged = QStringLiteral("  - damaged file or not a PDF file.");
inline const QString Stopped = QStringLiteral("  - not converted: the run was stopped.");
inline const QString Changed =
    QStringLiteral("  - the file changed while it was converted; its old text (if any) was kept.");

// "  - the file could not be read: No such file or directory."
QString cannotRead(const QString &systemReason);
// "  - the text could not be written: No space left on device."
QString writeFailed(const QString &systemReason);
// "  - stopped after 30 seconds without new text (time limit)."
QString timeLimit(int seconds);
// "  - stopped at the memory limit of 1024 MB." and, where the page is known,
// "  - stopped at the memory limit of 1024 MB on page 3."
QString memoryLimit(int megabytes, int page = 0);
// "  - the converter crashed (signal 11)."
QString crashed(int signal);
// "  - the converter could not be started: Permission denied."
QString cannotStart(const QString &systemReason);
// "  - the converter stopped before the text was complete: The converter service was killed
// (signal 9)."
QString serviceLost(const QString &why);
// "  - 3 of 4 pages read by OCR, mean word confidence 91 %." (not a failure: the final message
// lists these files apart)
QString readByOcr(int ocrPages, int pages, double confidence);
// "  - text read by OCR with low confidence (3 of 4 pages, mean word confidence 41 %)."
QString lowConfidence(int ocrPages, int pages, double confidence);
// "  - 10 of 40 pages could not be read (31-40); the text holds the others." (not a failure)
QString pagesUnread(int unread, int requested, const QString &which);
// "  - OCR doubtful on pages 4, 7-9: some words were read with low confidence or not read where
// the page has ink; the text is kept."
QString ocrDoubtful(const QList<int> &pages);
// " Turned upright: page 3. Straightened: pages 1-4." (after a readByOcr line; "" when none)
// In the user's language when asked (the window), else in English.
QString ocrCorrections(const OcrPages &ocr, bool inUserLanguage = false);
// Said once in the final message when pages could not be turned upright.
inline const QString OrientationUnknown = QStringLiteral(
    "  - OCR turned no page upright: tesseract's orientation data is not installed (Debian "
    "package tesseract-ocr-osd).");
// "1-4, 7": ascending page numbers, runs joined.
QString pageList(const QList<int> &pages);
// "  - no page to convert: the first page (10) is after the last page (5)."
QString pageRange(int firstPage, int lastPage);
// "  - the converter could not be started: it has no text encoding called Latin9."
QString noTextEncoding(const QString &encoding);

// A reason above in the user's language, for the window's final message (the translation
// context "Reasons"); what it quotes (a number, the system's words) stays as it is. Reports keep
// the English reason, which scripts read; a text that is no reason comes back unchanged.
QString translated(const QString &reason);
} // namespace reasons

// What the converters write on their error output (pdftotext's words; the service's child uses
// the same) when the text encoding is missing, and when the first page lies after the last:
// then `firstPage` and `lastPage` are set from it.
bool saysNoTextEncoding(const QString &errorOutput);
bool saysWrongPageRange(const QString &errorOutput, int &firstPage, int &lastPage);
