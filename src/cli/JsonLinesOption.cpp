// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonLinesOption.h"

#include "engine/ConverterChoice.h"

namespace optionreading {

namespace {

QString outputOptionName(TextOptions::Output output)
{
    switch (output) {
    case TextOptions::Output::HtmlMeta:
        return QStringLiteral("--html-meta");
    case TextOptions::Output::Tsv:
        return QStringLiteral("--tsv");
    case TextOptions::Output::Bbox:
        return QStringLiteral("--bbox");
    case TextOptions::Output::BboxLayout:
        return QStringLiteral("--bbox-layout");
    case TextOptions::Output::Text:
        break;
    }
    return QString();
}

} // namespace

Problem readJsonLines(const QCommandLineParser &parser, const OptionTable &defined,
                      BatchOptions &options)
{
    const bool instead = parser.isSet(defined.jsonLines);
    const bool beside = parser.isSet(defined.jsonLinesBeside);
    if (instead && beside)
        return QStringLiteral("--json-lines and --json-lines-beside exclude each other");
    if (!instead && !beside)
        return std::nullopt;
    const QString given =
        instead ? QStringLiteral("--json-lines") : QStringLiteral("--json-lines-beside");
    TextOptions &text = options.text;
    if (text.output != TextOptions::Output::Text)
        return QStringLiteral("%1 and %2 exclude each other")
            .arg(given, outputOptionName(text.output));
    if (text.encoding != TextOptions::DefaultEncoding)
        return QStringLiteral("%1 writes UTF-8 text: it cannot be used with --encoding %2")
            .arg(given, text.encoding);
    // pdftotext tells where its pages end only by their form feeds.
    if (options.converter == converterchoice::Pdftotext && !text.pageBreaks)
        return QStringLiteral("%1 with --converter pdftotext needs the page breaks: it tells the "
                              "pages apart by them")
            .arg(given);
    if (beside && options.toStdout)
        return QStringLiteral("--json-lines-beside writes files: with -o -, use --json-lines");
    text.jsonLines = instead ? TextOptions::JsonLines::Instead : TextOptions::JsonLines::Beside;
    return std::nullopt;
}

} // namespace optionreading
