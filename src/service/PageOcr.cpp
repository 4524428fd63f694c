// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageOcr.h"

#include "ErrorOutputCatch.h"
#include "PageCleaning.h"
#include "PictureBudget.h"
#include "ScanCleanup.h"

#include <leptonica/allheaders.h>
#include <PDFDoc.h>

#include <algorithm>
#include <cstdlib>

namespace {

// leptonica, which holds tesseract's pictures, answers a refused allocation with a message and a
// null picture, on which tesseract reads nothing or crashes. Under the child's memory limit the
// largest allocations are these pictures: a refused one ends the child as a refused allocation
// in C++ or in poppler does, saying "Out of memory" so that the service reports the limit.
void *allocatePicture(std::size_t size)
{
    void *data = std::malloc(size);
    if (data == nullptr)
        ErrorOutputCatch::endOutOfMemory();
    return data;
}

void freePicture(void *data)
{
    std::free(data);
}

} // namespace

PageOcr::PageOcr(std::string languages) : PageOcr(std::move(languages), Steps()) {}

PageOcr::PageOcr(std::string languages, Steps steps)
    : m_steps(steps), m_reading(std::move(languages))
{
    setPixMemoryManager(&allocatePicture, &freePicture);
    // leptonica's own complaints ("pix not defined") are no part of the converter's messages.
    setMsgSeverity(L_SEVERITY_NONE);
}

PageOcr::~PageOcr() = default;

bool PageOcr::isDoubtful(const PageText &page)
{
    pagejudgement::WordTally tally;
    tally.words = page.words;
    tally.lowWords = page.lowWords;
    return pagejudgement::isDoubtful(tally, page.letters, page.unreadLetters);
}

PageOcr::PageText PageOcr::read(PDFDoc *doc, int page, int dpi)
{
    PageText result;
    if (page < 1 || page > doc->getNumPages()) {
        result.failure = "OCR was asked for page " + std::to_string(page) + " of " +
                         std::to_string(doc->getNumPages());
        return result;
    }
    if (dpi < 1) {
        result.failure = "OCR was asked for " + std::to_string(dpi) + " dpi";
        return result;
    }
    // A language that did not load fails every page, without drawing it; else the picture comes
    // first, so that a page too large to hold ends the child before tesseract is loaded.
    if (m_reading.loadFailed()) {
        m_reading.load(result.failure);
        return result;
    }
    ocrpicture::Picture picture = ocrpicture::pagePicture(doc, page, dpi, m_steps.storedPicture);
    if (!m_reading.load(result.failure))
        return result;
    if (!picture.pix) {
        result.failure = picture.failure;
        return result;
    }
    result.storedPicture = picture.stored;
    prepare(picture, dpi, page, result);
    PageReading::Result read;
    if (!m_reading.read(picture.pix, result.dpi, read)) {
        result.failure = "OCR could not read page " + std::to_string(page);
        return result;
    }
    result.text = std::move(read.text);
    result.boxedWords = std::move(read.boxedWords);
    result.pictureWidth = read.width;
    result.pictureHeight = read.height;
    result.words = read.words.words;
    result.lowWords = read.words.lowWords;
    result.confidence = read.words.confidence();
    result.letters = read.ink.letters;
    result.unreadLetters = read.ink.unread;
    result.doubtful = pagejudgement::isDoubtful(read.words, read.ink.letters, read.ink.unread);
    result.read = true;
    return result;
}

void PageOcr::prepare(ocrpicture::Picture &picture, int dpi, int page, PageText &result)
{
    // The work on the picture makes copies of it beside it.
    if (!picturebudget::canHold(int(pixGetWidth(picture.pix.get())),
                                int(pixGetHeight(picture.pix.get())), 8,
                                picturebudget::ReadingCopies))
        throw picturebudget::PageTooLarge{page};
    result.dpi = picture.dpi;
    if (m_steps.despeckle)
        result.despeckled = pagecleaning::despeckle(picture.pix, picture.dpi);
    ocrpicture::toReadingResolution(picture, dpi, page);
    result.dpi = picture.dpi;
    if (const int quarters = m_steps.orient
                                 ? m_orientation.uprightQuarters(picture.pix.get(), result.dpi,
                                                                 result.orientationUnknown)
                                 : 0;
        quarters != 0) {
        picture.pix = scancleanup::turn(picture.pix.get(), quarters);
        result.turnedDegrees = quarters * 90;
    }
    if (m_steps.deskew)
        result.skewDegrees = pagecleaning::straighten(picture.pix);
}

std::vector<std::string> PageOcr::installedLanguages()
{
    std::vector<std::string> found = PageReading::installedDataSets();
    std::erase_if(found,
                  [](const std::string &name) { return !PageReading::isTextLanguage(name); });
    std::sort(found.begin(), found.end());
    return found;
}

bool PageOcr::hasOrientationData()
{
    const std::vector<std::string> found = PageReading::installedDataSets();
    return std::find(found.begin(), found.end(), "osd") != found.end();
}

std::string PageOcr::dataFolder()
{
    return PageReading::dataFolder();
}
