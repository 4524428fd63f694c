// SPDX-License-Identifier: GPL-3.0-or-later
// Faults of the converters that the engine must hold against, with the real converters on real
// PDFs: a frozen service, a slow file that progresses, limits beyond what a timer holds, a file
// whose encryption no password opens, pages poppler cannot read, a file cut short or replaced while
// it converts, a password that must stay off every command line, an error output too noisy to keep
// whole.
#include "ConverterTesting.h"
#include "engine/ConverterChoice.h"
#include "engine/PdftotextJob.h"
#include "engine/RunSummary.h"
#include "engine/ServiceConverter.h"
#include "engine/ServiceJob.h"
#include "engine/ServiceRequest.h"
#include "EngineTesting.h"
#include "PdfFixtures.h"
#include "platform/SettingKeys.h"
#include "platform/SettingsStore.h"
#include "TestConfig.h"
#include "TestPlace.h"

#include <csignal>
#include <cstdio>
#include <numeric>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <unistd.h>

namespace {

const QString Real = QStringLiteral(MORWENDA_PDFTOTEXT);
const QString StandIn = QStringLiteral(STAND_IN_CONVERTER);
const QString HiddenPassword =
    QStringLiteral("Zq7-faults-%1").arg(QRandomGenerator::global()->generate64(), 0, 36);
const QByteArray OldText = "A complete text of an earlier run.\n";

// `pages` pages, each with a line of text of its own and a form drawn 10^`depth` times: every
// page keeps the converter busy for a while and then gives its text.
void writeSlowPagesPdf(const QString &path, int pages, int depth)
{
    QList<QByteArray> objects = {"<< /Type /Catalog /Pages 2 0 R >>", QByteArray(),
                                 "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    for (int level = 0; level < depth; ++level) {
        QByteArray data = "0 0 1 1 re f";
        QByteArray resources = "<< >>";
        if (level + 1 < depth) {
            data = QByteArray("q /Y Do Q 1 0 0 1 0.1 0.1 cm ").repeated(10);
            resources = "<< /XObject << /Y " + QByteArray::number(4 + level + 1) + " 0 R >> >>";
        }
        objects << fixtures::streamObject(
            "/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Resources " + resources, data);
    }
    QByteArray kids;
    for (int page = 1; page <= pages; ++page) {
        const int pageObject = int(objects.size()) + 1;
        kids += QByteArray::number(pageObject) + " 0 R ";
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << "
                   "/F1 3 0 R >> /XObject << /X 4 0 R >> >> /Contents " +
                       QByteArray::number(pageObject + 1) + " 0 R >>";
        objects << fixtures::streamObject(QByteArray(), "BT /F1 12 Tf 72 700 Td (Page " +
                                                            QByteArray::number(page) +
                                                            " of the slow file) Tj ET /X Do");
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>";
    QVERIFY(writeFile(path, fixtures::pdfOfObjects(objects)));
}

// A PDF of one text page that claims an encryption: `encrypt` is its /Encrypt dictionary.
void writeEncryptedClaim(const QString &path, const QByteArray &encrypt)
{
    QByteArray pdf = fixtures::pdfOfObjects(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 4 0 R "
         ">> >> /Contents 5 0 R >>",
         "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
         fixtures::streamObject(QByteArray(), "BT /F1 12 Tf 72 700 Td (Locked away) Tj ET"),
         encrypt});
    pdf.replace("/Root 1 0 R >>",
                "/Root 1 0 R /Encrypt 6 0 R /ID [<0123456789abcdef0123456789abcdef> "
                "<0123456789abcdef0123456789abcdef>] >>");
    QVERIFY(writeFile(path, pdf));
}

} // namespace

class TestConverterFaults : public QObject
{
    Q_OBJECT

private slots:
    void frozenServiceIsKilled_data();
    void frozenServiceIsKilled();
    void slowFileThatProgressesIsNotStopped_data();
    void slowFileThatProgressesIsNotStopped();
    void limitsBeyondATimerAreHeld_data();
    void limitsBeyondATimerAreHeld();
    void encryptionNoPasswordOpensIsDamage_data();
    void encryptionNoPasswordOpensIsDamage();
    void unreadablePagesAreLeftOut_data();
    void unreadablePagesAreLeftOut();
    void longFilesAreSplitAboveTheThreshold_data();
    void longFilesAreSplitAboveTheThreshold();
    void fileCutShortWhileConvertingKeepsTheOldText();
    void fileReplacedBetweenRangesKeepsTheOldText();
    void noisyErrorOutputKeepsItsLastWords_data();
    void noisyErrorOutputKeepsItsLastWords();
};

void TestConverterFaults::frozenServiceIsKilled_data()
{
    QTest::addColumn<bool>("stop"); // the user stops the run; else the time limit of 2 s holds
    QTest::newRow("the time limit") << false;
    QTest::newRow("stop") << true;
}

// A service stopped with SIGSTOP answers nothing: neither its own time limit nor a cancel. The
// job kills it, the file gets its true reason, and nothing is left running.
void TestConverterFaults::frozenServiceIsKilled()
{
    QFETCH(bool, stop);
    if (!converterchoice::serviceBuilt())
        QSKIP("this build has no converter service");
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("in/nested forms.pdf"));
    QDir().mkpath(place.path(QStringLiteral("in")));
    fixtures::writeFormBomb(pdf, 7);
    const QString out = madeFolder(place, QStringLiteral("out"));
    QVERIFY(writeFile(outputpaths::inFolder(out, pdf), OldText));
    ServiceConverter converter(ServiceProgram, std::make_unique<PdftotextConverter>(Real));
    ConversionRun run(converter);
    qint64 service = 0;
    qint64 stoppedAfter = -1;
    QElapsedTimer clock;
    clock.start();
    const FinishedRun done = runToEnd(
        run, {pdf}, intoFolder(out), limitsOf(1, 0, stop ? 0 : 2), [&](ConversionRun &running) {
            QList<int> children;
            while (children.isEmpty() && running.isRunning()) {
                QTest::qWait(5);
                const QList<qint64> services = converter.serviceProcessIds();
                service = services.value(0);
                if (service)
                    children = childProcesses(int(service));
            }
            QVERIFY(service != 0);
            QCOMPARE(::kill(pid_t(service), SIGSTOP), 0);
            if (!stop)
                return;
            QElapsedTimer stopping;
            stopping.start();
            running.stop();
            QTRY_VERIFY_WITH_TIMEOUT(!running.isRunning(), 5000);
            stoppedAfter = stopping.elapsed();
        });
    QVERIFY2(done.outcomes.size() == 1, qPrintable(describe(done)));
    if (stop) {
        QCOMPARE(done.outcomes.at(0).outcome, Outcome::Stopped);
        QVERIFY2(stoppedAfter >= 0 && stoppedAfter < 2000,
                 qPrintable(QString::number(stoppedAfter)));
    } else {
        QCOMPARE(done.outcomes.at(0).outcome, Outcome::TimeLimit);
        QCOMPARE(done.outcomes.at(0).reason, reasons::timeLimit(2));
        QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
    }
    QCOMPARE(contentOf(outputpaths::inFolder(out, pdf)), OldText);
    QTRY_COMPARE(childProcesses(), QList<int>());
    QTRY_VERIFY(!QFileInfo::exists(QStringLiteral("/proc/%1").arg(service)));
}

void TestConverterFaults::slowFileThatProgressesIsNotStopped_data()
{
    QTest::addColumn<QString>("kind");
    addKindRows([](const char *kind, const QByteArray &) { QTest::newRow(kind) << kind; });
}

// Sixty pages that take the converter a while each, with a line of text each, under the time
// limit users run with: the file converts whole, as the converter gives it alone, and the service
// tells each page as it is done. When the limit passes, and what restarts it, is the rule of
// IdleWatch and of the service's children, tested on a clock the test moves (tst_idlewatch,
// tst_servicerules).
void TestConverterFaults::slowFileThatProgressesIsNotStopped()
{
    QFETCH(QString, kind);
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("slow pages.pdf"));
    writeSlowPagesPdf(pdf, 60, 5);
    const std::unique_ptr<ConverterKind> converter = converterOfKind(kind);
    ConversionRun run(*converter);
    QSignalSpy pages(&run, &ConversionRun::pagesDone);
    const FinishedRun done =
        runToEnd(run, {pdf}, intoFolder(madeFolder(place, QStringLiteral("out"))),
                 limitsOf(1, 0, ConversionLimits::DefaultIdleSeconds));
    QVERIFY2(done.outcomes.size() == 1 && done.outcomes.at(0).outcome == Outcome::Converted,
             qPrintable(describe(done)));
    QCOMPARE(contentOf(done.outcomes.at(0).output), fixtures::convertDirectly(pdf));
    QCOMPARE(done.outcomes.at(0).pages, 60);
    if (kind != converterchoice::Service)
        return;
    // The service tells every page as it is done: the progress that restarts its clock.
    QList<int> told;
    for (const QList<QVariant> &page : std::as_const(pages))
        if (page.at(1).toInt() > 0)
            told << page.at(1).toInt();
    QList<int> every(60);
    std::iota(every.begin(), every.end(), 1);
    QCOMPARE(told, every);
}

void TestConverterFaults::limitsBeyondATimerAreHeld_data()
{
    QTest::addColumn<QString>("kind");
    addKindRows([](const char *kind, const QByteArray &) { QTest::newRow(kind) << kind; });
}

// A time limit whose milliseconds do not fit a timer, and the largest memory limit, hold as "as
// long as it takes": the file converts, no timer warns, the service does not wrap its limit.
void TestConverterFaults::limitsBeyondATimerAreHeld()
{
    QFETCH(QString, kind);
    QTest::failOnWarning(QRegularExpression(QStringLiteral("Timers cannot|negative interval")));
    TestPlace place;
    SettingsStore store;
    store.saveSetting(settingkeys::ConverterTimeLimit, QStringLiteral("4294968"));
    store.saveSetting(settingkeys::ConverterMemoryLimit, QStringLiteral("18446744073709551615"));
    const ConversionLimits limits = ConversionLimits::fromSettings(store);
    QCOMPARE(limits.idleSeconds, ConversionLimits::MaxIdleSeconds);
    QCOMPARE(limits.memoryMegabytes, ConversionLimits::MaxMemoryMegabytes);
    QCOMPARE(servicerequest::of(JobOrder(), limits).idleLimitMs,
             quint32(ConversionLimits::MaxIdleSeconds) * 1000);

    const QString pdf = place.path(QStringLiteral("slow pages.pdf"));
    writeSlowPagesPdf(pdf, 8, 5);
    ConversionLimits large = limits;
    large.converters = 1;
    large.idleSeconds = 2147484; // its milliseconds are a negative int
    const std::unique_ptr<ConverterKind> converter = converterOfKind(kind);
    ConversionRun run(*converter);
    const FinishedRun done =
        runToEnd(run, {pdf}, intoFolder(madeFolder(place, QStringLiteral("out"))), large);
    QVERIFY2(done.outcomes.size() == 1 && done.outcomes.at(0).outcome == Outcome::Converted,
             qPrintable(describe(done)));
    QCOMPARE(contentOf(done.outcomes.at(0).output), fixtures::convertDirectly(pdf));
}

void TestConverterFaults::encryptionNoPasswordOpensIsDamage_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("encrypt");
    QTest::addColumn<QString>("password");
    addKindRows([](const char *kind, const QByteArray &prefix) {
        const QByteArray unknown = "<< /Filter /NoSuchHandler /V 2 /R 3 /Length 128 >>";
        // The standard handler, with owner and user entries far too short to be checked.
        const QByteArray broken = "<< /Filter /Standard /V 2 /R 3 /Length 128 /P -4 /O <00> "
                                  "/U <00> >>";
        QTest::newRow(prefix + "an unknown handler") << kind << unknown << QString();
        QTest::newRow(prefix + "an unknown handler, a password typed")
            << kind << unknown << QStringLiteral("anything");
        // pdftotext says only "Incorrect password" for it, as for a locked file: the service,
        // which sees the entries, knows better.
        if (QByteArray(kind) == "service")
            QTest::newRow(prefix + "a broken standard handler") << kind << broken << QString();
    });
}

// No password can open a file whose security handler is unknown or broken: it is damaged, not
// "protected" or "wrong password".
void TestConverterFaults::encryptionNoPasswordOpensIsDamage()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, encrypt);
    QFETCH(QString, password);
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("claims encryption.pdf"));
    writeEncryptedClaim(pdf, encrypt);
    const std::unique_ptr<ConverterKind> converter = converterOfKind(kind);
    ConversionRun run(*converter);
    run.setPasswordProvider([password](const QString &) { return password; });
    const FinishedRun done = runToEnd(
        run, {pdf}, intoFolder(madeFolder(place, QStringLiteral("out")), true), limitsOf(1));
    QVERIFY2(done.outcomes.size() == 1 && done.outcomes.at(0).outcome == Outcome::Damaged,
             qPrintable(describe(done)));
    QCOMPARE(done.outcomes.at(0).reason, reasons::Damaged);
}

void TestConverterFaults::unreadablePagesAreLeftOut_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("pages");   // pages the file holds
    QTest::addColumn<int>("claimed"); // pages its page tree claims
    QTest::addColumn<QList<int>>("missing");
    QTest::addColumn<QString>("unread"); // the pages the service names; "-": none is readable
    addKindRows([](const char *kind, const QByteArray &prefix) {
        QTest::newRow(prefix + "a tree of 40 pages holding 30")
            << QString(kind) << 30 << 40 << QList<int>{} << QStringLiteral("31-40");
        QTest::newRow(prefix + "5 of 300 entries name no object")
            << QString(kind) << 300 << 300 << QList<int>{3, 50, 51, 52, 300}
            << QStringLiteral("296-300");
        QTest::newRow(prefix + "exactly one page missing")
            << QString(kind) << 5 << 5 << QList<int>{3} << QStringLiteral("5");
        QTest::newRow(prefix + "no page readable")
            << QString(kind) << 3 << 3 << QList<int>{1, 2, 3} << QStringLiteral("-");
    });
}

// pdftotext gives the text of every page poppler can read and leaves the others out: so does the
// service, and it names the pages left out. A file of no readable page has no text.
void TestConverterFaults::unreadablePagesAreLeftOut()
{
    QFETCH(QString, kind);
    QFETCH(int, pages);
    QFETCH(int, claimed);
    QFETCH(QList<int>, missing);
    QFETCH(QString, unread);
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("tree.pdf"));
    fixtures::writePageTreePdf(pdf, pages, claimed, missing);
    const QString out = madeFolder(place, QStringLiteral("out"));
    const FinishedRun done = convertWith(kind, {pdf}, intoFolder(out), limitsOf(1));
    const FileOutcome &file = done.outcomes.at(0);
    if (unread == u'-') {
        QVERIFY2(file.outcome == Outcome::Damaged, qPrintable(describe(done)));
        QVERIFY(!QFile::exists(file.output));
        QCOMPARE(done.message, runsummary::NoData + QStringLiteral("\r\n") +
                                   runsummary::FailureListHeader + QStringLiteral("\r\n") + pdf +
                                   reasons::Damaged);
        return;
    }
    QVERIFY2(file.outcome == Outcome::Converted, qPrintable(describe(done)));
    QCOMPARE(contentOf(file.output), fixtures::convertDirectly(pdf));
    if (kind != converterchoice::Service)
        return; // pdftotext does not say which pages it left out
    const int left = claimed - pages + int(missing.size());
    QCOMPARE(file.pagesUnread, left);
    QCOMPARE(file.pagesRequested, claimed);
    QCOMPARE(file.unreadPages, unread);
    QCOMPARE(done.message, runsummary::Done + QStringLiteral("\r\n") +
                               runsummary::PagesUnreadHeader + QStringLiteral("\r\n") + pdf +
                               reasons::pagesUnread(left, claimed, unread));
}

void TestConverterFaults::longFilesAreSplitAboveTheThreshold_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("claimed");
    QTest::addColumn<bool>("split");
    QTest::newRow("at the threshold: whole")
        << ConversionRun::SplitAbovePages << ConversionRun::SplitAbovePages << false;
    QTest::newRow("one page above: in ranges")
        << ConversionRun::SplitAbovePages + 1 << ConversionRun::SplitAbovePages + 1 << true;
    // The last ranges hold no readable page: the file keeps the text of the first ones.
    QTest::newRow("in ranges, half of the tree missing") << 100 << 200 << true;
}

// A long file on two converters is converted in page ranges side by side, joined byte for byte as
// pdftotext gives it whole; a file at the threshold is converted whole.
void TestConverterFaults::longFilesAreSplitAboveTheThreshold()
{
    if (!converterchoice::serviceBuilt())
        QSKIP("this build has no converter service");
    QFETCH(int, pages);
    QFETCH(int, claimed);
    QFETCH(bool, split);
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("long.pdf"));
    fixtures::writePageTreePdf(pdf, pages, claimed);
    const QString out = madeFolder(place, QStringLiteral("out"));
    const std::unique_ptr<ConverterKind> converter = converterOfKind(converterchoice::Service);
    ConversionRun run(*converter);
    QList<int> progress;
    QObject::connect(&run, &ConversionRun::pagesDone,
                     [&](int, int pagesDone, int) { progress << pagesDone; });
    const FinishedRun done = runToEnd(run, {pdf}, intoFolder(out), limitsOf(2));
    const FileOutcome &file = done.outcomes.at(0);
    QVERIFY2(file.outcome == Outcome::Converted, qPrintable(describe(done)));
    QCOMPARE(contentOf(file.output), fixtures::convertDirectly(pdf));
    QCOMPARE(file.pages, pages);
    QCOMPARE(file.pagesUnread, claimed - pages);
    // A whole file tells each page; a split one each range as it ends.
    QCOMPARE(!progress.contains(1), split);
}

// A file cut short while its text is being made is no longer the file that was opened: the text
// is not put in place and the old one stays.
void TestConverterFaults::fileCutShortWhileConvertingKeepsTheOldText()
{
    if (!converterchoice::serviceBuilt())
        QSKIP("this build has no converter service");
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("in/growing.pdf"));
    QDir().mkpath(place.path(QStringLiteral("in")));
    writeSlowPagesPdf(pdf, 200, 3);
    const qint64 whole = QFileInfo(pdf).size();
    const QString out = madeFolder(place, QStringLiteral("out"));
    QVERIFY(writeFile(outputpaths::inFolder(out, pdf), OldText));
    ServiceConverter converter(ServiceProgram, std::make_unique<PdftotextConverter>(Real));
    ConversionRun run(converter);
    const FinishedRun done =
        runToEnd(run, {pdf}, intoFolder(out), limitsOf(1), [&](ConversionRun &running) {
            // The child is held still while its file is cut, so the cut comes mid-way.
            QList<int> children;
            while (children.isEmpty() && running.isRunning()) {
                QTest::qWait(1);
                const qint64 service = converter.serviceProcessIds().value(0);
                if (service)
                    children = childProcesses(int(service));
            }
            QVERIFY(!children.isEmpty());
            ::kill(children.first(), SIGSTOP);
            QVERIFY(QFile::resize(pdf, whole / 2));
            ::kill(children.first(), SIGCONT);
        });
    QVERIFY2(done.outcomes.size() == 1 && done.outcomes.at(0).outcome == Outcome::Changed,
             qPrintable(describe(done)));
    QCOMPARE(contentOf(outputpaths::inFolder(out, pdf)), OldText);
}

// A sync tool renames a new version over a PDF whose page ranges are converting: the text would
// join pages of two documents. The file is named as changed, and the old text stays.
void TestConverterFaults::fileReplacedBetweenRangesKeepsTheOldText()
{
    if (!converterchoice::serviceBuilt())
        QSKIP("this build has no converter service");
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("report.pdf"));
    const QString newer = place.path(QStringLiteral("report-new.pdf"));
    fixtures::writePageTreePdf(pdf, 200, 200);
    fixtures::writePageTreePdf(newer, 200, 200);
    const QString out = madeFolder(place, QStringLiteral("out"));
    QVERIFY(writeFile(outputpaths::inFolder(out, pdf), OldText));
    const std::unique_ptr<ConverterKind> converter = converterOfKind(converterchoice::Service);
    ConversionRun run(*converter);
    bool replaced = false;
    // The first range done is the moment: the others are converting or waiting.
    QObject::connect(&run, &ConversionRun::pagesDone, [&] {
        if (!replaced)
            replaced = std::rename(nativepath::encode(newer).constData(),
                                   nativepath::encode(pdf).constData()) == 0;
    });
    const FinishedRun done = runToEnd(run, {pdf}, intoFolder(out), limitsOf(2));
    QVERIFY(replaced);
    QVERIFY2(done.outcomes.at(0).outcome == Outcome::Changed, qPrintable(describe(done)));
    QCOMPARE(done.outcomes.at(0).reason, reasons::Changed);
    QCOMPARE(contentOf(outputpaths::inFolder(out, pdf)), OldText);
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("report.txt")});
}

void TestConverterFaults::noisyErrorOutputKeepsItsLastWords_data()
{
    QTest::addColumn<QString>("mode"); // the stand-in's
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("memory");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("a password refused as the owner's, then tried as the user's")
        << "noisy-password" << HiddenPassword << 0 << Outcome::Converted;
    QTest::newRow("an allocation refused at the end")
        << "noisy-greedy" << QString() << 256 << Outcome::MemoryLimit;
}

// What pdftotext says last decides: 100 KB of warnings before "Incorrect password" or "Out of
// memory" still give the second try with the password and the memory limit's reason.
void TestConverterFaults::noisyErrorOutputKeepsItsLastWords()
{
    QFETCH(QString, mode);
    QFETCH(QString, password);
    QFETCH(int, memory);
    QFETCH(Outcome, outcome);
    TestPlace place;
    JobOrder order;
    order.pdf = place.path(mode + QStringLiteral(".pdf"));
    QVERIFY(writeFile(order.pdf, "%PDF-1.4 stand-in\n"));
    order.password = password;
    order.textPath = place.path(QStringLiteral("noisy.txt"));
    PdftotextJob job(StandIn, order, limitsOf(1, memory, 0));
    QSignalSpy finished(&job, &ConversionJob::finished);
    job.start();
    QVERIFY(finished.wait(60000));
    QVERIFY2(job.result().outcome == outcome, qPrintable(job.result().reason));
    if (outcome == Outcome::MemoryLimit)
        QCOMPARE(job.result().reason, reasons::memoryLimit(memory));
    else
        QVERIFY(contentOf(order.textPath).startsWith("A line of text"));
    QVERIFY(job.result().errorOutput.size() <= PdftotextJob::ErrorOutputLimit);
}

QTEST_GUILESS_MAIN(TestConverterFaults)
#include "tst_converterfaults.moc"
