// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PageJudgement.h"

#include <memory>

class PDFDoc;
struct Pix;

// What a page is made of, seen by the service's child before it reads the page: is it a scan (a
// picture covering the page), and how much of it is under text. A scan's text layer that covers
// little of it (a Bates number, a header stamp, a scanner's "Scanned by ...") does not make the
// page's text; a text layer over the whole scan (a searchable PDF) does.
namespace pagepicture {

struct PixDeleter
{
    void operator()(Pix *pix) const;
};
using PixPointer = std::unique_ptr<Pix, PixDeleter>;

struct Survey
{
    double pictureCover = 0; // the largest picture's share of the page, 0 to 1
    double textCover = 0;    // the share of the page under characters (visible or not)
    bool otherMarks = false; // something else is drawn visibly: another picture, visible text
    // With `decode`: the largest picture in gray (8 bits), as stored, upright, when it covers the
    // page and nothing else is drawn visibly; else null.
    PixPointer picture;
    double pictureDpi = 0; // its resolution on the page (the lower of across and down)
};

// True when the page may hold a picture at all (its resources name an XObject): a cheap look
// before the page is surveyed.
bool mayHoldPicture(PDFDoc *doc, int page);

// Surveys page `page` (1-based). A picture is decoded only where leptonica can hold it and it fits
// in the memory left (else the page is drawn instead, at a resolution that fits).
Survey survey(PDFDoc *doc, int page, bool decode);

// A page whose text layer is a stamp on a scan.
inline bool isStampedScan(const Survey &survey)
{
    return pagejudgement::isStampedScan(survey.pictureCover, survey.textCover);
}

} // namespace pagepicture
