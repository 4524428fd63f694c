// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpText.h"

#include "engine/TextOptions.h"
#include "OptionSpellings.h"

#include <QRegularExpression>

#include <algorithm>

namespace helptext {

namespace {

// `text` broken into lines of at most `width` characters, each after `indent` spaces but the first.
QString wrapped(const QString &text, qsizetype indent, qsizetype width)
{
    QString lines;
    qsizetype lineLength = indent;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (lineLength > indent && lineLength + 1 + word.size() > width) {
            lines += u'\n' + QString(indent, u' ');
            lineLength = indent;
        } else if (lineLength > indent) {
            lines += u' ';
            ++lineLength;
        }
        lines += word;
        lineLength += word.size();
    }
    return lines;
}

} // namespace

// --help: Qt's text with the program's name in the usage line (not the path it was started by)
// and pdftotext's form under it, then pdftotext's spellings.
QString helpText(const QCommandLineParser &parser)
{
    QString text = parser.helpText();
    text.replace(0, text.indexOf(u'\n'),
                 QStringLiteral("Usage: morwenda-batch [options] PATH...\n"
                                "       morwenda-batch [options] FILE.pdf [OUT.txt | -]"));
    // The descriptions start where Qt starts them.
    static const QRegularExpression firstOption(QStringLiteral("\n(  -h, --help +)"));
    const qsizetype Column = std::max<qsizetype>(firstOption.match(text).capturedLength(1), 20);
    constexpr qsizetype Width = 79;
    text += u'\n' +
            wrapped(QStringLiteral("As pdftotext spells them, these options work too, and so "
                                   "does its form FILE.pdf OUT.txt (or FILE.pdf - for standard "
                                   "output): the text of one PDF, written whole or not at all."),
                    0, Width) +
            u'\n';
    for (const optionspellings::PdftotextSpelling &spelling :
         optionspellings::pdftotextSpellings()) {
        QString names = QStringLiteral("  ") + spelling.spelling;
        if (!spelling.valueName.isEmpty())
            names += QStringLiteral(" <%1>").arg(spelling.valueName);
        const QString help = spelling.help.isEmpty()
                                 ? QStringLiteral("As --%1.").arg(spelling.option)
                                 : spelling.help;
        text += names.leftJustified(Column - 1) + u' ' + wrapped(help, Column, Width) + u'\n';
    }
    text += QStringLiteral("  ") +
            wrapped(QStringLiteral("-f, -l, -q, -v, -r, -x, -y, -W and -H are the short forms "
                                   "of --first-page, --last-page, --quiet, --version, "
                                   "--resolution, --crop-x, --crop-y, --crop-width and "
                                   "--crop-height."),
                    2, Width) +
            u'\n';
    return text;
}

QString encodingList()
{
    return QStringLiteral("Available encodings are:\n") + textoptions::encodingNames().join(u'\n') +
           u'\n';
}

} // namespace helptext
