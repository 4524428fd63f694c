// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/OcrChoice.h"
#include "engine/Shard.h"
#include "engine/TextOptions.h"

#include <optional>
#include <QString>
#include <QStringList>

// What the command line asks of one batch: the paths to convert and how.
struct BatchOptions
{
    QStringList paths;         // PDFs and folders, as given ("-": a PDF on standard input)
    QString filesFrom;         // --files-from FILE: one path a line ("-": standard input)
    QString files0From;        // --files0-from FILE: paths ended by NUL bytes
    QString outFolder;         // --out DIR; "" for beside each PDF
    QString textFile;          // FILE.pdf OUT.txt, pdftotext's form: the one PDF's text file
    bool toStdout = false;     // -o - or --stdout: the text of one PDF to standard output
    bool makeParents = false;  // --parents: make --out DIR when it is missing
    bool keepTree = false;     // --keep-tree: a file keeps its relative folder under DIR
    int jobs = 0;              // converters at once; 0 for one per core
    int timeLimitSeconds = -1; // -1 for the default; 0 for none
    int memoryLimitMegabytes = -1;
    QString passwordFile;  // "-": standard input
    QStringList passwords; // -opw, -upw: tried before the lines of the password file
    bool skipExisting = false;
    QString resumeReport; // --resume REPORT
    QString reportFile;
    bool appendReport = false; // --append: add to the report's rows of earlier runs
    QString extension = QStringLiteral("pdf");
    bool quiet = false;
    QString converter; // "service" or "pdftotext"
    OcrChoice ocr;     // --ocr, --ocr-languages, --ocr-dpi
    TextOptions text;  // --layout, --raw, -f, -l, --encoding, --eol, --no-page-breaks
    Shard shard;       // --shard K/N: the part of the inputs this run converts
};

// The outcome of reading the command line: options to run with, or text to print and the exit
// status to end with (--help and --version give 0, a usage error 2).
struct ParsedCommandLine
{
    std::optional<BatchOptions> options;
    QString text; // for standard output with status 0, for standard error otherwise
    int exitStatus = 0;
    QString warning; // for standard error before a run
};

namespace batchoptions {

// Exit statuses of the program.
inline constexpr int AllUsable = 0;
inline constexpr int SomeNotUsable = 1;
inline constexpr int UsageError = 2;
inline constexpr int ConverterCannotRun = 3;

// The line that ends every usage error.
inline const QString TryHelp = QStringLiteral("Try 'morwenda-batch --help' for more information.");

// Reads `arguments` (the program's own name first). Of the file system it asks only whether the
// first of two operands is a folder (then pdftotext's form FILE.pdf OUT.txt is not meant).
ParsedCommandLine parse(const QStringList &arguments);

// Every spelling of an option that --help shows, GNU's ("-o", "--out") and then pdftotext's
// ("-layout"): what the manual page and the shell's completion name.
QStringList optionSpellings();

} // namespace batchoptions
