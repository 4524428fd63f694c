// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchOptions.h"

#include "engine/ConversionLimits.h"
#include "engine/ConverterChoice.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <climits>

namespace batchoptions {

namespace {

ParsedCommandLine usageError(const QString &text)
{
    ParsedCommandLine parsed;
    parsed.text = text + QStringLiteral("\nTry 'morwenda-batch --help' for more information.\n");
    parsed.exitStatus = UsageError;
    return parsed;
}

// A whole number of at least `least`, or nullopt.
std::optional<int> numberOf(const QString &text, int least, int most)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < least || value > most)
        return std::nullopt;
    return value;
}

} // namespace

ParsedCommandLine parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts PDF files to plain-text files with the same converter, checks and reasons as "
        "the Morwenda window.\nEach PATH is a PDF, or a folder whose files of the extension are "
        "converted, subfolders included.\n\nExit status: 0 every file gave usable text, 1 some "
        "did not, 2 usage error, 3 the converter cannot run."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Shows the program's version."));
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("Puts every text file into the folder DIR."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption beside(
        QStringLiteral("beside"),
        QStringLiteral("Puts each text file next to its PDF (the default)."));
    const QCommandLineOption keepTree(
        QStringLiteral("keep-tree"),
        QStringLiteral("With --out: a file found in a folder PATH keeps its folder relative to "
                       "PATH under DIR; a file named directly keeps its folder relative to the "
                       "current folder (or its whole folder path when outside it)."));
    const QCommandLineOption jobs(QStringLiteral("jobs"),
                                  QStringLiteral("Runs N converters at once (default: one per "
                                                 "processor core)."),
                                  QStringLiteral("N"));
    const QCommandLineOption timeLimit(
        QStringLiteral("time-limit"),
        QStringLiteral("Stops a converter that gives no new text for SECONDS (default 30; 0: "
                       "no limit)."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption memoryLimit(
        QStringLiteral("memory-limit"),
        QStringLiteral("Address space of one converter in MB (default 1024; 0: no limit)."),
        QStringLiteral("MB"));
    const QCommandLineOption passwordFile(
        QStringLiteral("password-file"),
        QStringLiteral("Tries the first line of FILE as the password of every file."),
        QStringLiteral("FILE"));
    const QCommandLineOption skipExisting(
        QStringLiteral("skip-existing"),
        QStringLiteral("Skips a PDF whose text file exists and is newer than the PDF."));
    const QCommandLineOption report(
        QStringLiteral("report"),
        QStringLiteral("Writes one row per file (path, output, outcome, reason, pages, seconds) "
                       "to FILE, as CSV or JSON by its extension (.csv, .json)."),
        QStringLiteral("FILE"));
    const QCommandLineOption extension(
        QStringLiteral("extension"),
        QStringLiteral("The extension of the files taken from folders (default pdf; * for "
                       "every file)."),
        QStringLiteral("EXT"), QStringLiteral("pdf"));
    const QCommandLineOption converter(
        QStringLiteral("converter"),
        QStringLiteral("Which converter converts: %1 (default %2). The service keeps poppler "
                       "loaded and never puts a password on a command line.")
            .arg(converterchoice::names().join(QStringLiteral(", ")),
                 converterchoice::defaultName()),
        QStringLiteral("NAME"), converterchoice::defaultName());
    const QCommandLineOption quiet(
        QStringLiteral("quiet"),
        QStringLiteral("Shows no progress and no summary; failures are still listed."));
    for (const QCommandLineOption &option :
         {help, version, out, beside, keepTree, jobs, timeLimit, memoryLimit, passwordFile,
          skipExisting, report, extension, converter, quiet})
        parser.addOption(option);
    parser.addPositionalArgument(QStringLiteral("PATH"),
                                 QStringLiteral("PDF files and folders to convert."),
                                 QStringLiteral("PATH..."));

    if (!parser.parse(arguments))
        return usageError(QStringLiteral("morwenda-batch: ") + parser.errorText());
    ParsedCommandLine parsed;
    if (parser.isSet(help)) {
        parsed.text = parser.helpText();
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.text =
            QStringLiteral("morwenda-batch ") + QCoreApplication::applicationVersion() + u'\n';
        return parsed;
    }

    BatchOptions options;
    options.paths = parser.positionalArguments();
    if (options.paths.isEmpty())
        return usageError(QStringLiteral("morwenda-batch: no PDF file or folder given"));
    if (parser.isSet(out) && parser.isSet(beside))
        return usageError(QStringLiteral("morwenda-batch: --out and --beside exclude each other"));
    options.outFolder = parser.value(out);
    if (parser.isSet(out) && options.outFolder.isEmpty())
        return usageError(QStringLiteral("morwenda-batch: --out needs a folder"));
    options.keepTree = parser.isSet(keepTree);
    if (options.keepTree && options.outFolder.isEmpty())
        return usageError(QStringLiteral("morwenda-batch: --keep-tree needs --out DIR"));

    const struct
    {
        const QCommandLineOption &option;
        int &target;
        int least;
        int most; // what the converters can hold
    } numbers[] = {
        {jobs, options.jobs, 1, INT_MAX},
        {timeLimit, options.timeLimitSeconds, 0, ConversionLimits::MaxIdleSeconds},
        {memoryLimit, options.memoryLimitMegabytes, 0, ConversionLimits::MaxMemoryMegabytes}};
    for (const auto &number : numbers) {
        if (!parser.isSet(number.option))
            continue;
        const std::optional<int> value =
            numberOf(parser.value(number.option), number.least, number.most);
        if (!value)
            return usageError(QStringLiteral("morwenda-batch: --%1 needs a whole number from %2 "
                                             "to %3, not '%4'")
                                  .arg(number.option.names().constLast())
                                  .arg(number.least)
                                  .arg(number.most)
                                  .arg(parser.value(number.option)));
        number.target = *value;
    }

    options.passwordFile = parser.value(passwordFile);
    options.skipExisting = parser.isSet(skipExisting);
    options.reportFile = parser.value(report);
    if (parser.isSet(report) &&
        !options.reportFile.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) &&
        !options.reportFile.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive))
        return usageError(
            QStringLiteral("morwenda-batch: the report's name must end in .csv or .json"));
    options.extension = parser.value(extension);
    if (options.extension.isEmpty())
        return usageError(QStringLiteral("morwenda-batch: --extension needs an extension"));
    options.converter = parser.value(converter).toLower();
    if (!converterchoice::names().contains(options.converter))
        return usageError(
            QStringLiteral("morwenda-batch: --converter is one of %1, not '%2'")
                .arg(converterchoice::names().join(QStringLiteral(", ")), parser.value(converter)));
    options.quiet = parser.isSet(quiet);
    parsed.options = options;
    return parsed;
}

} // namespace batchoptions
