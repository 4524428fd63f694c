// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Outcome.h"
#include "TextOptions.h"

#include <QStringList>

class QIODevice;
class TextJudge;

// A text joined from the texts of page ranges: whether every byte reached it, and what its judge
// said of the whole.
struct JoinedText
{
    bool written = true;
    QString reason;            // WriteFailed's reason when not written
    qint64 bytes = 0;          // of the whole text
    bool noUsableText = false; // TextJudge's answer over the whole text
};

// Appends the texts at `rest`, in order, to the text at `target`, and judges the whole as one
// text of the form `form` (TextJudge). Of a marked-up form (FormText), the whole keeps the first
// part's head and the last part's tail only. Each file of `rest` is removed. Every write is
// checked: a write that fails (or a part that cannot be read) is not written, with the system's
// reason, and the target is then incomplete.
JoinedText joinTexts(const QString &target, const QStringList &rest, const TextOptions &form);

// Reads `from` to its end (or `length` bytes of it), feeding `judge` and appending to `to` (a write
// cut short goes on with the rest); without `to`, reads only until the judge has decided. False
// with `error` set when a read or a write fails.
bool carryJudgedText(QIODevice &from, QIODevice *to, TextJudge &judge, QString &error,
                     qint64 length = -1);
