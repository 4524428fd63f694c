// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

class UnicodeMap;

// The words OCR read on a page, placed where poppler's text device puts a page's words: in the
// page's coordinates at the request's resolution, top left at 0, 0.
namespace ocrwords {

struct Word
{
    int block = 0; // the reading's blocks, from 0
    int line = 0;  // within the block, from 0
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    int confidence = 0; // tesseract's, 0 to 100
    std::string text;   // UTF-8, or in the text encoding once encoded
};

// A word as tesseract gives it: UTF-8, its box in the pixels of the picture it read.
struct PictureWord
{
    std::string text;
    int left = 0, top = 0, right = 0, bottom = 0;
    int confidence = 0;
    int block = 0;
    int line = 0;
};

// What is known of the picture read: its size, and the clockwise turn (0, 90, 180, 270) that
// set it upright before it was read.
struct Picture
{
    int width = 0;
    int height = 0;
    int turnedDegrees = 0;
};

// `words` turned back with the picture and stretched from the picture to the page, which is
// `pageWidth` by `pageHeight` at the request's resolution; their text stays UTF-8.
std::vector<Word> placed(const std::vector<PictureWord> &words, const Picture &picture,
                         double pageWidth, double pageHeight);

// The words' text mapped from UTF-8 to `encoding`; a character it lacks is left out, as poppler
// leaves it out.
void encode(std::vector<Word> &words, const UnicodeMap &encoding);

} // namespace ocrwords
