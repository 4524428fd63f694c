// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatchOptions.h"

#include <QList>
#include <QString>

// One input file of morwenda-batch and the path its text goes to.
struct BatchInput
{
    QString pdf;
    QString output;
    QString missing;       // for a path that names no file: the final message's reason line
    bool numbered = false; // its text path got " (2)", " (3)" ...
};

// The files a run's paths name, in the order they are converted and reported, and the place of
// each text. Each function that refuses throws Failure with the message for the user.
namespace inputgathering {

// The files the paths name, in order: a file as given, a folder walked as the window's folder
// scan walks it. Each gets its text path; a path met a second time gets " (2)", " (3)" ... by its
// position, so a resumed run finds the same names. A path that names no file or folder is an
// input of its own with the reason in `missing`.
QList<BatchInput> gather(const BatchOptions &options);

// --shard K/N: only the inputs of part K stay, in their gathered order. The whole list is
// numbered first, so every part names its texts as one run of all the inputs would. Answers how
// many files the inputs of every part name.
int keepShard(QList<BatchInput> &inputs, Shard shard);

// The text of a PDF read from standard input (`stdinPdf`) is "stdin.txt" under --out (or
// "stdin.html", "stdin.tsv" for those forms); the text of
// FILE.pdf OUT is OUT, never numbered, and never a PDF.
void placeNamedTexts(QList<BatchInput> &inputs, const BatchOptions &options,
                     const QString &stdinPdf);

// The outcome a report gives a path that names nothing to convert, by its reason.
QString missingOutcome(const QString &reason);

// True when the file begins as a PDF does.
bool startsAsPdf(const QString &path);

// The second of two operands names a text to write, as pdftotext's does, whatever its extension:
// "-", a name ending in ".txt", or any other name that is no folder, does not end in ".pdf" and
// names no file that begins as a PDF (never a text over a PDF).
bool isTextOperand(const QString &operand);

} // namespace inputgathering
