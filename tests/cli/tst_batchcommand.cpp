// SPDX-License-Identifier: GPL-3.0-or-later
// morwenda-batch as a user runs it: the real program, the real converter, real PDFs.
#include "cli/EndOfRunPrinter.h"
#include "cli/ProgressDisplay.h"
#include "engine/ConversionRun.h"
#include "engine/ConverterChoice.h"
#include "engine/FilePattern.h"
#include "engine/FolderWalk.h"
#include "engine/PdftotextConverter.h"
#include "engine/RunSummary.h"
#include "engine/Shard.h"
#include "PdfFixtures.h"
#include "platform/SystemError.h"
#include "RawNames.h"
#include "TestConfig.h"
#include "TestPlace.h"

#include <csignal>
#include <fcntl.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// What a row says when the program is to say nothing at all.
const QString Silent = QStringLiteral("(nothing)");

struct Finished
{
    int status = -1;
    QString errors; // what it said on standard error
};

QProcess *startBatch(const QStringList &arguments, QObject *parent = nullptr)
{
    auto *batch = new QProcess(parent);
    batch->setProgram(QStringLiteral(MORWENDA_BATCH));
    batch->setArguments(arguments);
    // A process group of its own, as a shell gives a job: a Ctrl-C reaches the whole group.
    batch->setChildProcessModifier([] { ::setpgid(0, 0); });
    batch->start();
    batch->waitForStarted();
    return batch;
}

Finished waitFor(QProcess *batch)
{
    Finished done;
    if (!batch->waitForFinished(300000))
        qWarning("morwenda-batch did not end within five minutes");
    // Ended by a signal: the status a shell shows, 128 + the signal.
    done.status = batch->exitCode() + (batch->exitStatus() == QProcess::NormalExit ? 0 : 128);
    done.errors = QString::fromLocal8Bit(batch->readAllStandardError());
    return done;
}

Finished runBatch(const QStringList &arguments)
{
    QProcess *batch = startBatch(arguments);
    const Finished done = waitFor(batch);
    delete batch;
    return done;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// A report's rows as a JSON array of objects.
QJsonArray jsonRows(const QString &path)
{
    return QJsonDocument::fromJson(contentOf(path)).array();
}

// A CSV report's rows (RFC 4180), header first.
QList<QStringList> csvRows(const QString &path)
{
    const QString text = QString::fromUtf8(contentOf(path));
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row << field;
            field.clear();
        } else if (c == u'\r') {
        } else if (c == u'\n') {
            rows << (row << field);
            row.clear();
            field.clear();
        } else {
            field += c;
        }
    }
    return rows;
}

// Processes whose command line names something inside `folder` (converters left behind).
QString madeFolder(const TestPlace &place, const QString &name)
{
    const QString folder = place.path(name);
    QDir().mkpath(folder);
    return folder;
}

QStringList processesUsing(const QString &folder)
{
    QStringList found;
    const QByteArray needle = QFile::encodeName(folder);
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        pid.toInt(&number);
        if (!number)
            continue;
        QByteArray cmdline = contentOf(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (cmdline.contains(needle))
            found << pid + u' ' + QString::fromLocal8Bit(cmdline.replace('\0', ' '));
    }
    return found;
}

QStringList hiddenEntries(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".*")},
                                  QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TestBatchCommand : public QObject
{
    Q_OBJECT

private slots:
    void exitStatuses_data();
    void exitStatuses();
    void corpusReportAndTextsAsTheWindowGivesThem();
    void scannedPagesReadByOcr();
    void foldersInTheWindowsOrderAndKeptTrees_data();
    void foldersInTheWindowsOrderAndKeptTrees();
    void shardsNameAndReportAsOneWholeRun();
    void interruptedThenResumed_data();
    void interruptedThenResumed();
    void reportSurvivesAKill();
    void appendedOverThreeBatches();
    void appendWaitsForAnotherRun();
    void noConverterOutlivesTheProgram_data();
    void noConverterOutlivesTheProgram();
    void skipExistingConvertsFailuresAgain();
    void reportOnAFullDisk();
    void listsAndStandardStreams();
    void passwordFromAFile_data();
    void passwordFromAFile();
    void passwordStaysWhenTheServiceIsGone();
    void stoppedWhileTheListIsRead();
    void standardOutputThatFails_data();
    void standardOutputThatFails();
    void resumeComparesThePlaceAndTheFile();
    void rawNamesAndListedFilesFromTheCommandLine_data();
    void rawNamesAndListedFilesFromTheCommandLine();
    void barCountsStoppedFilesApart();
    void endOfRunInTheWindowsSections();
    void standardStreamsAsACarefulProgramUsesThem();
    void aWarningSurvivesAResume();
};

void TestBatchCommand::exitStatuses_data()
{
    QTest::addColumn<QStringList>("arguments"); // "@" stands for the test's place
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");

    const QString text = QStringLiteral("@/text.pdf");
    QTest::newRow("every file usable") << QStringList{text} << QStringList{} << 0 << QString();
    QTest::newRow("one file damaged")
        << QStringList{text, QStringLiteral("@/damaged.pdf")} << QStringList{} << 1
        << QStringLiteral("damaged.pdf  - damaged file or not a PDF file.");
    QTest::newRow("a page of one file left out")
        << QStringList{text, QStringLiteral("@/holes.pdf")} << QStringList{} << 0
        << QStringLiteral("holes.pdf  - 1 of 3 pages could not be read (3); the text holds the "
                          "others.");
    QTest::newRow("one file only an image")
        << QStringList{QStringLiteral("@/image.pdf")} << QStringList{} << 1
        << QStringLiteral("image.pdf  - text unreadable.");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--fast"), text} << QStringList{}
                                    << 2 << QStringLiteral("Unknown option");
    QTest::newRow("no path") << QStringList{} << QStringList{} << 2
                             << QStringLiteral("no PDF file or folder given");
    // A path that names nothing is a failed row of its own; the rest is converted.
    QTest::newRow("missing folder")
        << QStringList{text, QStringLiteral("@/gone"), QStringLiteral("@/texts")} << QStringList{}
        << 1 << QStringLiteral("gone  - not found: No such file or directory.");
    QTest::newRow("missing output folder")
        << QStringList{QStringLiteral("-o"), QStringLiteral("@/gone"), text} << QStringList{} << 2
        << QStringLiteral("gone: No such file or directory (--parents makes the folder)");
    QTest::newRow("output folder made")
        << QStringList{QStringLiteral("--parents"), QStringLiteral("--out=@/made/deeper"), text}
        << QStringList{} << 0 << QStringLiteral("1 converted");
    QTest::newRow("output is a file")
        << QStringList{QStringLiteral("--out"), text, text} << QStringList{} << 2
        << QStringLiteral("text.pdf: Not a directory");
    QTest::newRow("a pipe is no PDF")
        << QStringList{QStringLiteral("@/fifo.pdf"), text} << QStringList{} << 1
        << QStringLiteral("not a file or folder");
    QTest::newRow("no PDF found") << QStringList{QStringLiteral("@/empty")} << QStringList{} << 1
                                  << QStringLiteral("no PDF found");
    QTest::newRow("extension with its dot")
        << QStringList{QStringLiteral("--extension"), QStringLiteral(".pdf"),
                       QStringLiteral("@/texts")}
        << QStringList{} << 0 << QStringLiteral("1 file: 1 converted");
    QTest::newRow("page number past any page")
        << QStringList{QStringLiteral("-f"), QStringLiteral("99999999999"), text} << QStringList{}
        << 2 << QStringLiteral("--first-page: the page number 99999999999 is too large");
    QTest::newRow("a name with terminal controls")
        << QStringList{text, QStringLiteral("@/gone\x1b[2J\a"), QStringLiteral("@/texts")}
        << QStringList{} << 1 << QStringLiteral("gone\\x1B[2J\\x07  - not found");
    QTest::newRow("a report to resume holding no rows")
        << QStringList{QStringLiteral("--resume"), QStringLiteral("@/numbers.jsonl"), text}
        << QStringList{} << 2 << QStringLiteral("(line 1: not a row, which is a JSON object)");
    QTest::newRow("more jobs than processors")
        << QStringList{QStringLiteral("-j"), QStringLiteral("4096"), text} << QStringList{} << 0
        << QStringLiteral("is more than the");
    QTest::newRow("empty password file")
        << QStringList{QStringLiteral("--password-file"), QStringLiteral("@/empty.txt"), text}
        << QStringList{} << 2 << QStringLiteral("holds no password");
    // pdftotext's one-file forms as its users know them.
    QTest::newRow("one missing PDF to standard output")
        << QStringList{QStringLiteral("@/missing.pdf"), QStringLiteral("-")} << QStringList{} << 1
        << QStringLiteral("missing.pdf: No such file or directory");
    QTest::newRow("one missing PDF to a text file")
        << QStringList{QStringLiteral("@/missing.pdf"), QStringLiteral("@/out.txt")}
        << QStringList{} << 1 << QStringLiteral("missing.pdf: No such file or directory");
    QTest::newRow("a text file of any name")
        << QStringList{text, QStringLiteral("@/out")} << QStringList{} << 0
        << QStringLiteral("1 file: 1 converted");
    QTest::newRow("a text file that cannot be written names itself")
        << QStringList{text, QStringLiteral("@/gone/out.txt")} << QStringList{} << 2
        << QStringLiteral("gone/out.txt: No such file or directory");
    QTest::newRow("quiet says nothing, the status does")
        << QStringList{QStringLiteral("-q"), QStringLiteral("-upw"), QStringLiteral("x"), text,
                       QStringLiteral("@/damaged.pdf")}
        << QStringList{} << 1 << Silent;
    QTest::newRow("a report over the list it reads")
        << QStringList{QStringLiteral("--files-from"), QStringLiteral("@/list.csv"),
                       QStringLiteral("--report"), QStringLiteral("@/./list.csv")}
        << QStringList{} << 2 << QStringLiteral("would replace the list");
    QTest::newRow("a password line with a NUL byte")
        << QStringList{QStringLiteral("--password-file"), QStringLiteral("@/nul.txt"), text}
        << QStringList{} << 2 << QStringLiteral("line 2 holds a NUL byte");
    QTest::newRow("standard output takes one PDF")
        << QStringList{QStringLiteral("-o"), QStringLiteral("-"), text, QStringLiteral("@/texts")}
        << QStringList{} << 2 << QStringLiteral("writes the text of one PDF");
    QTest::newRow("append to what is no report")
        << QStringList{QStringLiteral("--append"), QStringLiteral("--report"),
                       QStringLiteral("@/notes.csv"), text}
        << QStringList{} << 2 << QStringLiteral("cannot be added to: not a morwenda-batch report");
    QTest::newRow("append without report")
        << QStringList{QStringLiteral("--append"), text} << QStringList{} << 2
        << QStringLiteral("--append needs --report");
    QTest::newRow("tree without folder")
        << QStringList{QStringLiteral("--keep-tree"), text} << QStringList{} << 2
        << QStringLiteral("--keep-tree needs --out");
    QTest::newRow("0 jobs: one per processor")
        << QStringList{QStringLiteral("--jobs"), QStringLiteral("0"), text} << QStringList{} << 0
        << QString();
    QTest::newRow("a time limit beyond what a timer holds")
        << QStringList{QStringLiteral("--time-limit"), QStringLiteral("4294968"), text}
        << QStringList{} << 2
        << QStringLiteral("--time-limit needs a whole number from 0 to 2147483");
    QTest::newRow("report of no known kind")
        << QStringList{QStringLiteral("--report"), QStringLiteral("@/r.txt"), text} << QStringList{}
        << 2 << QStringLiteral(".csv, .json or .jsonl");
    QTest::newRow("password file missing")
        << QStringList{QStringLiteral("--password-file"), QStringLiteral("@/none"), text}
        << QStringList{} << 2 << QStringLiteral("cannot be read");
    // Neither the temporary folder nor any private folder can take the converter.
    const QStringList nowhere = {QStringLiteral("TEMP=/proc/none"),
                                 QStringLiteral("XDG_RUNTIME_DIR=/proc/none"),
                                 QStringLiteral("XDG_CACHE_HOME=/proc/none")};
    QTest::newRow("converter cannot run")
        << QStringList{QStringLiteral("--converter"), QStringLiteral("pdftotext"), text} << nowhere
        << 3 << QStringLiteral("No converter can be run");
    QTest::newRow("unknown converter")
        << QStringList{QStringLiteral("--converter"), QStringLiteral("xpdf"), text} << QStringList{}
        << 2 << QStringLiteral("--converter is one of");
    QTest::newRow("shard beyond its parts")
        << QStringList{QStringLiteral("--shard"), QStringLiteral("4/3"), text} << QStringList{} << 2
        << QStringLiteral("--shard needs K/N, whole numbers with 1 <= K <= N, not '4/3'");
    QTest::newRow("shard not a fraction")
        << QStringList{QStringLiteral("--shard=2"), text} << QStringList{} << 2
        << QStringLiteral("--shard needs K/N");
    QTest::newRow("shard of standard output")
        << QStringList{QStringLiteral("--shard"), QStringLiteral("1/2"), QStringLiteral("-o"),
                       QStringLiteral("-"), text}
        << QStringList{} << 2 << QStringLiteral("--shard splits many files");
    // More parts than files: a part with nothing to do is no failure. A file's part is a hash of
    // its path, so one file is in part 1 of 999999999 once in a billion temporary folders.
    QTest::newRow("shard without a file")
        << QStringList{QStringLiteral("--shard"), QStringLiteral("1/999999999"), text}
        << QStringList{} << 0 << QStringLiteral("part 1 of 999999999 holds none of the 1 files");
    const QString ocr = QStringLiteral("--ocr");
    const QString ocrLanguages = QStringLiteral("--ocr-languages");
    QTest::newRow("OCR language not installed")
        << QStringList{ocr, QStringLiteral("auto"), ocrLanguages, QStringLiteral("eng+xyz"), text}
        << QStringList{} << 2
        << QStringLiteral("language \"xyz\": it is not installed. Install the Debian package "
                          "tesseract-ocr-xyz");
    QTest::newRow("OCR language list of another form")
        << QStringList{ocr, QStringLiteral("auto"), ocrLanguages, QStringLiteral("eng,deu"), text}
        << QStringList{} << 2 << QStringLiteral("--ocr-languages names like eng");
    QTest::newRow("OCR orientation data is no language")
        << QStringList{ocr, QStringLiteral("auto"), ocrLanguages, QStringLiteral("osd"), text}
        << QStringList{} << 2
        << QStringLiteral("\"osd\" is tesseract's page orientation and script data");
    QTest::newRow("OCR language names are case-sensitive")
        << QStringList{ocr, QStringLiteral("auto"), ocrLanguages, QStringLiteral("ENG"), text}
        << QStringList{} << 2 << QStringLiteral("\"eng\" is installed, \"ENG\" is not a language");
    QTest::newRow("OCR mode unknown") << QStringList{ocr, QStringLiteral("sometimes"), text}
                                      << QStringList{} << 2 << QStringLiteral("--ocr is off, auto");
    QTest::newRow("OCR into another encoding")
        << QStringList{ocr, QStringLiteral("auto"), QStringLiteral("--encoding"),
                       QStringLiteral("Latin1"), text}
        << QStringList{} << 2 << QStringLiteral("it cannot be used with --encoding Latin1");
    QTest::newRow("OCR dpi too low")
        << QStringList{ocr, QStringLiteral("auto"), QStringLiteral("--ocr-dpi"),
                       QStringLiteral("20"), text}
        << QStringList{} << 2 << QStringLiteral("--ocr-dpi is 50 to 1200");
    QTest::newRow("OCR with pdftotext")
        << QStringList{ocr, QStringLiteral("auto"), QStringLiteral("--converter"),
                       QStringLiteral("pdftotext"), text}
        << QStringList{} << 2 << QStringLiteral("--ocr needs --converter service");
    QTest::newRow("OCR finds no text in a picture")
        << QStringList{ocr, QStringLiteral("auto"), QStringLiteral("@/image.pdf")} << QStringList{}
        << 1 << QStringLiteral("image.pdf  - text unreadable.");
}

void TestBatchCommand::exitStatuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(int, status);
    QFETCH(QString, says);
    TestPlace place;
    fixtures::writeTextPdf(place.path(QStringLiteral("text.pdf")), {QStringLiteral("Plain words")});
    fixtures::writeImagePdf(place.path(QStringLiteral("image.pdf")));
    fixtures::writePageTreePdf(place.path(QStringLiteral("holes.pdf")), 3, 3, {2});
    QVERIFY(QFile(place.path(QStringLiteral("damaged.pdf"))).open(QIODevice::WriteOnly));
    QCOMPARE(::mkfifo(QFile::encodeName(place.path(QStringLiteral("fifo.pdf"))).constData(), 0600),
             0);
    QVERIFY(QDir().mkpath(place.path(QStringLiteral("empty"))));
    QVERIFY(QFile(place.path(QStringLiteral("empty.txt"))).open(QIODevice::WriteOnly));
    QFile notes(place.path(QStringLiteral("notes.csv")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write("name,phone\nAnna,123\n");
    notes.close();
    QFile numbers(place.path(QStringLiteral("numbers.jsonl")));
    QVERIFY(numbers.open(QIODevice::WriteOnly));
    numbers.write("[5]\n{\"path\":\"/a.pdf\"}\n");
    numbers.close();
    QFile list(place.path(QStringLiteral("list.csv")));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write(QFile::encodeName(place.path(QStringLiteral("text.pdf"))) + '\n');
    list.close();
    QFile nul(place.path(QStringLiteral("nul.txt")));
    QVERIFY(nul.open(QIODevice::WriteOnly));
    nul.write(QByteArray("first\nsec\0ond\n", 14));
    nul.close();
    fixtures::writeTextPdf(place.path(QStringLiteral("texts/text.pdf")),
                           {QStringLiteral("Plain words")});
    for (QString &argument : arguments)
        argument.replace(u'@', place.root());

    QProcess batch;
    batch.setProgram(QStringLiteral(MORWENDA_BATCH));
    batch.setArguments(arguments);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : environment)
        env.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    batch.setProcessEnvironment(env);
    batch.start();
    QVERIFY(batch.waitForFinished(60000));
    const QString errors = QString::fromLocal8Bit(batch.readAllStandardError());
    QVERIFY2(batch.exitCode() == status, qPrintable(errors));
    QVERIFY2(says == Silent ? errors.isEmpty() : errors.contains(says), qPrintable(errors));
    // A run that ends well leaves no staging folder and no converter of its own behind.
    QVERIFY(hiddenEntries(place.root()).isEmpty());
    QDirIterator deployed(place.tempFolder(), {QStringLiteral("pdftotext")}, QDir::Files,
                          QDirIterator::Subdirectories);
    QVERIFY2(!deployed.hasNext(), "the deployed converter was left behind");
}

void TestBatchCommand::scannedPagesReadByOcr()
{
    TestPlace place;
    const QString text = QStringLiteral("The committee met on Tuesday in the library.\n"
                                        "Seven members were present that evening.");
    const QString scan = place.path(QStringLiteral("scan.pdf"));
    fixtures::writeScannedPdf(scan, {QStringLiteral("A page of text."), text}, {1});
    const QString json = place.path(QStringLiteral("report.json"));
    const Finished done = runBatch(
        {QStringLiteral("--ocr"), QStringLiteral("auto"), QStringLiteral("--report"), json, scan});
    QVERIFY2(done.status == 0, qPrintable(done.errors));
    const QJsonObject row = jsonRows(json).at(0).toObject();
    QCOMPARE(row.value(QStringLiteral("outcome")).toString(), QStringLiteral("converted"));
    QCOMPARE(row.value(QStringLiteral("pages")).toInt(), 2);
    QCOMPARE(row.value(QStringLiteral("ocr_pages")).toInt(), 1);
    QVERIFY(row.value(QStringLiteral("ocr_confidence")).toDouble() > 60);
    const QString written = QString::fromUtf8(contentOf(place.path(QStringLiteral("scan.txt"))));
    QVERIFY2(written.simplified().contains(QStringLiteral("Seven members were present")),
             qPrintable(written));

    // Off, the old reason stays.
    const Finished off = runBatch({QStringLiteral("--report"), json, scan});
    QCOMPARE(off.status, 0); // the text page alone is usable text
    QCOMPARE(jsonRows(json).at(0).toObject().value(QStringLiteral("ocr_pages")).toInt(), 0);
    QVERIFY(!QString::fromUtf8(contentOf(place.path(QStringLiteral("scan.txt"))))
                 .contains(QStringLiteral("Seven")));
}

void TestBatchCommand::corpusReportAndTextsAsTheWindowGivesThem()
{
    QFile manifest(fixtures::corpusFile(QStringLiteral("MANIFEST.tsv")));
    if (!manifest.open(QIODevice::ReadOnly))
        QSKIP("the corpus is not beside the project");
    QStringList pdfs;
    QHash<QString, QString> categoryOf;
    QHash<QString, QString> pagesOf;
    const QList<QByteArray> lines = manifest.readAll().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> cells = lines.at(i).split('\t');
        if (cells.size() < 3 || !cells.at(0).endsWith(".pdf"))
            continue;
        const QString pdf = fixtures::corpusFile(QString::fromUtf8(cells.at(0)));
        pdfs << pdf;
        categoryOf[pdf] = QString::fromUtf8(cells.at(1));
        pagesOf[pdf] = QString::fromUtf8(cells.at(2));
    }

    TestPlace place;
    const QString out = madeFolder(place, QStringLiteral("cli")) + u'/';
    const QString csv = place.path(QStringLiteral("report.csv"));
    const QString json = place.path(QStringLiteral("report.json"));
    const Finished done = runBatch(
        QStringList{QStringLiteral("--out"), out, QStringLiteral("--report"), json} + pdfs);
    QCOMPARE(done.status, 1);
    // The same files once more, reported as CSV: the same rows.
    QCOMPARE(runBatch(QStringList{QStringLiteral("--out"), out, QStringLiteral("--report"), csv,
                                  QStringLiteral("--quiet")} +
                      pdfs)
                 .status,
             1);

    // The window's road: the engine itself over the same files.
    const QString window = madeFolder(place, QStringLiteral("window"));
    PdftotextConverter converter(QStringLiteral(MORWENDA_PDFTOTEXT));
    ConversionRun run(converter);
    QSignalSpy finished(&run, &ConversionRun::finished);
    run.start(pdfs, {OutputChoice::Mode::Folder, window, false}, ConversionLimits{});
    QVERIFY(finished.wait(120000));

    const QJsonArray rows = jsonRows(json);
    const QList<QStringList> csvLines = csvRows(csv);
    QCOMPARE(rows.size(), pdfs.size());
    QCOMPARE(csvLines.size(), pdfs.size() + 1);
    QCOMPARE(csvLines.first(),
             (QStringList{"path", "output", "outcome", "reason", "pages", "seconds", "ocr_pages",
                          "ocr_confidence", "unread_pages", "ocr_turned", "ocr_deskewed",
                          "identity"}));
    QSet<QString> categoriesSeen;
    for (int i = 0; i < pdfs.size(); ++i) {
        const QJsonObject row = rows.at(i).toObject();
        const FileOutcome &expected = run.outcomes().at(i);
        const QString what = pdfs.at(i) + u' ' + categoryOf[pdfs.at(i)];
        QCOMPARE(row.value(QStringLiteral("path")).toString(), pdfs.at(i));
        QCOMPARE(row.value(QStringLiteral("outcome")).toString(), outcomeName(expected.outcome));
        QCOMPARE(QStringLiteral("  - ") + row.value(QStringLiteral("reason")).toString(),
                 expected.outcome == Outcome::Converted ? QStringLiteral("  - ") : expected.reason);
        const QString output = row.value(QStringLiteral("output")).toString();
        // A row names its text only where one is in place.
        QCOMPARE(output, leftText(expected.outcome) ? out + QFileInfo(expected.output).fileName()
                                                    : QString());
        QVERIFY2(QFileInfo::exists(output) == leftText(expected.outcome), qPrintable(what));
        if (leftText(expected.outcome))
            QVERIFY2(contentOf(output) == contentOf(expected.output), qPrintable(what));
        // The pages of a text are the converter's page breaks: the file's own page count.
        bool numeric = false;
        const int pages = pagesOf[pdfs.at(i)].toInt(&numeric);
        const QJsonValue reported = row.value(QStringLiteral("pages"));
        if (leftText(expected.outcome) && numeric)
            QVERIFY2(reported.toInt() == pages, qPrintable(what));
        if (!leftText(expected.outcome))
            QVERIFY2(reported.isNull(), qPrintable(what));
        QVERIFY(row.value(QStringLiteral("seconds")).toDouble() >= 0);
        const QStringList &line = csvLines.at(i + 1);
        QCOMPARE(line.mid(0, 4),
                 (QStringList{pdfs.at(i), output, row.value(QStringLiteral("outcome")).toString(),
                              row.value(QStringLiteral("reason")).toString()}));
        QCOMPARE(line.at(4), reported.isNull() ? QString() : QString::number(reported.toInt()));
        // The failures at the end, with the window's reason texts.
        if (expected.outcome != Outcome::Converted)
            QVERIFY2(done.errors.contains(pdfs.at(i) + expected.reason), qPrintable(what));
        categoriesSeen << outcomeName(expected.outcome);
    }
    for (const char *outcome : {"converted", "no-usable-text", "protected", "damaged"})
        QVERIFY2(categoriesSeen.contains(QLatin1String(outcome)), outcome);
    QVERIFY(hiddenEntries(out).isEmpty());
}

void TestBatchCommand::foldersInTheWindowsOrderAndKeptTrees_data()
{
    QTest::addColumn<bool>("keepTree");
    QTest::addColumn<QStringList>("expected"); // text paths under the output folder
    QTest::newRow("kept tree") << true
                               << QStringList{"index.txt",   "Z.txt",         "a/index.txt",
                                              "b/index.txt", "a/c/index.txt", "index (2).txt"};
    QTest::newRow("one folder") << false
                                << QStringList{"index.txt",     "Z.txt",         "index (2).txt",
                                               "index (3).txt", "index (4).txt", "index (5).txt"};
}

void TestBatchCommand::foldersInTheWindowsOrderAndKeptTrees()
{
    QFETCH(bool, keepTree);
    QFETCH(QStringList, expected);
    TestPlace place;
    // Two trees full of index.pdf, an upper-case extension, and files the walk leaves out.
    const QString tree = place.path(QStringLiteral("tree"));
    const QString other = place.path(QStringLiteral("other"));
    const QStringList made = {"tree/index.pdf",         "tree/Z.PDF",         "tree/a/index.pdf",
                              "tree/b/index.pdf",       "tree/a/c/index.pdf", "other/index.pdf",
                              "tree/.hidden/index.pdf", "tree/~lock.pdf",     "tree/notes.txt"};
    for (const QString &name : made)
        fixtures::writeTextPdf(place.path(name), {QStringLiteral("This is ") + name});
    const QString out = madeFolder(place, QStringLiteral("out"));
    const QString report = place.path(QStringLiteral("report.json"));
    QStringList arguments = {
        QStringLiteral("--out"), out, QStringLiteral("--report"), report, tree, other};
    if (keepTree)
        arguments.prepend(QStringLiteral("--keep-tree"));
    const Finished done = runBatch(arguments);
    QVERIFY2(done.status == 0, qPrintable(done.errors));

    // The rows come in the order the window's folder scan adds them.
    FolderWalk walk(
        [](const QString &, int, const QString &description) { QFAIL(qPrintable(description)); });
    const FilePattern pdf = FilePattern::forExtension(QStringLiteral("pdf"));
    const QStringList windowOrder = walk.collect(tree, pdf) + walk.collect(other, pdf);
    const QJsonArray rows = jsonRows(report);
    QCOMPARE(rows.size(), windowOrder.size());
    QStringList outputs;
    for (int i = 0; i < rows.size(); ++i) {
        const QJsonObject row = rows.at(i).toObject();
        QCOMPARE(row.value(QStringLiteral("path")).toString(), windowOrder.at(i));
        const QString output = row.value(QStringLiteral("output")).toString();
        outputs << QDir(out).relativeFilePath(output);
        // No text replaced another: each holds its own PDF's words.
        QCOMPARE(contentOf(output), fixtures::convertDirectly(windowOrder.at(i)));
        if (keepTree && windowOrder.at(i).startsWith(tree))
            QCOMPARE(QFileInfo(outputs.last()).path(),
                     QDir(tree).relativeFilePath(QFileInfo(windowOrder.at(i)).path()));
    }
    outputs.sort();
    expected.sort();
    QCOMPARE(outputs, expected);
    // The second tree's index.pdf comes after the first's and takes the next name.
    QCOMPARE(QDir(out).relativeFilePath(rows.last()[QStringLiteral("output")].toString()),
             keepTree ? u"index (2).txt"_qs : u"index (5).txt"_qs);
}

// Machines that each take a part of the same tree give, between them, the texts and the report of
// one run of the whole tree: every file in one part, the same numbered names in a shared folder.
void TestBatchCommand::shardsNameAndReportAsOneWholeRun()
{
    TestPlace place;
    const QString tree = place.path(QStringLiteral("tree"));
    QStringList made = {"tree/index.pdf",     "tree/b/index.pdf", "tree/a/index.pdf",
                        "tree/a/c/index.pdf", "tree/long.pdf",    "tree/a/notes.pdf"};
    for (int i = 0; i < made.size(); ++i) {
        QStringList pages;
        for (int page = 0; page <= i * i; ++page) // sizes from one page to 26
            pages << QStringLiteral("Page %1 of %2").arg(page + 1).arg(made.at(i));
        fixtures::writeTextPdf(place.path(made.at(i)), pages);
    }
    const QString gone = place.path(QStringLiteral("gone.pdf"));
    // The parts hash the whole path, the test's own folder too: a part the paths above leave
    // empty gets a file of its own, so every part holds one whatever that folder is called.
    QSet<int> filled = {shards::partOf(gone, 3)};
    for (const QString &name : std::as_const(made))
        filled.insert(shards::partOf(place.path(name), 3));
    for (int part = 1, n = 0; part <= 3 && n < 1000; ++n) {
        const QString name = QStringLiteral("tree/part %1 (%2).pdf").arg(part).arg(n);
        if (filled.contains(part)) {
            ++part;
        } else if (shards::partOf(place.path(name), 3) == part) {
            fixtures::writeTextPdf(place.path(name), {name});
            made << name;
            filled.insert(part);
        }
    }
    QCOMPARE(filled, (QSet<int>{1, 2, 3}));
    const auto rowsOf = [](const QString &report, const QString &out) {
        QMap<QString, QString> rows; // path: output relative to `out`, and outcome
        for (const QJsonValue &value : jsonRows(report)) {
            const QJsonObject row = value.toObject();
            const QString output = row[QStringLiteral("output")].toString();
            rows.insert(row[QStringLiteral("path")].toString(),
                        (output.isEmpty() ? output : QDir(out).relativeFilePath(output)) + u' ' +
                            row[QStringLiteral("outcome")].toString());
        }
        return rows;
    };

    const QString wholeOut = madeFolder(place, QStringLiteral("whole"));
    const QString wholeReport = place.path(QStringLiteral("whole.json"));
    Finished done = runBatch(
        {QStringLiteral("-o"), wholeOut, QStringLiteral("--report"), wholeReport, tree, gone});
    QVERIFY2(done.status == 1, qPrintable(done.errors)); // gone.pdf names nothing
    const QMap<QString, QString> whole = rowsOf(wholeReport, wholeOut);
    QCOMPARE(whole.size(), made.size() + 1);

    const QString partsOut = madeFolder(place, QStringLiteral("parts"));
    QMap<QString, QString> fromParts;
    for (int part = 1; part <= 3; ++part) {
        const QString report = place.path(QStringLiteral("part-%1.json").arg(part));
        done = runBatch({QStringLiteral("--shard"), QStringLiteral("%1/3").arg(part),
                         QStringLiteral("-o"), partsOut, QStringLiteral("--report"), report, tree,
                         gone});
        QVERIFY2(done.status <= 1, qPrintable(done.errors));
        const QMap<QString, QString> rows = rowsOf(report, partsOut);
        QVERIFY2(!rows.isEmpty() && rows.size() < whole.size(), "a part holds no file or all");
        for (auto row = rows.cbegin(); row != rows.cend(); ++row) {
            QVERIFY2(!fromParts.contains(row.key()), qPrintable(row.key() + " in two parts"));
            fromParts.insert(row.key(), row.value());
        }
    }
    QCOMPARE(fromParts, whole);
    const QStringList texts = QDir(wholeOut).entryList(QDir::Files);
    QCOMPARE(QDir(partsOut).entryList(QDir::Files), texts);
    for (const QString &text : texts)
        QCOMPARE(contentOf(partsOut + u'/' + text), contentOf(wholeOut + u'/' + text));
}

void TestBatchCommand::interruptedThenResumed_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("Ctrl-C") << int(SIGINT);
    QTest::newRow("terminal closed") << int(SIGHUP);
}

void TestBatchCommand::interruptedThenResumed()
{
    QFETCH(int, signal);
    const QString book = fixtures::corpusFile(QStringLiteral("The-War-of-the-Worlds.pdf"));
    if (!QFileInfo::exists(book))
        QSKIP("the corpus is not beside the project");
    TestPlace place;
    const QString books = madeFolder(place, QStringLiteral("books")) + u'/';
    constexpr int Count = 40;
    for (int i = 0; i < Count; ++i)
        QVERIFY(QFile::copy(book, books + QStringLiteral("book%1.pdf").arg(i, 2, 10, QChar(u'0'))));
    const QByteArray text = fixtures::convertDirectly(book);
    const QString out = madeFolder(place, QStringLiteral("out"));
    const QString report = place.path(QStringLiteral("first.csv"));

    // Ctrl-C after a few files: the terminal sends SIGINT to the whole job. With pdftotext the
    // converters can be seen by the books' path on their command lines.
    QProcess *batch =
        startBatch({QStringLiteral("--converter"), QStringLiteral("pdftotext"),
                    QStringLiteral("--jobs"), QStringLiteral("2"), QStringLiteral("--out"), out,
                    QStringLiteral("--report"), report, books});
    QByteArray said;
    while (said.count('\n') < 3 && batch->state() == QProcess::Running) {
        batch->waitForReadyRead(100);
        said += batch->readAllStandardError();
    }
    const QStringList running = processesUsing(books);
    QVERIFY2(running.size() > 1,
             qPrintable(running.join(u'\n') + u'\n' + QString::fromLocal8Bit(said)));
    QCOMPARE(::kill(-pid_t(batch->processId()), signal), 0);
    const Finished stopped = waitFor(batch);
    delete batch;
    QCOMPARE(stopped.status, 128 + signal); // ended by its signal, so a shell loop stops
    QVERIFY2(processesUsing(books).isEmpty(), qPrintable(processesUsing(books).join(u'\n')));

    // Completed texts stay whole; no partial text and no staging folder are left.
    const QList<QStringList> rows = csvRows(report);
    QCOMPARE(rows.size(), Count + 1);
    int converted = 0;
    for (const QStringList &row : rows.mid(1)) {
        QVERIFY2(row.at(2) == u"converted" || row.at(2) == u"stopped", qPrintable(row.join(u',')));
        const bool done = row.at(2) == u"converted";
        converted += done ? 1 : 0;
        QCOMPARE(QFileInfo::exists(row.at(1)), done);
        if (done)
            QCOMPARE(contentOf(row.at(1)), text);
        QVERIFY(!stopped.errors.contains(row.at(0) + reasons::Stopped));
    }
    QVERIFY2(converted >= 3 && converted < Count, qPrintable(QString::number(converted)));
    // The stopped files under the window's heading.
    QVERIFY2(stopped.errors.contains(runsummary::stoppedHeader(Count - converted)),
             qPrintable(stopped.errors));
    QVERIFY(hiddenEntries(out).isEmpty());
    QCOMPARE(QDir(place.root()).entryList({QStringLiteral("*.part")}, QDir::Files), QStringList());
    QCOMPARE(QDir(out).entryList(QDir::Files).size(), converted);

    // Resumed: what was done is skipped and left untouched, the rest is converted.
    QHash<QString, QDateTime> stamps;
    for (const QFileInfo &file : QDir(out).entryInfoList(QDir::Files))
        stamps[file.filePath()] = file.lastModified();
    const QString second = place.path(QStringLiteral("second.csv"));
    const Finished resumed = runBatch({QStringLiteral("--skip-existing"), QStringLiteral("--out"),
                                       out, QStringLiteral("--report"), second, books});
    QVERIFY2(resumed.status == 0, qPrintable(resumed.errors));
    const QList<QStringList> after = csvRows(second);
    QCOMPARE(after.size(), Count + 1);
    int skipped = 0;
    for (int i = 1; i <= Count; ++i) {
        const QStringList &row = after.at(i);
        QCOMPARE(row.at(0), rows.at(i).at(0));
        QCOMPARE(row.at(2), rows.at(i).at(2) == u"converted" ? u"skipped"_qs : u"converted"_qs);
        skipped += row.at(2) == u"skipped" ? 1 : 0;
        QCOMPARE(contentOf(row.at(1)), text);
        if (stamps.contains(row.at(1)))
            QCOMPARE(QFileInfo(row.at(1)).lastModified(), stamps.value(row.at(1)));
    }
    QCOMPARE(skipped, converted);
    QCOMPARE(QDir(out).entryList(QDir::Files).size(), Count);
}

namespace {

// `count` copies of one PDF of the corpus in `folder`, named book00.pdf ...; empty without it.
QStringList copiesOf(const QString &name, const QString &folder, int count)
{
    const QString book = fixtures::corpusFile(name);
    QStringList copies;
    if (!QFileInfo::exists(book))
        return copies;
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        copies << folder + QStringLiteral("/book%1.pdf").arg(i, 2, 10, QChar(u'0'));
        QFile::copy(book, copies.last());
    }
    return copies;
}

QList<QStringList> partialRows(const QString &folder)
{
    const QStringList parts = QDir(folder).entryList({QStringLiteral("*.part")}, QDir::Files);
    return parts.size() == 1 ? csvRows(folder + u'/' + parts.first()) : QList<QStringList>();
}

} // namespace

void TestBatchCommand::reportSurvivesAKill()
{
    TestPlace place;
    const QStringList books = copiesOf(QStringLiteral("The-War-of-the-Worlds.pdf"),
                                       place.path(QStringLiteral("books")), 30);
    if (books.isEmpty())
        QSKIP("the corpus is not beside the project");
    const QString out = madeFolder(place, QStringLiteral("out"));
    const QString report = place.path(QStringLiteral("report.csv"));
    QFile old(report);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older report\n");
    old.close();

    // Killed with no chance to write anything more: the whole job, converters included.
    QProcess *batch =
        startBatch({QStringLiteral("-j2"), QStringLiteral("-o"), out, QStringLiteral("--report"),
                    report, place.path(QStringLiteral("books"))});
    QByteArray said;
    while (said.count('\n') < 4 && batch->state() == QProcess::Running) {
        batch->waitForReadyRead(100);
        said += batch->readAllStandardError();
    }
    QCOMPARE(::kill(-pid_t(batch->processId()), SIGKILL), 0);
    waitFor(batch);
    delete batch;

    // The old report is untouched; beside it, a row for every text in place.
    QCOMPARE(contentOf(report), QByteArray("an older report\n"));
    const QList<QStringList> rows = partialRows(place.root());
    QVERIFY2(rows.size() > 4, qPrintable(QString::fromLocal8Bit(said)));
    QCOMPARE(rows.first(),
             (QStringList{"path", "output", "outcome", "reason", "pages", "seconds", "ocr_pages",
                          "ocr_confidence", "unread_pages", "ocr_turned", "ocr_deskewed",
                          "identity"}));
    QSet<QString> reported;
    for (const QStringList &row : rows.mid(1)) {
        QCOMPARE(row.at(2), u"converted"_qs);
        QVERIFY(books.contains(row.at(0)));
        QCOMPARE(contentOf(row.at(1)),
                 contentOf(out + u'/' + QFileInfo(row.at(0)).completeBaseName() +
                           QStringLiteral(".txt")));
        reported << row.at(1);
    }
    QSet<QString> texts;
    for (const QString &name : QDir(out).entryList({QStringLiteral("*.txt")}, QDir::Files))
        texts << out + u'/' + name;
    QVERIFY(texts.contains(reported));
    // A kill between a text's rename and its row's write is a matter of microseconds.
    QVERIFY2(texts.size() - reported.size() <= 1, qPrintable(QString::number(texts.size())));

    // Resumed from what the killed run kept: only the rest is converted, each file once.
    const QString partial =
        place.path(QDir(place.root()).entryList({QStringLiteral("*.part")}).first());
    const Finished resumed = runBatch(
        {QStringLiteral("-q"), QStringLiteral("-o"), out, QStringLiteral("--resume"), partial,
         QStringLiteral("--report"), report, place.path(QStringLiteral("books"))});
    QVERIFY2(resumed.status == 0, qPrintable(resumed.errors));
    const QList<QStringList> after = csvRows(report);
    QCOMPARE(after.size(), books.size() + 1);
    QSet<QString> paths;
    for (const QStringList &row : after.mid(1)) {
        QCOMPARE(row.at(2), u"converted"_qs);
        paths << row.at(0);
    }
    QCOMPARE(paths.size(), books.size());
}

void TestBatchCommand::appendedOverThreeBatches()
{
    TestPlace place;
    QStringList pdfs;
    for (const char *name : {"a", "b", "c", "d", "e", "f"}) {
        pdfs << place.path(QStringLiteral("in/%1.pdf").arg(QLatin1String(name)));
        fixtures::writeTextPdf(pdfs.last(), {QStringLiteral("File ") + QLatin1String(name)});
    }
    fixtures::writeImagePdf(place.path(QStringLiteral("in/scan.pdf")));
    const QString report = place.path(QStringLiteral("report.jsonl"));
    // As xargs would run it: three batches; the third converts b again, now as a folder's file.
    const QList<QStringList> batches = {
        {pdfs.at(0), pdfs.at(1)},
        {pdfs.at(2), pdfs.at(3), place.path(QStringLiteral("in/scan.pdf"))},
        {pdfs.at(4), pdfs.at(5), pdfs.at(1)}};
    for (const QStringList &paths : batches) {
        const Finished done = runBatch(
            QStringList{QStringLiteral("--append"), QStringLiteral("--report"), report} + paths);
        QVERIFY2(done.status <= 1, qPrintable(done.errors));
    }
    QStringList rows;
    for (const QByteArray &line : contentOf(report).split('\n'))
        if (!line.isEmpty())
            rows << QJsonDocument::fromJson(line).object().value(QStringLiteral("path")).toString();
    QCOMPARE(rows.size(), 7);
    QCOMPARE(QSet<QString>(rows.cbegin(), rows.cend()).size(), 7);
    QCOMPARE(rows.last(), pdfs.at(1)); // its new row, after the earlier batches' rows
}

void TestBatchCommand::skipExistingConvertsFailuresAgain()
{
    TestPlace place;
    const QString good = place.path(QStringLiteral("good.pdf"));
    const QString scan = place.path(QStringLiteral("scan.pdf"));
    const QString cut = place.path(QStringLiteral("cut.pdf"));
    fixtures::writeTextPdf(good, {QStringLiteral("Plain words")});
    fixtures::writeTextPdf(cut, {QStringLiteral("More plain words")});
    fixtures::writeImagePdf(scan);
    const QStringList all = {good, scan, cut, place.path(QStringLiteral("gone.pdf"))};
    QCOMPARE(runBatch(all).status, 1);
    // A text left empty (cut short by another program) and newer than its PDF.
    QVERIFY(QFile(place.path(QStringLiteral("cut.txt"))).resize(0));
    const QDateTime goodStamp = QFileInfo(place.path(QStringLiteral("good.txt"))).lastModified();

    const QString report = place.path(QStringLiteral("again.csv"));
    const Finished again = runBatch(
        QStringList{QStringLiteral("--skip-existing"), QStringLiteral("--report"), report} + all);
    QCOMPARE(again.status, 1);
    const QList<QStringList> rows = csvRows(report);
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows.at(1).at(2), u"skipped"_qs);
    QCOMPARE(rows.at(2).at(2), u"no-usable-text"_qs);
    QCOMPARE(rows.at(3).at(2), u"converted"_qs);
    QCOMPARE(rows.at(4).at(2), u"missing"_qs);
    QCOMPARE(QFileInfo(place.path(QStringLiteral("good.txt"))).lastModified(), goodStamp);
    QCOMPARE(contentOf(place.path(QStringLiteral("cut.txt"))), fixtures::convertDirectly(cut));
    QVERIFY(again.errors.contains(scan + QStringLiteral("  - text unreadable.")));
    QVERIFY(again.errors.contains(all.last() + QStringLiteral("  - not found: ")));
    QVERIFY2(again.errors.contains("4 files: 1 converted, 1 skipped, 2 not usable"),
             qPrintable(again.errors));

    // A text of the same millisecond as its PDF may be older: converted again.
    struct stat pdf = {};
    QCOMPARE(::stat(QFile::encodeName(good).constData(), &pdf), 0);
    const timespec same[2] = {pdf.st_mtim, pdf.st_mtim};
    const QByteArray goodText = QFile::encodeName(place.path(QStringLiteral("good.txt")));
    QCOMPARE(::utimensat(AT_FDCWD, goodText.constData(), same, 0), 0);
    QCOMPARE(runBatch({QStringLiteral("--skip-existing"), QStringLiteral("--report"), report, good})
                 .status,
             0);
    QCOMPARE(csvRows(report).value(1).value(2), u"converted"_qs);
}

void TestBatchCommand::reportOnAFullDisk()
{
    TestPlace place;
    const QString disk = madeFolder(place, QStringLiteral("disk"));
    QProcess mount;
    mount.start(QStringLiteral("mount"),
                {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                 QStringLiteral("size=256k"), QStringLiteral("tmpfs"), disk});
    if (!mount.waitForFinished(10000) || mount.exitCode() != 0)
        QSKIP("a small tmpfs cannot be mounted here");
    const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {disk}); });
    const QString report = disk + QStringLiteral("/report.csv");
    QFile old(report);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older report\n");
    old.close();
    // Full but for one page: the partial file takes it, and the report itself finds no room.
    QFile filler(disk + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray page(4096, 'x');
    while (filler.write(page) == page.size()) {
    }
    filler.close();
    QVERIFY(filler.resize(filler.size() / 4096 * 4096 - 4096));

    QStringList pdfs;
    for (int i = 0; i < 3; ++i) {
        pdfs << place.path(QStringLiteral("in/%1.pdf").arg(i));
        fixtures::writeTextPdf(pdfs.last(), {QStringLiteral("Words %1").arg(i)});
    }
    const Finished done = runBatch(QStringList{QStringLiteral("--report"), report} + pdfs);
    QCOMPARE(done.status, 1);
    QVERIFY2(done.errors.contains(QStringLiteral("could not be written: No space left on device")),
             qPrintable(done.errors));
    QCOMPARE(contentOf(report), QByteArray("an older report\n"));
    // The rows are not lost: the partial file keeps them, whole.
    QCOMPARE(partialRows(disk).size(), 4);
    for (const QString &pdf : pdfs)
        QVERIFY(QFileInfo::exists(outputpaths::besidePdf(pdf)));
}

// Another run adding to the same report at the same time: the report's folder is locked while the
// rows are read and the report is written, so neither run's rows are lost.
void TestBatchCommand::appendWaitsForAnotherRun()
{
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("in/a.pdf"));
    fixtures::writeTextPdf(pdf, {QStringLiteral("File a")});
    const QString report = place.path(QStringLiteral("reports/r.jsonl"));
    const QString folder = madeFolder(place, QStringLiteral("reports"));
    // The other run: it holds the lock while this one converts.
    const int lock =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QVERIFY(lock >= 0 && ::flock(lock, LOCK_EX) == 0);
    QProcess *batch =
        startBatch({QStringLiteral("--append"), QStringLiteral("--report"), report, pdf});
    // Its file is done (the row is in the partial file); the other run writes its report now.
    QTRY_VERIFY_WITH_TIMEOUT(
        !QDir(folder).entryList({QStringLiteral("*.part")}, QDir::Files).isEmpty() &&
            contentOf(folder + u'/' +
                      QDir(folder).entryList({QStringLiteral("*.part")}, QDir::Files).value(0))
                .contains("a.pdf"),
        60000);
    QFile other(report);
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("{\"path\":\"/elsewhere/b.pdf\",\"outcome\":\"converted\"}\n");
    other.close();
    ::close(lock);
    const Finished done = waitFor(batch);
    delete batch;
    QVERIFY2(done.status == 0, qPrintable(done.errors));
    const QByteArray rows = contentOf(report);
    QVERIFY2(rows.contains("/elsewhere/b.pdf") && rows.contains(QFile::encodeName(pdf)),
             rows.constData());
}

// The processes whose parent is `parent`, zombies left out.
static QStringList liveChildrenOf(qint64 parent)
{
    QStringList found;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray stat = contentOf(QStringLiteral("/proc/%1/stat").arg(pid));
        const QList<QByteArray> rest = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 1 && rest.at(0) != "Z" && rest.at(1).toLongLong() == parent)
            found << pid;
    }
    return found;
}

void TestBatchCommand::noConverterOutlivesTheProgram_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("stopped") << int(SIGTERM);
    QTest::newRow("killed") << int(SIGKILL);
}

// Stopped or killed while the service's child converts a slow file: the program ends after its
// service (or they die with it), and the service's child, a grandchild, is gone too. This test
// adopts what would be left to init.
void TestBatchCommand::noConverterOutlivesTheProgram()
{
    QFETCH(int, signal);
    if (!converterchoice::serviceBuilt())
        QSKIP("built without the converter service");
    TestPlace place;
    const QString forms = place.path(QStringLiteral("forms.pdf"));
    fixtures::writeFormBomb(forms, 6);
    QVERIFY(::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0);
    const auto noLongerAdopting = qScopeGuard([] { ::prctl(PR_SET_CHILD_SUBREAPER, 0); });
    QProcess *batch = startBatch({QStringLiteral("-j"), QStringLiteral("1"), forms});
    QStringList services;
    QStringList grandchildren;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            grandchildren.clear();
            services = liveChildrenOf(batch->processId());
            for (const QString &service : services)
                grandchildren << liveChildrenOf(service.toLongLong());
            return !grandchildren.isEmpty();
        }(),
        60000);
    const auto alive = [](const QString &pid) {
        const QByteArray stat = contentOf(QStringLiteral("/proc/%1/stat").arg(pid));
        return stat != "(none)" && !stat.contains(") Z ");
    };
    ::kill(pid_t(batch->processId()), signal);
    const Finished done = waitFor(batch);
    delete batch;
    if (signal == SIGTERM) {
        QVERIFY2(done.status == 128 + SIGTERM, qPrintable(done.errors));
        for (const QString &pid : services) // ended and reaped before the program ended
            QVERIFY2(!alive(pid), qPrintable(pid));
    }
    for (const QString &pid : services + grandchildren)
        QTRY_VERIFY2(!alive(pid), qPrintable(pid));
    QTRY_COMPARE(liveChildrenOf(::getpid()), QStringList());
    while (::waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

void TestBatchCommand::listsAndStandardStreams()
{
    TestPlace place;
    QStringList pdfs;
    for (int i = 0; i < 3; ++i) {
        pdfs << place.path(QStringLiteral("in/line\n%1.pdf").arg(i));
        fixtures::writeTextPdf(pdfs.last(), {QStringLiteral("Words of file %1").arg(i)});
    }
    const QString plain = place.path(QStringLiteral("plain.pdf"));
    fixtures::writeTextPdf(plain, {QStringLiteral("Words of a plain name")});
    // A listed file reached through a link; a list written on Windows (CR LF).
    const QString linked = place.path(QStringLiteral("links/linked.pdf"));
    QVERIFY(QDir().mkpath(place.path(QStringLiteral("links"))));
    QVERIFY(QFile::link(plain, linked));
    QFile list(place.path(QStringLiteral("list")));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write(QFile::encodeName(plain) + "\r\n" + QFile::encodeName(linked) + "\r\n\r\n");
    list.close();

    // Names holding a line break come through a NUL-ended list on standard input.
    const QString report = place.path(QStringLiteral("r.csv"));
    QProcess *batch = startBatch({QStringLiteral("--files0-from=-"), QStringLiteral("--files-from"),
                                  list.fileName(), QStringLiteral("--report"), report});
    for (const QString &pdf : pdfs)
        batch->write(QFile::encodeName(pdf) + '\0');
    batch->closeWriteChannel();
    const Finished listed = waitFor(batch);
    delete batch;
    QVERIFY2(listed.status == 0, qPrintable(listed.errors));
    const QList<QStringList> rows = csvRows(report);
    QCOMPARE(rows.size(), 6);
    QCOMPARE(rows.at(1).at(0), plain); // the command line's lists in their order
    QCOMPARE(rows.at(2).at(0), linked);
    QCOMPARE(rows.at(2).at(2), QStringLiteral("converted"));
    QCOMPARE(contentOf(place.path(QStringLiteral("links/linked.txt"))),
             fixtures::convertDirectly(plain));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(rows.at(i + 3).at(0), pdfs.at(i));

    // A PDF on standard input, its text on standard output, as pdftotext - - gives it.
    batch = startBatch({QStringLiteral("-o"), QStringLiteral("-"), QStringLiteral("-")});
    batch->write(contentOf(plain));
    batch->closeWriteChannel();
    QVERIFY(batch->waitForFinished(60000));
    QCOMPARE(batch->exitCode(), 0);
    QCOMPARE(batch->readAllStandardOutput(), fixtures::convertDirectly(plain));
    delete batch;
}

void TestBatchCommand::passwordFromAFile_data()
{
    QTest::addColumn<QString>("converter");
    QTest::addColumn<bool>("onStandardInput");
    QTest::newRow("service, a file") << QStringLiteral("service") << false;
    QTest::newRow("pdftotext, standard input") << QStringLiteral("pdftotext") << true;
}

void TestBatchCommand::passwordFromAFile()
{
    QFETCH(QString, converter);
    QFETCH(bool, onStandardInput);
    TestPlace place;
    const QString plain = place.path(QStringLiteral("plain.pdf"));
    fixtures::writeTextPdf(plain, {QStringLiteral("Opened with the password")});
    const QString locked = place.path(QStringLiteral("locked.pdf"));
    const QString wrong = place.path(QStringLiteral("wrong.pdf"));
    fixtures::encryptPdf(plain, locked, QStringLiteral("s3cret word"), QStringLiteral("owner"));
    fixtures::encryptPdf(plain, wrong, QStringLiteral("another"), QStringLiteral("owner"));
    // AES-128 keeps the password as Latin-1 bytes; pdftotext opens it with "p\xe4sswort".
    const QString latin = place.path(QStringLiteral("latin.pdf"));
    fixtures::encryptPdf(plain, latin, QStringLiteral("p\u00e4sswort"), QStringLiteral("owner"),
                         {QStringLiteral("--use-aes=y")}, 128);
    const QString passwordFile = place.path(QStringLiteral("password"));
    QFile file(passwordFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // Each line is a password, tried in order until one opens the file; a file written on
    // Windows ends its lines with CR LF.
    const QByteArray passwords = "not this one\r\ns3cret word\r\n\nnor this\np\xe4sswort\n";
    file.write(passwords);
    file.close();
    const QString report = place.path(QStringLiteral("r.json"));
    QProcess *batch =
        startBatch({QStringLiteral("--converter"), converter, QStringLiteral("--password-file"),
                    onStandardInput ? QStringLiteral("-") : passwordFile,
                    QStringLiteral("--report"), report, locked, wrong, plain, latin});
    if (onStandardInput)
        batch->write(passwords);
    batch->closeWriteChannel();
    const Finished done = waitFor(batch);
    delete batch;
    QCOMPARE(done.status, 1);
    const QJsonArray rows = jsonRows(report);
    QCOMPARE(rows.at(0)[QStringLiteral("outcome")].toString(), u"converted"_qs);
    QCOMPARE(rows.at(1)[QStringLiteral("outcome")].toString(), u"wrong-password"_qs);
    QCOMPARE(rows.at(2)[QStringLiteral("outcome")].toString(), u"converted"_qs);
    // Both converters get the password's own bytes.
    QCOMPARE(rows.at(3)[QStringLiteral("outcome")].toString(), u"converted"_qs);
    QCOMPARE(contentOf(place.path(QStringLiteral("locked.txt"))), fixtures::convertDirectly(plain));
    QVERIFY(done.errors.contains(wrong + reasons::WrongPassword));
}

// The program file removed during a run (a package upgrade): the service cannot start, and the
// file with a password is not handed to pdftotext, whose command line every user can read.
void TestBatchCommand::passwordStaysWhenTheServiceIsGone()
{
    if (!converterchoice::serviceBuilt())
        QSKIP("built without the converter service");
    TestPlace place;
    const QString plain = place.path(QStringLiteral("plain.pdf"));
    fixtures::writeTextPdf(plain, {QStringLiteral("Opened with the password")});
    const QString locked = place.path(QStringLiteral("locked.pdf"));
    fixtures::encryptPdf(plain, locked, QStringLiteral("s3cret"), QStringLiteral("owner"));
    const QString program = place.path(QStringLiteral("bin/morwenda-batch"));
    QVERIFY(QDir().mkpath(place.path(QStringLiteral("bin"))));
    QVERIFY(QFile::copy(QStringLiteral(MORWENDA_BATCH), program));
    const QString report = place.path(QStringLiteral("r.json"));
    QProcess batch;
    batch.start(program, {QStringLiteral("--password-file"), QStringLiteral("-"),
                          QStringLiteral("--report"), report, locked, plain});
    QVERIFY(batch.waitForStarted());
    // It waits for its passwords; the program file goes before any converter starts.
    QVERIFY(QFile::remove(program));
    batch.write("s3cret\n");
    batch.closeWriteChannel();
    QVERIFY(batch.waitForFinished(120000));
    const QString errors = QString::fromLocal8Bit(batch.readAllStandardError());
    QVERIFY2(batch.exitCode() == 1, qPrintable(errors)); // not "the converter cannot run"
    const QJsonArray rows = jsonRows(report);
    QCOMPARE(rows.at(0)[QStringLiteral("outcome")].toString(), u"protected"_qs);
    QVERIFY2(rows.at(0)[QStringLiteral("reason")].toString().contains(
                 QStringLiteral("pdftotext would show the password")),
             qPrintable(errors));
    QCOMPARE(rows.at(1)[QStringLiteral("outcome")].toString(), u"converted"_qs); // by pdftotext
    QVERIFY(!QFile::exists(place.path(QStringLiteral("locked.txt"))));
    QVERIFY2(!errors.contains(QStringLiteral("No converter can be run")), qPrintable(errors));
}

// SIGTERM while a list is still coming through a pipe: the run ends as a stopped one, with its
// report, instead of dying with nothing written.
void TestBatchCommand::stoppedWhileTheListIsRead()
{
    TestPlace place;
    const QString report = place.path(QStringLiteral("r.json"));
    QProcess *batch = startBatch(
        {QStringLiteral("--files-from"), QStringLiteral("-"), QStringLiteral("--report"), report});
    const auto catchesStops = [&] {
        // SigCgt: the signals it handles itself; SIGTERM is bit 15 - 1.
        for (const QByteArray &line :
             contentOf(QStringLiteral("/proc/%1/status").arg(batch->processId())).split('\n'))
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
        return 0ULL;
    };
    QTRY_VERIFY(catchesStops());
    batch->write(QFile::encodeName(place.path(QStringLiteral("never.pdf"))) + '\n');
    batch->waitForBytesWritten();
    // The line is read before the stop (the pipe is empty again): it is reported.
    const int pipe = ::open(QStringLiteral("/proc/%1/fd/0").arg(batch->processId()).toUtf8(),
                            O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(pipe >= 0);
    QTRY_VERIFY([pipe] {
        int unread = -1;
        return ::ioctl(pipe, FIONREAD, &unread) == 0 && unread == 0;
    }());
    ::close(pipe);
    ::kill(pid_t(batch->processId()), SIGTERM);
    const Finished done = waitFor(batch);
    delete batch;
    QVERIFY2(done.status == 128 + SIGTERM, qPrintable(done.errors));
    QVERIFY2(QFile::exists(report), qPrintable(done.errors));
    const QJsonArray rows = jsonRows(report);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0)[QStringLiteral("path")].toString(),
             place.path(QStringLiteral("never.pdf")));
}

void TestBatchCommand::standardOutputThatFails_data()
{
    QTest::addColumn<bool>("closedPipe");
    QTest::addColumn<bool>("slowFile"); // converts for minutes unless the run stops
    QTest::newRow("a pipe nobody reads") << true << false;
    QTest::newRow("a pipe nobody reads, a slow file") << true << true;
    QTest::newRow("a full disk") << false << false;
}

// -o - whose text cannot arrive: write-failed, a status that says so, and the report agrees.
void TestBatchCommand::standardOutputThatFails()
{
    QFETCH(bool, closedPipe);
    QFETCH(bool, slowFile);
    if (slowFile && !converterchoice::serviceBuilt())
        QSKIP("built without the converter service");
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("text.pdf"));
    if (slowFile)
        fixtures::writeFormBomb(pdf, 6);
    else
        fixtures::writeTextPdf(pdf, {QStringLiteral("Words nobody reads")});
    const QString report = place.path(QStringLiteral("r.json"));
    int ends[2] = {-1, -1};
    QVERIFY(::pipe(ends) == 0);
    ::close(ends[0]); // the reader is gone before the first byte
    const int writer = ends[1];
    QProcess batch;
    batch.setProgram(QStringLiteral(MORWENDA_BATCH));
    // No time limit: only the reader's leaving ends the slow file soon.
    batch.setArguments({QStringLiteral("-o"), QStringLiteral("-"), QStringLiteral("--time-limit"),
                        QStringLiteral("0"), QStringLiteral("--report"), report, pdf});
    if (closedPipe)
        batch.setChildProcessModifier([writer] { ::dup2(writer, STDOUT_FILENO); });
    else
        batch.setStandardOutputFile(QStringLiteral("/dev/full"));
    batch.start();
    // The reader's leaving stops the run at once: a minute is far more than that takes.
    QVERIFY2(batch.waitForFinished(60000), "the run went on after its reader had left");
    ::close(writer);
    const QString errors = QString::fromLocal8Bit(batch.readAllStandardError());
    // A reader that left ends the run quietly, by SIGPIPE as pdftotext ends then; a disk that
    // fails is said.
    const bool asPdftotext = batch.exitStatus() == QProcess::CrashExit &&
                             batch.exitCode() == SIGPIPE && errors.isEmpty();
    const bool said = batch.exitStatus() == QProcess::NormalExit && batch.exitCode() == 1;
    QVERIFY2(closedPipe ? asPdftotext : said, qPrintable(errors));
    const QJsonArray rows = jsonRows(report);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0)[QStringLiteral("outcome")].toString(), u"write-failed"_qs);
    QCOMPARE(rows.at(0)[QStringLiteral("path")].toString(), pdf);
    if (closedPipe)
        return;
    QVERIFY2(errors.contains(QStringLiteral("could not be written: standard output: ") +
                             systemError(ENOSPC)),
             qPrintable(errors));
    // Under the window's heading for texts not written, not among the files not read.
    QVERIFY2(errors.contains(runsummary::WriteFailedHeader + u'\n' + pdf), qPrintable(errors));
    QVERIFY2(!errors.contains(runsummary::FailureListHeader), qPrintable(errors));
}

// --resume keeps a row only for the same text place and the same PDF: another --out converts,
// and a PDF replaced by a copy with an older time (cp -p, rsync -t) is converted again.
void TestBatchCommand::resumeComparesThePlaceAndTheFile()
{
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("in/a.pdf"));
    fixtures::writeTextPdf(pdf, {QStringLiteral("The first words")});
    const QString report = place.path(QStringLiteral("r.csv"));
    const QString first = madeFolder(place, QStringLiteral("first"));
    const QString second = madeFolder(place, QStringLiteral("second"));
    const auto resume = [&](const QString &out) {
        const Finished done = runBatch({QStringLiteral("--resume"), report, QStringLiteral("--out"),
                                        out, QStringLiteral("--report"), report, pdf});
        return done.status == 0 ? csvRows(report).value(1).value(1) : done.errors;
    };
    QCOMPARE(
        runBatch({QStringLiteral("--out"), first, QStringLiteral("--report"), report, pdf}).status,
        0);
    QCOMPARE(resume(first), first + QStringLiteral("/a.txt")); // kept
    QCOMPARE(resume(second), second + QStringLiteral("/a.txt"));
    QCOMPARE(contentOf(second + QStringLiteral("/a.txt")), fixtures::convertDirectly(pdf));

    // Another PDF in its place, with a time long before the report's.
    const QString other = place.path(QStringLiteral("other.pdf"));
    fixtures::writeTextPdf(other, {QStringLiteral("Other words altogether")});
    const timespec old[2] = {{946684800, 0}, {946684800, 0}};
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(other).constData(), old, 0) == 0);
    QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(pdf).constData()) ==
            0);
    QCOMPARE(resume(second), second + QStringLiteral("/a.txt"));
    QCOMPARE(contentOf(second + QStringLiteral("/a.txt")), fixtures::convertDirectly(pdf));

    // Replaced after its text was written but before the report was: the report's time says
    // nothing, the row's identity does.
    QCOMPARE(
        runBatch({QStringLiteral("--out"), first, QStringLiteral("--report"), report, pdf}).status,
        0);
    fixtures::writeTextPdf(other, {QStringLiteral("A third text")});
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(other).constData(), old, 0) == 0);
    QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(pdf).constData()) ==
            0);
    const timespec later[2] = {{4102444800, 0}, {4102444800, 0}};
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(report).constData(), later, 0) == 0);
    QCOMPARE(resume(first), first + QStringLiteral("/a.txt"));
    QCOMPARE(contentOf(first + QStringLiteral("/a.txt")), fixtures::convertDirectly(pdf));
}

void TestBatchCommand::rawNamesAndListedFilesFromTheCommandLine_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("pdftotext") << QString(converterchoice::Pdftotext);
    if (converterchoice::serviceBuilt())
        QTest::newRow("service") << QString(converterchoice::Service);
}

// Names that are not UTF-8, in a folder and as an argument's own bytes, are converted into texts
// of the same bytes and reported with U+FFFD; with every extension, a PDF named "a.txt" is listed
// and stays, and the text of "a.pdf" is numbered instead.
void TestBatchCommand::rawNamesAndListedFilesFromTheCommandLine()
{
    QFETCH(QString, kind);
    TestPlace place;
    const QString text = place.path(QStringLiteral("text.pdf"));
    fixtures::writeTextPdf(text, {QStringLiteral("Hello from the first page.")});
    const QByteArray expected = fixtures::convertDirectly(text);
    const QString tree = madeFolder(place, QStringLiteral("tree"));
    const QString cafe = rawnames::under(tree, rawnames::Cafe);
    const QString loose = rawnames::under(place.root(), "loose-" + rawnames::Junk + ".pdf");
    const auto cleanUp = qScopeGuard([&] {
        rawnames::removeTree(cafe);
        ::unlink(nativepath::encode(loose).constData());
        ::unlink(nativepath::encode(loose.chopped(4) + QStringLiteral(".txt")).constData());
    });
    QVERIFY(rawnames::makeFolder(cafe));
    const QString inCafe = rawnames::under(cafe, rawnames::Cafe + ".pdf");
    for (const QString &pdf :
         {inCafe, loose, tree + QStringLiteral("/a.pdf"), tree + QStringLiteral("/a.txt")})
        QVERIFY(rawnames::copyTo(text, pdf));
    const QByteArray pdfBytes = contentOf(text);
    const QString report = place.path(QStringLiteral("report.csv"));

    // The shell passes the bytes as they are, as a terminal would.
    QProcess batch;
    batch.setWorkingDirectory(place.root());
    batch.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("exec \"$0\" --converter \"$1\" --extension '*' --report \"$2\" "
                                "tree \"$(printf 'loose-\\377\\376.pdf')\""),
                 QStringLiteral(MORWENDA_BATCH), kind, report});
    QVERIFY(batch.waitForFinished(300000));
    const QString errors = QString::fromLocal8Bit(batch.readAllStandardError());
    QVERIFY2(batch.exitStatus() == QProcess::NormalExit && batch.exitCode() == 0,
             qPrintable(errors));

    QCOMPARE(rawnames::contentOf(rawnames::under(cafe, rawnames::Cafe + ".txt")), expected);
    QCOMPARE(rawnames::contentOf(rawnames::under(place.root(), "loose-" + rawnames::Junk + ".txt")),
             expected);
    QCOMPARE(contentOf(tree + QStringLiteral("/a.txt")), pdfBytes);
    QCOMPARE(contentOf(tree + QStringLiteral("/a (2).txt")), expected);
    QCOMPARE(contentOf(tree + QStringLiteral("/a.txt.txt")), expected);

    // Run again with --skip-existing: the texts of such names are found and kept.
    QProcess again;
    again.setWorkingDirectory(place.root());
    again.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("exec \"$0\" --skip-existing --report \"$1\" "
                                "\"$(printf 'loose-\\377\\376.pdf')\""),
                 QStringLiteral(MORWENDA_BATCH), place.path(QStringLiteral("again.csv"))});
    QVERIFY(again.waitForFinished(300000));
    QCOMPARE(again.exitCode(), 0);
    QCOMPARE(csvRows(place.path(QStringLiteral("again.csv"))).value(1).value(2),
             QStringLiteral("skipped"));

    // The raw name again from a list (CR LF), added to the report: its row is replaced, not
    // doubled, and the name's bytes stay in the report.
    QFile list(place.path(QStringLiteral("list")));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write(nativepath::encode(loose) + "\r\n");
    list.close();
    const Finished appended =
        runBatch({QStringLiteral("--converter"), kind, QStringLiteral("--files-from"),
                  list.fileName(), QStringLiteral("--append"), QStringLiteral("--report"), report});
    QVERIFY2(appended.status == 0, qPrintable(appended.errors));
    QVERIFY(contentOf(report).contains(nativepath::encode(loose)));

    QStringList reported;
    for (const QStringList &row : csvRows(report).mid(1))
        reported << row.value(0) + QStringLiteral(" -> ") + row.value(1) + u' ' + row.value(2);
    reported.sort();
    const QString shownCafe = tree + QStringLiteral("/caf\uFFFD/caf\uFFFD");
    const QString shownLoose = place.root() + QStringLiteral("/loose-\uFFFD\uFFFD");
    QStringList expectedRows{
        tree + QStringLiteral("/a.pdf -> ") + tree + QStringLiteral("/a (2).txt converted"),
        tree + QStringLiteral("/a.txt -> ") + tree + QStringLiteral("/a.txt.txt converted"),
        shownCafe + QStringLiteral(".pdf -> ") + shownCafe + QStringLiteral(".txt converted"),
        shownLoose + QStringLiteral(".pdf -> ") + shownLoose + QStringLiteral(".txt converted")};
    expectedRows.sort();
    QCOMPARE(reported, expectedRows);
}

// After a stop the terminal's line counts the files the stop left apart from those that failed.
void TestBatchCommand::barCountsStoppedFilesApart()
{
    ProgressDisplay::State state;
    state.total = state.done = 930;
    state.failed = 2;
    state.stopped = 927;
    QVERIFY2(ProgressDisplay::barLine(state, 200)
                 .contains(QStringLiteral(" 930/930, 2 failed, 927 stopped, ")),
             qPrintable(ProgressDisplay::barLine(state, 200)));
    state.stopped = 0;
    QVERIFY(
        ProgressDisplay::barLine(state, 200).contains(QStringLiteral(", 2 failed, 0.0 pages/s")));
}

// The end of a run under the window's sections: a doubtful text is a warning, not a file that
// could not be read; a file without usable text whose page could not be read is named with its
// page; a name cannot forge a line of its own.
void TestBatchCommand::endOfRunInTheWindowsSections()
{
    const auto file = [](const QString &pdf, Outcome outcome, const QString &reason) {
        FileOutcome made;
        made.pdf = pdf;
        made.output = pdf.chopped(4) + QStringLiteral(".txt");
        made.outcome = outcome;
        made.reason = reason;
        return made;
    };
    const FileOutcome doubtful =
        file(QStringLiteral("/d.pdf"), Outcome::OcrDoubtful, reasons::ocrDoubtful({2}));
    FileOutcome empty = file(QStringLiteral("/e.pdf"), Outcome::NoUsableText, reasons::Unreadable);
    empty.pagesRequested = 3;
    empty.pagesUnread = 1;
    empty.unreadPages = QStringLiteral("2");
    const FileOutcome forged =
        file(QStringLiteral("/f\n/g.pdf  - damaged file or not a PDF file.\n/h.pdf"),
             Outcome::Damaged, reasons::Damaged);
    const QString text = EndOfRunPrinter::sectionsText({doubtful, empty, forged});
    QCOMPARE(
        text.split(u'\n'),
        QStringList(
            {runsummary::FailureListHeader, u"/e.pdf"_qs + reasons::Unreadable,
             u"/f\\x0A/g.pdf  - damaged file or not a PDF file.\\x0A/h.pdf"_qs + reasons::Damaged,
             runsummary::PagesUnreadHeader,
             u"/e.pdf"_qs + reasons::pagesUnread(1, 3, QStringLiteral("2")),
             runsummary::LowConfidenceHeader, u"/d.pdf"_qs + reasons::ocrDoubtful({2})}));
    // A warning kept from a report (--resume, --skip-existing) is said again as such.
    for (const Outcome kept : {Outcome::LowConfidence, Outcome::OcrDoubtful}) {
        ReportRow row;
        row.outcome = outcomeName(kept);
        row.reason = reasons::ocrDoubtful({2}).mid(4);
        QCOMPARE(outcomeName(EndOfRunPrinter::outcomeOfRow(row).outcome), outcomeName(kept));
    }
}

// --resume and --skip-existing keep a text read doubtfully as it was: named so, and the status
// says so again.
void TestBatchCommand::aWarningSurvivesAResume()
{
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("text.pdf"));
    fixtures::writeTextPdf(pdf, {QStringLiteral("Plain words")});
    const QString first = place.path(QStringLiteral("first.csv"));
    QCOMPARE(runBatch({QStringLiteral("--report"), first, pdf}).status, 0);
    QByteArray rows = contentOf(first);
    QVERIFY(rows.contains(",converted,,"));
    rows.replace(",converted,,", ",ocr-doubtful,OCR doubtful on pages 1.,");
    QFile written(first);
    QVERIFY(written.open(QIODevice::WriteOnly) && written.write(rows) == rows.size());
    written.close();
    const QString second = place.path(QStringLiteral("second.csv"));
    const Finished resumed =
        runBatch({QStringLiteral("--resume"), first, QStringLiteral("--report"), second, pdf});
    QVERIFY2(resumed.status == 1, qPrintable(resumed.errors));
    QVERIFY2(resumed.errors.contains(runsummary::LowConfidenceHeader + u'\n' + pdf +
                                     QStringLiteral("  - OCR doubtful on pages 1.")),
             qPrintable(resumed.errors));
    QCOMPARE(csvRows(second).value(1).value(2), u"ocr-doubtful"_qs);
    // --skip-existing takes the warning from the report it adds to.
    const Finished skipped =
        runBatch({QStringLiteral("--skip-existing"), QStringLiteral("--append"),
                  QStringLiteral("--report"), second, pdf});
    QVERIFY2(skipped.status == 1, qPrintable(skipped.errors));
    QCOMPARE(csvRows(second).value(1).value(2), u"ocr-doubtful"_qs);
    // The warning was of the text beside the PDF: a text in another folder is only skipped.
    const QString elsewhere = madeFolder(place, QStringLiteral("elsewhere"));
    QVERIFY(QFile::copy(place.path(QStringLiteral("text.txt")),
                        elsewhere + QStringLiteral("/text.txt")));
    const QString third = place.path(QStringLiteral("third.csv"));
    QVERIFY(QFile::copy(second, third));
    const Finished there =
        runBatch({QStringLiteral("--skip-existing"), QStringLiteral("--append"),
                  QStringLiteral("--report"), third, QStringLiteral("--out"), elsewhere, pdf});
    QVERIFY2(there.status == 0, qPrintable(there.errors));
    QCOMPARE(csvRows(third).constLast().value(2), u"skipped"_qs);

    // A report without the identity column, as earlier versions wrote it: a PDF changed at the
    // report's own moment may be newer than its row, and is converted again.
    const QString earlier = place.path(QStringLiteral("earlier.csv"));
    const QByteArray old = "path,output,outcome,reason,pages,seconds,ocr_pages,ocr_confidence,"
                           "unread_pages,ocr_turned,ocr_deskewed\r\n" +
                           csvRows(first).value(1).mid(0, 11).join(u',').toUtf8() + "\r\n";
    QFile earlierFile(earlier);
    QVERIFY(earlierFile.open(QIODevice::WriteOnly) && earlierFile.write(old) == old.size());
    earlierFile.close();
    const timespec moment[2] = {{4102444800, 0}, {4102444800, 0}};
    for (const QString &path : {pdf, place.path(QStringLiteral("text.txt")), earlier})
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), moment, 0), 0);
    const QString fourth = place.path(QStringLiteral("fourth.csv"));
    const Finished changed =
        runBatch({QStringLiteral("--resume"), earlier, QStringLiteral("--report"), fourth, pdf});
    QVERIFY2(changed.status == 0, qPrintable(changed.errors));
    QCOMPARE(csvRows(fourth).value(1).value(2), u"converted"_qs);
}

// A closed standard input is said, not waited on; a PDF on standard input beyond the memory limit
// is refused; what a killed -o - run left in its private folder goes with the next run.
void TestBatchCommand::standardStreamsAsACarefulProgramUsesThem()
{
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("text.pdf"));
    fixtures::writeTextPdf(pdf, {QStringLiteral("Plain words")});
    QProcess closed;
    closed.setChildProcessModifier([] { ::close(STDIN_FILENO); });
    closed.start(QStringLiteral(MORWENDA_BATCH),
                 {QStringLiteral("-o"), QStringLiteral("-"), QStringLiteral("-")});
    QVERIFY(closed.waitForFinished(60000));
    QCOMPARE(closed.exitCode(), 2);
    QVERIFY(closed.readAllStandardError().contains("descriptor 0"));

    QProcess *big = startBatch({QStringLiteral("--memory-limit"), QStringLiteral("1"),
                                QStringLiteral("-o"), QStringLiteral("-"), QStringLiteral("-")});
    big->write(QByteArray((1 << 20) + 1, 'x'));
    big->closeWriteChannel();
    const Finished refused = waitFor(big);
    delete big;
    QVERIFY2(refused.status == 2 && refused.errors.contains("larger than the memory limit of 1 MB"),
             qPrintable(refused.errors));
    QProcess *atLimit =
        startBatch({QStringLiteral("--memory-limit"), QStringLiteral("1"), QStringLiteral("-o"),
                    QStringLiteral("-"), QStringLiteral("-")});
    atLimit->write(QByteArray(1 << 20, 'x')); // just the limit is taken
    atLimit->closeWriteChannel();
    const Finished taken = waitFor(atLimit);
    delete atLimit;
    QVERIFY2(!taken.errors.contains("larger than"), qPrintable(taken.errors));

    // As a SIGKILL leaves it: a staging folder whose lock nobody holds, with a partial text.
    const QString left =
        place.path(QStringLiteral("tmp/morwenda-batch-%1/.morwenda-dead00").arg(::geteuid()));
    QVERIFY(QDir().mkpath(left + QStringLiteral("/.morwenda-dead01")));
    QVERIFY(QFile::setPermissions(QFileInfo(left).path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    for (const QString &file : {left + QStringLiteral("/owner.lock"),
                                left + QStringLiteral("/.morwenda-dead01/owner.lock"),
                                left + QStringLiteral("/.morwenda-dead01/1.txt")})
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
    QProcess next;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), place.path(QStringLiteral("tmp")));
    next.setProcessEnvironment(env);
    next.start(QStringLiteral(MORWENDA_BATCH), {pdf, QStringLiteral("-")});
    QVERIFY(next.waitForFinished(60000));
    QCOMPARE(next.exitCode(), 0);
    QCOMPARE(next.readAllStandardOutput(), fixtures::convertDirectly(pdf));
    QVERIFY(!QFileInfo::exists(left));
}

QTEST_MAIN(TestBatchCommand)
#include "tst_batchcommand.moc"
