// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageOrientation.h"

#include "PageReading.h"

#include <tesseract/baseapi.h>

#include <algorithm>
#include <string>
#include <vector>

PageOrientation::PageOrientation() = default;

PageOrientation::~PageOrientation()
{
    if (m_api)
        m_api->End();
}

bool PageOrientation::load()
{
    if (m_api)
        return true;
    m_api = std::make_unique<tesseract::TessBaseAPI>();
    PageReading::quieten(*m_api);
    std::vector<std::string> loaded;
    if (m_api->Init(nullptr, "osd", tesseract::OEM_TESSERACT_ONLY) == 0)
        m_api->GetLoadedLanguagesAsVector(&loaded);
    if (std::find(loaded.begin(), loaded.end(), "osd") == loaded.end()) {
        m_api.reset();
        m_missing = true;
        return false;
    }
    m_api->SetPageSegMode(tesseract::PSM_OSD_ONLY);
    return true;
}

int PageOrientation::uprightQuarters(Pix *picture, int dpi, bool &unknown)
{
    unknown = m_missing;
    if (m_missing)
        return 0;
    if (!load()) {
        unknown = true;
        return 0;
    }
    m_api->SetImage(picture);
    m_api->SetSourceResolution(dpi);
    int degrees = 0;
    float confidence = 0;
    const char *script = nullptr;
    float scriptConfidence = 0;
    const bool found =
        m_api->DetectOrientationScript(&degrees, &confidence, &script, &scriptConfidence);
    m_api->Clear();
    return found ? quartersFor(degrees, confidence) : 0;
}

int PageOrientation::quartersFor(int degrees, float confidence)
{
    if (confidence < LeastTurnConfidence || degrees % 90 != 0)
        return 0;
    // tesseract names the page's clockwise rotation; turning it back is the rest of a full turn.
    return (4 - (degrees / 90) % 4) % 4;
}
