// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextJudge.h"

#include "TextCheck.h"

#include <QString>
#include <utility>

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
        m_pendingCR = true;
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
    // An LF shows whether an unfinished sequence was pending: alone it decodes to itself; after
    // such a sequence it gives U+FFFD.
    QString rest = m_decoder.decode(QByteArrayView("\n", 1));
    if (rest.endsWith(u'\n'))
        rest.chop(1);
    for (const QChar unit : std::as_const(rest))
        visit(unit.unicode());
    if (m_pendingHigh || m_pendingCR)
        m_sawNonPrintable = true;
    m_finished = true;
}
