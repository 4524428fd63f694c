// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OcrWords.h"

#include <string>
#include <vector>

class TextOutputDev;

// pdftotext's -tsv, byte for byte: a header line, then for each page a ###PAGE### row with the
// page's size, and for each flow, block and line of the page's text a ###FLOW### row (one per
// block), a ###LINE### row and the line's words, each with its box and a confidence of 100.
// Columns as tesseract's TSV: level, page_num, par_num (the flow), block_num, line_num, word_num,
// left, top, width, height, conf, text.
//
// The left and top of a ###PAGE### row are those of the last box pdftotext took before it (the
// previous page's last word; 0 on the range's first page): pdftotext keeps them from page to page.
class WordTable
{
public:
    // The header line.
    static std::string header();

    // The ###PAGE### row of page `page`, `width` by `height` points.
    std::string pageRow(int page, double width, double height) const;

    // The rows of the words `device` gathered on its last page, numbered as page `page`.
    std::string textRows(int page, const TextOutputDev &device);

    // The rows of the words OCR read on page `page`, in the order of `words` (by block and line),
    // with the ###FLOW### and ###LINE### rows a page of text gets (each block of the reading a
    // flow of one block) and each word's confidence. They leave the next ###PAGE### row as the
    // page's own words (which the caller still asks for) leave it.
    static std::string readRows(int page, const std::vector<ocrwords::Word> &words);

private:
    double m_lastLeft = 0;
    double m_lastTop = 0;
};
