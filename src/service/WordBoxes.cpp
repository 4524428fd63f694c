// SPDX-License-Identifier: GPL-3.0-or-later
#include "WordBoxes.h"

#include "HtmlHead.h"

#include <goo/GooString.h>
#include <TextOutputDev.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace wordboxes {

namespace {

std::string boxed(const char *indent, const char *element, double xMin, double yMin, double xMax,
                  double yMax)
{
    char start[512];
    std::snprintf(start, sizeof start, "%s<%s xMin=\"%f\" yMin=\"%f\" xMax=\"%f\" yMax=\"%f\">",
                  indent, element, xMin, yMin, xMax, yMax);
    return start;
}

std::string wordText(const TextWord &word)
{
    const std::unique_ptr<GooString> text(word.getText());
    return htmlhead::escaped(text->c_str());
}

// A line's box is the union of its words' boxes, save that pdftotext takes a coordinate of 0 as
// not yet set.
std::string lineLayout(const TextLine &line)
{
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    std::string words;
    for (const TextWord *word = line.getWords(); word; word = word->getNext()) {
        double left, top, right, bottom;
        word->getBBox(&left, &top, &right, &bottom);
        if (xMin == 0 || xMin > left)
            xMin = left;
        if (yMin == 0 || yMin > top)
            yMin = top;
        if (xMax < right)
            xMax = right;
        if (yMax < bottom)
            yMax = bottom;
        words +=
            boxed("          ", "word", left, top, right, bottom) + wordText(*word) + "</word>\n";
    }
    return boxed("        ", "line", xMin, yMin, xMax, yMax) + "\n" + words + "        </line>\n";
}

// The -bbox-layout line of the words `first` to `end` (not included).
std::string readLine(const std::vector<ocrwords::Word> &words, std::size_t first, std::size_t end)
{
    double xMin = words[first].xMin, yMin = words[first].yMin;
    double xMax = words[first].xMax, yMax = words[first].yMax;
    std::string out;
    for (std::size_t index = first; index < end; ++index) {
        const ocrwords::Word &word = words[index];
        xMin = std::min(xMin, word.xMin);
        yMin = std::min(yMin, word.yMin);
        xMax = std::max(xMax, word.xMax);
        yMax = std::max(yMax, word.yMax);
        out += boxed("          ", "word", word.xMin, word.yMin, word.xMax, word.yMax) +
               htmlhead::escaped(word.text) + "</word>\n";
    }
    return boxed("        ", "line", xMin, yMin, xMax, yMax) + "\n" + out + "        </line>\n";
}

} // namespace

std::string docStart()
{
    return "<doc>\n";
}

std::string docEnd()
{
    return "</doc>\n";
}

std::string pageStart(double width, double height)
{
    char start[256];
    std::snprintf(start, sizeof start, "  <page width=\"%f\" height=\"%f\">\n", width, height);
    return start;
}

std::string pageEnd()
{
    return "  </page>\n";
}

std::string words(TextOutputDev &device)
{
    const std::unique_ptr<TextWordList> list = device.makeWordList();
    const int count = list ? list->getLength() : 0;
    if (count == 0) {
        static const char message[] = "no word list\n";
        [[maybe_unused]] const auto ignored = ::write(2, message, sizeof message - 1);
    }
    std::string out;
    for (int index = 0; index < count; ++index) {
        const TextWord *word = list->get(index);
        double xMin, yMin, xMax, yMax;
        word->getBBox(&xMin, &yMin, &xMax, &yMax);
        out += boxed("    ", "word", xMin, yMin, xMax, yMax) + wordText(*word) + "</word>\n";
    }
    return out;
}

std::string layout(const TextOutputDev &device)
{
    std::string out;
    for (const TextFlow *flow = device.getFlows(); flow; flow = flow->getNext()) {
        out += "    <flow>\n";
        for (const TextBlock *block = flow->getBlocks(); block; block = block->getNext()) {
            double xMin, yMin, xMax, yMax;
            block->getBBox(&xMin, &yMin, &xMax, &yMax);
            out += boxed("      ", "block", xMin, yMin, xMax, yMax) + "\n";
            for (const TextLine *line = block->getLines(); line; line = line->getNext())
                out += lineLayout(*line);
            out += "      </block>\n";
        }
        out += "    </flow>\n";
    }
    return out;
}

std::string readWords(const std::vector<ocrwords::Word> &words)
{
    std::string out;
    for (const ocrwords::Word &word : words)
        out += boxed("    ", "word", word.xMin, word.yMin, word.xMax, word.yMax) +
               htmlhead::escaped(word.text) + "</word>\n";
    return out;
}

std::string readLayout(const std::vector<ocrwords::Word> &words)
{
    std::string out;
    for (std::size_t first = 0; first < words.size();) {
        std::size_t end = first;
        double xMin = words[first].xMin, yMin = words[first].yMin;
        double xMax = words[first].xMax, yMax = words[first].yMax;
        for (; end < words.size() && words[end].block == words[first].block; ++end) {
            xMin = std::min(xMin, words[end].xMin);
            yMin = std::min(yMin, words[end].yMin);
            xMax = std::max(xMax, words[end].xMax);
            yMax = std::max(yMax, words[end].yMax);
        }
        out += "    <flow>\n" + boxed("      ", "block", xMin, yMin, xMax, yMax) + "\n";
        for (std::size_t line = first; line < end;) {
            std::size_t lineEnd = line;
            while (lineEnd < end && words[lineEnd].line == words[line].line)
                ++lineEnd;
            out += readLine(words, line, lineEnd);
            line = lineEnd;
        }
        out += "      </block>\n    </flow>\n";
        first = end;
    }
    return out;
}

} // namespace wordboxes
