// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatchOptions.h"
#include "BatchReport.h"

#include <ctime>
#include <memory>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class ConverterDeployment;
class ConverterKind;
class ConversionRun;
class QSocketNotifier;
class QTemporaryDir;
class StopSignals;

// One run of morwenda-batch: finds the files the paths name, converts them with the window's
// engine, shows the progress and the failures on standard error, keeps the report row by row and
// answers the exit status. SIGINT, SIGTERM and SIGHUP stop the run as the window's stop does: the
// running converters are killed, the texts already in place stay, and the report is still written.
class BatchCommand : public QObject
{
    Q_OBJECT

public:
    // One input file and the path its text goes to.
    struct Input
    {
        QString pdf;
        QString output;
        QString missing;       // for a path that names no file: the final message's reason line
        bool numbered = false; // its text path got " (2)", " (3)" ...
    };

    // `deployment` is deployed here when there is anything to convert, and stays with the caller.
    BatchCommand(BatchOptions options, ConverterDeployment &deployment, QObject *parent = nullptr);
    ~BatchCommand() override;

    // Runs the batch to its end and returns the exit status (batchoptions::AllUsable, ...).
    int exec();

    // The files the paths name, in order: a file as given, a folder walked as the window's folder
    // scan walks it. Each gets its text path; a path met a second time gets " (2)", " (3)" ...
    // by its position, so a resumed run finds the same names. A path that names no file or
    // folder is an input of its own with the reason in `missing`.
    static QList<Input> gatherInputs(const BatchOptions &options);

private:
    // Before the run; each throws Failure with the message for the user (a usage error).
    void readStandardInputPdf();
    void readPathLists();
    void readPasswords();
    void checkOutFolder();
    void readResumeReport();
    void placeSpecialOutputs(QList<Input> &inputs);
    void placeTextFile(Input &input) const;
    void keepShard(QList<Input> &inputs);

    // Sorts the inputs into rows decided now (missing, skipped, resumed) and files to convert.
    void sortInputs(const QList<Input> &inputs);
    bool isSkipped(const Input &input) const;
    bool isResumed(const Input &input, ReportRow &row) const;
    void addDecidedRow(const ReportRow &row);

    int convert(StopSignals &stopSignals);
    std::unique_ptr<ConverterKind> makeConverter();
    void runToItsEnd(ConversionRun &run, StopSignals &stopSignals);
    int exitStatus() const;
    int converterCount() const;
    void makeTextFolders();
    void removeEmptyTextFolders();
    void takeOutcome(const ConversionRun &run, int index);
    std::unique_ptr<QSocketNotifier> watchStandardOutput(ConversionRun &run);
    void writeStandardOutput(const ConversionRun &run);
    void printFailures() const;
    void printNumberedTexts(const ConversionRun &run) const;
    void printSummary(const ConversionRun &run, qint64 elapsedMs) const;
    QString shownPath(const QString &pdf) const;
    void say(const QString &text) const;

    BatchOptions m_options;
    ConverterDeployment &m_deployment;
    QString m_serviceProgram; // this program, which is also the converter service
    QStringList m_passwords;
    QHash<QString, ReportRow> m_resumable;         // --resume: converted rows by path
    timespec m_resumeStamp = {};                   // the resumed report's time
    int m_stdinFd = -1;                            // the PDF read from standard input, in memory
    QString m_stdinCopy;                           // its path for the converters
    int m_stdoutError = 0;                         // -o -: why the text could not be written there
    std::unique_ptr<QTemporaryDir> m_stdoutFolder; // the text for standard output
    QList<ReportRow> m_rows;
    QList<Input> m_toConvert;
    QList<int> m_rowOf; // the row of each file to convert
    std::unique_ptr<ReportLog> m_report;
    StopSignals *m_stopSignals = nullptr; // for the whole of exec()
    QStringList m_madeFolders;            // made for --keep-tree, in the order made
    int m_skipped = 0;
    int m_filesOfAllShards = 0; // --shard: the files the inputs name, in every part
    bool m_converted = false;   // the converter ran (a report follows)
};
