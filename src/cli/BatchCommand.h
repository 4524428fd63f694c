// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatchOptions.h"
#include "BatchReport.h"
#include "EndOfRunPrinter.h"
#include "InputGathering.h"
#include "InputReading.h"
#include "OutputChecks.h"
#include "ReportLog.h"
#include "SkipDecisions.h"

#include <memory>
#include <QList>
#include <QObject>
#include <QString>

class ConverterDeployment;
class ConverterKind;
class ConversionRun;
class StandardOutputText;
class StopSignals;

// One run of morwenda-batch: takes in the inputs, decides which are left as they are, converts the
// others with the window's engine, shows the progress and the end of the run on standard error,
// keeps the report row by row and answers the exit status. SIGINT, SIGTERM and SIGHUP stop the
// run as the window's stop does: the running converters are killed, the texts already in place
// stay, and the report is still written; the program then ends by that signal (endSignal()).
class BatchCommand : public QObject
{
    Q_OBJECT

public:
    // `deployment` is deployed here when there is anything to convert, and stays with the caller.
    BatchCommand(BatchOptions options, ConverterDeployment &deployment, QObject *parent = nullptr);
    ~BatchCommand() override;

    // Runs the batch to its end and returns the exit status (batchoptions::AllUsable, ...).
    int exec();

    // The signal the program is to end by once everything is cleaned up: the one that stopped the
    // run, or SIGPIPE when the reader of -o - left as the text was written; 0 for none.
    int endSignal() const { return m_endSignal; }

private:
    // Before the run; each throws Failure with the message for the user (a usage error).
    QList<BatchInput> takeInputs();
    void readPathLists();
    void readPasswords();
    void placeStandardOutput(QList<BatchInput> &inputs);
    void openReport();

    // Sorts the inputs into rows decided now (missing, skipped, resumed) and files to convert.
    void sortInputs(const QList<BatchInput> &inputs);
    void addDecidedRow(const ReportRow &row);
    int finishWithoutFiles();

    int convert(StopSignals &stopSignals);
    void runToItsEnd(ConversionRun &run, StopSignals &stopSignals);
    int exitStatus() const;
    void takeOutcome(const ConversionRun &run, int index);
    void writeStandardOutput(const ConversionRun &run);
    void printEnd(const ConversionRun &run, qint64 elapsedMs) const;
    QString shownPath(const QString &pdf) const;

    BatchOptions m_options;
    ConverterDeployment &m_deployment;
    QString m_serviceProgram; // this program, which is also the converter service
    EndOfRunPrinter m_printer;
    QStringList m_passwords;
    SkipDecisions m_decisions;
    StandardInputPdf m_stdinPdf;
    std::unique_ptr<StandardOutputText> m_stdout; // -o -
    QList<ReportRow> m_rows;
    QList<FileOutcome> m_ends; // each row as the end of the run tells it
    QList<BatchInput> m_toConvert;
    QList<int> m_rowOf; // the row of each file to convert
    std::unique_ptr<ReportLog> m_report;
    StopSignals *m_stopSignals = nullptr; // for the whole of exec()
    TextFolders m_textFolders;
    int m_skipped = 0;
    int m_filesOfAllShards = 0; // --shard: the files the inputs name, in every part
    bool m_converted = false;   // the converter ran (a report follows)
    int m_endSignal = 0;
};
