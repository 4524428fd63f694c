// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The judgement of a page in the service's child: is its text layer only a stamp on a scan, and is
// what OCR read from it doubtful. Rules over counts only, so each can be checked alone.
namespace pagejudgement {

// A picture that covers at least this share of the page is the page's scan.
inline constexpr double ScanCover = 0.85;
// A scan whose text covers at most this share of the page is read by OCR in mode `auto` whatever
// its text layer holds: a line of stamp covers some thousandths, a page of text a fifth or more.
inline constexpr double StampCover = 0.03;

// A page whose text layer is a stamp on a scan: `pictureCover` is the largest picture's share of
// the page, `textCover` the share under characters.
bool isStampedScan(double pictureCover, double textCover);

// A word read with less confidence is likely wrong.
inline constexpr int LowWordConfidence = 60;
// A page's reading is doubtful when more than this share of its words are of low confidence, or
// more than this share of its letter shapes (of enough of them) lie in no word read.
inline constexpr double DoubtfulLowWords = 0.25;
inline constexpr double DoubtfulUnreadLetters = 0.10;
inline constexpr int LeastLettersJudged = 40;

// The words OCR gave a confidence for, as they come.
struct WordTally
{
    int words = 0;
    int lowWords = 0;
    long confidenceSum = 0; // each confidence rounded

    void add(float confidence);
    // The mean confidence, 0 to 100; 0 without words.
    double confidence() const;
};

// `letters` shapes of ink like letters were seen, `unreadLetters` of them in no word read.
bool isDoubtful(const WordTally &tally, int letters, int unreadLetters);

} // namespace pagejudgement
