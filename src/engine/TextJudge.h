// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FormText.h"
#include "service/PageTextCheck.h" // isPrintableCharacter, the rule it applies
#include "TextOptions.h"

#include <QByteArrayView>
#include <QStringDecoder>

// Judges a converter's text as it arrives, piece by piece, in constant memory: the text holds no
// usable text exactly when it has at most 5 printable characters and at least one that is not
// (line breaks count neither way). A PDF whose pages hold no text gives page breaks only. A text
// made without page breaks is judged as the same text with them: each page ends with a form feed,
// which is not printable, so the option never changes the judgement.
//
// The text is read in the form the converter wrote it: UTF-8 (the default), UTF-16 (big-endian,
// as poppler writes it), Latin1 and ASCII7 exactly; another encoding of pdftotext's through the
// system's converter of that name, or byte by byte where there is none (Symbol, ZapfDingbats),
// a byte then counting as the character of the same number. Its line ends are LF, CR LF, and for
// the "mac" end of line a CR alone too. pdftotext's marked-up outputs (-tsv, -htmlmeta, the bbox
// forms) are judged by the text they carry (FormText), never by their markup.
class TextJudge
{
public:
    explicit TextJudge(const TextOptions &output = {});

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
    void judge(QByteArrayView bytes);

    FormText m_carried;
    QStringDecoder m_decoder;
    bool m_utf8 = true;
    bool m_utf16 = false;
    bool m_oddLength = false; // an odd number of bytes so far (half a UTF-16 unit pending)
    bool m_crEndsLine = false;
    bool m_pageBreaks = true; // the text ends its pages with form feeds
    int m_printable = 0;
    bool m_sawNonPrintable = false;
    bool m_pendingCR = false;   // a CR is only a line break when LF follows it
    char16_t m_pendingHigh = 0; // a high surrogate whose partner has not come yet
    bool m_finished = false;
};
