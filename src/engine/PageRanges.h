// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionJob.h"
#include "Outcome.h"
#include "TextOptions.h"

#include <QList>
#include <QStringList>

// A file converted in page ranges: how its pages are cut, and how the ranges' results make the
// file's one outcome. A file converted whole is the case of one range, so both end by the same
// rules (textverdict).
namespace pageranges {

// The pages asked for in a document of `pageCount` pages, cut into `count` ranges in page order,
// as even as they can be.
QList<TextOptions::Pages> split(const TextOptions &text, int pageCount, int count);

// A range none of whose pages could be read: the file's other ranges may hold text.
bool noPageRead(const JobResult &result);

// The file's pages, OCR figures and unread pages from the results of its ranges in page order
// (unread pages written as one list, adjacent runs joined).
void gather(FileOutcome &file, const QList<JobResult> &ranges);

// The file's outcome once its ranges' texts are complete: the texts at `rest` are appended to
// the one at `target` (and removed), and the whole is judged as one text.
void settleJoined(FileOutcome &file, const QString &target, const QStringList &rest,
                  const TextOptions &form);

// Sets the file's outcome and reason ("" for Converted); a file that keeps no text names no
// unread pages.
void settle(FileOutcome &file, Outcome outcome, const QString &reason);

} // namespace pageranges
