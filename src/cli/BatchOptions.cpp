// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchOptions.h"

#include "HelpText.h"
#include "JsonLinesOption.h"
#include "OptionReading.h"
#include "OptionSpellings.h"
#include "OptionTable.h"
#include "OptionTextReading.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace batchoptions {

namespace {

// A usage error: its words with every control character of what the user typed written as \xHH
// (an argument may hold ESC, BEL or a line feed), then the line that ends every usage error.
ParsedCommandLine usageError(const QString &text)
{
    ParsedCommandLine parsed;
    parsed.text =
        QStringLiteral("morwenda-batch: ") + optionspellings::shown(text) + u'\n' + TryHelp + u'\n';
    parsed.exitStatus = UsageError;
    return parsed;
}

} // namespace

ParsedCommandLine parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts PDF files to plain-text files with the same converter, checks and reasons as "
        "the Morwenda window.\nEach PATH is a PDF, or a folder whose files of the extension are "
        "converted, subfolders included; '-' is a PDF on standard input.\n\nExit status: 0 every "
        "file gave usable text, 1 some did not (or none was found, or the run was stopped), 2 "
        "usage error, 3 the converter cannot run."));
    const OptionTable defined;
    const QList<QCommandLineOption> known = defined.all();
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
        parsed.text = helptext::helpText(parser);
        return parsed;
    }
    if (parser.isSet(defined.listEncodings) || parser.isSet(defined.listEnc)) {
        parsed.text = helptext::encodingList();
        return parsed;
    }
    if (parser.isSet(defined.version)) {
        parsed.text =
            QStringLiteral("morwenda-batch ") + QCoreApplication::applicationVersion() + u'\n';
        return parsed;
    }

    BatchOptions options;
    using namespace optionreading;
    for (const auto step :
         {readPlace, readNumbers, readInputs, readShard, readCommandLinePasswords, readReport,
          readConverter, readOcr, readText, readOutputForm, readGeometry, readJsonLines})
        if (const Problem problem = step(parser, defined, options))
            return usageError(*problem);
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
    return optionspellings::visibleSpellings(OptionTable().all());
}

} // namespace batchoptions
