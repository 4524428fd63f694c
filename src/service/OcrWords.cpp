// SPDX-License-Identifier: GPL-3.0-or-later
#include "OcrWords.h"

#include <goo/gmem.h>
#include <UnicodeMap.h>
#include <UTF.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace ocrwords {

namespace {

struct Point
{
    double x;
    double y;
};

// A point of the turned picture (`width` by `height` as read) where it lay before the turn.
Point turnedBack(Point point, int turnedDegrees, double width, double height)
{
    switch (turnedDegrees) {
    case 90:
        return {point.y, width - point.x};
    case 180:
        return {width - point.x, height - point.y};
    case 270:
        return {height - point.y, point.x};
    default:
        return point;
    }
}

std::string encoded(const std::string &utf8, const UnicodeMap &encoding)
{
    Unicode *codes = nullptr;
    const int count = utf8ToUCS4(utf8.c_str(), &codes);
    std::string text;
    for (int index = 0; index < count; ++index) {
        char mapped[8];
        const int length = encoding.mapUnicode(codes[index], mapped, sizeof mapped);
        text.append(mapped, static_cast<std::size_t>(length));
    }
    gfree(codes);
    return text;
}

} // namespace

std::vector<Word> placed(const std::vector<PictureWord> &words, const Picture &picture,
                         double pageWidth, double pageHeight)
{
    const bool sideways = picture.turnedDegrees == 90 || picture.turnedDegrees == 270;
    const double width = picture.width;
    const double height = picture.height;
    // The picture as it lay on the page, before the turn.
    const double uprightWidth = sideways ? height : width;
    const double uprightHeight = sideways ? width : height;
    if (uprightWidth <= 0 || uprightHeight <= 0)
        return {};
    const double xScale = pageWidth / uprightWidth;
    const double yScale = pageHeight / uprightHeight;
    std::vector<Word> out;
    out.reserve(words.size());
    for (const PictureWord &word : words) {
        const Point first =
            turnedBack({double(word.left), double(word.top)}, picture.turnedDegrees, width, height);
        const Point second = turnedBack({double(word.right), double(word.bottom)},
                                        picture.turnedDegrees, width, height);
        Word placedWord;
        placedWord.block = word.block;
        placedWord.line = word.line;
        placedWord.xMin = std::min(first.x, second.x) * xScale;
        placedWord.xMax = std::max(first.x, second.x) * xScale;
        placedWord.yMin = std::min(first.y, second.y) * yScale;
        placedWord.yMax = std::max(first.y, second.y) * yScale;
        placedWord.confidence = word.confidence;
        placedWord.text = word.text;
        out.push_back(std::move(placedWord));
    }
    return out;
}

void encode(std::vector<Word> &words, const UnicodeMap &encoding)
{
    for (Word &word : words)
        word.text = encoded(word.text, encoding);
}

} // namespace ocrwords
