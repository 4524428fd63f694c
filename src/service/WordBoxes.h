// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

// A word OCR read, in the page's coordinates at the request's resolution.
struct BoxedWord
{
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    std::string text; // in the text encoding
};

// The <word> lines of words OCR read.
std::string readWords(const std::vector<BoxedWord> &words);

} // namespace wordboxes
