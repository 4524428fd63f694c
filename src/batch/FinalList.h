// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/ConversionRun.h"

#include <QByteArray>
#include <QList>

// The list a run ends with, as the final box's "Save list..." writes it: the CSV of
// morwenda-batch's report, written by the same rows (engine/ReportRow): a header line, then one
// RFC 4180 row per file in row order.
namespace finallist {

// The final box's text: the run's summary (runsummary::finalMessage) in the user's language, with
// every file that gave no usable text, was read doubtfully or with low confidence, in its section.
QString message(const QList<FileOutcome> &outcomes);

QByteArray toCsv(const QList<FileOutcome> &outcomes);

// Writes the list whole or not at all. Returns "" or the system's reason for the failure.
QString save(const QString &path, const QList<FileOutcome> &outcomes);

} // namespace finallist
