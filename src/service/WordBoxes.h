// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OcrWords.h"

#include <string>
#include <vector>

class TextOutputDev;

// pdftotext's -bbox and -bbox-layout, byte for byte, between the HTML head and tail: <doc>, then
// for each page a <page> of its size holding its words (-bbox) or its flows, blocks, lines and
// words (-bbox-layout), each with its box.
namespace wordboxes {

std::string docStart();
std::string docEnd();

std::string pageStart(double width, double height);
std::string pageEnd();

// The words `device` gathered on its last page, in the order of poppler's word list. A page
// without words writes "no word list" on the error output, as pdftotext does.
std::string words(TextOutputDev &device);

// The flows, blocks, lines and words `device` gathered on its last page.
std::string layout(const TextOutputDev &device);

// The <word> lines of the words OCR read, for -bbox.
std::string readWords(const std::vector<ocrwords::Word> &words);

// The words OCR read as -bbox-layout's flows: each block of the reading a flow of one block.
std::string readLayout(const std::vector<ocrwords::Word> &words);

} // namespace wordboxes
