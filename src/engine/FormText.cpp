// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormText.h"

#include <QString>
#include <utility>

namespace {

using Output = TextOptions::Output;

// The longest entity read: "&#x10FFFF;".
constexpr qsizetype LongestEntity = 10;

// The bytes of one entity ("&amp;"), or nothing when it is none this reads.
QByteArray entityText(QByteArrayView entity)
{
    static const struct
    {
        const char *name;
        char text;
    } named[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    for (const auto &known : named)
        if (entity == QByteArrayView(known.name))
            return QByteArray(1, known.text);
    if (!entity.startsWith("&#") || !entity.endsWith(';'))
        return QByteArray();
    const QByteArrayView digits = entity.sliced(2, entity.size() - 3);
    bool ok = false;
    const uint code = digits.startsWith('x') || digits.startsWith('X')
                          ? digits.sliced(1).toUInt(&ok, 16)
                          : digits.toUInt(&ok, 10);
    if (!ok || code == 0 || code > 0x10FFFF)
        return QByteArray();
    const char32_t character = code;
    return QString::fromUcs4(&character, 1).toUtf8();
}

} // namespace

FormText::FormText(TextOptions::Output output)
    : m_output(output), m_state(output == Output::HtmlMeta ? State::Head : State::Body)
{
}

QByteArray FormText::take(QByteArrayView bytes)
{
    if (m_output == Output::Text)
        return bytes.toByteArray();
    QByteArray carried;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        if (m_output == Output::HtmlMeta && m_state == State::Body) {
            takeHtmlBytes(bytes.sliced(at), carried);
            break;
        }
        if (bytes.at(at) != '\n') {
            m_line += bytes.at(at);
            continue;
        }
        takeLine(carried);
        m_line.clear();
    }
    return carried;
}

QByteArray FormText::finish()
{
    QByteArray carried;
    if (m_output == Output::Text)
        return carried;
    if (!m_line.isEmpty())
        takeLine(carried);
    m_line.clear();
    const qsizetype tail = formtext::tailStart(m_heldBack, m_output);
    carried += QByteArrayView(m_heldBack).first(tail < 0 ? m_heldBack.size() : tail);
    m_heldBack.clear();
    if (m_output != Output::HtmlMeta && m_pages > 0)
        carried += '\f';
    return carried;
}

void FormText::takeLine(QByteArray &carried)
{
    switch (m_output) {
    case Output::Tsv:
        takeTsvRow(carried);
        break;
    case Output::Bbox:
    case Output::BboxLayout:
        takeBboxLine(carried);
        break;
    case Output::HtmlMeta:
        // The head's lines are LF-ended whatever -eol says; its last is "<pre>".
        if (m_line.trimmed() == "<pre>")
            m_state = State::Body;
        break;
    case Output::Text:
        break;
    }
}

// level, page_num, par_num, block_num, line_num, word_num, left, top, width, height, conf, text
void FormText::takeTsvRow(QByteArray &carried)
{
    if (std::exchange(m_header, false))
        return;
    if (m_line.startsWith("1\t")) {
        if (m_pages++ > 0)
            carried += '\f';
    } else if (m_line.startsWith("5\t")) {
        qsizetype at = -1; // the tab before the text, the eleventh
        for (int tab = 0; tab < 11; ++tab)
            if ((at = m_line.indexOf('\t', at + 1)) < 0)
                return;
        carried += m_line.sliced(at + 1) + '\n';
    }
}

void FormText::takeBboxLine(QByteArray &carried)
{
    const QByteArrayView line = QByteArrayView(m_line).trimmed();
    if (line.startsWith("<page ")) {
        if (m_pages++ > 0)
            carried += '\f';
        return;
    }
    if (!line.startsWith("<word "))
        return;
    const qsizetype start = line.indexOf('>') + 1;
    const qsizetype end = line.lastIndexOf("</word>");
    if (start > 0 && end >= start)
        carried += formtext::unescaped(line.sliced(start, end - start)) + '\n';
}

// -htmlmeta's text is written as it is, '<' and '&' too: only the end tells where the tail
// begins, so the bytes that may be the tail are held back.
void FormText::takeHtmlBytes(QByteArrayView bytes, QByteArray &carried)
{
    m_heldBack += bytes;
    if (m_heldBack.size() > formtext::TailBytes) {
        const qsizetype free = m_heldBack.size() - formtext::TailBytes;
        carried += QByteArrayView(m_heldBack).first(free);
        m_heldBack.remove(0, free);
    }
}

namespace formtext {

bool isMarkedUp(TextOptions::Output output)
{
    return output != Output::Text;
}

TextOptions carriedForm(const TextOptions &options)
{
    TextOptions carried = options;
    if (options.output != Output::Text && options.output != Output::HtmlMeta) {
        carried.endOfLine = TextOptions::EndOfLine::Unix;
        carried.pageBreaks = true;
    }
    return carried;
}

QByteArray unescaped(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype end = text.at(i) == '&' ? text.indexOf(';', i) : -1;
        if (end > i && end - i < LongestEntity) {
            const QByteArray entity = entityText(text.sliced(i, end - i + 1));
            if (!entity.isEmpty()) {
                out += entity;
                i = end + 1;
                continue;
            }
        }
        out += text.at(i++);
    }
    return out;
}

namespace {

// The line that ends the head of an HTML form, and the element that begins its tail.
std::pair<QByteArrayView, QByteArrayView> htmlFrame(Output output)
{
    if (output == Output::HtmlMeta)
        return {"<pre>\n", "</pre>"};
    return {"<doc>\n", "</doc>"};
}

} // namespace

qsizetype bodyStart(QByteArrayView start, Output output)
{
    if (output == Output::Text)
        return 0;
    const QByteArrayView headEnd =
        output == Output::Tsv ? QByteArrayView("\n") : htmlFrame(output).first;
    const qsizetype at = start.indexOf(headEnd);
    return at < 0 ? -1 : at + headEnd.size();
}

qsizetype tailStart(QByteArrayView end, Output output)
{
    if (output == Output::Text || output == Output::Tsv)
        return end.size();
    return end.lastIndexOf(htmlFrame(output).second);
}

} // namespace formtext
