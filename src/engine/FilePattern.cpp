// SPDX-License-Identifier: GPL-3.0-or-later
#include "FilePattern.h"

namespace {

constexpr QChar AnyRun = u'*';
constexpr QChar AnyOne = u'?';

bool isWildcardFree(QStringView text)
{
    return !text.contains(AnyRun) && !text.contains(AnyOne);
}

// The number of code units that make up the character at `at` (a surrogate pair is one character).
qsizetype characterWidth(QStringView text, qsizetype at)
{
    return text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate() ? 2
                                                                                               : 1;
}

} // namespace

FilePattern::FilePattern(const QString &pattern) : m_text(pattern), m_folded(pattern.toCaseFolded())
{
    if (pattern == QStringLiteral("*.*") ||
        (!pattern.isEmpty() && pattern.count(AnyRun) == pattern.size())) {
        m_kind = Kind::Everything;
    } else if (pattern.startsWith(AnyRun) && isWildcardFree(QStringView(pattern).mid(1))) {
        // The common case, "*.pdf": a comparison of the name's end.
        m_kind = Kind::Suffix;
        m_suffix = pattern.mid(1);
    }
}

FilePattern FilePattern::forExtension(const QString &extension)
{
    return FilePattern(QStringLiteral("*.") + extension);
}

bool FilePattern::matches(QStringView name) const
{
    switch (m_kind) {
    case Kind::Everything:
        return true;
    case Kind::Suffix:
        return name.endsWith(m_suffix, Qt::CaseInsensitive);
    case Kind::General:
        break;
    }
    return matchesGenerally(name);
}

// Walks name and pattern together; at a mismatch it goes back to the last "*" and lets it take one
// more character. Each star is retried at most once per name position, so the cost stays within
// the product of the two lengths and is linear for patterns with one star.
bool FilePattern::matchesGenerally(QStringView name) const
{
    const QStringView pattern(m_folded);
    qsizetype p = 0, n = 0;
    qsizetype starAt = -1, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == AnyRun) {
            starAt = p++;
            resumeAt = n;
            continue;
        }
        if (p < pattern.size()) {
            const qsizetype width = characterWidth(name, n);
            if (pattern[p] == AnyOne) {
                ++p;
                n += width;
                continue;
            }
            const qsizetype patternWidth = characterWidth(pattern, p);
            if (width == patternWidth && name.mid(n, width).compare(pattern.mid(p, patternWidth),
                                                                    Qt::CaseInsensitive) == 0) {
                p += patternWidth;
                n += width;
                continue;
            }
        }
        if (starAt < 0)
            return false;
        p = starAt + 1;
        resumeAt += characterWidth(name, resumeAt);
        n = resumeAt;
    }
    while (p < pattern.size() && pattern[p] == AnyRun)
        ++p;
    return p == pattern.size();
}
