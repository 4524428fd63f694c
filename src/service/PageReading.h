// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OcrWords.h"
#include "PageJudgement.h"
#include "ScanCleanup.h"

#include <memory>
#include <string>
#include <vector>

struct Pix;

namespace tesseract {
class TessBaseAPI;
}

// The reading itself: tesseract's library, loaded with the languages at the first page read and
// kept for every page after it, reads a clean, upright picture and tells what it saw.
class PageReading
{
public:
    struct Result
    {
        std::string text; // UTF-8, LF line ends, each line ending in LF; no form feed
        pagejudgement::WordTally words;
        scancleanup::InkCheck ink;                     // letter shapes, and those in no word read
        std::vector<ocrwords::PictureWord> boxedWords; // the words given a confidence, with boxes
        int width = 0, height = 0;                     // the picture's size in pixels
    };

    // `languages` as tesseract takes them: "eng", "eng+deu".
    explicit PageReading(std::string languages);
    ~PageReading();
    PageReading(const PageReading &) = delete;
    PageReading &operator=(const PageReading &) = delete;

    // Loads the languages once; false with the reason in `failure` when one does not load.
    bool load(std::string &failure);
    // A load was tried and failed: every page fails with its reason.
    bool loadFailed() const { return m_loadFailed; }
    // Reads `picture` at `dpi`; tesseract copies it, so it is freed (reset) before the reading
    // starts. False when tesseract could not read it.
    bool read(pagepicture::PixPointer &picture, int dpi, Result &result);

    // tesseract talks through its own printf: progress notes ("Detected 12 diacritics") and the
    // reasons a language did not load. The child's error output is the converter's diagnostics,
    // which carry poppler's messages in pdftotext's words, so tesseract's go nowhere.
    static void quieten(tesseract::TessBaseAPI &api);
    // tesseract's text as a page of pdftotext's text: LF line ends, every line ending in LF, no
    // blank lines before or after it, and no form feed, which only the page's end may write.
    static std::string asPageText(const char *recognised);
    // Every data set in tesseract's data folder: the languages, "osd" and "equ".
    static std::vector<std::string> installedDataSets();
    // The data sets that read text: not the orientation ("osd") nor the equation ("equ") data.
    static bool isTextLanguage(const std::string &name);
    static std::string dataFolder();

private:
    void judgeWords(int dpi, Result &result);

    std::string m_languages;
    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    std::vector<std::string> m_notLoaded;
    bool m_loaded = false;
    bool m_loadFailed = false;
};
