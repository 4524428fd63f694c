// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Outcome.h"
#include "TextOptions.h"

#include <QStringList>

class QIODevice;
class TextJudge;

// How a text joined from the texts of page ranges ended.
struct JoinedText
{
    Outcome outcome = Outcome::Converted; // Converted, NoUsableText or WriteFailed
    QString reason;                       // empty for Converted
};

// Appends the texts at `rest`, in order, to the text at `target`, and judges the whole as one
// text of the form `form` (TextJudge). Each file of `rest` is removed. Every write is checked: a
// write that fails (or a part that cannot be read) is WriteFailed with the system's reason, and
// the target is then incomplete.
JoinedText joinTexts(const QString &target, const QStringList &rest, const TextOptions &form);

// Reads `from` to its end, feeding `judge` and appending to `to` (a write cut short goes on with
// the rest); without `to`, reads only until the judge has decided. False with `error` set when a
// read or a write fails.
bool carryJudgedText(QIODevice &from, QIODevice *to, TextJudge &judge, QString &error);
