// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchCommand.h"

#include "engine/ConversionRun.h"
#include "engine/ConverterChoice.h"
#include "engine/ConverterDeployment.h"
#include "engine/ConverterKind.h"
#include "engine/OutputChoice.h"
#include "engine/RunSummary.h"
#include "engine/FolderWalk.h"
#include "platform/ErrorReport.h"
#include "platform/Failure.h"
#include "ProgressDisplay.h"
#include "StopSignals.h"

#include <cstdio>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

const QString Skipped = QStringLiteral("skipped");

void printError(const QString &text)
{
    std::fputs((text + u'\n').toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

// A failure inside the walk or the deployment: the description, on standard error.
void reportOnStandardError(const QString &, int, const QString &description)
{
    printError(QStringLiteral("morwenda-batch: ") + description);
}

// The folder a file's text goes to under --out DIR --keep-tree: its folder relative to the
// folder it was found in, or for a file named directly relative to the current folder (its
// whole folder path when it lies outside).
QString keptFolder(const QString &outFolder, const QString &base, const QString &pdf)
{
    const QString folder = QFileInfo(pdf).absolutePath();
    QString relative = QDir(base).relativeFilePath(folder);
    if (relative.startsWith(QStringLiteral("..")) || QDir::isAbsolutePath(relative))
        relative = QDir::cleanPath(folder).mid(1);
    if (relative.isEmpty() || relative == QStringLiteral("."))
        return outFolder;
    return outFolder + u'/' + relative;
}

// The reason's words as a report gives them: the window's text without its leading "  - ".
QString reasonWords(const QString &reason)
{
    QString words = reason;
    if (words.startsWith(QStringLiteral("  - ")))
        words.remove(0, 4);
    return words;
}

QString readPassword(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("morwenda-batch: the password file %1 cannot be read: %2")
                          .arg(path, file.errorString()));
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromLocal8Bit(line);
}

} // namespace

BatchCommand::BatchCommand(BatchOptions options, ConverterDeployment &deployment, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_deployment(deployment)
{
}

QList<BatchCommand::Input> BatchCommand::gatherInputs(const BatchOptions &options)
{
    const bool intoFolder = !options.outFolder.isEmpty();
    if (intoFolder && !QFileInfo(options.outFolder).isDir())
        throw Failure(QStringLiteral("morwenda-batch: %1: Folder does not exist. Please select "
                                     "another folder.")
                          .arg(options.outFolder));
    const QString outFolder =
        intoFolder ? QFileInfo(options.outFolder).absoluteFilePath() : QString();
    const FilePattern pattern = FilePattern::forExtension(options.extension);
    FolderWalk walk(reportOnStandardError);

    QList<Input> inputs;
    const auto add = [&](const QString &pdf, const QString &base) {
        QString output;
        if (!intoFolder)
            output = outputpaths::besidePdf(pdf);
        else if (options.keepTree)
            output = outputpaths::inFolder(keptFolder(outFolder, base, pdf), pdf);
        else
            output = outputpaths::inFolder(outFolder, pdf);
        inputs.append({pdf, outputpaths::notOverThePdf(output, pdf)});
    };
    for (const QString &path : options.paths) {
        const QFileInfo info(path);
        const QString absolute = info.absoluteFilePath();
        if (info.isDir()) {
            for (const QString &pdf : walk.collect(absolute, pattern))
                add(pdf, absolute);
        } else if (info.isFile()) {
            add(absolute, QDir::currentPath());
        } else if (info.exists() || info.isSymLink()) {
            throw Failure(QStringLiteral("morwenda-batch: %1: not a file or folder").arg(path));
        } else {
            throw Failure(QStringLiteral("morwenda-batch: %1: no such file or folder").arg(path));
        }
    }

    // Numbered by place in the list, as the window numbers, so a resumed run with --skip-existing
    // finds the same names.
    QStringList outputs;
    for (const Input &input : inputs)
        outputs << input.output;
    outputs = outputpaths::numberSameNames(outputs);
    for (int i = 0; i < inputs.size(); ++i)
        inputs[i].output = outputs.at(i);
    return inputs;
}

int BatchCommand::exec()
{
    QList<Input> inputs;
    QString password;
    try {
        if (!m_options.reportFile.isEmpty() &&
            !QFileInfo(QFileInfo(m_options.reportFile).absolutePath()).isDir())
            throw Failure(QStringLiteral("morwenda-batch: %1: the report's folder does not exist")
                              .arg(m_options.reportFile));
        if (!m_options.passwordFile.isEmpty())
            password = readPassword(m_options.passwordFile);
        inputs = gatherInputs(m_options);
    } catch (const Failure &failure) {
        printError(failure.description());
        return batchoptions::UsageError;
    }

    QList<ReportRow> rows;
    QList<Input> toConvert;
    QList<int> rowOf;
    for (const Input &input : inputs) {
        ReportRow row;
        row.pdf = input.pdf;
        row.output = input.output;
        const QFileInfo text(input.output);
        if (m_options.skipExisting && text.isFile() &&
            text.lastModified() > QFileInfo(input.pdf).lastModified()) {
            row.outcome = Skipped;
        } else {
            rowOf.append(int(rows.size()));
            toConvert.append(input);
        }
        rows.append(row);
    }

    if (inputs.isEmpty() && !m_options.quiet)
        say(QStringLiteral("No files added."));
    // From here on a stop keeps what is done and still writes the report.
    StopSignals stopSignals;
    int status = convert(toConvert, password, rows, rowOf, stopSignals);
    if (status == batchoptions::ConverterCannotRun && !m_converted)
        return status; // nothing was tried: no report

    if (!m_options.reportFile.isEmpty()) {
        const QString error = batchreport::write(m_options.reportFile, rows);
        if (!error.isEmpty()) {
            printError(QStringLiteral("morwenda-batch: the report %1 could not be written: %2")
                           .arg(m_options.reportFile, error));
            status = std::max(status, int(batchoptions::SomeNotUsable));
        }
    }
    return status;
}

int BatchCommand::convert(const QList<Input> &toConvert, const QString &password,
                          QList<ReportRow> &rows, const QList<int> &rowOf, StopSignals &stopSignals)
{
    // pdftotext is put in place only when there is something to convert with it. When it cannot
    // run, that is said once here, and every file is reported as not converted for that reason.
    if (!toConvert.isEmpty() && m_options.converter == converterchoice::Pdftotext) {
        Procedure proc(reportOnStandardError, tags::FormLoad);
        m_deployment.deploy(proc);
    }
    // The converter service is this program itself started with --converter-service; when it
    // cannot start, pdftotext takes over (put in place then).
    std::unique_ptr<ConverterKind> converter =
        makeConverterKind(m_options.converter, m_deployment, converterchoice::ownServiceProgram());
    if (!converter) {
        printError(
            QStringLiteral("morwenda-batch: no converter called %1").arg(m_options.converter));
        return batchoptions::ConverterCannotRun;
    }

    m_converted = true;
    QStringList pdfs;
    QStringList outputs;
    QSet<QString> folders;
    for (const Input &input : toConvert) {
        pdfs << input.pdf;
        outputs << input.output;
        const QString folder = QFileInfo(input.output).absolutePath();
        // Folders kept from the tree are made; one that cannot be made names its files' reason.
        if (m_options.keepTree && !folders.contains(folder)) {
            folders.insert(folder);
            QDir().mkpath(folder);
        }
    }

    ConversionLimits limits;
    limits.converters = m_options.jobs > 0 ? m_options.jobs : ConversionLimits::coreCount();
    if (m_options.timeLimitSeconds >= 0)
        limits.idleSeconds = m_options.timeLimitSeconds;
    if (m_options.memoryLimitMegabytes >= 0)
        limits.memoryMegabytes = m_options.memoryLimitMegabytes;
    limits.text = m_options.text;
    OutputChoice choice;
    choice.mode =
        m_options.outFolder.isEmpty() ? OutputChoice::Mode::BesidePdf : OutputChoice::Mode::Folder;
    choice.folder = m_options.outFolder;
    choice.askPassword = !password.isEmpty();

    ConversionRun run(*converter);
    run.setPasswordProvider([password](const QString &) { return password; });
    ProgressDisplay progress(ProgressDisplay::styleFor(m_options.quiet || rows.isEmpty()),
                             int(rows.size()));
    for (const ReportRow &row : rows)
        if (row.outcome == Skipped)
            progress.fileDone(row.pdf, row.outcome, QString(), false);
    connect(&run, &ConversionRun::fileDone, this, [&](int index) {
        const FileOutcome &file = run.outcomes().at(index);
        progress.fileDone(file.pdf, outcomeName(file.outcome), file.reason,
                          file.outcome != Outcome::Converted);
    });
    connect(&stopSignals, &StopSignals::stopRequested, &run, &ConversionRun::stop);
    QEventLoop loop;
    connect(&run, &ConversionRun::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    run.start(pdfs, choice, limits, outputs);
    if (StopSignals::requested())
        run.stop();
    loop.exec();
    progress.finish();

    bool cannotStart = false;
    int failed = 0;
    for (int i = 0; i < run.outcomes().size(); ++i) {
        const FileOutcome &file = run.outcomes().at(i);
        ReportRow &row = rows[rowOf.at(i)];
        row.output = file.output;
        row.outcome = outcomeName(file.outcome);
        row.reason = reasonWords(file.reason);
        row.pages = file.pages;
        row.seconds = file.seconds;
        cannotStart = cannotStart || file.outcome == Outcome::CannotStart;
        failed += file.outcome == Outcome::Converted ? 0 : 1;
    }
    printFailures(rows);
    if (!m_options.quiet && !rows.isEmpty()) {
        const int skipped = int(rows.size() - run.outcomes().size());
        say(QStringLiteral("morwenda-batch: %1 files: %2 converted, %3 skipped, %4 not usable%5, "
                           "in %6 s")
                .arg(rows.size())
                .arg(run.outcomes().size() - failed)
                .arg(skipped)
                .arg(failed)
                .arg(run.wasStopped() ? QStringLiteral(" (stopped)") : QString())
                .arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    }
    if (cannotStart)
        return batchoptions::ConverterCannotRun;
    return failed > 0 ? batchoptions::SomeNotUsable : batchoptions::AllUsable;
}

void BatchCommand::printFailures(const QList<ReportRow> &rows) const
{
    QString text;
    for (const ReportRow &row : rows)
        if (row.outcome != Skipped && row.outcome != outcomeName(Outcome::Converted))
            text += row.pdf + QStringLiteral("  - ") + row.reason + u'\n';
    if (!text.isEmpty())
        printError(runsummary::FailureListHeader + u'\n' + text.chopped(1));
}

void BatchCommand::say(const QString &text) const
{
    printError(text);
}
