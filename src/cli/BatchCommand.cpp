// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchCommand.h"

#include "engine/ConversionRun.h"
#include "engine/ConverterChoice.h"
#include "engine/ConverterDeployment.h"
#include "engine/ConverterKind.h"
#include "engine/FolderWalk.h"
#include "engine/OutputChoice.h"
#include "engine/RunSummary.h"
#include "engine/Shard.h"
#include "engine/TextCheck.h"
#include "platform/ErrorReport.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/ProcessLimits.h"
#include "platform/StopSignals.h"
#include "platform/SystemError.h"
#include "ProgressDisplay.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Skipped = QStringLiteral("skipped");
const QString Missing = QStringLiteral("missing");
const QString NotAFile = QStringLiteral("not-a-file");
const QString Stdin = QStringLiteral("-");

void printError(const QString &text)
{
    std::fputs((nativepath::forTerminal(text) + u'\n').toUtf8().constData(), stderr);
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

// Everything in a file, or standard input for "-"; throws Failure naming `what` and the reason.
// A stop asked for while it is read (SIGTERM to a run fed by a slow pipe) ends the reading:
// `stopped` is then set and the bytes read so far are returned.
QByteArray readWhole(const QString &path, const QString &what, const StopSignals &stop,
                     bool &stopped)
{
    QString reason;
    // Any file that can be read: also a pipe, as `--files-from <(find ...)` gives one.
    const int fd = path == Stdin
                       ? STDIN_FILENO
                       : ::open(nativepath::encode(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        reason = systemError(errno);
    QByteArray bytes;
    stopped = false;
    while (fd >= 0) {
        pollfd waits[] = {{fd, POLLIN, 0}, {stop.wakeDescriptor(), POLLIN, 0}};
        if (StopSignals::requested()) {
            stopped = true;
            break;
        }
        if (::poll(waits, waits[1].fd >= 0 ? 2 : 1, -1) < 0 && errno != EINTR) {
            reason = systemError(errno);
            break;
        }
        if (waits[1].revents != 0 || StopSignals::requested()) {
            stopped = true;
            break;
        }
        if (waits[0].revents == 0)
            continue;
        char piece[65536];
        const ssize_t count = ::read(fd, piece, sizeof piece);
        if (count < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (count < 0)
            reason = systemError(errno);
        if (count <= 0)
            break;
        bytes.append(piece, count);
    }
    if (fd > STDIN_FILENO)
        ::close(fd);
    if (!reason.isEmpty())
        throw Failure(
            QStringLiteral("morwenda-batch: %1 %2 cannot be read: %3")
                .arg(what, path == Stdin ? QStringLiteral("on standard input") : path, reason));
    return bytes;
}

// The lines of a list or a password file: ended by `end`, a CR before a line end taken away (a
// file written on Windows), empty lines left out.
QList<QByteArray> linesOf(const QByteArray &bytes, char end)
{
    QList<QByteArray> lines;
    for (QByteArray line : bytes.split(end)) {
        if (end == '\n' && line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

// Why a path names no file or folder that can be converted, as the final message says it.
QString missingReason(const QString &path)
{
    struct stat facts = {};
    if (::stat(nativepath::encode(path).constData(), &facts) == 0)
        return QStringLiteral("  - not a file or folder (a pipe, socket or device).");
    if (errno == ENOENT || errno == ENOTDIR)
        return QStringLiteral("  - not found: %1.").arg(systemError(errno));
    return reasons::cannotRead(systemError(errno)); // a folder on the way that may not be entered
}

// The outcome of a path that names nothing to convert, by its reason.
QString missingOutcome(const QString &reason)
{
    if (reason.startsWith(QStringLiteral("  - not found")))
        return Missing;
    return reason.startsWith(QStringLiteral("  - not a file")) ? NotAFile
                                                               : outcomeName(Outcome::CannotRead);
}

// True when the file begins as a PDF does.
bool startsAsPdf(const QString &path)
{
    const int descriptor =
        ::open(nativepath::encode(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return false;
    char head[5] = {};
    const bool isPdf = ::read(descriptor, head, sizeof head) == sizeof head &&
                       std::memcmp(head, "%PDF-", sizeof head) == 0;
    ::close(descriptor);
    return isPdf;
}

} // namespace

BatchCommand::BatchCommand(BatchOptions options, ConverterDeployment &deployment, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_deployment(deployment),
      // Taken now: once the program file is gone (a package upgrade during a run), the system
      // no longer names it, and the service that cannot start then must still be the one chosen.
      m_serviceProgram(converterchoice::ownServiceProgram())
{
}

QList<BatchCommand::Input> BatchCommand::gatherInputs(const BatchOptions &options)
{
    const bool intoFolder = !options.outFolder.isEmpty();
    const QString outFolder = intoFolder ? nativepath::absolute(options.outFolder) : QString();
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
        inputs.append({pdf, outputpaths::notOverThePdf(output, pdf), QString()});
    };
    for (const QString &path : options.paths) {
        const QString absolute = nativepath::absolute(path); // a name's bytes kept
        if (files::isFolder(path)) {
            for (const QString &pdf : walk.collect(absolute, pattern))
                add(pdf, absolute);
        } else if (files::isOrdinaryFile(path)) {
            add(absolute, nativepath::absolute(QStringLiteral(".")));
        } else {
            inputs.append({absolute, QString(), missingReason(path)});
        }
    }

    // Numbered by place in the list, as the window numbers, so a resumed run with --skip-existing
    // finds the same names.
    // A path that names nothing takes no name, and no text takes the place of a listed file.
    QStringList outputs;
    QStringList pdfs;
    for (const Input &input : inputs) {
        outputs << (input.missing.isEmpty() ? input.output : QString());
        pdfs << input.pdf;
    }
    outputs = outputpaths::numberSameNames(outputs, outputpaths::ListedFiles(pdfs));
    for (int i = 0; i < inputs.size(); ++i)
        if (inputs.at(i).missing.isEmpty()) {
            inputs[i].numbered = outputs.at(i) != inputs.at(i).output;
            inputs[i].output = outputs.at(i);
        }
    return inputs;
}

int BatchCommand::exec()
{
    // From here on a stop keeps what is done and still writes the report, also while the lists
    // are read.
    StopSignals stopSignals;
    m_stopSignals = &stopSignals;
    QList<Input> inputs;
    try {
        readStandardInputPdf();
        readPathLists();
        readPasswords();
        checkOutFolder();
        readResumeReport();
        // A language that is not there is said once, before any file is converted.
        if (const QString missing = m_options.ocr.missingLanguagesMessage(); !missing.isEmpty())
            throw Failure(QStringLiteral("morwenda-batch: ") + missing);
        // Said once; the run goes on and reads the pages unturned.
        if (const QString note = m_options.ocr.missingOrientationNote(); !note.isEmpty())
            printError(QStringLiteral("morwenda-batch: ") + note);
        inputs = gatherInputs(m_options);
        keepShard(inputs);
        placeSpecialOutputs(inputs);
        if (!m_options.reportFile.isEmpty()) {
            m_report = std::make_unique<ReportLog>(m_options.reportFile, m_options.appendReport);
            const QString error = m_report->open();
            if (!error.isEmpty())
                throw Failure(QStringLiteral("morwenda-batch: the report %1 cannot be written: %2")
                                  .arg(m_report->partialPath(), error));
        }
    } catch (const Failure &failure) {
        printError(failure.description());
        return batchoptions::UsageError;
    }

    sortInputs(inputs);
    const bool nothingFound = m_toConvert.isEmpty() && m_skipped == 0;
    int status = batchoptions::AllUsable;
    if (m_rows.isEmpty() && m_filesOfAllShards > 0) {
        // More parts than the files fill: this part has nothing to do, and that is no failure.
        if (!m_options.quiet)
            say(QStringLiteral("morwenda-batch: part %1 of %2 holds none of the %3 files")
                    .arg(m_options.shard.part)
                    .arg(m_options.shard.parts)
                    .arg(m_filesOfAllShards));
    } else if (nothingFound) {
        printFailures();
        printError(QStringLiteral("morwenda-batch: no PDF found"));
        status = batchoptions::SomeNotUsable;
    } else {
        status = convert(stopSignals);
        if (status == batchoptions::ConverterCannotRun && !m_converted)
            return status; // nothing was tried: no report
        removeEmptyTextFolders();
    }

    if (m_report) {
        const QString error = m_report->finish(m_rows);
        if (!error.isEmpty()) {
            printError(QStringLiteral("morwenda-batch: ") + error);
            status = std::max(status, int(batchoptions::SomeNotUsable));
        }
    }
    return status;
}

void BatchCommand::readStandardInputPdf()
{
    if (!m_options.paths.contains(Stdin))
        return;
    if (m_options.paths.count(Stdin) > 1)
        throw Failure(QStringLiteral("morwenda-batch: standard input ('-') holds one PDF"));
    // A file in memory without a name in any folder: nothing of it stays when the program is
    // killed. The converters open it by its place among this process's descriptors.
    bool stopped = false;
    const QByteArray pdf = readWhole(Stdin, QStringLiteral("the PDF"), *m_stopSignals, stopped);
    if (stopped)
        throw Failure(QStringLiteral("morwenda-batch: stopped while the PDF on standard input "
                                     "was read"));
    m_stdinFd = ::memfd_create("stdin.pdf", MFD_CLOEXEC);
    for (qsizetype written = 0; m_stdinFd >= 0 && written < pdf.size();) {
        const ssize_t count =
            ::write(m_stdinFd, pdf.constData() + written, size_t(pdf.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            const int error = errno;
            ::close(m_stdinFd);
            m_stdinFd = -1;
            errno = error;
            break;
        }
        written += count;
    }
    if (m_stdinFd < 0)
        throw Failure(QStringLiteral("morwenda-batch: the PDF on standard input cannot be kept: %1")
                          .arg(systemError(errno)));
    m_stdinCopy = QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(m_stdinFd);
    m_options.paths.replace(m_options.paths.indexOf(Stdin), m_stdinCopy);
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
        QByteArray bytes =
            readWhole(list.file, QStringLiteral("the list"), *m_stopSignals, stopped);
        // A stop while the list is read: the paths read whole are reported as not converted.
        if (stopped)
            bytes.truncate(bytes.lastIndexOf(list.end) + 1);
        for (const QByteArray &path : linesOf(bytes, list.end))
            m_options.paths.append(nativepath::decode(path));
        if (stopped)
            return;
    }
}

void BatchCommand::readPasswords()
{
    m_passwords = m_options.passwords;
    if (m_options.passwordFile.isEmpty())
        return;
    const qsizetype given = m_passwords.size();
    bool stopped = false;
    const QByteArray bytes = readWhole(m_options.passwordFile, QStringLiteral("the password file"),
                                       *m_stopSignals, stopped);
    // A password is bytes, as pdftotext takes it on its command line: a line in Latin-1 is kept
    // as it is (platform/NativePath holds the bytes that are not UTF-8).
    for (const QByteArray &line : linesOf(bytes, '\n'))
        m_passwords.append(nativepath::decode(line));
    if (m_passwords.size() == given)
        throw Failure(QStringLiteral("morwenda-batch: the password file %1 holds no password")
                          .arg(m_options.passwordFile));
}

void BatchCommand::checkOutFolder()
{
    const QString folder = m_options.outFolder;
    if (folder.isEmpty())
        return;
    if (!files::fileExists(folder) && m_options.makeParents && !nativepath::makePath(folder))
        throw Failure(QStringLiteral("morwenda-batch: %1: the folder cannot be made: %2")
                          .arg(folder, systemError(errno)));
    struct stat facts = {};
    if (::stat(nativepath::encode(folder).constData(), &facts) != 0)
        throw Failure(QStringLiteral("morwenda-batch: %1: %2 (--parents makes the folder)")
                          .arg(folder, systemError(errno)));
    if (!S_ISDIR(facts.st_mode))
        throw Failure(QStringLiteral("morwenda-batch: %1: %2").arg(folder, systemError(ENOTDIR)));
    if (::access(nativepath::encode(folder).constData(), W_OK | X_OK) != 0)
        throw Failure(QStringLiteral("morwenda-batch: %1: no text can be written there: %2")
                          .arg(folder, systemError(errno)));
}

void BatchCommand::readResumeReport()
{
    if (!m_options.reportFile.isEmpty() &&
        !files::isFolder(QFileInfo(nativepath::absolute(m_options.reportFile)).absolutePath()))
        throw Failure(QStringLiteral("morwenda-batch: %1: the report's folder does not exist")
                          .arg(m_options.reportFile));
    QString error;
    // The report that --append adds to is read again at the end; one that cannot be read is
    // said now, before anything is converted.
    if (m_options.appendReport && files::fileExists(m_options.reportFile) &&
        !batchreport::read(m_options.reportFile, error))
        throw Failure(QStringLiteral("morwenda-batch: the report %1 cannot be added to: %2")
                          .arg(m_options.reportFile, error));
    if (m_options.resumeReport.isEmpty())
        return;
    const std::optional<QList<ReportRow>> rows = batchreport::read(m_options.resumeReport, error);
    if (!rows)
        throw Failure(QStringLiteral("morwenda-batch: the report %1 cannot be resumed: %2")
                          .arg(m_options.resumeReport, error));
    for (const ReportRow &row : *rows)
        if (row.outcome == outcomeName(Outcome::Converted) || row.outcome == Skipped)
            m_resumable.insert(row.pdf, row);
    struct stat facts = {};
    if (::stat(nativepath::encode(m_options.resumeReport).constData(), &facts) == 0)
        m_resumeStamp = facts.st_mtim;
}

// The text of a PDF read from standard input is "stdin.txt" under --out; the text of
// FILE.pdf OUT.txt is OUT.txt; the text for standard output goes to a private folder first.
void BatchCommand::placeSpecialOutputs(QList<Input> &inputs)
{
    for (Input &input : inputs)
        if (!m_stdinCopy.isEmpty() && input.pdf == m_stdinCopy && !m_options.toStdout &&
            m_options.textFile.isEmpty())
            input.output = outputpaths::inFolder(nativepath::absolute(m_options.outFolder),
                                                 QStringLiteral("stdin.pdf"));
    if (!m_options.textFile.isEmpty() && inputs.size() == 1)
        placeTextFile(inputs.first());
    if (!m_options.toStdout)
        return;
    const qsizetype files = std::count_if(
        inputs.cbegin(), inputs.cend(), [](const Input &input) { return input.missing.isEmpty(); });
    if (files != 1 || inputs.size() != 1)
        throw Failure(QStringLiteral("morwenda-batch: -o - writes the text of one PDF, and the "
                                     "paths name %1\n%2")
                          .arg(inputs.size())
                          .arg(batchoptions::TryHelp));
    m_stdoutFolder = std::make_unique<QTemporaryDir>();
    if (!m_stdoutFolder->isValid())
        throw Failure(QStringLiteral("morwenda-batch: no private folder for the text: %1")
                          .arg(m_stdoutFolder->errorString()));
    inputs.first().output = m_stdoutFolder->filePath(QStringLiteral("text.txt"));
}

// FILE.pdf OUT.txt: the text goes to OUT.txt as named, never numbered. A PDF is not replaced by a
// text: neither the PDF itself nor another PDF that OUT.txt names (two PDFs converted each beside
// itself are asked for with --beside).
void BatchCommand::placeTextFile(Input &input) const
{
    if (!input.missing.isEmpty())
        return;
    const QString text = nativepath::absolute(m_options.textFile);
    if (outputpaths::ListedFiles({input.pdf}).contains(text) || startsAsPdf(text))
        throw Failure(QStringLiteral("morwenda-batch: %1 is a PDF: its text would replace it "
                                     "(--beside converts both PDFs, each text beside its PDF)")
                          .arg(m_options.textFile));
    input.output = text;
}

// --shard K/N: only the inputs of part K stay, in their gathered order. The whole list has been
// numbered already, so every part names its texts as one run of all the inputs would.
void BatchCommand::keepShard(QList<Input> &inputs)
{
    if (m_options.shard.isWhole())
        return;
    QList<shards::Input> sized;
    sized.reserve(inputs.size());
    for (const Input &input : std::as_const(inputs)) {
        sized.append({input.pdf, input.missing.isEmpty() ? files::sizeOf(input.pdf) : 0});
        m_filesOfAllShards += input.missing.isEmpty() ? 1 : 0;
    }
    QList<Input> part;
    for (const int index : shards::indexesIn(sized, m_options.shard))
        part.append(inputs.at(index));
    inputs = part;
}

void BatchCommand::sortInputs(const QList<Input> &inputs)
{
    for (const Input &input : inputs) {
        ReportRow row;
        row.pdf = input.pdf;
        row.output = input.output;
        if (!input.missing.isEmpty()) {
            row.outcome = missingOutcome(input.missing);
            row.reason = reportrows::reasonWords(input.missing);
            addDecidedRow(row);
        } else if (isResumed(input, row) || isSkipped(input)) {
            if (row.outcome.isEmpty())
                row.outcome = Skipped;
            ++m_skipped;
            addDecidedRow(row);
        } else {
            m_rowOf.append(int(m_rows.size()));
            m_toConvert.append(input);
            m_rows.append(row);
        }
    }
}

void BatchCommand::addDecidedRow(const ReportRow &row)
{
    m_rows.append(row);
    if (m_report)
        m_report->add(row);
}

// --skip-existing: a text newer than its PDF that holds usable text. A text of a scanned or
// protected file, or one cut short, is converted again, so its failure is reported again.
bool BatchCommand::isSkipped(const Input &input) const
{
    if (!m_options.skipExisting || m_options.toStdout)
        return false;
    struct stat text = {};
    if (::stat(nativepath::encode(input.output).constData(), &text) != 0 ||
        !S_ISREG(text.st_mode) || text.st_size == 0 ||
        files::lastChangeMs(input.output) <= files::lastChangeMs(input.pdf))
        return false;
    bool unreadable = false;
    const bool unusable =
        hasNoUsableTextAs(input.output, m_options.text,
                          [&](const QString &, int, const QString &) { unreadable = true; });
    return !unusable && !unreadable;
}

// --resume REPORT: the report says the file was converted into the text this run would write,
// the PDF is the same file as when the report was written, and the text is still there, newer
// than the PDF. Its old row is kept. A PDF replaced since (a copy with its old time kept by
// cp -p or rsync -t, a rename over it) has a status change after the report's time, whatever its
// modification time says; so has one whose size or contents changed.
bool BatchCommand::isResumed(const Input &input, ReportRow &row) const
{
    const auto found = m_resumable.constFind(input.pdf);
    if (found == m_resumable.cend() || found->output != input.output)
        return false;
    struct stat pdf = {};
    if (::stat(nativepath::encode(input.pdf).constData(), &pdf) != 0)
        return false;
    const auto notBefore = [](const timespec &a, const timespec &b) {
        return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec >= b.tv_nsec);
    };
    if (notBefore(pdf.st_ctim, m_resumeStamp) || notBefore(pdf.st_mtim, m_resumeStamp) ||
        !files::isOrdinaryFile(found->output) ||
        files::lastChangeMs(found->output) < files::lastChangeMs(input.pdf))
        return false;
    row = *found;
    return true;
}

int BatchCommand::converterCount() const
{
    const int processors = processlimits::usableProcessors();
    if (m_options.jobs == 0)
        return processors;
    if (m_options.jobs > processors) {
        if (!m_options.quiet)
            say(QStringLiteral("morwenda-batch: note: --jobs %1 is more than the %2 processor(s) "
                               "this program may run on; %2 converter(s) run at once")
                    .arg(m_options.jobs)
                    .arg(processors));
        return processors;
    }
    return m_options.jobs;
}

// The folders of a kept tree are made before the run (one that cannot be made gives its files'
// reason); those left empty are removed after it.
void BatchCommand::makeTextFolders()
{
    if (!m_options.keepTree)
        return;
    QSet<QString> seen;
    for (const Input &input : std::as_const(m_toConvert)) {
        QString folder = QFileInfo(input.output).absolutePath();
        if (seen.contains(folder))
            continue;
        seen.insert(folder);
        QStringList missing;
        for (; !files::fileExists(folder); folder = QFileInfo(folder).absolutePath())
            missing.prepend(folder);
        for (const QString &level : std::as_const(missing)) {
            if (::mkdir(nativepath::encode(level).constData(), 0777) != 0)
                break;
            m_madeFolders.append(level);
        }
    }
}

void BatchCommand::removeEmptyTextFolders()
{
    for (auto folder = m_madeFolders.crbegin(); folder != m_madeFolders.crend(); ++folder)
        ::rmdir(nativepath::encode(*folder).constData()); // only when empty
    m_madeFolders.clear();
}

int BatchCommand::convert(StopSignals &stopSignals)
{
    std::unique_ptr<ConverterKind> converter = makeConverter();
    if (!converter)
        return batchoptions::ConverterCannotRun;
    m_converted = true;
    makeTextFolders();

    ConversionRun run(*converter);
    run.setPasswords(m_passwords);
    qint64 bytes = 0;
    for (const Input &input : std::as_const(m_toConvert))
        bytes += QFileInfo(input.pdf).size();
    ProgressDisplay progress(
        ProgressDisplay::styleFor(m_options.quiet || m_options.toStdout || m_rows.isEmpty()),
        int(m_rows.size()), bytes);
    for (const ReportRow &row : std::as_const(m_rows))
        if (!row.outcome.isEmpty()) {
            const bool missing = row.outcome == Missing || row.outcome == NotAFile ||
                                 row.outcome == outcomeName(Outcome::CannotRead);
            progress.fileDone(row.pdf, missing ? row.outcome : Skipped,
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
    std::unique_ptr<QSocketNotifier> readerGone = watchStandardOutput(run);
    runToItsEnd(run, stopSignals);
    readerGone.reset();
    if (m_options.toStdout)
        writeStandardOutput(run);
    progress.finish();

    printFailures();
    printNumberedTexts(run);
    printSummary(run, clock.elapsed());
    return exitStatus();
}

std::unique_ptr<ConverterKind> BatchCommand::makeConverter()
{
    // pdftotext is put in place only when there is something to convert with it. When it cannot
    // run, that is said once here, and every file is reported as not converted for that reason.
    if (!m_toConvert.isEmpty() && m_options.converter == converterchoice::Pdftotext) {
        Procedure proc(reportOnStandardError, tags::FormLoad);
        m_deployment.deploy(proc);
    }
    // The converter service is this program itself started with --converter-service; when it
    // cannot start, pdftotext takes over (put in place then).
    std::unique_ptr<ConverterKind> converter =
        makeConverterKind(m_options.converter, m_deployment, m_serviceProgram);
    if (!converter)
        printError(
            QStringLiteral("morwenda-batch: no converter called %1").arg(m_options.converter));
    return converter;
}

// Starts the run on the files to convert and returns when it has ended (or has been stopped).
void BatchCommand::runToItsEnd(ConversionRun &run, StopSignals &stopSignals)
{
    QStringList pdfs;
    QStringList outputs;
    for (const Input &input : std::as_const(m_toConvert)) {
        pdfs << input.pdf;
        outputs << input.output;
    }
    ConversionLimits limits;
    limits.converters = converterCount();
    if (m_options.timeLimitSeconds >= 0)
        limits.idleSeconds = m_options.timeLimitSeconds;
    if (m_options.memoryLimitMegabytes >= 0)
        limits.memoryMegabytes = m_options.memoryLimitMegabytes;
    limits.ocr = m_options.ocr;
    limits.text = m_options.text;
    OutputChoice choice;
    choice.mode =
        m_options.outFolder.isEmpty() ? OutputChoice::Mode::BesidePdf : OutputChoice::Mode::Folder;
    choice.folder = m_options.outFolder;
    choice.askPassword = !m_passwords.isEmpty();

    connect(&stopSignals, &StopSignals::stopRequested, &run, &ConversionRun::stop);
    QEventLoop loop;
    connect(&run, &ConversionRun::finished, &loop, &QEventLoop::quit);
    run.start(pdfs, choice, limits, outputs);
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
    const FileOutcome &file = run.outcomes().at(index);
    ReportRow &row = m_rows[m_rowOf.at(index)];
    const QString pdf = row.pdf;
    row = reportrows::rowOf(file);
    row.pdf = pdf;
    if (m_options.toStdout && !row.output.isEmpty())
        row.output = Stdin;
    if (!m_stdinCopy.isEmpty() && row.pdf == m_stdinCopy)
        row.pdf = Stdin;
    if (m_report && !m_options.toStdout) // with -o -, once the text is written out
        m_report->add(row);
}

// -o - into a pipe: the reader going away (a closed pipe shows as an error on its writing end)
// stops the run at once. Only a pipe is watched: a terminal's or a socket's side may be read from
// too.
std::unique_ptr<QSocketNotifier> BatchCommand::watchStandardOutput(ConversionRun &run)
{
    struct stat facts = {};
    if (!m_options.toStdout || ::fstat(STDOUT_FILENO, &facts) != 0 || !S_ISFIFO(facts.st_mode))
        return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(STDOUT_FILENO, QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, [this, &run, n = notifier.get()] {
        pollfd out{STDOUT_FILENO, POLLOUT, 0};
        if (::poll(&out, 1, 0) != 1 || !(out.revents & (POLLERR | POLLHUP)))
            return;
        n->setEnabled(false);
        m_stdoutError = EPIPE;
        run.stop();
    });
    return notifier;
}

// -o -: the text, when there is one, to standard output. A write that fails (a reader gone, a
// full disk) makes the file write-failed: the text did not arrive where it was asked for.
void BatchCommand::writeStandardOutput(const ConversionRun &run)
{
    if (m_toConvert.isEmpty() || !m_stdoutFolder || run.outcomes().isEmpty())
        return;
    QFile text(m_toConvert.first().output);
    if (m_stdoutError == 0 && text.exists()) {
        if (!text.open(QIODevice::ReadOnly)) {
            printError(QStringLiteral("morwenda-batch: the text cannot be read back: %1")
                           .arg(text.errorString()));
            m_stdoutError = EIO;
        }
        while (m_stdoutError == 0 && !text.atEnd()) {
            const QByteArray piece = text.read(1 << 20);
            for (qsizetype written = 0; m_stdoutError == 0 && written < piece.size();) {
                const ssize_t count = ::write(STDOUT_FILENO, piece.constData() + written,
                                              size_t(piece.size() - written));
                if (count < 0 && errno != EINTR)
                    m_stdoutError = errno;
                written += std::max<ssize_t>(count, 0);
            }
        }
        if (m_stdoutError == 0 && ::fsync(STDOUT_FILENO) != 0 && errno != EINVAL && errno != EROFS)
            m_stdoutError = errno; // a file on a disk that filled as it was written back
    }
    ReportRow &row = m_rows[m_rowOf.first()];
    if (m_stdoutError != 0) {
        FileOutcome file = run.outcomes().first();
        file.outcome = Outcome::WriteFailed;
        file.reason =
            reasons::writeFailed(QStringLiteral("standard output: ") + systemError(m_stdoutError));
        row = reportrows::rowOf(file);
        row.pdf = shownPath(file.pdf);
        row.output = Stdin;
    }
    if (m_report && !row.outcome.isEmpty())
        m_report->add(row);
}

// The files without usable text in list order, with the window's reasons; the stopped files in
// one line.
// The files without usable text under the window's headings: those that could not be read, the
// texts that could not be written, the texts with pages left out and those OCR read with low
// confidence or doubtfully; the files a stop left unconverted are counted.
void BatchCommand::printFailures() const
{
    QString unread, unwritten, pagesLeftOut, doubtful;
    int stopped = 0;
    for (const ReportRow &row : m_rows) {
        const QString line = shownPath(row.pdf) + QStringLiteral("  - ") + row.reason + u'\n';
        if (row.outcome == outcomeName(Outcome::Stopped))
            ++stopped;
        else if (row.outcome == outcomeName(Outcome::WriteFailed))
            unwritten += line;
        else if (row.outcome == outcomeName(Outcome::LowConfidence) ||
                 row.outcome == outcomeName(Outcome::OcrDoubtful))
            doubtful += line;
        else if (row.outcome != Skipped && row.outcome != outcomeName(Outcome::Converted))
            unread += line;
        if (row.outcome == outcomeName(Outcome::Converted) && !row.unreadPages.isEmpty())
            pagesLeftOut += shownPath(row.pdf) +
                            QStringLiteral("  - these pages could not be read and are left "
                                           "out: %1.\n")
                                .arg(row.unreadPages);
    }
    for (const auto &[header, lines] : {std::pair{runsummary::FailureListHeader, unread},
                                        std::pair{runsummary::WriteFailedHeader, unwritten},
                                        std::pair{runsummary::PagesUnreadHeader, pagesLeftOut},
                                        std::pair{runsummary::LowConfidenceHeader, doubtful}})
        if (!lines.isEmpty())
            printError(header + u'\n' + lines.chopped(1));
    if (stopped > 0)
        printError(
            stopped == 1
                ? QStringLiteral("1 file was not converted: the run was stopped.")
                : QStringLiteral("%1 files were not converted: the run was stopped.").arg(stopped));
}

// The texts that got " (2)", " (3)" ... because a listed file or an earlier text has the same
// name, as the window's final message names them.
void BatchCommand::printNumberedTexts(const ConversionRun &run) const
{
    if (m_options.quiet || m_options.toStdout)
        return;
    QList<FileOutcome> outcomes = run.outcomes();
    for (qsizetype i = 0; i < outcomes.size(); ++i) {
        outcomes[i].numbered = outcomes.at(i).numbered || m_toConvert.at(i).numbered;
        outcomes[i].pdf = shownPath(outcomes.at(i).pdf);
    }
    const QStringList lines = runsummary::renamedLines(outcomes);
    if (!lines.isEmpty())
        say(runsummary::RenamedListHeader + u'\n' + lines.join(u'\n'));
}

void BatchCommand::printSummary(const ConversionRun &run, qint64 elapsedMs) const
{
    if (m_options.quiet || m_options.toStdout || m_rows.isEmpty())
        return;
    const auto files = [](qsizetype count) {
        return count == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(count);
    };
    int converted = 0;
    for (const FileOutcome &file : run.outcomes())
        converted += file.outcome == Outcome::Converted ? 1 : 0;
    say(QStringLiteral("morwenda-batch: %1: %2 converted, %3 skipped, %4 not usable%5, "
                       "in %6 s")
            .arg(files(m_rows.size()))
            .arg(converted)
            .arg(m_skipped)
            .arg(m_rows.size() - converted - m_skipped)
            .arg(run.wasStopped() ? QStringLiteral(" (stopped)") : QString())
            .arg(elapsedMs / 1000.0, 0, 'f', 1));
}

QString BatchCommand::shownPath(const QString &pdf) const
{
    return !m_stdinCopy.isEmpty() && pdf == m_stdinCopy ? Stdin : pdf;
}

BatchCommand::~BatchCommand()
{
    if (m_stdinFd >= 0)
        ::close(m_stdinFd);
}

void BatchCommand::say(const QString &text) const
{
    printError(text);
}
