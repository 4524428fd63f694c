// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/ReportRow.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

// The report of a run while it runs: each row is appended to a partial file beside the report
// ("report.csv.<pid>.part", written through to the system as the file ends, so a killed run
// leaves the rows of every finished file), and when the run ends the report is written whole from
// the rows, replacing the old one at once; then the partial file goes. An old report is never
// touched before that. With `append`, the old report's rows stay in front of the new ones, but
// not the rows of files converted again.
class ReportLog
{
public:
    ReportLog(QString path, bool append);
    ~ReportLog();
    ReportLog(const ReportLog &) = delete;
    ReportLog &operator=(const ReportLog &) = delete;

    // Makes the partial file; "" or the system's reason why it cannot be made.
    QString open();

    // Appends one finished file's row. A write the disk refuses is undone to the last whole row;
    // the rows after it are then kept in memory only, and finish() says why.
    void add(const ReportRow &row);

    // Writes the report of `rows` (and with `append` the old rows of other files), then removes
    // the partial file. Returns "" or what went wrong, with the system's reason; the partial file
    // is then kept when it holds every row, and the old report is untouched.
    QString finish(const QList<ReportRow> &rows);

    QString partialPath() const { return m_partialPath; }

private:
    bool keep(const QByteArray &bytes);
    void removePartial();

    QString m_path;
    bool m_append;
    QString m_partialPath;
    QFile m_partial;
    qint64 m_whole = 0; // bytes of whole rows in the partial file
    QString m_partialError;
};
