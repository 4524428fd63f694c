// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageReading.h"

#include "OcrSupport.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cmath>

namespace {

// An array that tesseract hands over with new[].
template <typename T> struct ArrayDeleter
{
    void operator()(T *array) const { delete[] array; }
};
template <typename T> using TesseractArray = std::unique_ptr<T, ArrayDeleter<T>>;

} // namespace

PageReading::PageReading(std::string languages) : m_languages(std::move(languages)) {}

PageReading::~PageReading()
{
    if (m_api)
        m_api->End();
}

bool PageReading::load(std::string &failure)
{
    if (m_loaded)
        return true;
    if (!m_loadFailed) {
        m_api = std::make_unique<tesseract::TessBaseAPI>();
        quieten(*m_api);
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

bool PageReading::read(pagepicture::PixPointer &picture, int dpi, Result &result)
{
    result.width = int(pixGetWidth(picture.get()));
    result.height = int(pixGetHeight(picture.get()));
    m_api->SetImage(picture.get());
    m_api->SetSourceResolution(dpi);
    picture.reset();
    if (m_api->Recognize(nullptr) != 0) {
        m_api->Clear();
        return false;
    }
    const TesseractArray<char> text(m_api->GetUTF8Text());
    if (text)
        result.text = asPageText(text.get());
    judgeWords(dpi, result);
    // The page's results and picture go; the loaded languages stay for the next page.
    m_api->Clear();
    return true;
}

void PageReading::judgeWords(int dpi, Result &result)
{
    std::vector<scancleanup::Box> boxes;
    const std::unique_ptr<tesseract::ResultIterator> word(m_api->GetIterator());
    int block = -1;
    int line = -1;
    if (word) {
        do {
            if (word->Empty(tesseract::RIL_WORD))
                continue;
            if (word->IsAtBeginningOf(tesseract::RIL_BLOCK)) {
                ++block;
                line = -1;
            }
            if (word->IsAtBeginningOf(tesseract::RIL_TEXTLINE))
                ++line;
            const float confidence = word->Confidence(tesseract::RIL_WORD);
            if (confidence < 0)
                continue;
            result.words.add(confidence);
            ocrwords::PictureWord read;
            if (!word->BoundingBox(tesseract::RIL_WORD, &read.left, &read.top, &read.right,
                                   &read.bottom))
                continue;
            boxes.push_back({read.left, read.top, read.right - read.left, read.bottom - read.top});
            const TesseractArray<char> text(word->GetUTF8Text(tesseract::RIL_WORD));
            read.text = text ? text.get() : "";
            read.confidence = int(std::lround(std::clamp(confidence, 0.0f, 100.0f)));
            read.block = std::max(block, 0);
            read.line = std::max(line, 0);
            result.boxedWords.push_back(std::move(read));
        } while (word->Next(tesseract::RIL_WORD));
    }
    // The ink tesseract saw, in black and white as it read it.
    pagepicture::PixPointer binary(m_api->GetThresholdedImage());
    if (binary && m_api->GetThresholdedImageScaleFactor() == 1)
        result.ink = scancleanup::letterShapesOutside(binary.get(), dpi, boxes);
}

void PageReading::quieten(tesseract::TessBaseAPI &api)
{
    api.SetVariable("debug_file", "/dev/null");
}

std::string PageReading::asPageText(const char *recognised)
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

bool PageReading::isTextLanguage(const std::string &name)
{
    return name != "osd" && name != "equ";
}

std::vector<std::string> PageReading::installedDataSets()
{
    // An empty language list loads nothing; tesseract still settles its data folder, which is
    // all the listing needs (it lists that folder even when Init reports a failure).
    tesseract::TessBaseAPI api;
    quieten(api);
    api.Init(nullptr, "", tesseract::OEM_DEFAULT);
    std::vector<std::string> found;
    api.GetAvailableLanguagesAsVector(&found);
    api.End();
    return found;
}

std::string PageReading::dataFolder()
{
    tesseract::TessBaseAPI api;
    quieten(api);
    api.Init(nullptr, "", tesseract::OEM_DEFAULT);
    std::string folder = api.GetDatapath() ? api.GetDatapath() : "";
    api.End();
    return folder;
}
