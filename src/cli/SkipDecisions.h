// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatchOptions.h"
#include "engine/ReportRow.h"

#include <ctime>
#include <QHash>

struct BatchInput;

// Which inputs a run leaves as they are: --resume keeps the rows of an earlier report whose PDF
// is still the same file, --skip-existing the texts newer than their PDF that hold usable text.
// A text kept with a warning (read by OCR with low confidence, or doubtfully) keeps its warning.
class SkipDecisions
{
public:
    explicit SkipDecisions(const BatchOptions &options);

    // Reads the report to resume and checks the one to add to; throws Failure (a usage error).
    void readReports();

    // True when `input` is left as it is; `row` is then its row (outcome "skipped", or the kept
    // row's own).
    bool isKept(const BatchInput &input, ReportRow &row) const;

private:
    bool isResumed(const BatchInput &input, ReportRow &row) const;
    bool isSkipped(const BatchInput &input) const;

    const BatchOptions &m_options;
    QHash<QString, ReportRow> m_resumable; // --resume: rows with a text in place, by path
    QHash<QString, ReportRow> m_warned;    // the earlier reports' rows with a warning, by path
    timespec m_resumeStamp = {};           // the resumed report's time
};
