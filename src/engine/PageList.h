// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// Lists of page numbers as reports hold them: ascending runs, adjacent runs joined, written
// "1-4,7". Reading takes that form and the older "1-4, 7" alike.
namespace pagelist {

// The pages first to last, both included.
struct Run
{
    int first = 0;
    int last = 0;
    bool operator==(const Run &) const = default;
};

// The runs of a written list, ascending, overlapping and adjacent ones joined; a part that is no
// page number or range ("x", "0", "9-7") is left out.
QList<Run> parse(QStringView text);

// The runs of these pages (in any order, repeats allowed).
QList<Run> runsOf(const QList<int> &pages);

// The runs joined where they meet or overlap, ascending.
QList<Run> joined(QList<Run> runs);

// "1-4,7" (or "1-4, 7" with the separator ", "); "" for none.
QString write(const QList<Run> &runs, QStringView separator = u",");

// The written lists of the page ranges of one file as one list: "401-437" and "438-500" are
// "401-500".
QString joinWritten(const QStringList &lists);

} // namespace pagelist
