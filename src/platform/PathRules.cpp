// SPDX-License-Identifier: GPL-3.0-or-later
#include "PathRules.h"

#include "Failure.h"

namespace paths {

QChar separator(Style style)
{
    return style == Style::Windows ? QChar(u'\\') : QChar(u'/');
}

namespace {

// Replaces every doubled separator by one, over non-overlapping pairs from the left, so a run of
// three becomes two and a run of four becomes two.
QString collapsePairs(const QString &text, QChar sep)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        result.append(text.at(i));
        if (text.at(i) == sep && i + 1 < text.size() && text.at(i + 1) == sep)
            ++i;
    }
    return result;
}

} // namespace

QString removeDoubleBackslashes(const QString &path, Style style)
{
    const QChar sep = separator(style);
    if (path.isEmpty() || path.front() != sep)
        return collapsePairs(path, sep);
    qsizetype run = 0;
    while (run < path.size() && path.at(run) == sep)
        ++run;
    const QString lead = style == Style::Windows ? QString(2, sep) : QString(sep);
    return lead + collapsePairs(path.mid(run), sep);
}

QString getFileName(const QString &path, Style style)
{
    const qsizetype at = path.lastIndexOf(separator(style));
    return at < 0 ? path : path.mid(at + 1);
}

QString getFolderPath(const QString &path, Style style)
{
    const qsizetype at = path.lastIndexOf(separator(style));
    return at < 0 ? QString() : path.left(at + 1);
}

QString stripExtension(const QString &path)
{
    const qsizetype at = path.lastIndexOf(u'.');
    if (at < 0)
        throw Failure(QStringLiteral("Invalid procedure call or argument"));
    return path.left(at);
}

QString outputFileName(const QString &fileName, const QString &extension)
{
    const qsizetype at = fileName.lastIndexOf(u'.');
    return (at < 0 ? fileName : fileName.left(at)) + u'.' + extension;
}

} // namespace paths
