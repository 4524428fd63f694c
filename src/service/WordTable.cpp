// SPDX-License-Identifier: GPL-3.0-or-later
#include "WordTable.h"

#include <goo/GooString.h>
#include <TextOutputDev.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int PageLevel = 1;
constexpr int BlockLevel = 3;
constexpr int LineLevel = 4;
constexpr int WordLevel = 5;
constexpr int MarkConfidence = -1;
constexpr int TextConfidence = 100;

struct Box
{
    double xMin = 1E+37, yMin = 1E+37, xMax = 0, yMax = 0;

    void cover(double left, double top, double right, double bottom)
    {
        xMin = std::min(xMin, left);
        yMin = std::min(yMin, top);
        xMax = std::max(xMax, right);
        yMax = std::max(yMax, bottom);
    }
};

// A row of marks (page, flow, line), its numbers in full precision as pdftotext prints them.
std::string markRow(int level, int page, int flow, int block, int line, const Box &box,
                    const char *mark)
{
    char row[512];
    std::snprintf(row, sizeof row, "%d\t%d\t%d\t%d\t%d\t%d\t%f\t%f\t%f\t%f\t%d\t%s\n", level, page,
                  flow, block, line, 0, box.xMin, box.yMin, box.xMax - box.xMin,
                  box.yMax - box.yMin, MarkConfidence, mark);
    return row;
}

// A word's row, its numbers as poppler's own formatter gives them (two decimals).
void appendWordRow(GooString &rows, int page, int flow, int block, int line, int word,
                   const Box &box, int confidence, const char *text)
{
    rows.appendf(
        "{0:d}\t{1:d}\t{2:d}\t{3:d}\t{4:d}\t{5:d}\t{6:.2f}\t{7:.2f}\t{8:.2f}\t{9:.2f}\t{10:d}"
        "\t{11:s}\n",
        WordLevel, page, flow, block, line, word, box.xMin, box.yMin, box.xMax - box.xMin,
        box.yMax - box.yMin, confidence, text);
}

// A line's rows; `lastLeft` and `lastTop` get its last word's.
std::string lineRows(int page, int flow, int block, int lineNumber, const TextLine &line,
                     double &lastLeft, double &lastTop)
{
    Box lineBox;
    GooString words;
    int wordNumber = 0;
    for (const TextWord *word = line.getWords(); word; word = word->getNext()) {
        Box box;
        word->getBBox(&box.xMin, &box.yMin, &box.xMax, &box.yMax);
        lineBox.cover(box.xMin, box.yMin, box.xMax, box.yMax);
        lastLeft = box.xMin;
        lastTop = box.yMin;
        const std::unique_ptr<GooString> text(word->getText());
        appendWordRow(words, page, flow, block, lineNumber, wordNumber++, box, TextConfidence,
                      text->c_str());
    }
    return markRow(LineLevel, page, flow, block, lineNumber, lineBox, "###LINE###") + words.toStr();
}

} // namespace

std::string WordTable::header()
{
    return "level\tpage_num\tpar_num\tblock_num\tline_num\tword_num\tleft\ttop\twidth\theight\t"
           "conf\ttext\n";
}

std::string WordTable::pageRow(int page, double width, double height) const
{
    char row[512];
    std::snprintf(row, sizeof row, "%d\t%d\t%d\t%d\t%d\t%d\t%f\t%f\t%f\t%f\t%d\t###PAGE###\n",
                  PageLevel, page, 0, 0, 0, 0, m_lastLeft, m_lastTop, width, height,
                  MarkConfidence);
    return row;
}

std::string WordTable::textRows(int page, const TextOutputDev &device)
{
    std::string rows;
    int flowNumber = 0;
    for (const TextFlow *flow = device.getFlows(); flow; flow = flow->getNext(), ++flowNumber) {
        int blockNumber = 0;
        for (const TextBlock *block = flow->getBlocks(); block;
             block = block->getNext(), ++blockNumber) {
            Box box;
            block->getBBox(&box.xMin, &box.yMin, &box.xMax, &box.yMax);
            rows += markRow(BlockLevel, page, flowNumber, blockNumber, 0, box, "###FLOW###");
            m_lastLeft = box.xMin;
            m_lastTop = box.yMin;
            int lineNumber = 0;
            for (const TextLine *line = block->getLines(); line; line = line->getNext())
                rows += lineRows(page, flowNumber, blockNumber, lineNumber++, *line, m_lastLeft,
                                 m_lastTop);
        }
    }
    return rows;
}

std::string WordTable::readRows(int page, const std::vector<ocrwords::Word> &words)
{
    std::string rows;
    for (std::size_t first = 0; first < words.size();) {
        const int block = words[first].block;
        const int line = words[first].line;
        std::size_t end = first;
        Box lineBox;
        GooString wordRows;
        for (; end < words.size() && words[end].block == block && words[end].line == line; ++end) {
            const ocrwords::Word &word = words[end];
            Box box{word.xMin, word.yMin, word.xMax, word.yMax};
            lineBox.cover(box.xMin, box.yMin, box.xMax, box.yMax);
            appendWordRow(wordRows, page, block, 0, line, int(end - first), box, word.confidence,
                          word.text.c_str());
        }
        if (line == 0) {
            // The block's row covers its lines.
            Box blockBox;
            for (std::size_t in = first; in < words.size() && words[in].block == block; ++in)
                blockBox.cover(words[in].xMin, words[in].yMin, words[in].xMax, words[in].yMax);
            rows += markRow(BlockLevel, page, block, 0, 0, blockBox, "###FLOW###");
        }
        rows += markRow(LineLevel, page, block, 0, line, lineBox, "###LINE###") + wordRows.toStr();
        first = end;
    }
    return rows;
}
