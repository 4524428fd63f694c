// SPDX-License-Identifier: GPL-3.0-or-later
#include "FinalList.h"

#include "engine/ReportRow.h"
#include "engine/RunSummary.h"

#include <QSaveFile>

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
    QSaveFile file(path);
    // Unbuffered, so a write that fails (a full disk) is seen here, not lost in a flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const QByteArray csv = toCsv(outcomes);
    if (file.write(csv) != csv.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

} // namespace finallist
