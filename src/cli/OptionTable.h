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
    // pdftotext's -opw and -upw, and --listenc (--list-encodings); --help names them with its other
    // spellings.
    QCommandLineOption ownerPassword{hidden(valued({"opw"}, "", "PASSWORD"))};
    QCommandLineOption userPassword{hidden(valued({"upw"}, "", "PASSWORD"))};
    QCommandLineOption listEnc{hidden(flag({"listenc"}, ""))};
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
    QCommandLineOption listEncodings{
        flag({"list-encodings"}, "Lists the encodings of --encoding, one a line.")};
    QCommandLineOption fixedPitch{
        valued({"fixed"},
               "Keeps the physical layout with characters PITCH points wide, as for tables "
               "(pdftotext -fixed; implies --layout).",
               "PITCH")};
    QCommandLineOption noDiagonal{
        flag({"no-diagonal"},
             "Leaves out text that runs neither across nor down the page, as watermarks (pdftotext "
             "-nodiag).")};
    QCommandLineOption columnSpacing{valued(
        {"column-spacing"},
        "The gap after a word, in font sizes, that starts a new column (pdftotext -colspacing; "
        "default 0.7).",
        "FRACTION")};
    QCommandLineOption resolution{
        valued({"r", "resolution"},
               "The dots per inch of the crop area and of the boxes of --tsv, --bbox and "
               "--bbox-layout (pdftotext -r; default 72, above 0).",
               "DPI")};
    QCommandLineOption crop{valued(
        {"crop"},
        "Keeps only the text in the area X,Y,W,H, in pixels at --resolution from the page's top "
        "left corner (W or H 0: to the page's edge). A file whose area holds no text on any "
        "page gives no usable text.",
        "X,Y,W,H")};
    QCommandLineOption cropX{valued({"x", "crop-x"}, "The crop area's left (pdftotext -x).", "X")};
    QCommandLineOption cropY{valued({"y", "crop-y"}, "The crop area's top (pdftotext -y).", "Y")};
    QCommandLineOption cropWidth{
        valued({"W", "crop-width"}, "The crop area's width (pdftotext -W; 0: to the edge).", "W")};
    QCommandLineOption cropHeight{valued(
        {"H", "crop-height"}, "The crop area's height (pdftotext -H; 0: to the edge).", "H")};
    QCommandLineOption cropBox{
        flag({"cropbox"}, "Takes the page's crop box, not its media box, for the boxes of "
                          "--bbox and --bbox-layout (pdftotext -cropbox).")};
    QCommandLineOption htmlMeta{
        flag({"html-meta"},
             "Writes NAME.html: the text in <pre>, after the document's title, author and dates "
             "(pdftotext -htmlmeta).")};
    QCommandLineOption tsv{flag(
        {"tsv"},
        "Writes NAME.tsv: a row for each page, flow, block, line and word with its box "
        "(pdftotext -tsv). The rows of text have confidence 100, the others -1; a page read by "
        "OCR has tesseract's word boxes and confidences.")};
    QCommandLineOption bbox{
        flag({"bbox"}, "Writes NAME.html: each page's words with their boxes (pdftotext -bbox); a "
                       "page read by OCR has tesseract's word boxes.")};
    QCommandLineOption bboxLayout{flag(
        {"bbox-layout"},
        "Writes NAME.html: --bbox with the boxes of the flows, blocks and lines too (pdftotext "
        "-bbox-layout).")};
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
