// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextOptions.h"

#include "platform/Failure.h"
#include "platform/PageSpan.h"
#include "platform/SettingKeys.h"
#include "platform/SettingsStore.h"

#include <QLocale>
#include <utility>

TextOptions TextOptions::fromSettings(const SettingsStore &store)
{
    TextOptions options;
    const auto text = [&store](const QString &key) {
        return store.getSetting(key, QString()).trimmed();
    };
    textoptions::modeFromName(text(settingkeys::TextMode), options.mode);
    textoptions::endOfLineFromName(text(settingkeys::EndOfLine), options.endOfLine);
    const auto page = [&text](const QString &key) {
        bool ok = false;
        const int value = text(key).toInt(&ok);
        return ok && value > 0 ? value : 0;
    };
    options.firstPage = page(settingkeys::FirstPage);
    options.lastPage = page(settingkeys::LastPage);
    const QString encoding = text(settingkeys::TextEncoding);
    if (!encoding.isEmpty()) {
        const QString known = textoptions::knownEncoding(encoding);
        options.encoding = known.isEmpty() ? encoding : known;
    }
    const QString pageBreaks = text(settingkeys::PageBreaks);
    if (!pageBreaks.isEmpty()) {
        try {
            options.pageBreaks = settingtext::toBoolean(pageBreaks);
        } catch (const Failure &) {
        }
    }
    return options;
}

TextOptions::Pages TextOptions::pagesOf(int pageCount) const
{
    const PageSpan span = PageSpan::asked(firstPage, lastPage, pageCount);
    return {span.first, span.last};
}

namespace textoptions {

const QStringList &encodingNames()
{
    // poppler's own six and the Unicode maps of poppler-data, in the order pdftotext gives them.
    static const QStringList names = {
        QStringLiteral("ASCII7"),       QStringLiteral("Big5"),
        QStringLiteral("Big5ascii"),    QStringLiteral("EUC-CN"),
        QStringLiteral("EUC-JP"),       QStringLiteral("GBK"),
        QStringLiteral("ISO-2022-CN"),  QStringLiteral("ISO-2022-JP"),
        QStringLiteral("ISO-2022-KR"),  QStringLiteral("ISO-8859-6"),
        QStringLiteral("ISO-8859-7"),   QStringLiteral("ISO-8859-8"),
        QStringLiteral("ISO-8859-9"),   QStringLiteral("KOI8-R"),
        QStringLiteral("Latin1"),       QStringLiteral("Latin2"),
        QStringLiteral("Shift-JIS"),    QStringLiteral("Symbol"),
        QStringLiteral("TIS-620"),      QStringLiteral("UTF-16"),
        QStringLiteral("UTF-8"),        QStringLiteral("Windows-1255"),
        QStringLiteral("ZapfDingbats"),
    };
    return names;
}

QString knownEncoding(const QString &name)
{
    for (const QString &known : encodingNames())
        if (known.compare(name, Qt::CaseInsensitive) == 0)
            return known;
    return QString();
}

QString modeName(TextOptions::Mode mode)
{
    switch (mode) {
    case TextOptions::Mode::Layout:
        return QStringLiteral("layout");
    case TextOptions::Mode::Raw:
        return QStringLiteral("raw");
    case TextOptions::Mode::Reading:
        break;
    }
    return QStringLiteral("reading");
}

bool modeFromName(const QString &name, TextOptions::Mode &mode)
{
    for (const auto candidate :
         {TextOptions::Mode::Reading, TextOptions::Mode::Layout, TextOptions::Mode::Raw})
        if (name.compare(modeName(candidate), Qt::CaseInsensitive) == 0) {
            mode = candidate;
            return true;
        }
    return false;
}

QString endOfLineName(TextOptions::EndOfLine endOfLine)
{
    switch (endOfLine) {
    case TextOptions::EndOfLine::Dos:
        return QStringLiteral("dos");
    case TextOptions::EndOfLine::Mac:
        return QStringLiteral("mac");
    case TextOptions::EndOfLine::Unix:
        break;
    }
    return QStringLiteral("unix");
}

bool endOfLineFromName(const QString &name, TextOptions::EndOfLine &endOfLine)
{
    for (const auto candidate :
         {TextOptions::EndOfLine::Unix, TextOptions::EndOfLine::Dos, TextOptions::EndOfLine::Mac})
        if (name.compare(endOfLineName(candidate), Qt::CaseInsensitive) == 0) {
            endOfLine = candidate;
            return true;
        }
    return false;
}

namespace {

QString pdftotextFlag(TextOptions::Output output)
{
    return output == TextOptions::Output::HtmlMeta ? QStringLiteral("-htmlmeta")
                                                   : u'-' + outputName(output);
}

} // namespace

QStringList pdftotextArguments(const TextOptions &options)
{
    QStringList args;
    if (options.mode == TextOptions::Mode::Layout)
        args << QStringLiteral("-layout");
    else if (options.mode == TextOptions::Mode::Raw)
        args << QStringLiteral("-raw");
    if (options.firstPage > 0)
        args << QStringLiteral("-f") << QString::number(options.firstPage);
    if (options.lastPage > 0)
        args << QStringLiteral("-l") << QString::number(options.lastPage);
    if (options.encoding != TextOptions::DefaultEncoding)
        args << QStringLiteral("-enc") << options.encoding;
    if (options.endOfLine != TextOptions::EndOfLine::Unix)
        args << QStringLiteral("-eol") << endOfLineName(options.endOfLine);
    if (!options.pageBreaks)
        args << QStringLiteral("-nopgbrk");
    // The shortest spelling that reads back as the same number.
    const auto number = [](double value) {
        return QString::number(value, 'g', QLocale::FloatingPointShortest);
    };
    if (options.output != TextOptions::Output::Text)
        args << pdftotextFlag(options.output);
    if (options.resolution != TextOptions::DefaultResolution)
        args << QStringLiteral("-r") << number(options.resolution);
    const TextOptions::Crop &crop = options.crop;
    for (const auto &[flag, value] : {std::pair{"-x", crop.x}, std::pair{"-y", crop.y},
                                      std::pair{"-W", crop.width}, std::pair{"-H", crop.height}})
        if (value != 0)
            args << QLatin1String(flag) << QString::number(value);
    if (options.fixedPitch > 0)
        args << QStringLiteral("-fixed") << number(options.fixedPitch);
    if (options.discardDiagonal)
        args << QStringLiteral("-nodiag");
    if (options.cropBox)
        args << QStringLiteral("-cropbox");
    if (options.columnSpacing != TextOptions::DefaultColumnSpacing)
        args << QStringLiteral("-colspacing") << number(options.columnSpacing);
    return args;
}

QString outputExtension(const TextOptions &options)
{
    if (options.jsonLines == TextOptions::JsonLines::Instead)
        return QStringLiteral("jsonl");
    switch (options.output) {
    case TextOptions::Output::Tsv:
        return QStringLiteral("tsv");
    case TextOptions::Output::HtmlMeta:
    case TextOptions::Output::Bbox:
    case TextOptions::Output::BboxLayout:
        return QStringLiteral("html");
    case TextOptions::Output::Text:
        break;
    }
    return QStringLiteral("txt");
}

QString outputName(TextOptions::Output output)
{
    switch (output) {
    case TextOptions::Output::HtmlMeta:
        return QStringLiteral("html-meta");
    case TextOptions::Output::Tsv:
        return QStringLiteral("tsv");
    case TextOptions::Output::Bbox:
        return QStringLiteral("bbox");
    case TextOptions::Output::BboxLayout:
        return QStringLiteral("bbox-layout");
    case TextOptions::Output::Text:
        break;
    }
    return QString();
}

} // namespace textoptions
