// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchCommand.h"

#include "engine/ConversionRun.h"
#include "engine/ConverterChoice.h"
#include "engine/ConverterKind.h"
#include "OutputChecks.h"
#include "platform/Failure.h"
#include "platform/NativePath.h"
#include "platform/StopSignals.h"
#include "platform/SystemError.h"
#include "ProgressDisplay.h"
#include "RunSetup.h"
#include "StandardOutputText.h"

#include <cerrno>
#include <csignal>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <sys/stat.h>

namespace {

const QString Skipped = QStringLiteral("skipped");
const QString Stdin = QStringLiteral("-");

// "missing.pdf: No such file or directory", as pdftotext's users know it for its one-file forms.
QString oneFileMissing(const QString &given)
{
    struct stat facts = {};
    if (::stat(nativepath::encode(given).constData(), &facts) == 0)
        return QStringLiteral("%1: not a file (a pipe, socket or device)").arg(given);
    return QStringLiteral("%1: %2").arg(given, systemError(errno));
}

} // namespace

BatchCommand::BatchCommand(BatchOptions options, ConverterDeployment &deployment, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_deployment(deployment),
      // Taken now: once the program file is gone (a package upgrade during a run), the system
      // no longer names it, and the service that cannot start then must still be the one chosen.
      m_serviceProgram(converterchoice::ownServiceProgram()), m_printer(m_options.quiet),
      m_decisions(m_options)
{
}

BatchCommand::~BatchCommand() = default;

int BatchCommand::exec()
{
    // From here on a stop keeps what is done and still writes the report, also while the lists
    // are read.
    StopSignals stopSignals;
    m_stopSignals = &stopSignals;
    int status = batchoptions::AllUsable;
    try {
        const QList<BatchInput> inputs = takeInputs();
        sortInputs(inputs);
    } catch (const Failure &failure) {
        printError(failure.description());
        status = batchoptions::UsageError;
    }
    if (status != batchoptions::UsageError && (!m_toConvert.isEmpty() || m_skipped > 0)) {
        status = convert(stopSignals);
        if (status == batchoptions::ConverterCannotRun && !m_converted)
            m_report.reset(); // nothing was tried: no report
        m_textFolders.removeEmpty();
    } else if (status != batchoptions::UsageError) {
        status = finishWithoutFiles();
    }
    if (m_report) {
        const QString error = m_report->finish(m_rows);
        if (!error.isEmpty()) {
            m_printer.say(QStringLiteral("morwenda-batch: ") + error);
            status = std::max(status, int(batchoptions::SomeNotUsable));
        }
    }
    m_endSignal = StopSignals::signalNumber();
    if (m_endSignal == 0 && m_stdout && m_stdout->readerLeft())
        m_endSignal = SIGPIPE;
    return status;
}

// Every input of the run, read and placed, and the report opened; throws Failure.
QList<BatchInput> BatchCommand::takeInputs()
{
    if (m_options.paths.count(Stdin) > 1)
        throw Failure(QStringLiteral("morwenda-batch: standard input ('-') holds one PDF"));
    if (m_options.paths.contains(Stdin)) {
        const int megabytes = m_options.memoryLimitMegabytes >= 0
                                  ? m_options.memoryLimitMegabytes
                                  : ConversionLimits::DefaultMemoryMegabytes;
        m_stdinPdf.read(*m_stopSignals, qint64(megabytes) << 20);
        m_options.paths.replace(m_options.paths.indexOf(Stdin), m_stdinPdf.path());
    }
    readPathLists();
    readPasswords();
    outputchecks::checkOutFolder(m_options);
    outputchecks::checkTextFileFolder(m_options);
    m_decisions.readReports();
    // A language that is not there is said once, before any file is converted.
    if (const QString missing = m_options.ocr.missingLanguagesMessage(); !missing.isEmpty())
        throw Failure(QStringLiteral("morwenda-batch: ") + missing);
    // Said once; the run goes on and reads the pages unturned.
    if (const QString note = m_options.ocr.missingOrientationNote(); !note.isEmpty())
        m_printer.say(QStringLiteral("morwenda-batch: ") + note);
    QList<BatchInput> inputs = inputgathering::gather(m_options);
    outputchecks::checkReportIsNoInput(m_options, inputs);
    m_filesOfAllShards = inputgathering::keepShard(inputs, m_options.shard);
    inputgathering::placeNamedTexts(inputs, m_options, m_stdinPdf.path());
    placeStandardOutput(inputs);
    openReport();
    return inputs;
}

void BatchCommand::readPathLists()
{
    const struct
    {
        const QString &file;
        char end;
    } lists[] = {{m_options.filesFrom, '\n'}, {m_options.files0From, '\0'}};
    for (const auto &list : lists) {
        if (list.file.isEmpty())
            continue;
        bool stopped = false;
        // A stop while the list is read: the paths read whole are reported as not converted.
        m_options.paths << inputreading::pathList(list.file, list.end, *m_stopSignals, stopped);
        if (stopped)
            return;
    }
}

void BatchCommand::readPasswords()
{
    m_passwords = m_options.passwords;
    if (m_options.passwordFile.isEmpty())
        return;
    const QStringList lines = inputreading::passwordLines(m_options.passwordFile, *m_stopSignals);
    if (lines.isEmpty())
        throw Failure(QStringLiteral("morwenda-batch: the password file %1 holds no password")
                          .arg(m_options.passwordFile));
    m_passwords << lines;
}

// -o -: the one PDF's text goes to a private folder first. A path that names nothing is said as
// pdftotext says it, after the run.
void BatchCommand::placeStandardOutput(QList<BatchInput> &inputs)
{
    if (!m_options.toStdout)
        return;
    const qsizetype files = std::count_if(
        inputs.cbegin(), inputs.cend(), [](const BatchInput &in) { return in.missing.isEmpty(); });
    if (m_options.text.jsonLines != TextOptions::JsonLines::Off) {
        // JSON Lines: one stream of every file, each with a private file of its own first.
        m_stdout = std::make_unique<StandardOutputText>();
        for (BatchInput &input : inputs)
            if (input.missing.isEmpty())
                input.output = m_stdout->prepare();
        return;
    }
    if (inputs.size() == 1 && files == 0)
        return;
    if (files != 1 || inputs.size() != 1)
        throw Failure(QStringLiteral("morwenda-batch: -o - writes the text of one PDF, and the "
                                     "paths name %1\n%2")
                          .arg(inputs.size())
                          .arg(batchoptions::TryHelp));
    m_stdout = std::make_unique<StandardOutputText>();
    inputs.first().output = m_stdout->prepare();
}

void BatchCommand::openReport()
{
    if (m_options.reportFile.isEmpty())
        return;
    m_report = std::make_unique<ReportLog>(m_options.reportFile, m_options.appendReport);
    const QString error = m_report->open();
    if (!error.isEmpty())
        throw Failure(QStringLiteral("morwenda-batch: the report %1 cannot be written: %2")
                          .arg(m_report->partialPath(), error));
}

void BatchCommand::sortInputs(const QList<BatchInput> &inputs)
{
    for (const BatchInput &input : inputs) {
        ReportRow row;
        row.pdf = input.pdf;
        row.output = input.output;
        if (!input.missing.isEmpty()) {
            row.outcome = inputgathering::missingOutcome(input.missing);
            row.reason = reportrows::reasonWords(input.missing);
            addDecidedRow(row);
        } else if (!m_stdout && m_decisions.isKept(input, row)) {
            ++m_skipped;
            addDecidedRow(row);
        } else {
            m_rowOf.append(int(m_rows.size()));
            m_toConvert.append(input);
            m_rows.append(row);
            m_ends.append(FileOutcome{});
        }
    }
}

void BatchCommand::addDecidedRow(const ReportRow &row)
{
    m_rows.append(row);
    m_ends.append(EndOfRunPrinter::outcomeOfRow(row));
    if (m_report)
        m_report->add(row);
}

// Nothing to convert: every path was decided before the run.
int BatchCommand::finishWithoutFiles()
{
    const bool oneFileForm = m_options.toStdout || !m_options.textFile.isEmpty();
    if (m_rows.isEmpty() && m_filesOfAllShards > 0) {
        // More parts than the files fill: this part has nothing to do, and that is no failure.
        m_printer.say(QStringLiteral("morwenda-batch: part %1 of %2 holds none of the %3 files")
                          .arg(m_options.shard.part)
                          .arg(m_options.shard.parts)
                          .arg(m_filesOfAllShards));
        return batchoptions::AllUsable;
    }
    if (oneFileForm && m_rows.size() == 1) {
        m_printer.say(oneFileMissing(m_options.paths.constFirst()));
        return batchoptions::SomeNotUsable;
    }
    m_printer.printSections(m_ends);
    m_printer.say(QStringLiteral("morwenda-batch: no PDF found"));
    return batchoptions::SomeNotUsable;
}

int BatchCommand::convert(StopSignals &stopSignals)
{
    std::unique_ptr<ConverterKind> converter =
        runsetup::makeConverter(m_options, m_deployment, m_serviceProgram, !m_toConvert.isEmpty());
    if (!converter)
        return batchoptions::ConverterCannotRun;
    m_converted = true;
    if (m_options.keepTree)
        m_textFolders.make(m_toConvert);

    ConversionRun run(*converter);
    run.setPasswords(m_passwords);
    qint64 bytes = 0;
    for (const BatchInput &input : std::as_const(m_toConvert))
        bytes += QFileInfo(input.pdf).size();
    ProgressDisplay progress(
        ProgressDisplay::styleFor(m_options.quiet || m_options.toStdout || m_rows.isEmpty()),
        int(m_rows.size()), bytes);
    for (const ReportRow &row : std::as_const(m_rows))
        if (!row.outcome.isEmpty()) {
            const bool missing = row.outcome == QStringLiteral("missing") ||
                                 row.outcome == QStringLiteral("not-a-file") ||
                                 row.outcome == outcomeName(Outcome::CannotRead);
            progress.fileDone(shownPath(row.pdf), missing ? row.outcome : Skipped,
                              missing ? QStringLiteral("  - ") + row.reason : QString(), missing);
        }
    connect(&run, &ConversionRun::converting, &progress,
            [&](const QString &pdf) { progress.started(shownPath(pdf)); });
    connect(&run, &ConversionRun::fileDone, this, [&](int index) {
        takeOutcome(run, index);
        const FileOutcome &file = run.outcomes().at(index);
        progress.fileDone(shownPath(file.pdf), outcomeName(file.outcome), file.reason,
                          file.outcome != Outcome::Converted, file.pages,
                          QFileInfo(file.pdf).size());
    });
    connect(&run, &ConversionRun::pagesDone, this, [&] {
        progress.partDone(run.filesDone() + double(m_rows.size() - m_toConvert.size()));
    });
    QElapsedTimer clock;
    clock.start();
    // -o - into a pipe whose reader is gone: the run stops at once and the file is write-failed.
    if (m_stdout)
        m_stdout->watchReader(run);
    runToItsEnd(run, stopSignals);
    if (m_stdout) {
        m_stdout->stopWatching();
        writeStandardOutput(run);
    }
    progress.finish();
    printEnd(run, clock.elapsed());
    return exitStatus();
}

// Starts the run on the files to convert and returns when it has ended (or has been stopped).
void BatchCommand::runToItsEnd(ConversionRun &run, StopSignals &stopSignals)
{
    QStringList pdfs;
    QStringList outputs;
    for (const BatchInput &input : std::as_const(m_toConvert)) {
        pdfs << input.pdf;
        outputs << input.output;
    }
    connect(&stopSignals, &StopSignals::stopRequested, &run, &ConversionRun::stop);
    QEventLoop loop;
    connect(&run, &ConversionRun::finished, &loop, &QEventLoop::quit);
    run.start(pdfs, runsetup::choiceFor(m_options, !m_passwords.isEmpty()),
              runsetup::limitsFor(m_options, m_printer), outputs);
    if (StopSignals::requested())
        run.stop();
    loop.exec();
}

int BatchCommand::exitStatus() const
{
    bool cannotStart = false;
    bool failed = false;
    for (const ReportRow &row : m_rows) {
        cannotStart = cannotStart || row.outcome == outcomeName(Outcome::CannotStart);
        failed =
            failed || (row.outcome != outcomeName(Outcome::Converted) && row.outcome != Skipped);
    }
    if (cannotStart)
        return batchoptions::ConverterCannotRun;
    return failed ? batchoptions::SomeNotUsable : batchoptions::AllUsable;
}

// One file of the run is done: its row is final and goes to the report at once.
void BatchCommand::takeOutcome(const ConversionRun &run, int index)
{
    FileOutcome file = run.outcomes().at(index);
    ReportRow &row = m_rows[m_rowOf.at(index)];
    const QString pdf = row.pdf;
    row = reportrows::rowOf(file);
    row.pdf = pdf;
    if (m_stdout && !row.output.isEmpty())
        row.output = Stdin;
    row.pdf = shownPath(row.pdf);
    file.pdf = shownPath(file.pdf);
    file.numbered = file.numbered || m_toConvert.at(index).numbered; // named here, not by the run
    m_ends[m_rowOf.at(index)] = file;
    if (m_report && !m_stdout) // with -o -, once the text is written out
        m_report->add(row);
}

// -o -: the text, when there is one, to standard output; with JSON Lines every row's lines in
// list order. A file whose text did not go out whole (a reader gone, a full disk), and with JSON
// Lines every one after it, is write-failed: it did not arrive where it was asked for.
void BatchCommand::writeStandardOutput(const ConversionRun &run)
{
    qsizetype whole = m_rows.size(); // the rows written out whole
    if (m_options.text.jsonLines != TextOptions::JsonLines::Off) {
        QStringList files(m_rows.size());
        for (qsizetype i = 0; i < m_rowOf.size() && i < run.outcomes().size(); ++i)
            if (leftText(run.outcomes().at(i).outcome))
                files[m_rowOf.at(i)] = m_toConvert.at(i).output;
        whole = m_stdout->writeJsonLines(m_rows, files);
    } else if (!run.outcomes().isEmpty()) {
        m_stdout->write(m_toConvert.first().output);
        whole = m_stdout->error() != 0 ? 0 : whole;
    }
    for (qsizetype i = 0; i < m_rowOf.size() && i < run.outcomes().size(); ++i) {
        ReportRow &row = m_rows[m_rowOf.at(i)];
        if (m_rowOf.at(i) >= whole) {
            FileOutcome file = run.outcomes().at(i);
            file.outcome = Outcome::WriteFailed;
            file.reason = reasons::writeFailed(QStringLiteral("standard output: ") +
                                               systemError(m_stdout->error()));
            file.pdf = shownPath(file.pdf);
            row = reportrows::rowOf(file);
            row.output = Stdin;
            m_ends[m_rowOf.at(i)] = file;
        }
        if (m_report && !row.outcome.isEmpty())
            m_report->add(row);
    }
}

// The end of the run on standard error. A reader of -o - that left is no news to anyone: the run
// ends quietly, as pdftotext's does, and the report still says write-failed.
void BatchCommand::printEnd(const ConversionRun &run, qint64 elapsedMs) const
{
    if (m_stdout && m_stdout->readerLeft())
        return;
    m_printer.printSections(m_ends);
    if (m_stdout || m_rows.isEmpty())
        return;
    int converted = 0;
    for (const FileOutcome &file : run.outcomes())
        converted += file.outcome == Outcome::Converted ? 1 : 0;
    m_printer.printSummary({m_rows.size(), converted, m_skipped, run.wasStopped(), elapsedMs});
}

QString BatchCommand::shownPath(const QString &pdf) const
{
    return !m_stdinPdf.path().isEmpty() && pdf == m_stdinPdf.path() ? Stdin : pdf;
}
