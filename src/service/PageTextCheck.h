// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// The text check's rule applied to one page of a converter's text (UTF-8, its form feed
// included), in the child that converts it: the page holds no usable text exactly when it has at
// most 5 printable characters and at least one that is not (line breaks count neither way). The
// same characters are printable as for the whole text (engine/TextCheck); bytes that are not
// UTF-8 are not printable.
// Printable: 32 to 126, 160 to 255, and above 255 every letter, mark, digit, punctuation, symbol
// and space except the replacement character U+FFFD (which stands for bytes that were not text).
// Controls (tab and form feed included), 127 to 159, format and private-use characters, line and
// paragraph separators are not. The one rule of printable characters: the engine's judge of a
// whole text (engine/TextJudge) asks it too.
bool isPrintableCharacter(char32_t c);

namespace pagetextcheck {

bool hasUsableText(std::string_view page);

// Looks at a page as it arrives: true once six printable characters have been seen.
class Counter
{
public:
    void feed(std::string_view bytes);
    bool decided() const { return m_printable >= 6; }

private:
    std::string m_pending; // an unfinished UTF-8 sequence at the end of the bytes fed so far
    int m_printable = 0;
};

} // namespace pagetextcheck
