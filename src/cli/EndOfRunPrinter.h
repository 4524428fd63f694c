// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Outcome.h"
#include "engine/ReportRow.h"

#include <QList>
#include <QString>

// What morwenda-batch says on standard error when its run ends: the window's final message
// sections with the window's words, and a summary line. Quiet: nothing at all. Every name is
// escaped for the terminal, line feeds included, so no file name can forge a line.
class EndOfRunPrinter
{
public:
    // The counts of the summary line.
    struct Counts
    {
        qsizetype files = 0;
        int converted = 0;
        int skipped = 0;
        bool stopped = false;
        qint64 elapsedMs = 0;
    };

    explicit EndOfRunPrinter(bool quiet) : m_quiet(quiet) {}

    // The sections for these files, in row order (the stopped files named, as the window names
    // them).
    void printSections(const QList<FileOutcome> &outcomes) const;

    // Those sections as lines, without a line end after the last; "" when there is none.
    static QString sectionsText(const QList<FileOutcome> &outcomes);

    // "morwenda-batch: 3 files: 2 converted, 0 skipped, 1 not usable, in 1.2 s".
    void printSummary(const Counts &counts) const;

    // A line of its own (an error or a note) unless quiet.
    void say(const QString &text) const;

    // The name as a terminal shows it: control characters, line feeds included, as \xHH.
    static QString escapedName(const QString &name);

    // A row decided before the run (missing, skipped, kept from an earlier report) as the final
    // message sees it: a kept text is no failure, but a warning it had stays.
    static FileOutcome outcomeOfRow(const ReportRow &row);

private:
    bool m_quiet;
};

// Writes one line to standard error, escaped for the terminal (for errors that -q keeps: those of
// the command line itself).
void printError(const QString &text);
