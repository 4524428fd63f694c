// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ReportRow.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>

// The columns of a run's report, in their order: the one table from which a row is written and
// read, as CSV and as JSON. A column added goes at the end; reports written before it still read.
namespace reportcolumns {

enum class Kind
{
    Text,    // a JSON string
    Whole,   // a JSON number; null where the text is ""
    Decimal, // a JSON number; null where the text is ""
};

struct Column
{
    const char *name;
    Kind kind;
    QString (*text)(const ReportRow &row);             // the field as CSV gives it
    void (*read)(ReportRow &row, const QString &text); // the field back into the row
};

const QList<Column> &all();

// The names, in order.
QStringList names();

// How many of the columns a CSV header names: all of them, or as many as a report written
// before the later ones held; 0 when `header` is no report's header.
qsizetype widthOfHeader(const QStringList &header);

// The row of a CSV record whose fields are the first columns, as many as it holds.
ReportRow rowOfFields(const QStringList &fields);

QJsonObject jsonObject(const ReportRow &row);

// The row of a JSON object; a key it lacks leaves the row's default (an older report).
ReportRow rowOfJson(const QJsonObject &object);

} // namespace reportcolumns
