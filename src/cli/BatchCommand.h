// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatchOptions.h"
#include "BatchReport.h"

#include <QList>
#include <QObject>
#include <QString>

class ConverterDeployment;
class StopSignals;

// One run of morwenda-batch: finds the files the paths name, converts them with the window's
// engine, shows the progress and the failures on standard error, writes the report and answers
// the exit status. SIGINT and SIGTERM stop the run as the window's stop does: the running
// converters are killed, the texts already in place stay, and the report is still written.
class BatchCommand : public QObject
{
    Q_OBJECT

public:
    // One input file and the path its text goes to.
    struct Input
    {
        QString pdf;
        QString output;
    };

    // `deployment` is deployed here when there is anything to convert, and stays with the caller.
    BatchCommand(BatchOptions options, ConverterDeployment &deployment, QObject *parent = nullptr);

    // Runs the batch to its end and returns the exit status (batchoptions::AllUsable, ...).
    int exec();

    // The files the paths name, in order: a file as given, a folder walked as the window's folder
    // scan walks it. Each gets its text path; a path met a second time gets " (2)", " (3)" ...
    // by its position, so a resumed run finds the same names. Throws Failure (the message for the
    // user) when a path or the output folder does not exist.
    static QList<Input> gatherInputs(const BatchOptions &options);

private:
    int convert(const QList<Input> &toConvert, const QString &password, QList<ReportRow> &rows,
                const QList<int> &rowOf, StopSignals &stopSignals);
    void printFailures(const QList<ReportRow> &rows) const;
    void say(const QString &text) const;

    BatchOptions m_options;
    ConverterDeployment &m_deployment;
    bool m_converted = false; // the converter ran (a report follows)
};
