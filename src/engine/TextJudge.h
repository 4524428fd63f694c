// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QStringDecoder>

// Printable: 32 to 126, 160 to 255, and above 255 every letter, mark, digit, punctuation, symbol
// and space except the replacement character U+FFFD (which stands for bytes that were not text).
// Controls (tab and form feed included), 127 to 159, format and private-use characters, line and
// paragraph separators are not.
bool isPrintableCharacter(char32_t c);

// Judges a converter's text (UTF-8) as it arrives, piece by piece, in constant memory: the text
// holds no usable text exactly when it has at most 5 printable characters and at least one that
// is not (line breaks count neither way). A PDF whose pages hold no text gives page breaks only.
class TextJudge
{
public:
    TextJudge() = default;

    // Takes the next bytes of the text. Once six printable characters have been seen the answer
    // is known and further bytes are not looked at.
    void feed(QByteArrayView bytes);

    // The text has ended; an unfinished character at its end counts as not printable.
    void finish();

    // True once six printable characters were seen: the text is usable whatever follows.
    bool decided() const { return m_printable >= 6; }

    // The answer for the bytes fed so far (call finish() first for the whole text).
    bool hasNoUsableText() const { return !decided() && m_sawNonPrintable; }

private:
    void visit(char32_t c);

    QStringDecoder m_decoder{QStringDecoder::Utf8};
    int m_printable = 0;
    bool m_sawNonPrintable = false;
    bool m_pendingCR = false;   // a CR is only a line break when LF follows it
    char16_t m_pendingHigh = 0; // a high surrogate whose partner has not come yet
    bool m_finished = false;
};
