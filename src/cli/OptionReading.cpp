// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionReading.h"
#include "InputGathering.h"

#include "engine/ConversionLimits.h"
#include "engine/ConverterChoice.h"
#include "platform/FileSystem.h"

namespace optionreading {

namespace {

const QString Stdin = QStringLiteral("-");

} // namespace

std::optional<int> numberOf(const QString &text, int least, int most)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < least || value > most)
        return std::nullopt;
    return value;
}

// Where the texts go: beside, into a folder (made with --parents), or to standard output.
Problem readPlace(const QCommandLineParser &parser, const OptionTable &defined,
                  BatchOptions &options)
{
    options.outFolder = parser.value(defined.out);
    options.toStdout = parser.isSet(defined.toStdout) || options.outFolder == Stdin;
    if (options.outFolder == Stdin)
        options.outFolder.clear();
    if (parser.isSet(defined.out) && parser.isSet(defined.beside))
        return QStringLiteral("--out and --beside exclude each other");
    if (parser.isSet(defined.out) && !options.toStdout && options.outFolder.isEmpty())
        return QStringLiteral("--out needs a folder");
    if (options.toStdout && !options.outFolder.isEmpty())
        return QStringLiteral("--stdout and --out DIR exclude each other");
    options.makeParents = parser.isSet(defined.parents);
    if (options.makeParents && options.outFolder.isEmpty())
        return QStringLiteral("--parents needs --out DIR");
    options.keepTree = parser.isSet(defined.keepTree);
    if (options.keepTree && options.outFolder.isEmpty())
        return QStringLiteral("--keep-tree needs --out DIR");
    return std::nullopt;
}

Problem readNumbers(const QCommandLineParser &parser, const OptionTable &defined,
                    BatchOptions &options)
{
    const struct
    {
        const QCommandLineOption &option;
        int &target;
        int least;
        int most; // what the converters can hold
    } numbers[] = {
        {defined.jobs, options.jobs, 0, INT_MAX},
        {defined.timeLimit, options.timeLimitSeconds, 0, ConversionLimits::MaxIdleSeconds},
        {defined.memoryLimit, options.memoryLimitMegabytes, 0,
         ConversionLimits::MaxMemoryMegabytes}};
    for (const auto &number : numbers) {
        if (!parser.isSet(number.option))
            continue;
        const std::optional<int> value =
            numberOf(parser.value(number.option), number.least, number.most);
        if (!value)
            return QStringLiteral("--%1 needs a whole number from %2 to %3, not '%4'")
                .arg(number.option.names().constLast())
                .arg(number.least)
                .arg(number.most)
                .arg(parser.value(number.option));
        number.target = *value;
    }
    return std::nullopt;
}

namespace {

// pdftotext's form FILE.pdf OUT.txt, or FILE.pdf - for standard output: meant when nothing else
// says where the text goes and the second of exactly two operands is a text operand. When
// the first is a folder, both are paths to convert, as they always were.
void readPdftotextForm(const QCommandLineParser &parser, const OptionTable &defined,
                       BatchOptions &options)
{
    if (options.paths.size() != 2 || options.toStdout || !options.outFolder.isEmpty())
        return;
    for (const QCommandLineOption *place :
         {&defined.beside, &defined.filesFrom, &defined.files0From})
        if (parser.isSet(*place))
            return;
    const QString text = options.paths.constLast();
    if (files::isFolder(options.paths.constFirst()) || !inputgathering::isTextOperand(text))
        return;
    options.paths.removeLast();
    if (text == Stdin)
        options.toStdout = true;
    else
        options.textFile = text;
}

} // namespace

// The paths and the lists and files they come from; standard input serves one of them at most.
Problem readInputs(const QCommandLineParser &parser, const OptionTable &defined,
                   BatchOptions &options)
{
    options.paths = parser.positionalArguments();
    readPdftotextForm(parser, defined, options);
    options.filesFrom = parser.value(defined.filesFrom);
    options.files0From = parser.value(defined.files0From);
    options.passwordFile = parser.value(defined.passwordFile);
    if (options.paths.isEmpty() && !parser.isSet(defined.filesFrom) &&
        !parser.isSet(defined.files0From))
        return QStringLiteral("no PDF file or folder given");
    int readers = int(options.paths.count(Stdin));
    for (const QString *file : {&options.filesFrom, &options.files0From, &options.passwordFile})
        readers += *file == Stdin ? 1 : 0;
    if (readers > 1)
        return QStringLiteral("standard input ('-') can serve one path, list or password file "
                              "only");
    if (options.paths.contains(Stdin) && options.outFolder.isEmpty() && !options.toStdout &&
        options.textFile.isEmpty())
        return QStringLiteral("a PDF on standard input ('-') needs --out DIR, -o - or a text file "
                              "(- OUT.txt)");
    for (const QCommandLineOption *option :
         {&defined.filesFrom, &defined.files0From, &defined.passwordFile, &defined.resume})
        if (parser.isSet(*option) && parser.value(*option).isEmpty())
            return QStringLiteral("--%1 needs a file").arg(option->names().constLast());
    options.skipExisting = parser.isSet(defined.skipExisting);
    options.resumeReport = parser.value(defined.resume);
    options.extension = parser.value(defined.extension);
    // ".pdf" and "*.pdf" mean what "pdf" means; a name ending in "..pdf" is not what anyone wants.
    if (options.extension.startsWith(QStringLiteral("*.")))
        options.extension.remove(0, 2);
    else if (options.extension.startsWith(u'.'))
        options.extension.remove(0, 1);
    if (options.extension.isEmpty())
        return QStringLiteral("--extension needs an extension");
    return std::nullopt;
}

// --shard K/N: refused before anything is read when it is not a part of a whole, or when the
// run converts one PDF only.
Problem readShard(const QCommandLineParser &parser, const OptionTable &defined,
                  BatchOptions &options)
{
    if (!parser.isSet(defined.shard))
        return std::nullopt;
    const std::optional<Shard> shard = shards::parse(parser.value(defined.shard));
    if (!shard)
        return QStringLiteral("--shard needs K/N, whole numbers with 1 <= K <= N, not '%1'")
            .arg(parser.value(defined.shard));
    if (options.toStdout || options.paths.contains(Stdin))
        return QStringLiteral("--shard splits many files; standard input and -o - hold one");
    options.shard = *shard;
    return std::nullopt;
}

namespace {

bool isReportName(const QString &name)
{
    for (const char *suffix : {".csv", ".json", ".jsonl"})
        if (name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

Problem readReport(const QCommandLineParser &parser, const OptionTable &defined,
                   BatchOptions &options)
{
    options.reportFile = parser.value(defined.report);
    if (parser.isSet(defined.report) && !isReportName(options.reportFile))
        return QStringLiteral("the report's name must end in .csv, .json or .jsonl");
    options.appendReport = parser.isSet(defined.append);
    if (options.appendReport && options.reportFile.isEmpty())
        return QStringLiteral("--append needs --report FILE");
    return std::nullopt;
}

Problem readConverter(const QCommandLineParser &parser, const OptionTable &defined,
                      BatchOptions &options)
{
    options.converter = parser.value(defined.converter).toLower();
    if (!converterchoice::names().contains(options.converter))
        return QStringLiteral("--converter is one of %1, not '%2'")
            .arg(converterchoice::names().join(QStringLiteral(", ")),
                 parser.value(defined.converter));
    options.quiet = parser.isSet(defined.quiet);
    return std::nullopt;
}

// pdftotext's -opw and -upw, the owner's first as pdftotext tries it, before the lines of the
// password file.
Problem readCommandLinePasswords(const QCommandLineParser &parser, const OptionTable &defined,
                                 BatchOptions &options)
{
    for (const QCommandLineOption *option : {&defined.ownerPassword, &defined.userPassword})
        for (const QString &password : parser.values(*option))
            if (!password.isEmpty() && !options.passwords.contains(password))
                options.passwords << password;
    return std::nullopt;
}

// OCR: its mode, languages and drawing resolution; only the converter service reads by OCR.
Problem readOcr(const QCommandLineParser &parser, const OptionTable &defined, BatchOptions &options)
{
    const auto mode = OcrChoice::modeNamed(parser.value(defined.ocr));
    const auto languages = OcrChoice::languagesNamed(parser.value(defined.ocrLanguages));
    const auto dpi = numberOf(parser.value(defined.ocrDpi), OcrChoice::MinDpi);
    if (!mode || !languages || !dpi || *dpi > OcrChoice::MaxDpi)
        return QStringLiteral("--ocr is off, auto or always; --ocr-languages names like eng or "
                              "eng+deu; --ocr-dpi is 50 to 1200; not '%1', '%2', '%3'")
            .arg(parser.value(defined.ocr), parser.value(defined.ocrLanguages),
                 parser.value(defined.ocrDpi));
    options.ocr.mode = *mode;
    options.ocr.languages = *languages;
    options.ocr.dpi = *dpi;
    if (options.ocr.isOn() && options.converter != converterchoice::Service)
        return QStringLiteral("--ocr needs --converter service");
    return std::nullopt;
}

} // namespace optionreading
