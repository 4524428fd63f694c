// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OcrPicture.h"
#include "PageJudgement.h"
#include "PageOrientation.h"
#include "PageReading.h"

#include <string>
#include <vector>

class PDFDoc;

// Reads a page of an open PDF with tesseract, in steps each of which is a unit of its own: the
// page's picture (ocrpicture), its orientation (PageOrientation), its cleaning (pagecleaning),
// the reading (PageReading) and the judgement of what was read (pagejudgement). A page that is
// one picture (a scan) is read from that picture as stored, at its own resolution (raised to the
// reading's only when lower); any other page is drawn in gray by poppler. The picture is cleaned
// where a measure of it says so (impulse noise), turned upright by tesseract's orientation
// detection where its data ("osd") is installed, and straightened, then tesseract's library reads
// it. The result says what was done and whether the reading is doubtful: many words of low
// confidence, or ink shaped like letters where no word was read (a block tesseract took for a
// picture). Meant for the converter service's child, which makes one reader for its document and
// asks it for each page that holds no usable text; tesseract is loaded at the first page read and
// kept for every page after it.
//
// tesseract's threads: libtesseract runs OpenMP loops, and libgomp reads OMP_THREAD_LIMIT once,
// when the process loads it. The service process must therefore be started with
// OMP_THREAD_LIMIT=1 in its environment (setting it in the child is too late). Nothing here may run
// in the service before it forks: libgomp's threads would not survive the fork.
//
// A refused allocation ends the process with "Out of memory" on its error output, as the child's
// other refused allocations do, so that the service reports the memory limit: a page is never
// read from a picture that was drawn only in part. For that, making a reader sets two things for
// the whole process: leptonica's pictures come from an allocator that ends it so, and leptonica
// prints no messages. While a page is drawn, the error output is caught (poppler's messages about
// drawing are no part of the converter's). A page whose picture cannot be held within the memory
// left throws picturebudget::PageTooLarge before it is made.
class PageOcr
{
public:
    static constexpr int DefaultDpi = 300;
    // A page is drawn at fewer dots per inch where the picture would exceed these: tesseract
    // refuses a side above 32767 pixels, and 150 million pixels still holds A0 at 300 dpi.
    static constexpr int MaxSidePixels = ocrpicture::MaxSidePixels;
    static constexpr double MaxPixels = ocrpicture::MaxPixels;

    struct PageText
    {
        bool read = false;          // false: `failure` says why, the other fields are empty
        std::string failure;        // one sentence for the report, without a final full stop
        std::string text;           // UTF-8, LF line ends, each line ending in LF; no form feed
        int words = 0;              // words tesseract gave a confidence for
        double confidence = 0;      // their mean confidence, 0 to 100 (0 when there are none)
        int dpi = 0;                // the resolution the page was read at
        bool storedPicture = false; // read from the page's own picture, not a drawing of the page
        bool despeckled = false;    // impulse noise was removed
        int turnedDegrees = 0;      // the clockwise turn that set the page upright: 0, 90, 180, 270
        bool orientationUnknown = false; // tesseract's orientation data is not installed
        double skewDegrees = 0;          // the skew straightened; 0 when none was
        int lowWords = 0;                // words read with a confidence below LowWordConfidence
        int letters = 0;                 // ink shaped like letters
        int unreadLetters = 0;           // of them, those in no word read
        bool doubtful = false;           // text may be missing: see isDoubtful()
        // The words with their boxes in the picture as read (turned and straightened), and that
        // picture's size in pixels.
        std::vector<ocrwords::PictureWord> boxedWords;
        int pictureWidth = 0, pictureHeight = 0;
    };

    // pagejudgement::isDoubtful for the page's counts.
    static bool isDoubtful(const PageText &page);

    // The steps taken before a page is read, each where the picture calls for it; all by default.
    // The benchmark turns them off one by one to weigh each.
    struct Steps
    {
        bool storedPicture = true; // read a scan's own picture rather than a drawing of the page
        bool despeckle = true;
        bool orient = true;
        bool deskew = true;
    };

    // `languages` as tesseract takes them: "eng", "eng+deu". Check them with
    // ocrsupport::missingLanguages() first; a language that does not load fails every page with a
    // reason.
    explicit PageOcr(std::string languages);
    PageOcr(std::string languages, Steps steps);
    ~PageOcr();
    PageOcr(const PageOcr &) = delete;
    PageOcr &operator=(const PageOcr &) = delete;

    // Reads page `page` (1-based) of `doc` at `dpi`. The text has what tesseract read, ready to
    // stand for the page's text in pdftotext's layout: the caller writes the page's form feed.
    PageText read(PDFDoc *doc, int page, int dpi = DefaultDpi);

    // The languages tesseract finds in its data folder ("eng", "deu", "script/Latin"), sorted;
    // the orientation and equation data ("osd", "equ") are no languages to read text in. Loads
    // no language.
    static std::vector<std::string> installedLanguages();

    // tesseract's orientation data ("osd") is in its data folder. Loads nothing.
    static bool hasOrientationData();

    // Where tesseract looks for its languages (its data folder, TESSDATA_PREFIX if set).
    static std::string dataFolder();

private:
    // Cleans, turns and straightens the page's picture as the steps say.
    void prepare(ocrpicture::Picture &picture, int dpi, int page, PageText &result);

    Steps m_steps;
    PageReading m_reading;
    PageOrientation m_orientation; // loaded at the first page turned
};
