// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

// A picture that covers at least this share of the page is the page's scan.
inline constexpr double ScanCover = 0.85;
// A scan whose text covers at most this share of the page is read by OCR in mode `auto` whatever
// its text layer holds: a line of stamp covers some thousandths, a page of text a fifth or more.
inline constexpr double StampCover = 0.03;

// True when the page may hold a picture at all (its resources name an XObject): a cheap look
// before the page is surveyed.
bool mayHoldPicture(PDFDoc *doc, int page);

// Surveys page `page` (1-based). Decoding the picture needs memory for it: the child's allocation
// handlers end the process when it is refused.
Survey survey(PDFDoc *doc, int page, bool decode);

// A page whose text layer is a stamp on a scan.
inline bool isStampedScan(const Survey &survey)
{
    return survey.pictureCover >= ScanCover && survey.textCover <= StampCover;
}

} // namespace pagepicture
