// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextJudge.h"

#include <QString>
#include <utility>

namespace {

QStringDecoder decoderFor(const QString &encoding)
{
    if (encoding.isEmpty() || encoding == TextOptions::DefaultEncoding)
        return QStringDecoder(QStringDecoder::Utf8);
    if (encoding == QLatin1String("UTF-16"))
        return QStringDecoder(QStringDecoder::Utf16BE);
    if (encoding == QLatin1String("Latin1") || encoding == QLatin1String("ASCII7"))
        return QStringDecoder(QStringDecoder::Latin1);
    // Big5 with ASCII in place of its own half-width forms below 128.
    const QString name = encoding == QLatin1String("Big5ascii") ? QStringLiteral("Big5") : encoding;
    QStringDecoder decoder(name.toLatin1().constData());
    return decoder.isValid() ? std::move(decoder) : QStringDecoder(QStringDecoder::Latin1);
}

} // namespace

TextJudge::TextJudge(const TextOptions &output)
    : m_carried(output.output), m_decoder(decoderFor(output.encoding)),
      m_utf8(output.encoding.isEmpty() || output.encoding == TextOptions::DefaultEncoding),
      m_utf16(output.encoding == QLatin1String("UTF-16")),
      m_crEndsLine(formtext::carriedForm(output).endOfLine == TextOptions::EndOfLine::Mac),
      m_pageBreaks(formtext::carriedForm(output).pageBreaks)
{
}

void TextJudge::visit(char32_t c)
{
    if (m_pendingCR) {
        m_pendingCR = false;
        if (c == u'\n')
            return;
        m_sawNonPrintable = true;
    }
    if (c == u'\n')
        return;
    if (c == u'\r') {
        m_pendingCR = !m_crEndsLine;
        return;
    }
    if (!isPrintableCharacter(c))
        m_sawNonPrintable = true;
    else
        ++m_printable;
}

void TextJudge::feed(QByteArrayView bytes)
{
    if (decided() || m_finished || bytes.isEmpty())
        return;
    judge(m_carried.take(bytes));
}

void TextJudge::judge(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    m_oddLength ^= (bytes.size() & 1) != 0;
    const QString piece = m_decoder.decode(bytes);
    for (const QChar unit : piece) {
        char32_t c = unit.unicode();
        if (m_pendingHigh) {
            if (unit.isLowSurrogate()) {
                c = QChar::surrogateToUcs4(m_pendingHigh, unit.unicode());
                m_pendingHigh = 0;
            } else {
                visit(std::exchange(m_pendingHigh, 0));
            }
        }
        if (unit.isHighSurrogate() && c == unit.unicode()) {
            m_pendingHigh = unit.unicode();
            continue;
        }
        visit(c);
        if (decided())
            return;
    }
}

void TextJudge::finish()
{
    if (m_finished || decided())
        return;
    judge(m_carried.finish());
    if (decided())
        return;
    if (m_utf8) {
        // An LF shows whether an unfinished sequence was pending: alone it decodes to itself;
        // after such a sequence it gives U+FFFD.
        QString rest = m_decoder.decode(QByteArrayView("\n", 1));
        if (rest.endsWith(u'\n'))
            rest.chop(1);
        for (const QChar unit : std::as_const(rest))
            visit(unit.unicode());
    }
    // The page breaks the text was made without: a converted page ends with one.
    if (m_pendingHigh || m_pendingCR || (m_utf16 && m_oddLength) || !m_pageBreaks)
        m_sawNonPrintable = true;
    m_finished = true;
}
