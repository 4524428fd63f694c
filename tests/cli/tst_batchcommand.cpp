// SPDX-License-Identifier: GPL-3.0-or-later
// morwenda-batch as a user runs it: the real program, the real converter, real PDFs.
#include "engine/ConversionRun.h"
#include "engine/PdftotextConverter.h"
#include "engine/FilePattern.h"
#include "engine/FolderWalk.h"
#include "PdfFixtures.h"
#include "TestConfig.h"
#include "TestPlace.h"

#include <csignal>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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
    done.status = batch->exitStatus() == QProcess::NormalExit ? batch->exitCode() : -1;
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
    void foldersInTheWindowsOrderAndKeptTrees_data();
    void foldersInTheWindowsOrderAndKeptTrees();
    void interruptedThenResumed();
    void passwordFromAFile();
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
    QTest::newRow("one file only an image")
        << QStringList{QStringLiteral("@/image.pdf")} << QStringList{} << 1
        << QStringLiteral("image.pdf  - text unreadable.");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--fast"), text} << QStringList{}
                                    << 2 << QStringLiteral("Unknown option");
    QTest::newRow("no path") << QStringList{} << QStringList{} << 2
                             << QStringLiteral("no PDF file or folder given");
    QTest::newRow("missing folder") << QStringList{text, QStringLiteral("@/gone")} << QStringList{}
                                    << 2 << QStringLiteral("no such file");
    QTest::newRow("missing output folder")
        << QStringList{QStringLiteral("--out"), QStringLiteral("@/gone"), text} << QStringList{}
        << 2 << QStringLiteral("Folder does not exist.");
    QTest::newRow("a pipe is no PDF") << QStringList{QStringLiteral("@/fifo.pdf")} << QStringList{}
                                      << 2 << QStringLiteral("not a file");
    QTest::newRow("tree without folder")
        << QStringList{QStringLiteral("--keep-tree"), text} << QStringList{} << 2
        << QStringLiteral("--keep-tree needs --out");
    QTest::newRow("no jobs") << QStringList{QStringLiteral("--jobs"), QStringLiteral("0"), text}
                             << QStringList{} << 2 << QStringLiteral("--jobs needs");
    QTest::newRow("a time limit beyond what a timer holds")
        << QStringList{QStringLiteral("--time-limit"), QStringLiteral("4294968"), text}
        << QStringList{} << 2
        << QStringLiteral("--time-limit needs a whole number from 0 to 2147483");
    QTest::newRow("report of no known kind")
        << QStringList{QStringLiteral("--report"), QStringLiteral("@/r.txt"), text} << QStringList{}
        << 2 << QStringLiteral(".csv or .json");
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
    QVERIFY(QFile(place.path(QStringLiteral("damaged.pdf"))).open(QIODevice::WriteOnly));
    QCOMPARE(::mkfifo(QFile::encodeName(place.path(QStringLiteral("fifo.pdf"))).constData(), 0600),
             0);
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
    QVERIFY2(errors.contains(says), qPrintable(errors));
    // A run that ends well leaves no staging folder and no converter of its own behind.
    QVERIFY(hiddenEntries(place.root()).isEmpty());
    QDirIterator deployed(place.tempFolder(), {QStringLiteral("pdftotext")}, QDir::Files,
                          QDirIterator::Subdirectories);
    QVERIFY2(!deployed.hasNext(), "the deployed converter was left behind");
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
             (QStringList{"path", "output", "outcome", "reason", "pages", "seconds"}));
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
        QCOMPARE(output, out + QFileInfo(expected.output).fileName());
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

void TestBatchCommand::interruptedThenResumed()
{
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
    QCOMPARE(::kill(-pid_t(batch->processId()), SIGINT), 0);
    const Finished stopped = waitFor(batch);
    delete batch;
    QCOMPARE(stopped.status, 1);
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
        else
            QVERIFY(stopped.errors.contains(row.at(0) + reasons::Stopped));
    }
    QVERIFY2(converted >= 3 && converted < Count, qPrintable(QString::number(converted)));
    QVERIFY(hiddenEntries(out).isEmpty());
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

void TestBatchCommand::passwordFromAFile()
{
    TestPlace place;
    const QString plain = place.path(QStringLiteral("plain.pdf"));
    fixtures::writeTextPdf(plain, {QStringLiteral("Opened with the password")});
    const QString locked = place.path(QStringLiteral("locked.pdf"));
    const QString wrong = place.path(QStringLiteral("wrong.pdf"));
    fixtures::encryptPdf(plain, locked, QStringLiteral("s3cret word"), QStringLiteral("owner"));
    fixtures::encryptPdf(plain, wrong, QStringLiteral("another"), QStringLiteral("owner"));
    const QString passwordFile = place.path(QStringLiteral("password"));
    QFile file(passwordFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("s3cret word\r\nsecond line is not read\n");
    file.close();
    const QString report = place.path(QStringLiteral("r.json"));
    const Finished done = runBatch({QStringLiteral("--password-file"), passwordFile,
                                    QStringLiteral("--report"), report, locked, wrong, plain});
    QCOMPARE(done.status, 1);
    const QJsonArray rows = jsonRows(report);
    QCOMPARE(rows.at(0)[QStringLiteral("outcome")].toString(), u"converted"_qs);
    QCOMPARE(rows.at(1)[QStringLiteral("outcome")].toString(), u"wrong-password"_qs);
    QCOMPARE(rows.at(2)[QStringLiteral("outcome")].toString(), u"converted"_qs);
    QCOMPARE(contentOf(place.path(QStringLiteral("locked.txt"))), fixtures::convertDirectly(plain));
    QVERIFY(done.errors.contains(wrong + reasons::WrongPassword));
}

QTEST_MAIN(TestBatchCommand)
#include "tst_batchcommand.moc"
