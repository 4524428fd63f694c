// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageOcr.h"

#include "OcrSupport.h"
#include "PagePicture.h"
#include "platform/SystemError.h"
#include "ScanCleanup.h"

#include <leptonica/allheaders.h>
#include <PDFDoc.h>
#include <splash/SplashBitmap.h>
#include <SplashOutputDev.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace {

using pagepicture::PixPointer;

// tesseract talks through its own printf: progress notes ("Detected 12 diacritics") and the reasons
// a language did not load. The child's error output is the converter's diagnostics, which carry
// poppler's messages in pdftotext's words, so tesseract's go nowhere; read() says what failed.
void quietenTesseract(tesseract::TessBaseAPI &api)
{
    api.SetVariable("debug_file", "/dev/null");
}

// Said on the error output before the process ends for a refused allocation, as poppler's
// allocator and the child's own handler say it: the service knows the memory limit by it.
constexpr std::string_view OutOfMemoryMark = "Out of memory";

[[noreturn]] void endOutOfMemory()
{
    static const char message[] = "Out of memory\n";
    [[maybe_unused]] const auto ignored = ::write(STDERR_FILENO, message, sizeof message - 1);
    std::abort();
}

// leptonica, which holds tesseract's pictures, answers a refused allocation with a message and a
// null picture, on which tesseract reads nothing or crashes. Under the child's memory limit the
// largest allocations are these pictures: a refused one ends the child as a refused allocation
// in C++ or in poppler does, saying "Out of memory" so that the service reports the limit.
void *allocatePicture(std::size_t size)
{
    void *data = std::malloc(size);
    if (data == nullptr)
        endOutOfMemory();
    return data;
}

void freePicture(void *data)
{
    std::free(data);
}

// poppler's checked allocations say "Out of memory" on the error output and give nothing, and the
// drawing goes on without what they were for: a picture that would not decode leaves a white page,
// which reads as a page without text. The error output is caught while a page is drawn to see it.
class ErrorOutputCatch
{
public:
    ErrorOutputCatch()
    {
        m_caught = ::memfd_create("page-ocr-errors", MFD_CLOEXEC);
        if (m_caught < 0) {
            m_error = errno;
            return;
        }
        m_saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        if (m_saved < 0 || ::dup2(m_caught, STDERR_FILENO) < 0) {
            m_error = errno;
            release();
        }
    }
    ~ErrorOutputCatch() { release(); }
    ErrorOutputCatch(const ErrorOutputCatch &) = delete;
    ErrorOutputCatch &operator=(const ErrorOutputCatch &) = delete;

    // The errno that kept the catch from being set up; 0 when it is in place.
    int error() const { return m_error; }

    // Puts the error output back and tells whether a refused allocation was said on it. What
    // else poppler said while drawing stays out of the converter's messages: they are pdftotext's.
    bool allocationRefused()
    {
        if (m_caught < 0)
            return false;
        ::dup2(m_saved, STDERR_FILENO);
        // Read in pieces, each looked at with the end of the one before it, so that a page that
        // gave many messages needs no memory for them.
        constexpr std::size_t Overlap = OutOfMemoryMark.size() - 1;
        char buffer[Overlap + 4096];
        std::size_t kept = 0;
        off_t offset = 0;
        bool refused = false;
        ssize_t got;
        while (!refused &&
               (got = ::pread(m_caught, buffer + kept, sizeof buffer - kept, offset)) > 0) {
            offset += got;
            const std::string_view seen(buffer, kept + static_cast<std::size_t>(got));
            refused = seen.find(OutOfMemoryMark) != std::string_view::npos;
            kept = std::min(Overlap, seen.size());
            std::memmove(buffer, seen.data() + seen.size() - kept, kept);
        }
        release();
        return refused;
    }

private:
    void release()
    {
        if (m_saved >= 0) {
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
            m_saved = -1;
        }
        if (m_caught >= 0) {
            ::close(m_caught);
            m_caught = -1;
        }
    }

    int m_caught = -1;
    int m_saved = -1;
    int m_error = 0;
};

// An array that tesseract hands over with new[].
template <typename T> struct ArrayDeleter
{
    void operator()(T *array) const { delete[] array; }
};
template <typename T> using TesseractArray = std::unique_ptr<T, ArrayDeleter<T>>;

// tesseract's text as a page of pdftotext's text: LF line ends, every line ending in LF, no blank
// lines before or after it, and no form feed, which only the page's end may write.
std::string asPageText(const char *recognised)
{
    std::string text;
    for (const char *c = recognised; *c != '\0'; ++c) {
        if (*c == '\f' || *c == '\r')
            continue;
        text.push_back(*c);
    }
    const std::size_t first = text.find_first_not_of(" \t\n");
    if (first == std::string::npos)
        return {};
    const std::size_t blankLinesEnd = text.rfind('\n', first);
    if (blankLinesEnd != std::string::npos)
        text.erase(0, blankLinesEnd + 1);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    text.push_back('\n');
    return text;
}

// tesseract's data folder also holds the orientation and script detection data ("osd") and the
// equation detector's ("equ"); neither reads text.
bool isTextLanguage(const std::string &name)
{
    return name != "osd" && name != "equ";
}

// The resolution at which the page's picture stays within PageOcr's size limits.
int fittingDpi(double widthPoints, double heightPoints, int dpi)
{
    const double longSide = std::max(widthPoints, heightPoints) * dpi / 72.0;
    const double pixels = widthPoints * heightPoints * (dpi / 72.0) * (dpi / 72.0);
    double scale = 1.0;
    if (longSide > PageOcr::MaxSidePixels)
        scale = std::min(scale, (PageOcr::MaxSidePixels - 1) / longSide);
    if (pixels > PageOcr::MaxPixels)
        scale = std::min(scale, std::sqrt(PageOcr::MaxPixels / pixels));
    return std::max(1, static_cast<int>(std::floor(dpi * scale)));
}

// Page `page` drawn by poppler in gray at `dpi` (less where the picture would be too large; the
// resolution used goes to `drawnDpi`); null when poppler drew nothing.
PixPointer drawPage(PDFDoc *doc, int page, int dpi, int &drawnDpi)
{
    double width = doc->getPageCropWidth(page);
    double height = doc->getPageCropHeight(page);
    if (doc->getPageRotate(page) % 180 != 0)
        std::swap(width, height);
    drawnDpi = fittingDpi(width, height, dpi);
    SplashColor paper;
    paper[0] = 0xff;
    SplashOutputDev device(splashModeMono8, 4, false, paper);
    device.setFontAntialias(true);
    device.setVectorAntialias(true);
    device.startDoc(doc);
    doc->displayPage(&device, page, drawnDpi, drawnDpi, 0, false, true, false);
    SplashBitmap *bitmap = device.getBitmap();
    if (bitmap == nullptr || bitmap->getDataPtr() == nullptr || bitmap->getWidth() < 1 ||
        bitmap->getHeight() < 1)
        return {};
    PixPointer pix(pixCreateNoInit(bitmap->getWidth(), bitmap->getHeight(), 8));
    l_uint32 *data = pixGetData(pix.get());
    const int wordsPerLine = pixGetWpl(pix.get());
    for (int y = 0; y < bitmap->getHeight(); ++y)
        std::memcpy(data + static_cast<std::ptrdiff_t>(y) * wordsPerLine,
                    bitmap->getDataPtr() + static_cast<std::ptrdiff_t>(y) * bitmap->getRowSize(),
                    static_cast<std::size_t>(bitmap->getWidth()));
    // leptonica keeps the bytes of each 32-bit word in the machine's order.
    pixEndianByteSwap(pix.get());
    return pix;
}

} // namespace

PageOcr::PageOcr(std::string languages) : PageOcr(std::move(languages), Steps()) {}

PageOcr::PageOcr(std::string languages, Steps steps)
    : m_languages(std::move(languages)), m_steps(steps)
{
    setPixMemoryManager(&allocatePicture, &freePicture);
    // leptonica's own complaints ("pix not defined") are no part of the converter's messages.
    setMsgSeverity(L_SEVERITY_NONE);
}

PageOcr::~PageOcr()
{
    if (m_orientation)
        m_orientation->End();
    if (m_api)
        m_api->End();
}

bool PageOcr::loadEngine(std::string &failure)
{
    if (m_loaded)
        return true;
    if (!m_loadFailed) {
        m_api = std::make_unique<tesseract::TessBaseAPI>();
        quietenTesseract(*m_api);
        std::vector<std::string> loaded;
        if (m_api->Init(nullptr, m_languages.c_str(), tesseract::OEM_DEFAULT) == 0)
            m_api->GetLoadedLanguagesAsVector(&loaded);
        std::erase_if(loaded, [](const std::string &name) { return !isTextLanguage(name); });
        // tesseract reads on with the languages that loaded and drops the others unsaid.
        m_notLoaded = ocrsupport::missingLanguages(m_languages, loaded);
        if (m_notLoaded.empty()) {
            m_api->SetPageSegMode(tesseract::PSM_AUTO);
            m_loaded = true;
            return true;
        }
        m_api.reset();
        m_loadFailed = true;
    }
    std::string names;
    for (const std::string &name : m_notLoaded)
        names += (names.empty() ? "\"" : ", \"") + name + '"';
    failure = "OCR could not load the language " + names + " from " + dataFolder();
    return false;
}

bool PageOcr::isDoubtful(const PageText &page)
{
    if (page.words > 0 && page.lowWords > DoubtfulLowWords * page.words)
        return true;
    return page.letters >= LeastLettersJudged &&
           page.unreadLetters > DoubtfulUnreadLetters * page.letters;
}

int PageOcr::uprightQuarters(Pix *picture, int dpi, bool &unknown)
{
    unknown = m_orientationMissing;
    if (m_orientationMissing)
        return 0;
    if (!m_orientation) {
        m_orientation = std::make_unique<tesseract::TessBaseAPI>();
        quietenTesseract(*m_orientation);
        std::vector<std::string> loaded;
        if (m_orientation->Init(nullptr, "osd", tesseract::OEM_TESSERACT_ONLY) == 0)
            m_orientation->GetLoadedLanguagesAsVector(&loaded);
        if (std::find(loaded.begin(), loaded.end(), "osd") == loaded.end()) {
            m_orientation.reset();
            m_orientationMissing = unknown = true;
            return 0;
        }
        m_orientation->SetPageSegMode(tesseract::PSM_OSD_ONLY);
    }
    m_orientation->SetImage(picture);
    m_orientation->SetSourceResolution(dpi);
    int degrees = 0;
    float confidence = 0;
    const char *script = nullptr;
    float scriptConfidence = 0;
    const bool found =
        m_orientation->DetectOrientationScript(&degrees, &confidence, &script, &scriptConfidence);
    m_orientation->Clear();
    if (!found || confidence < LeastTurnConfidence || degrees % 90 != 0)
        return 0;
    // tesseract names the page's clockwise rotation; turning it back is the rest of a full turn.
    return (4 - (degrees / 90) % 4) % 4;
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
    if (!loadEngine(result.failure))
        return result;

    PixPointer picture;
    {
        ErrorOutputCatch errors;
        if (errors.error() != 0) {
            result.failure = "OCR could not draw page " + std::to_string(page) + ": " +
                             systemError(errors.error()).toStdString();
            return result;
        }
        pagepicture::Survey survey;
        if (m_steps.storedPicture)
            survey = pagepicture::survey(doc, page, true);
        if (survey.picture && survey.pictureDpi >= 1) {
            picture = std::move(survey.picture);
            result.storedPicture = true;
            result.dpi = static_cast<int>(std::lround(survey.pictureDpi));
        } else {
            picture = drawPage(doc, page, dpi, result.dpi);
        }
        if (errors.allocationRefused())
            endOutOfMemory();
    }
    if (!picture) {
        result.failure = "OCR could not draw page " + std::to_string(page);
        return result;
    }
    // Noise is measured at the picture's own resolution, where a speck is one pixel.
    if (m_steps.despeckle &&
        scancleanup::impulseShare(picture.get()) > scancleanup::SpeckledShare) {
        picture = scancleanup::removeImpulses(picture.get(), result.dpi);
        result.despeckled = true;
    }
    if (result.storedPicture) {
        const double width = pixGetWidth(picture.get());
        const double height = pixGetHeight(picture.get());
        double factor = result.dpi < dpi ? static_cast<double>(dpi) / result.dpi : 1.0;
        const int fitting = fittingDpi(width * 72.0 / result.dpi, height * 72.0 / result.dpi,
                                       std::max(dpi, result.dpi));
        factor = std::min(factor, static_cast<double>(fitting) / result.dpi);
        if (std::abs(factor - 1.0) > 1e-3) {
            picture = scancleanup::scaled(picture.get(), factor);
            result.dpi = static_cast<int>(std::lround(result.dpi * factor));
        }
    }
    if (const int quarters =
            m_steps.orient ? uprightQuarters(picture.get(), result.dpi, result.orientationUnknown)
                           : 0;
        quarters != 0) {
        picture = scancleanup::turn(picture.get(), quarters);
        result.turnedDegrees = quarters * 90;
    }
    if (const double skew = m_steps.deskew ? scancleanup::skewDegrees(picture.get()) : 0.0;
        std::abs(skew) >= scancleanup::LeastSkew) {
        picture = scancleanup::straighten(picture.get(), skew);
        result.skewDegrees = skew;
    }
    // tesseract copies the picture, so it is freed before the reading starts.
    m_api->SetImage(picture.get());
    m_api->SetSourceResolution(result.dpi);
    picture.reset();
    if (m_api->Recognize(nullptr) != 0) {
        m_api->Clear();
        result.failure = "OCR could not read page " + std::to_string(page);
        return result;
    }
    const TesseractArray<char> text(m_api->GetUTF8Text());
    if (text)
        result.text = asPageText(text.get());
    judgeWords(result);
    // The page's results and picture go; the loaded languages stay for the next page.
    m_api->Clear();
    result.read = true;
    return result;
}

void PageOcr::judgeWords(PageText &result)
{
    std::vector<scancleanup::Box> boxes;
    long sum = 0;
    const std::unique_ptr<tesseract::ResultIterator> word(m_api->GetIterator());
    if (word) {
        do {
            if (word->Empty(tesseract::RIL_WORD))
                continue;
            const float confidence = word->Confidence(tesseract::RIL_WORD);
            if (confidence < 0)
                continue;
            ++result.words;
            sum += std::lround(confidence);
            if (confidence < LowWordConfidence)
                ++result.lowWords;
            int left, top, right, bottom;
            if (word->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom))
                boxes.push_back({left, top, right - left, bottom - top});
        } while (word->Next(tesseract::RIL_WORD));
    }
    if (result.words > 0)
        result.confidence = static_cast<double>(sum) / result.words;
    // The ink tesseract saw, in black and white as it read it.
    PixPointer binary(m_api->GetThresholdedImage());
    if (binary && m_api->GetThresholdedImageScaleFactor() == 1) {
        const scancleanup::InkCheck ink =
            scancleanup::letterShapesOutside(binary.get(), result.dpi, boxes);
        result.letters = ink.letters;
        result.unreadLetters = ink.unread;
    }
    result.doubtful = isDoubtful(result);
}

namespace {

// Every data set in tesseract's data folder: the languages and "osd", its orientation data.
std::vector<std::string> installedDataSets()
{
    // An empty language list loads nothing; tesseract still settles its data folder, which is
    // all the listing needs (it lists that folder even when Init reports a failure).
    tesseract::TessBaseAPI api;
    quietenTesseract(api);
    api.Init(nullptr, "", tesseract::OEM_DEFAULT);
    std::vector<std::string> found;
    api.GetAvailableLanguagesAsVector(&found);
    api.End();
    return found;
}

} // namespace

std::vector<std::string> PageOcr::installedLanguages()
{
    std::vector<std::string> found = installedDataSets();
    std::erase_if(found, [](const std::string &name) { return !isTextLanguage(name); });
    std::sort(found.begin(), found.end());
    return found;
}

bool PageOcr::hasOrientationData()
{
    const std::vector<std::string> found = installedDataSets();
    return std::find(found.begin(), found.end(), "osd") != found.end();
}

std::string PageOcr::dataFolder()
{
    tesseract::TessBaseAPI api;
    quietenTesseract(api);
    api.Init(nullptr, "", tesseract::OEM_DEFAULT);
    std::string folder = api.GetDatapath() ? api.GetDatapath() : "";
    api.End();
    return folder;
}
