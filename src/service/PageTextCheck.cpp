// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageTextCheck.h"

#include <QChar>
#include <QList>
#include <QString>

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

namespace pagetextcheck {

namespace {

// Printable characters of `text` up to `enough`; `other` tells whether one that is not was seen.
int countPrintable(std::string_view text, int enough, bool &other)
{
    const QList<uint> characters = QString::fromUtf8(text.data(), qsizetype(text.size())).toUcs4();
    int printable = 0;
    for (qsizetype i = 0; i < characters.size() && printable < enough; ++i) {
        const char32_t c = characters.at(i);
        if (c == u'\n' ||
            (c == u'\r' && i + 1 < characters.size() && characters.at(i + 1) == u'\n'))
            continue;
        if (isPrintableCharacter(c))
            ++printable;
        else
            other = true;
    }
    return printable;
}

// The length of `bytes` without an unfinished UTF-8 sequence at its end.
std::size_t wholeCharacters(std::string_view bytes)
{
    std::size_t start = bytes.size();
    for (int back = 0; back < 4 && start > 0; ++back) {
        const unsigned char byte = static_cast<unsigned char>(bytes[start - 1]);
        if ((byte & 0xC0) != 0x80) {
            const std::size_t need = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            return bytes.size() - (start - 1) < need ? start - 1 : bytes.size();
        }
        --start;
    }
    return bytes.size();
}

} // namespace

bool hasUsableText(std::string_view page)
{
    bool other = false;
    const int printable = countPrintable(page, 6, other);
    return printable >= 6 || !other;
}

void Counter::feed(std::string_view bytes)
{
    if (decided())
        return;
    m_pending.append(bytes);
    const std::size_t whole = wholeCharacters(m_pending);
    bool other = false;
    m_printable +=
        countPrintable(std::string_view(m_pending).substr(0, whole), 6 - m_printable, other);
    m_pending.erase(0, whole);
}

} // namespace pagetextcheck
