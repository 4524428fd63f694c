// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineOption>
#include <QList>

#include "engine/ConverterChoice.h"
#include "engine/TextOptions.h"

// Every option of morwenda-batch, in the order --help lists them: the one source of --help, the
// manual page's list and the shell's completion (tests/cli/tst_batchoptions holds those two to
// it). Reading their values is BatchOptions' and OptionReading's.
struct OptionTable
{
    QCommandLineOption help{flag({"h", "help"}, "Shows this help.")};
    QCommandLineOption version{flag({"V", "v", "version"}, "Shows the program's version.")};
    QCommandLineOption out{
        valued({"o", "out"},
               "Puts every text file into the folder DIR; '-' writes the text of one PDF to "
               "standard output.",
               "DIR")};
    QCommandLineOption toStdout{
        flag({"stdout"}, "Writes the text of one PDF to standard output (as -o -).")};
    QCommandLineOption parents{flag({"parents"}, "Makes the folder of --out when it is missing.")};
    QCommandLineOption beside{
        flag({"beside"}, "Puts each text file next to its PDF (the default).")};
    QCommandLineOption keepTree{flag(
        {"keep-tree"}, "With --out: a file found in a folder PATH keeps its folder relative to "
                       "PATH under DIR; a file named directly keeps its folder relative to the "
                       "current folder (or its whole folder path when outside it).")};
    QCommandLineOption jobs{
        valued({"j", "jobs"},
               "Runs N converters at once (default, and 0: one per processor this program may "
               "use; never more).",
               "N")};
    QCommandLineOption timeLimit{
        valued({"time-limit"},
               "Stops a converter that gives no new text for SECONDS (default 30; 0: no "
               "limit).",
               "SECONDS")};
    QCommandLineOption memoryLimit{
        valued({"memory-limit"},
               "Address space of one converter in MB (default 1024; 0: no limit).", "MB")};
    QCommandLineOption passwordFile{valued(
        {"password-file"},
        "Tries each line of FILE, in order, as the password of every file ('-': standard input). "
        "A password is never handed to pdftotext unless --converter pdftotext is chosen: then "
        "pdftotext sees it on its command line, where every user of the machine can read it.",
        "FILE")};
    QCommandLineOption filesFrom{valued(
        {"files-from"}, "Reads more PATHs from FILE, one a line ('-': standard input).", "FILE")};
    QCommandLineOption files0From{
        valued({"files0-from"},
               "Reads more PATHs from FILE, each ended by a NUL byte (find -print0).", "FILE")};
    QCommandLineOption skipExisting{
        flag({"skip-existing"},
             "Skips a PDF whose text file is newer than the PDF and holds usable text.")};
    QCommandLineOption resume{valued(
        {"resume"},
        "Skips what REPORT says was converted (the PDF unchanged, its text in place since) and "
        "converts the rest.",
        "REPORT")};
    QCommandLineOption report{valued(
        {"report"},
        "Writes one row per file (path, output, outcome, reason, pages, seconds) to FILE, as "
        "CSV, JSON or JSON Lines by its extension (.csv, .json, .jsonl); each row is kept in "
        "FILE.<pid>.part as its file ends.",
        "FILE")};
    QCommandLineOption append{
        flag({"append"}, "Adds the rows to the report's earlier rows; a file converted again keeps "
                         "only its new row.")};
    QCommandLineOption extension{
        valued({"extension"},
               "The extension of the files taken from folders (default pdf; * for every "
               "file).",
               "EXT", "pdf")};
    QCommandLineOption converter{valued(
        {"converter"},
        QStringLiteral("Which converter converts: %1 (default %2). The service keeps poppler "
                       "loaded and never puts a password on a command line.")
            .arg(converterchoice::names().join(QStringLiteral(", ")),
                 converterchoice::defaultName()),
        "NAME", converterchoice::defaultName())};
    QCommandLineOption quiet{
        flag({"q", "quiet"}, "Shows no progress and no summary; failures are still listed.")};
    QCommandLineOption ocr{valued({"ocr"},
                                  "Reads pages by OCR: off (default), auto (pages without "
                                  "usable text) or always (every page).",
                                  "MODE", "off")};
    QCommandLineOption ocrLanguages{
        valued({"ocr-languages"},
               "The installed tesseract languages OCR reads in (default eng; eng+deu for two).",
               "LANGS", "eng")};
    QCommandLineOption ocrDpi{
        valued({"ocr-dpi"}, "Draws a page for OCR at DPI dots per inch (50 to 1200, default 300).",
               "DPI", "300")};
    // pdftotext's -opw, -upw and -listenc; --help names them with its other spellings.
    QCommandLineOption ownerPassword{hidden(valued({"opw"}, "", "PASSWORD"))};
    QCommandLineOption userPassword{hidden(valued({"upw"}, "", "PASSWORD"))};
    QCommandLineOption listEncodings{hidden(flag({"listenc"}, ""))};
    QCommandLineOption shard{valued(
        {"shard"},
        "Converts part K of N of the files the PATHs and lists name (1 <= K <= N, as split "
        "-n K/N): runs given the same inputs take disjoint parts, each file's by a hash of its "
        "path, so a file added, deleted or grown between the runs moves no other; texts are "
        "named as one run of all the files would name them.",
        "K/N")};
    // The options of the text, named as pdftotext's.
    QCommandLineOption layout{
        QStringLiteral("layout"),
        QStringLiteral("Keeps the physical layout of the text (pdftotext -layout).")};
    QCommandLineOption raw{
        QStringLiteral("raw"),
        QStringLiteral("Keeps the text in content stream order (pdftotext -raw).")};
    QCommandLineOption firstPage{
        {QStringLiteral("f"), QStringLiteral("first-page")},
        QStringLiteral("Converts from page N on (pdftotext -f; 0: from the first)."),
        QStringLiteral("N")};
    QCommandLineOption lastPage{
        {QStringLiteral("l"), QStringLiteral("last-page")},
        QStringLiteral("Converts up to page N (pdftotext -l; 0: to the last)."),
        QStringLiteral("N")};
    QCommandLineOption encoding{
        QStringLiteral("encoding"),
        QStringLiteral("Writes the text in encoding NAME (pdftotext -enc; default UTF-8): %1.")
            .arg(textoptions::encodingNames().join(QStringLiteral(", "))),
        QStringLiteral("NAME")};
    QCommandLineOption endOfLine{
        QStringLiteral("eol"),
        QStringLiteral("Ends lines as on unix (LF, the default), dos (CR LF) or mac (CR) "
                       "(pdftotext -eol)."),
        QStringLiteral("KIND")};
    QCommandLineOption noPageBreaks{
        QStringLiteral("no-page-breaks"),
        QStringLiteral("Writes no form feed after each page (pdftotext -nopgbrk).")};
    QCommandLineOption jsonLines{flag(
        {"json-lines"},
        "Writes NAME.jsonl instead of NAME.txt: a line of the file (path, outcome, reason, "
        "metadata as pdfinfo reads it), then a line per page (its text, OCR, confidence); the "
        "page texts joined are the text file. With -o -: every PDF's lines, in list order.")};
    QCommandLineOption jsonLinesBeside{
        flag({"json-lines-beside"}, "Writes NAME.jsonl (as --json-lines) beside NAME.txt.")};

    QList<QCommandLineOption> all() const;

private:
    static QCommandLineOption flag(const QStringList &names, const QString &description);
    static QCommandLineOption valued(const QStringList &names, const QString &description,
                                     const QString &valueName,
                                     const QString &defaultValue = QString());
    static QCommandLineOption hidden(QCommandLineOption option);
};
