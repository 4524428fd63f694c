// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchOptions.h"
#include "InputGathering.h"

#include "engine/ConversionLimits.h"
#include "engine/ConverterChoice.h"
#include "OptionSpellings.h"
#include "platform/FileSystem.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <climits>

namespace batchoptions {

namespace {

const QString Stdin = QStringLiteral("-");

ParsedCommandLine usageError(const QString &text)
{
    ParsedCommandLine parsed;
    parsed.text = QStringLiteral("morwenda-batch: ") + text + u'\n' + TryHelp + u'\n';
    parsed.exitStatus = UsageError;
    return parsed;
}

// A whole number from `least` to `most`, or nullopt.
std::optional<int> numberOf(const QString &text, int least, int most = INT_MAX)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < least || value > most)
        return std::nullopt;
    return value;
}

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

QCommandLineOption flag(const QStringList &names, const QString &description)
{
    return QCommandLineOption(names, description);
}

QCommandLineOption valued(const QStringList &names, const QString &description,
                          const QString &valueName, const QString &defaultValue = QString())
{
    return QCommandLineOption(names, description, valueName, defaultValue);
}

QCommandLineOption hidden(QCommandLineOption option)
{
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

// Every option, in the order --help lists them.
struct Definitions
{
    QCommandLineOption help = flag({"h", "help"}, "Shows this help.");
    QCommandLineOption version = flag({"V", "v", "version"}, "Shows the program's version.");
    QCommandLineOption out =
        valued({"o", "out"},
               "Puts every text file into the folder DIR; '-' writes the text of one PDF to "
               "standard output.",
               "DIR");
    QCommandLineOption toStdout =
        flag({"stdout"}, "Writes the text of one PDF to standard output (as -o -).");
    QCommandLineOption parents = flag({"parents"}, "Makes the folder of --out when it is missing.");
    QCommandLineOption beside =
        flag({"beside"}, "Puts each text file next to its PDF (the default).");
    QCommandLineOption keepTree = flag(
        {"keep-tree"}, "With --out: a file found in a folder PATH keeps its folder relative to "
                       "PATH under DIR; a file named directly keeps its folder relative to the "
                       "current folder (or its whole folder path when outside it).");
    QCommandLineOption jobs =
        valued({"j", "jobs"},
               "Runs N converters at once (default, and 0: one per processor this program may "
               "use; never more).",
               "N");
    QCommandLineOption timeLimit =
        valued({"time-limit"},
               "Stops a converter that gives no new text for SECONDS (default 30; 0: no "
               "limit).",
               "SECONDS");
    QCommandLineOption memoryLimit =
        valued({"memory-limit"},
               "Address space of one converter in MB (default 1024; 0: no limit).", "MB");
    QCommandLineOption passwordFile = valued(
        {"password-file"},
        "Tries each line of FILE, in order, as the password of every file ('-': standard input). "
        "A password is never handed to pdftotext unless --converter pdftotext is chosen: then "
        "pdftotext sees it on its command line, where every user of the machine can read it.",
        "FILE");
    QCommandLineOption filesFrom = valued(
        {"files-from"}, "Reads more PATHs from FILE, one a line ('-': standard input).", "FILE");
    QCommandLineOption files0From =
        valued({"files0-from"},
               "Reads more PATHs from FILE, each ended by a NUL byte (find -print0).", "FILE");
    QCommandLineOption skipExisting =
        flag({"skip-existing"},
             "Skips a PDF whose text file is newer than the PDF and holds usable text.");
    QCommandLineOption resume = valued(
        {"resume"},
        "Skips what REPORT says was converted (the PDF unchanged, its text in place since) and "
        "converts the rest.",
        "REPORT");
    QCommandLineOption report = valued(
        {"report"},
        "Writes one row per file (path, output, outcome, reason, pages, seconds) to FILE, as CSV, "
        "JSON or JSON Lines by its extension (.csv, .json, .jsonl); each row is kept in "
        "FILE.<pid>.part as its file ends.",
        "FILE");
    QCommandLineOption append =
        flag({"append"}, "Adds the rows to the report's earlier rows; a file converted again keeps "
                         "only its new row.");
    QCommandLineOption extension =
        valued({"extension"},
               "The extension of the files taken from folders (default pdf; * for every "
               "file).",
               "EXT", "pdf");
    QCommandLineOption converter = valued(
        {"converter"},
        QStringLiteral("Which converter converts: %1 (default %2). The service keeps poppler "
                       "loaded and never puts a password on a command line.")
            .arg(converterchoice::names().join(QStringLiteral(", ")),
                 converterchoice::defaultName()),
        "NAME", converterchoice::defaultName());
    QCommandLineOption quiet =
        flag({"q", "quiet"}, "Shows no progress and no summary; failures are still listed.");
    QCommandLineOption ocr = valued({"ocr"},
                                    "Reads pages by OCR: off (default), auto (pages without "
                                    "usable text) or always (every page).",
                                    "MODE", "off");
    QCommandLineOption ocrLanguages =
        valued({"ocr-languages"},
               "The installed tesseract languages OCR reads in (default eng; eng+deu for two).",
               "LANGS", "eng");
    QCommandLineOption ocrDpi =
        valued({"ocr-dpi"}, "Draws a page for OCR at DPI dots per inch (50 to 1200, default 300).",
               "DPI", "300");
    // pdftotext's -opw and -upw; --help names them with pdftotext's other spellings.
    QCommandLineOption ownerPassword = hidden(valued({"opw"}, "", "PASSWORD"));
    QCommandLineOption userPassword = hidden(valued({"upw"}, "", "PASSWORD"));
    QCommandLineOption shard =
        valued({"shard"},
               "Converts part K of N of the files the PATHs and lists name (1 <= K <= N, as split "
               "-n K/N): runs given the same inputs take disjoint parts, cut in the order of the "
               "paths and balanced by size, and name their texts as one run of all the files "
               "would.",
               "K/N");

    QList<QCommandLineOption> all() const
    {
        return {help,         version,      out,       toStdout,     parents,      beside,
                keepTree,     jobs,         timeLimit, memoryLimit,  passwordFile, filesFrom,
                files0From,   skipExisting, resume,    report,       append,       extension,
                converter,    quiet,        ocr,       ocrLanguages, ocrDpi,       ownerPassword,
                userPassword, shard};
    }
};

using Problem = std::optional<QString>; // a usage error's words, or none

// Where the texts go: beside, into a folder (made with --parents), or to standard output.
Problem readPlace(const QCommandLineParser &parser, const Definitions &defined,
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

Problem readNumbers(const QCommandLineParser &parser, const Definitions &defined,
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

// The second of two operands names a text to write, as pdftotext's does, whatever its extension:
// "-", a name ending in ".txt", or any other name that is no folder, does not end in ".pdf" and
// names no file that begins as a PDF (never a text over a PDF).
bool isTextOperand(const QString &operand)
{
    if (operand == Stdin || operand.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
        return true;
    return !operand.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) &&
           !files::isFolder(operand) && !inputgathering::startsAsPdf(operand);
}

// pdftotext's form FILE.pdf OUT.txt, or FILE.pdf - for standard output: meant when nothing else
// says where the text goes and the second of exactly two operands is "-" or ends in ".txt". When
// the first is a folder, both are paths to convert, as they always were.
void readPdftotextForm(const QCommandLineParser &parser, const Definitions &defined,
                       BatchOptions &options)
{
    if (options.paths.size() != 2 || options.toStdout || !options.outFolder.isEmpty())
        return;
    for (const QCommandLineOption *place :
         {&defined.beside, &defined.filesFrom, &defined.files0From})
        if (parser.isSet(*place))
            return;
    const QString text = options.paths.constLast();
    if (files::isFolder(options.paths.constFirst()) || !isTextOperand(text))
        return;
    options.paths.removeLast();
    if (text == Stdin)
        options.toStdout = true;
    else
        options.textFile = text;
}

// The paths and the lists and files they come from; standard input serves one of them at most.
Problem readInputs(const QCommandLineParser &parser, const Definitions &defined,
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
Problem readShard(const QCommandLineParser &parser, const Definitions &defined,
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

bool isReportName(const QString &name)
{
    for (const char *suffix : {".csv", ".json", ".jsonl"})
        if (name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            return true;
    return false;
}

Problem readReport(const QCommandLineParser &parser, const Definitions &defined,
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

Problem readConverter(const QCommandLineParser &parser, const Definitions &defined,
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

// The options of the text, named as pdftotext's.
struct TextOptionSet
{
    const QCommandLineOption layout{
        QStringLiteral("layout"),
        QStringLiteral("Keeps the physical layout of the text (pdftotext -layout).")};
    const QCommandLineOption raw{
        QStringLiteral("raw"),
        QStringLiteral("Keeps the text in content stream order (pdftotext -raw).")};
    const QCommandLineOption firstPage{
        {QStringLiteral("f"), QStringLiteral("first-page")},
        QStringLiteral("Converts from page N on (pdftotext -f; 0: from the first)."),
        QStringLiteral("N")};
    const QCommandLineOption lastPage{
        {QStringLiteral("l"), QStringLiteral("last-page")},
        QStringLiteral("Converts up to page N (pdftotext -l; 0: to the last)."),
        QStringLiteral("N")};
    const QCommandLineOption encoding{
        QStringLiteral("encoding"),
        QStringLiteral("Writes the text in encoding NAME (pdftotext -enc; default UTF-8): %1.")
            .arg(textoptions::encodingNames().join(QStringLiteral(", "))),
        QStringLiteral("NAME")};
    const QCommandLineOption endOfLine{
        QStringLiteral("eol"),
        QStringLiteral("Ends lines as on unix (LF, the default), dos (CR LF) or mac (CR) "
                       "(pdftotext -eol)."),
        QStringLiteral("KIND")};
    const QCommandLineOption noPageBreaks{
        QStringLiteral("no-page-breaks"),
        QStringLiteral("Writes no form feed after each page (pdftotext -nopgbrk).")};

    QList<QCommandLineOption> all() const
    {
        return {layout, raw, firstPage, lastPage, encoding, endOfLine, noPageBreaks};
    }

    // Fills `text` from the command line; the usage error, if any.
    QString fill(const QCommandLineParser &parser, TextOptions &text) const
    {
        if (parser.isSet(layout) && parser.isSet(raw))
            return QStringLiteral("--layout and --raw exclude each other");
        text.mode = parser.isSet(layout) ? TextOptions::Mode::Layout
                    : parser.isSet(raw)  ? TextOptions::Mode::Raw
                                         : TextOptions::Mode::Reading;
        for (const auto &[option, page] :
             {std::pair{&firstPage, &text.firstPage}, std::pair{&lastPage, &text.lastPage}}) {
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
        if (parser.isSet(encoding)) {
            text.encoding = textoptions::knownEncoding(parser.value(encoding));
            if (text.encoding.isEmpty())
                return QStringLiteral("--encoding is one of %1, not '%2'")
                    .arg(textoptions::encodingNames().join(QStringLiteral(", ")),
                         parser.value(encoding));
        }
        if (parser.isSet(endOfLine) &&
            !textoptions::endOfLineFromName(parser.value(endOfLine), text.endOfLine))
            return QStringLiteral("--eol is one of unix, dos, mac, not '%1'")
                .arg(parser.value(endOfLine));
        text.pageBreaks = !parser.isSet(noPageBreaks);
        return QString();
    }
};

// pdftotext's -opw and -upw, the owner's first as pdftotext tries it, before the lines of the
// password file.
Problem readCommandLinePasswords(const QCommandLineParser &parser, const Definitions &defined,
                                 BatchOptions &options)
{
    for (const QCommandLineOption *option : {&defined.ownerPassword, &defined.userPassword})
        for (const QString &password : parser.values(*option))
            if (!password.isEmpty() && !options.passwords.contains(password))
                options.passwords << password;
    return std::nullopt;
}

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
            wrapped(QStringLiteral("-f, -l, -q and -v are the short forms of --first-page, "
                                   "--last-page, --quiet and --version."),
                    2, Width) +
            u'\n';
    return text;
}

} // namespace

// OCR: its mode, languages and drawing resolution; only the converter service reads by OCR.
Problem readOcr(const QCommandLineParser &parser, const Definitions &defined, BatchOptions &options)
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

ParsedCommandLine parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts PDF files to plain-text files with the same converter, checks and reasons as "
        "the Morwenda window.\nEach PATH is a PDF, or a folder whose files of the extension are "
        "converted, subfolders included; '-' is a PDF on standard input.\n\nExit status: 0 every "
        "file gave usable text, 1 some did not (or none was found, or the run was stopped), 2 "
        "usage error, 3 the converter cannot run."));
    const Definitions defined;
    const TextOptionSet textOptions;
    const QList<QCommandLineOption> known = defined.all() + textOptions.all();
    parser.addOptions(known);
    parser.addPositionalArgument(QStringLiteral("PATH"),
                                 QStringLiteral("PDF files and folders to convert."),
                                 QStringLiteral("PATH..."));

    const optionspellings::Respelled respelled = optionspellings::respell(arguments, known);
    if (!respelled.problem.isEmpty())
        return usageError(respelled.problem);
    if (!parser.parse(respelled.arguments))
        return usageError(parser.errorText());
    ParsedCommandLine parsed;
    if (parser.isSet(defined.help)) {
        parsed.text = helpText(parser);
        return parsed;
    }
    if (parser.isSet(defined.version)) {
        parsed.text =
            QStringLiteral("morwenda-batch ") + QCoreApplication::applicationVersion() + u'\n';
        return parsed;
    }

    BatchOptions options;
    for (const auto step : {readPlace, readNumbers, readInputs, readShard, readCommandLinePasswords,
                            readReport, readConverter, readOcr})
        if (const Problem problem = step(parser, defined, options))
            return usageError(*problem);
    if (const QString problem = textOptions.fill(parser, options.text); !problem.isEmpty())
        return usageError(problem);
    if (options.ocr.isOn() && options.text.encoding != TextOptions::DefaultEncoding)
        return usageError(QStringLiteral("--ocr reads pages into UTF-8 text: it cannot be used "
                                         "with --encoding %1")
                              .arg(options.text.encoding));
    if (!options.passwords.isEmpty())
        parsed.warning = QStringLiteral(
            "morwenda-batch: warning: every user of this machine can read a password on the "
            "command line (-opw, -upw); --password-file FILE keeps it private ('-': standard "
            "input).\n");
    parsed.options = options;
    return parsed;
}

QStringList optionSpellings()
{
    const Definitions defined;
    const TextOptionSet textOptions;
    return optionspellings::visibleSpellings(defined.all() + textOptions.all());
}

} // namespace batchoptions
