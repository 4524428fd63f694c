// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextJudge.h"

#include <QString>
#include <utility>

bool isPrintableCharacter(char32_t c)
{
    if (c < 32)
        return false;
    if (c <= 126)
        return true;
    if (c < 160)
        return false;
    if (c <= 255)
        return true;
    if (c == 0xFFFD)
        return false;
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
    case QChar::Punctuation_Connector:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
    case QChar::Symbol_Math:
    case QChar::Symbol_Currency:
    case QChar::Symbol_Modifier:
    case QChar::Symbol_Other:
    case QChar::Separator_Space:
        return true;
    default:
        return false;
    }
}

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

TextJudge::TextJudge(const TextOptions &form)
    : m_decoder(decoderFor(form.encoding)),
      m_utf8(form.encoding.isEmpty() || form.encoding == TextOptions::DefaultEncoding),
      m_utf16(form.encoding == QLatin1String("UTF-16")),
      m_crEndsLine(form.endOfLine == TextOptions::EndOfLine::Mac)
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
    if (m_utf8) {
        // An LF shows whether an unfinished sequence was pending: alone it decodes to itself;
        // after such a sequence it gives U+FFFD.
        QString rest = m_decoder.decode(QByteArrayView("\n", 1));
        if (rest.endsWith(u'\n'))
            rest.chop(1);
        for (const QChar unit : std::as_const(rest))
            visit(unit.unicode());
    }
    if (m_pendingHigh || m_pendingCR || (m_utf16 && m_oddLength))
        m_sawNonPrintable = true;
    m_finished = true;
}
