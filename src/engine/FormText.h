// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TextOptions.h"

#include <QByteArray>
#include <QByteArrayView>

// The text one of pdftotext's marked-up outputs carries, taken out of its markup as it streams,
// so that the text check judges the words and not the tags: the words of the TSV's rows and of the
// bbox forms' <word> elements (HTML's entities read: &amp; gives &), each followed by a line feed,
// each page closed by a form feed; the text inside -htmlmeta's <pre>, form feeds and all, which
// pdftotext writes as it is. The text output is its own text. Memory holds one line of the TSV or
// the bbox forms at most.
class FormText
{
public:
    explicit FormText(TextOptions::Output output);

    // The text the next bytes of the output carry.
    QByteArray take(QByteArrayView bytes);

    // The output has ended: the text of what was held back, and the last page's end.
    QByteArray finish();

    // The page marks seen so far: the TSV's level-1 rows, the bbox forms' <page> elements. The
    // text and -htmlmeta mark pages by their form feeds only.
    int pages() const { return m_pages; }

private:
    enum class State
    {
        Head, // -htmlmeta up to <pre>
        Body,
    };
    void takeLine(QByteArray &carried);
    void takeTsvRow(QByteArray &carried);
    void takeBboxLine(QByteArray &carried);
    void takeHtmlBytes(QByteArrayView bytes, QByteArray &carried);
    void closePage(QByteArray &carried);

    TextOptions::Output m_output;
    State m_state = State::Body;
    QByteArray m_line;     // the line read so far (TSV, bbox, -htmlmeta's head)
    QByteArray m_heldBack; // the last bytes of -htmlmeta's text, which may be its tail
    bool m_header = true;  // the TSV's first line names its columns
    int m_pages = 0;
};

namespace formtext {

// True for the outputs whose markup is taken out (every one but the text).
bool isMarkedUp(TextOptions::Output output);

// The form of the text that `options`' output carries, for TextJudge: its encoding; for the TSV
// and the bbox forms, LF line ends and a form feed after each page, whatever -eol and -nopgbrk say
// (pdftotext applies neither to them).
TextOptions carriedForm(const TextOptions &options);

// `text` with HTML's entities read: &amp; &lt; &gt; &quot; &apos; and numbered ones (&#233;,
// &#xE9;) as UTF-8; an entity not known stays as written.
QByteArray unescaped(QByteArrayView text);

// A page range's output of a marked-up form has the whole head and tail of one: a split's outputs
// are joined by keeping the first one's head and the last one's tail. Where the body begins in
// `start`, the output's first bytes: after the TSV's header row, after the HTML's <doc> or <pre>
// line; 0 for the text; -1 when `start` does not hold the whole head.
qsizetype bodyStart(QByteArrayView start, TextOptions::Output output);
// Where the tail begins in `end`, the output's last bytes: at </doc> or </pre>; end.size() for the
// text and the TSV, which have none; -1 when `end` holds no tail.
qsizetype tailStart(QByteArrayView end, TextOptions::Output output);
// As many bytes as hold a tail.
inline constexpr qsizetype TailBytes = 64;

} // namespace formtext
