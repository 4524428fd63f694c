// SPDX-License-Identifier: GPL-3.0-or-later
#include "FinalList.h"

#include "engine/ReportRow.h"
#include "engine/RunSummary.h"
#include "platform/CompleteFile.h"

namespace finallist {

QString message(const QList<FileOutcome> &outcomes)
{
    return runsummary::finalMessage(outcomes, runsummary::Words::UserLanguage);
}

QByteArray toCsv(const QList<FileOutcome> &outcomes)
{
    QByteArray csv = reportrows::CsvHeader;
    for (const FileOutcome &file : outcomes)
        csv += reportrows::csvLine(reportrows::rowOf(file));
    return csv;
}

QString save(const QString &path, const QList<FileOutcome> &outcomes)
{
    CompleteFile file(path);
    QString error = file.open();
    if (error.isEmpty())
        error = file.write(toCsv(outcomes));
    return error.isEmpty() ? file.commit() : error;
}

} // namespace finallist
