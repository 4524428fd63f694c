// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionTextReading.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace optionreading {

namespace {

// A whole number past what an int holds ("99999999999").
bool isTooLarge(const QString &text)
{
    const QString digits = text.startsWith(u'+') ? text.mid(1) : text;
    if (digits.isEmpty() ||
        !std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c.isDigit(); }))
        return false;
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    return !ok || value > INT_MAX;
}

// A finite number of at least `least` (above it when `above`).
std::optional<double> decimalOf(const QString &text, double least, bool above)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < least || (above && value == least))
        return std::nullopt;
    return value;
}

QString longName(const QCommandLineOption &option)
{
    return QStringLiteral("--") + option.names().constLast();
}

// --crop X,Y,W,H, or its four options one by one.
Problem readCrop(const QCommandLineParser &parser, const OptionTable &defined, TextOptions &text)
{
    const QList<const QCommandLineOption *> parts = {&defined.cropX, &defined.cropY,
                                                     &defined.cropWidth, &defined.cropHeight};
    const QList<int *> targets = {&text.crop.x, &text.crop.y, &text.crop.width, &text.crop.height};
    if (parser.isSet(defined.crop)) {
        if (std::any_of(parts.cbegin(), parts.cend(),
                        [&](const QCommandLineOption *part) { return parser.isSet(*part); }))
            return QStringLiteral("--crop and --crop-x, --crop-y, --crop-width, --crop-height "
                                  "(-x, -y, -W, -H) exclude each other");
        const QStringList numbers = parser.value(defined.crop).split(u',');
        bool ok = numbers.size() == 4;
        for (qsizetype i = 0; ok && i < 4; ++i) {
            const std::optional<int> value = numberOf(numbers.at(i), i < 2 ? INT_MIN : 0);
            ok = value.has_value();
            *targets[i] = value.value_or(0);
        }
        if (ok)
            return std::nullopt;
        return QStringLiteral("--crop needs four whole numbers X,Y,W,H (W and H 0 or more), not "
                              "'%1'")
            .arg(parser.value(defined.crop));
    }
    for (qsizetype i = 0; i < 4; ++i) {
        if (!parser.isSet(*parts.at(i)))
            continue;
        const std::optional<int> value = numberOf(parser.value(*parts.at(i)), i < 2 ? INT_MIN : 0);
        if (!value)
            return QStringLiteral("%1 needs a whole number%2, not '%3'")
                .arg(longName(*parts.at(i)), i < 2 ? QString() : QStringLiteral(" of 0 or more"),
                     parser.value(*parts.at(i)));
        *targets[i] = *value;
    }
    return std::nullopt;
}

} // namespace

// The options of the text, as pdftotext's.
Problem readText(const QCommandLineParser &parser, const OptionTable &defined,
                 BatchOptions &options)
{
    TextOptions &text = options.text;
    if (parser.isSet(defined.layout) && parser.isSet(defined.raw))
        return QStringLiteral("--layout and --raw exclude each other");
    text.mode = parser.isSet(defined.layout) ? TextOptions::Mode::Layout
                : parser.isSet(defined.raw)  ? TextOptions::Mode::Raw
                                             : TextOptions::Mode::Reading;
    for (const auto &[option, page] : {std::pair{&defined.firstPage, &text.firstPage},
                                       std::pair{&defined.lastPage, &text.lastPage}}) {
        if (!parser.isSet(*option))
            continue;
        // 0 is no limit, as pdftotext takes it.
        const std::optional<int> value = numberOf(parser.value(*option), 0);
        if (!value && isTooLarge(parser.value(*option)))
            return QStringLiteral("--%1: the page number %2 is too large (at most %3)")
                .arg(option->names().constLast(), parser.value(*option))
                .arg(INT_MAX);
        if (!value)
            return QStringLiteral("--%1 needs a page number (0 for no limit), "
                                  "not '%2'")
                .arg(option->names().constLast(), parser.value(*option));
        *page = *value;
    }
    if (text.firstPage > 0 && text.lastPage > 0 && text.firstPage > text.lastPage)
        return QStringLiteral("the first page (%1) is after the last page (%2)")
            .arg(text.firstPage)
            .arg(text.lastPage);
    if (parser.isSet(defined.encoding)) {
        text.encoding = textoptions::knownEncoding(parser.value(defined.encoding));
        if (text.encoding.isEmpty())
            return QStringLiteral("--encoding is one of %1, not '%2'")
                .arg(textoptions::encodingNames().join(QStringLiteral(", ")),
                     parser.value(defined.encoding));
    }
    if (parser.isSet(defined.endOfLine) &&
        !textoptions::endOfLineFromName(parser.value(defined.endOfLine), text.endOfLine))
        return QStringLiteral("--eol is one of unix, dos, mac, not '%1'")
            .arg(parser.value(defined.endOfLine));
    text.pageBreaks = !parser.isSet(defined.noPageBreaks);
    return std::nullopt;
}

Problem readOutputForm(const QCommandLineParser &parser, const OptionTable &defined,
                       BatchOptions &options)
{
    using Output = TextOptions::Output;
    const struct
    {
        const QCommandLineOption &option;
        Output output;
    } forms[] = {{defined.htmlMeta, Output::HtmlMeta},
                 {defined.tsv, Output::Tsv},
                 {defined.bbox, Output::Bbox},
                 {defined.bboxLayout, Output::BboxLayout}};
    Output &chosen = options.text.output;
    const QCommandLineOption *chosenBy = nullptr;
    for (const auto &form : forms) {
        if (!parser.isSet(form.option))
            continue;
        // The bbox forms are HTML with the document's information already.
        const bool bboxOverMeta = chosen == Output::HtmlMeta && form.output != Output::Tsv;
        if (chosenBy && !bboxOverMeta)
            return QStringLiteral("%1 and %2 exclude each other")
                .arg(longName(*chosenBy), longName(form.option));
        chosen = form.output;
        chosenBy = &form.option;
    }
    return std::nullopt;
}

Problem readGeometry(const QCommandLineParser &parser, const OptionTable &defined,
                     BatchOptions &options)
{
    TextOptions &text = options.text;
    const struct
    {
        const QCommandLineOption &option;
        double &target;
        bool aboveZero;
        const char *unit;
    } numbers[] = {{defined.resolution, text.resolution, true, "dots per inch"},
                   {defined.fixedPitch, text.fixedPitch, false, "points"},
                   {defined.columnSpacing, text.columnSpacing, false, "font sizes"}};
    for (const auto &number : numbers) {
        if (!parser.isSet(number.option))
            continue;
        const std::optional<double> value =
            decimalOf(parser.value(number.option), 0, number.aboveZero);
        if (!value)
            return QStringLiteral("%1 needs a number %2 (%3), not '%4'")
                .arg(longName(number.option),
                     number.aboveZero ? QStringLiteral("above 0") : QStringLiteral("of 0 or more"),
                     QLatin1String(number.unit), parser.value(number.option));
        number.target = *value;
    }
    if (text.fixedPitch > 0) {
        if (text.mode == TextOptions::Mode::Raw)
            return QStringLiteral("--fixed and --raw exclude each other");
        text.mode = TextOptions::Mode::Layout; // as pdftotext: a fixed pitch is a layout
    }
    text.discardDiagonal = parser.isSet(defined.noDiagonal);
    text.cropBox = parser.isSet(defined.cropBox);
    return readCrop(parser, defined, text);
}

} // namespace optionreading
