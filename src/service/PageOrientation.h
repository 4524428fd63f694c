// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

struct Pix;

namespace tesseract {
class TessBaseAPI;
}

// Which way up a page's picture is, by tesseract's orientation detection. Its data ("osd") is
// loaded at the first picture asked about and kept; where it is not installed, every picture is
// taken as upright and said to be of unknown orientation.
class PageOrientation
{
public:
    // The least confidence in an orientation other than upright for the page to be turned.
    static constexpr float LeastTurnConfidence = 2.0f;

    PageOrientation();
    ~PageOrientation();
    PageOrientation(const PageOrientation &) = delete;
    PageOrientation &operator=(const PageOrientation &) = delete;

    // The clockwise quarter turns that set `picture` upright; 0 when it is, or cannot be told.
    int uprightQuarters(Pix *picture, int dpi, bool &unknown);

    // The quarter turns that undo tesseract's clockwise rotation of `degrees` found with
    // `confidence`; 0 when the finding is too weak or no quarter turn.
    static int quartersFor(int degrees, float confidence);

private:
    bool load();

    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    bool m_missing = false;
};
