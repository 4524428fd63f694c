// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

// How morwenda-batch's options may be spelled: GNU's way (short options that group, long ones
// with "--") and pdftotext's way (a single dash and a word: "-layout", "-enc NAME"), so that a
// pdftotext command line works with morwenda-batch in its place.
namespace optionspellings {

// One of pdftotext's spellings and the long option it stands for.
struct PdftotextSpelling
{
    QString spelling;  // "-layout"
    QString option;    // "layout": the long name it stands for
    QString valueName; // "" for a flag
    QString help;      // "" when the long option says it all
};

// pdftotext's spellings that are not already GNU short options (-f, -l, -q, -v, -r, -x, -y, -W
// and -H are).
const QList<PdftotextSpelling> &pdftotextSpellings();

// Every spelling of `options` that is not hidden from the help ("-o", "--out", ...), in their
// order, then pdftotext's.
QStringList visibleSpellings(const QList<QCommandLineOption> &options);

// The arguments (the program's name first) with pdftotext's spellings turned into the long
// options they stand for, ready for QCommandLineParser; or, in `problem`, why an argument is no
// option: unknown, with the nearest known spelling. Option values and the arguments after "--" are
// left as they are.
struct Respelled
{
    QStringList arguments;
    QString problem;
};
Respelled respell(const QStringList &arguments, const QList<QCommandLineOption> &options);

// `text` for a terminal: each control character, the line feed and tab too, written as \xHH, so
// that an argument can neither move the cursor nor forge a line.
QString shown(const QString &text);

// The spelling of `spellings` nearest to `given` (a typo, a missing or extra dash, GNU's dashes
// on pdftotext's word or the other way round); "" when none is near enough to be meant.
QString nearest(const QString &given, const QStringList &spellings);

} // namespace optionspellings
