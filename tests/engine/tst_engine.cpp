// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion engine: a text replaces an old one only when complete, truthful reasons, limits,
// stop, same-name clashes, staging left by a killed program, parallel runs as one at a time.
#include "ConverterTesting.h"
#include "engine/ConverterChoice.h"
#include "engine/ConverterDeployment.h"
#include "engine/PdftotextJob.h"
#include "engine/PreviewConversion.h"
#include "engine/ReportRow.h"
#include "engine/RunSummary.h"
#include "engine/ServiceConverter.h"
#include "engine/SessionConverters.h"
#include "engine/StagingFolder.h"
#include "engine/TextJudge.h"
#include "EngineTesting.h"
#include "PdfFixtures.h"
#include "platform/SettingKeys.h"
#include "platform/SettingsStore.h"
#include "TestConfig.h"
#include "TestPlace.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString Real = QStringLiteral(MORWENDA_PDFTOTEXT);
const QString StandIn = QStringLiteral(STAND_IN_CONVERTER);
// Unique to this run, so a command line of another program cannot show it by chance.
const QString HiddenPassword =
    QStringLiteral("Zq7-engine-%1").arg(QRandomGenerator::global()->generate64(), 0, 36);
const QByteArray OldText = "A complete text of an earlier run.\n";

// The PDFs of one test program: text of its own per name, a scan, the protected kinds, damage.
struct Pdfs
{
    static constexpr char16_t UserPassword[] = u"open sesame";

    explicit Pdfs(const QString &folder)
    {
        QDir().mkpath(folder);
        text = folder + QStringLiteral("/text.pdf");
        fixtures::writeTextPdf(text, {QStringLiteral("Hello from the first page.\nSecond line."),
                                      QStringLiteral("The second page.")});
        image = folder + QStringLiteral("/scan.pdf");
        fixtures::writeImagePdf(image, 1);
        user = folder + QStringLiteral("/user.pdf");
        fixtures::encryptPdf(text, user, QString::fromUtf16(UserPassword),
                             QStringLiteral("boss-only"));
        damaged = folder + QStringLiteral("/damaged.pdf");
        writeFile(damaged, "%PDF-1.4\n1 0 obj << /Type /Catalog >> endobj\ntrailer garbage\n");
    }

    // A text PDF at `path` whose text names it.
    static QString textPdf(const QString &path)
    {
        QDir().mkpath(QFileInfo(path).path());
        fixtures::writeTextPdf(path, {QStringLiteral("This text comes from ") + path});
        return path;
    }

    QString text, image, user, damaged;
};

// A file that the stand-in takes for a PDF; its name says what the stand-in does.
QString standInPdf(const TestPlace &place, const QString &mode)
{
    const QString path = place.path(QStringLiteral("in/%1.pdf").arg(mode));
    writeFile(path, "%PDF-1.4 stand-in\n");
    return path;
}

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT

private slots:
    void ocrPagesAreListedAndMerged_data();
    void ocrPagesAreListedAndMerged();
    void initTestCase();
    void faultsKeepTheOldText_data();
    void faultsKeepTheOldText();
    void fullDiskKeepsTheOldTextAndSaysWhy_data();
    void fullDiskKeepsTheOldTextAndSaysWhy();
    void corpusCategoriesGetTheirReasons_data();
    void corpusCategoriesGetTheirReasons();
    void bothConvertersGiveTheSameOverTheCorpus();
    void serviceOutlivesItsFailingChildren_data();
    void serviceOutlivesItsFailingChildren();
    void fallsBackToPdftotextWhenTheServiceCannotStart_data();
    void fallsBackToPdftotextWhenTheServiceCannotStart();
    void noConverterCanRunIsSaid();
    void finalMessageSaysWhatEachFileLeft_data();
    void finalMessageSaysWhatEachFileLeft();
    void pdftotextIsDeployedOnlyWhenChosen_data();
    void pdftotextIsDeployedOnlyWhenChosen();
    void stopKillsConvertersAndKeepsFinishedTexts();
    void sameNameInOneRunIsNumbered();
    void aPdfNamedLikeItsTextStays();
    void placesThatTakeNoTextSayWhy();
    void limitsComeFromTheSettings_data();
    void limitsComeFromTheSettings();
    void parallelGivesWhatOneAtATimeGives();
    void passwordsComeOneAtATimeInRowOrder_data();
    void passwordsComeOneAtATimeInRowOrder();
    void errorFloodIsCappedAndTheTextCounts();
    void previewReadsItsOwnPrivateText_data();
    void previewReadsItsOwnPrivateText();
    void aPreviewRunsBesideARun();
    void staleStagingOfGoneOwnersGoesForeignStays();
    void staleStagingOfAnotherUserStays();
    void aTextThatCannotBePutInPlaceIsNotConverted();
    void convertersDieWithAKilledProgram_data();
    void convertersDieWithAKilledProgram();

private:
    std::unique_ptr<TestPlace> m_place;
    std::unique_ptr<Pdfs> m_pdfs;
};

void TestEngine::initTestCase()
{
    m_place = std::make_unique<TestPlace>();
    m_pdfs = std::make_unique<Pdfs>(m_place->path(QStringLiteral("pdfs")));
}

void TestEngine::faultsKeepTheOldText_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("mode"); // the stand-in's, or a corpus file for the real converter
    QTest::addColumn<int>("memory");
    QTest::addColumn<int>("idle");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("reason");
    QTest::newRow("crash") << StandIn << "crash" << 0 << 0 << Outcome::Crashed
                           << reasons::crashed(SIGSEGV);
    QTest::newRow("killed as by the out-of-memory killer")
        << StandIn << "killed" << 0 << 0 << Outcome::Crashed << reasons::crashed(SIGKILL);
    QTest::newRow("no new text for a second")
        << StandIn << "hang" << 0 << 1 << Outcome::TimeLimit << reasons::timeLimit(1);
    QTest::newRow("the real converter on a page of nested forms")
        << Real << "formbomb" << 0 << 2 << Outcome::TimeLimit << reasons::timeLimit(2);
    QTest::newRow("a greedy converter")
        << StandIn << "greedy" << 256 << 0 << Outcome::MemoryLimit << reasons::memoryLimit(256);
    QTest::newRow("the real converter at a tiny memory limit")
        << Real << "GeoTopo-komprimiert.pdf" << 10 << 0 << Outcome::MemoryLimit
        << reasons::memoryLimit(10);
    QTest::newRow("a missing converter") << QStringLiteral("/no/such/pdftotext") << "slow" << 0 << 0
                                         << Outcome::CannotStart << QString();
    QTest::newRow("no converter at all")
        << QString() << "slow" << 0 << 0 << Outcome::CannotStart
        << reasons::cannotStart(QStringLiteral("no converter is available"));
}

void TestEngine::faultsKeepTheOldText()
{
    QFETCH(QString, program);
    QFETCH(QString, mode);
    QFETCH(int, memory);
    QFETCH(int, idle);
    QFETCH(Outcome, outcome);
    QFETCH(QString, reason);
    TestPlace place;
    QString pdf = program == Real ? fixtures::corpusFile(mode) : standInPdf(place, mode);
    if (program == Real && mode.endsWith(u".pdf") && !QFileInfo::exists(pdf))
        QSKIP("the corpus is not beside the project");
    if (mode == u"formbomb") {
        pdf = place.path(QStringLiteral("in/nested forms.pdf"));
        fixtures::writeFormBomb(pdf, 6);
    }
    const QString out = madeFolder(place, QStringLiteral("out"));
    const QString old = outputpaths::inFolder(out, pdf);
    QVERIFY(writeFile(old, OldText));

    QElapsedTimer clock;
    clock.start();
    const FinishedRun run = convertAll(program, {pdf}, intoFolder(out), limitsOf(1, memory, idle));
    QVERIFY2(run.outcomes.size() == 1 && run.outcomes.at(0).outcome == outcome,
             qPrintable(describe(run)));
    if (outcome == Outcome::CannotStart)
        QVERIFY2(run.outcomes.at(0).reason.startsWith(
                     QStringLiteral("  - the converter could not be started: ")),
                 qPrintable(run.outcomes.at(0).reason));
    else
        QCOMPARE(run.outcomes.at(0).reason, reason);
    // A converter that cannot start for any file is said first, with each file's reason.
    QCOMPARE(run.message, (outcome == Outcome::CannotStart
                               ? QStringLiteral("No converter can be run, so no PDF can be "
                                                "converted to text.")
                               : runsummary::NoData) +
                              QStringLiteral("\r\nThe following files could not be read:\r\n") +
                              pdf + run.outcomes.at(0).reason);
    QCOMPARE(contentOf(old), OldText);
    // Only the old text is left: no staging folder, no partial text.
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QFileInfo(old).fileName()});
    // Stopped at once: a limit does not wait for the converter to give up.
    QVERIFY2(clock.elapsed() < idle * 1000 + 8000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(childProcesses(), QList<int>());
}

void TestEngine::fullDiskKeepsTheOldTextAndSaysWhy_data()
{
    QTest::addColumn<QString>("kind");
    addKindRows([](const char *kind, const QByteArray &) { QTest::newRow(kind) << kind; });
}

void TestEngine::fullDiskKeepsTheOldTextAndSaysWhy()
{
    QFETCH(QString, kind);
    // A file-size limit makes every write past 16 KB fail as a full disk would.
    TestPlace place;
    const QString pdf = fixtures::corpusFile(QStringLiteral("The-War-of-the-Worlds.pdf"));
    if (!QFile::exists(pdf))
        QSKIP("the corpus is not beside the project");
    const QString out = madeFolder(place, QStringLiteral("out"));
    const QString old = outputpaths::inFolder(out, pdf);
    QVERIFY(writeFile(old, OldText));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    rlimit small = before;
    small.rlim_cur = 16 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const FinishedRun run = convertWith(kind, {pdf}, intoFolder(out), limitsOf(1));
    setrlimit(RLIMIT_FSIZE, &before);
    QCOMPARE(run.outcomes.at(0).outcome, Outcome::WriteFailed);
    QCOMPARE(run.outcomes.at(0).reason,
             reasons::writeFailed(QString::fromLocal8Bit(std::strerror(EFBIG))));
    QCOMPARE(contentOf(old), OldText);
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
}

void TestEngine::corpusCategoriesGetTheirReasons_data()
{
    QTest::addColumn<QString>("kind");
    addKindRows([](const char *kind, const QByteArray &) { QTest::newRow(kind) << kind; });
}

void TestEngine::corpusCategoriesGetTheirReasons()
{
    QFETCH(QString, kind);
    QFile manifest(fixtures::corpusFile(QStringLiteral("MANIFEST.tsv")));
    if (!manifest.open(QIODevice::ReadOnly))
        QSKIP("the corpus is not beside the project");
    QStringList rows;
    QStringList categories;
    const QList<QByteArray> lines = manifest.readAll().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> cells = lines.at(i).split('\t');
        if (cells.size() < 2 || !cells.at(0).endsWith(".pdf"))
            continue;
        rows << fixtures::corpusFile(QString::fromUtf8(cells.at(0)));
        categories << QString::fromUtf8(cells.at(1));
    }
    TestPlace place;
    const FinishedRun run = convertWith(
        kind, rows, intoFolder(madeFolder(place, QStringLiteral("out"))), ConversionLimits{});
    QCOMPARE(run.outcomes.size(), rows.size());
    int damaged = 0;
    for (int i = 0; i < rows.size(); ++i) {
        const FileOutcome &file = run.outcomes.at(i);
        const QString &category = categories.at(i);
        // What the converter itself writes into a file of its own decides, byte for byte.
        const QByteArray direct = fixtures::convertDirectly(rows.at(i));
        Outcome expected = Outcome::Converted;
        if (direct.isNull()) {
            expected = category.startsWith(QStringLiteral("encrypted-user-pw")) ? Outcome::Protected
                                                                                : Outcome::Damaged;
        } else {
            TextJudge judge;
            judge.feed(direct);
            judge.finish();
            if (direct.isEmpty() || judge.hasNoUsableText())
                expected = Outcome::NoUsableText;
            QCOMPARE(contentOf(file.output), direct);
        }
        QVERIFY2(file.outcome == expected,
                 qPrintable(QStringLiteral("%1 (%2): %3").arg(rows.at(i), category, file.reason)));
        if (category.startsWith(QStringLiteral("text-")))
            QCOMPARE(file.outcome, Outcome::Converted);
        if (category.startsWith(QStringLiteral("image-only")))
            QCOMPARE(file.outcome, Outcome::NoUsableText);
        if (expected == Outcome::Damaged)
            QVERIFY2(category.startsWith(QStringLiteral("damaged")), qPrintable(category));
        damaged += file.outcome == Outcome::Damaged ? 1 : 0;
        QCOMPARE(QFileInfo::exists(file.output), leftText(file.outcome));
    }
    QVERIFY(damaged >= 5); // the truncated and fuzzed files are no longer "password protected"
    QVERIFY(run.message.contains(QStringLiteral("bad1.pdf") + reasons::Damaged));
    QVERIFY(run.message.contains(QStringLiteral("rc4-40.pdf") + reasons::Protected));
    QVERIFY(run.message.contains(QStringLiteral("imagemagick-images.pdf") + reasons::Unreadable));
}

void TestEngine::bothConvertersGiveTheSameOverTheCorpus()
{
    if (!converterchoice::serviceBuilt())
        QSKIP("this build has no converter service");
    const QStringList names = QDir(fixtures::corpusFile(QString()))
                                  .entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
    if (names.isEmpty())
        QSKIP("the corpus is not beside the project");
    QStringList rows = {m_pdfs->text, m_pdfs->image, m_pdfs->user, m_pdfs->damaged};
    for (const QString &name : names)
        rows << fixtures::corpusFile(name);
    TestPlace place;
    const auto runWith = [&](const QString &kind) {
        const QString out = madeFolder(place, kind);
        const std::unique_ptr<ConverterKind> converter = converterOfKind(kind);
        ConversionRun running(*converter);
        const FinishedRun run = runToEnd(running, rows, intoFolder(out), limitsOf(2));
        QStringList files;
        if (auto *service = dynamic_cast<ServiceConverter *>(converter.get()))
            files << service->unavailableReason(); // empty: the service converted
        for (const FileOutcome &file : run.outcomes)
            files << QStringLiteral("%1 [%2]%3 %4 bytes %5")
                         .arg(QFileInfo(file.output).fileName(), outcomeName(file.outcome),
                              file.reason)
                         .arg(QFileInfo(file.output).size())
                         .arg(qHash(contentOf(file.output)));
        return std::make_pair(run.message, files);
    };
    const auto pdftotext = runWith(converterchoice::Pdftotext);
    auto service = runWith(converterchoice::Service);
    QCOMPARE(service.second.takeFirst(), QString());
    for (qsizetype i = 0; i < rows.size(); ++i)
        QCOMPARE(service.second.at(i), pdftotext.second.at(i));
    QCOMPARE(service.first, pdftotext.first);
}

void TestEngine::serviceOutlivesItsFailingChildren_data()
{
    QTest::addColumn<QString>("hostile");   // "formbomb" or "memorybomb"
    QTest::addColumn<int>("signalToChild"); // sent to the service's child once it works; -1: Stop
    QTest::addColumn<bool>("killService");  // the service itself is killed instead
    QTest::addColumn<int>("memory");
    QTest::addColumn<int>("idle");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("reason");
    QTest::newRow("crash") << "formbomb" << int(SIGSEGV) << false << 0 << 0 << Outcome::Crashed
                           << reasons::crashed(SIGSEGV);
    QTest::newRow("killed as by the out-of-memory killer")
        << "formbomb" << int(SIGKILL) << false << 0 << 0 << Outcome::Crashed
        << reasons::crashed(SIGKILL);
    QTest::newRow("no new text for two seconds")
        << "formbomb" << 0 << false << 0 << 2 << Outcome::TimeLimit << reasons::timeLimit(2);
    QTest::newRow("a memory bomb") << "memorybomb" << 0 << false << 64 << 0 << Outcome::MemoryLimit
                                   << reasons::memoryLimit(64, 1);
    QTest::newRow("stopped by the user")
        << "formbomb" << -1 << false << 0 << 0 << Outcome::Stopped << reasons::Stopped;
    QTest::newRow("the service lost")
        << "formbomb" << 0 << true << 0 << 0 << Outcome::Crashed
        << reasons::serviceLost(QStringLiteral("The converter service was killed (signal 9)"));
}

// A child that crashes, hangs, wants too much memory or is stopped costs only its own file: the
// service stays and converts the next one. A lost service costs its file a true reason and is
// started again for the next. The password of every file goes over the pipe, never on a command
// line.
void TestEngine::serviceOutlivesItsFailingChildren()
{
    QFETCH(QString, hostile);
    QFETCH(int, signalToChild);
    QFETCH(bool, killService);
    QFETCH(int, memory);
    QFETCH(int, idle);
    QFETCH(Outcome, outcome);
    QFETCH(QString, reason);
    if (!converterchoice::serviceBuilt())
        QSKIP("this build has no converter service");
    TestPlace place;
    // Seven levels keep a child busy for long; six fill memory with words within seconds.
    const QString pdf = place.path(QStringLiteral("in/locked.pdf"));
    const QString open = place.path(QStringLiteral("in/nested forms.pdf"));
    fixtures::writeFormBomb(open, hostile == u"formbomb" ? 7 : 6);
    fixtures::encryptPdf(open, pdf, HiddenPassword, HiddenPassword);
    const QString locked = place.path(QStringLiteral("in/text.pdf"));
    fixtures::encryptPdf(m_pdfs->text, locked, HiddenPassword, HiddenPassword);
    const QString out = madeFolder(place, QStringLiteral("out"));
    const QString old = outputpaths::inFolder(out, pdf);
    QVERIFY(writeFile(old, OldText));

    ServiceConverter converter(ServiceProgram, std::make_unique<PdftotextConverter>(Real));
    ConversionRun run(converter);
    run.setPasswordProvider([](const QString &) { return HiddenPassword; });
    QList<qint64> servicesAtWork;
    QStringList showing;
    const FinishedRun done =
        runToEnd(run, {pdf, locked}, intoFolder(out, true), limitsOf(1, memory, idle),
                 [&](ConversionRun &running) {
                     QSignalSpy progressed(&running, &ConversionRun::progressed);
                     QList<int> children;
                     while (progressed.isEmpty() && children.isEmpty()) {
                         QTest::qWait(5);
                         servicesAtWork = converter.serviceProcessIds();
                         if (servicesAtWork.size() == 1)
                             children = childProcesses(int(servicesAtWork.first()));
                         showing << commandLinesShowing(HiddenPassword.toUtf8());
                     }
                     if (children.isEmpty())
                         return;
                     if (killService)
                         ::kill(pid_t(servicesAtWork.first()), SIGKILL);
                     else if (signalToChild > 0)
                         ::kill(children.first(), signalToChild);
                     else if (signalToChild < 0)
                         running.stop();
                     while (progressed.size() < 2 && running.isRunning()) {
                         QTest::qWait(5);
                         showing << commandLinesShowing(HiddenPassword.toUtf8());
                     }
                 });
    QVERIFY2(showing.isEmpty(), qPrintable(showing.join(u' ')));
    QVERIFY2(done.outcomes.size() == 2 && done.outcomes.at(0).outcome == outcome,
             qPrintable(describe(done)));
    QCOMPARE(done.outcomes.at(0).reason, reason);
    QCOMPARE(contentOf(old), OldText);
    // The next file: converted by the same service, or by a new one where the service was lost.
    if (outcome == Outcome::Stopped) {
        QCOMPARE(done.outcomes.at(1).outcome, Outcome::Stopped);
    } else {
        QCOMPARE(done.outcomes.at(1).outcome, Outcome::Converted);
        QCOMPARE(contentOf(done.outcomes.at(1).output), fixtures::convertDirectly(m_pdfs->text));
    }
    const QList<qint64> servicesAfter = converter.serviceProcessIds();
    QCOMPARE(servicesAfter.size(), 1);
    QCOMPARE(servicesAfter.first() == servicesAtWork.value(0), !killService);
    QTRY_COMPARE(childProcesses(int(servicesAfter.first())), QList<int>());
}

void TestEngine::fallsBackToPdftotextWhenTheServiceCannotStart_data()
{
    QTest::addColumn<QString>("service");
    QTest::newRow("no such program") << QStringLiteral("/no/such/morwenda");
    QTest::newRow("a program that is no service") << QStringLiteral("/bin/true");
    QTest::newRow("a program that only talks") << QStringLiteral("/bin/echo");
}

void TestEngine::fallsBackToPdftotextWhenTheServiceCannotStart()
{
    QFETCH(QString, service);
    TestPlace place;
    const QString out = madeFolder(place, QStringLiteral("out"));
    const std::unique_ptr<ConverterKind> converter =
        converterOfKind(converterchoice::Service, service);
    ConversionRun run(*converter);
    run.setPasswordProvider([](const QString &pdf) {
        return pdf.endsWith(QStringLiteral("user.pdf")) ? QString::fromUtf16(Pdfs::UserPassword)
                                                        : QString();
    });
    const QStringList rows = {m_pdfs->text, m_pdfs->user, m_pdfs->image, m_pdfs->damaged,
                              Pdfs::textPdf(place.path(QStringLiteral("in/later.pdf")))};
    QStringList showing;
    const FinishedRun done =
        runToEnd(run, rows, intoFolder(out, true), limitsOf(2), [&](ConversionRun &running) {
            while (running.isRunning()) {
                showing << commandLinesShowing(QByteArray("open sesame"));
                QTest::qWait(2);
            }
        });
    // A file with a password is not handed to pdftotext, whose command line would show it.
    QVERIFY2(showing.isEmpty(), qPrintable(showing.join(u' ')));
    QString why = static_cast<ServiceConverter &>(*converter).unavailableReason();
    QVERIFY(!why.isEmpty());
    // The service's reason goes on in the sentence, without a full stop of its own.
    if (why.endsWith(u'.'))
        why.chop(1);
    // pdftotext could run: no "converter that cannot start", but a file left closed.
    const QString notHandedOn =
        QStringLiteral("  - the file was not opened with its password: ") + why +
        QStringLiteral(", and pdftotext would show the password on its command line.");
    QCOMPARE(done.outcomes.at(1).outcome, Outcome::Protected);
    QCOMPARE(done.message, QStringLiteral("Done.\r\nThe following files could not be read:") +
                               QStringLiteral("\r\n") + m_pdfs->user + notHandedOn +
                               QStringLiteral("\r\n") + m_pdfs->image + reasons::Unreadable +
                               QStringLiteral("\r\n") + m_pdfs->damaged + reasons::Damaged);
    QCOMPARE(contentOf(done.outcomes.at(0).output), fixtures::convertDirectly(m_pdfs->text));
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 3);
    QTRY_COMPARE(childProcesses(), QList<int>());
}

// Neither the service nor pdftotext can be started: the final message says so first, then why for
// each file, instead of the bare "File(s) has no data.".
void TestEngine::noConverterCanRunIsSaid()
{
    TestPlace place;
    const QString out = madeFolder(place, QStringLiteral("out"));
    ServiceConverter converter(
        place.path(QStringLiteral("no/service")),
        std::make_unique<PdftotextConverter>(place.path(QStringLiteral("no/pdftotext"))));
    ConversionRun run(converter);
    const FinishedRun done =
        runToEnd(run, {m_pdfs->text, m_pdfs->image}, intoFolder(out), limitsOf(2));
    QCOMPARE(done.outcomes.at(0).outcome, Outcome::CannotStart);
    QCOMPARE(done.outcomes.at(1).outcome, Outcome::CannotStart);
    QVERIFY2(
        done.message.startsWith(
            QStringLiteral(
                "No converter can be run, so no PDF can be converted to text.\r\nThe following "
                "files could not be read:\r\n") +
            m_pdfs->text +
            QStringLiteral("  - the converter could not "
                           "be started")),
        qPrintable(done.message));
}

void TestEngine::finalMessageSaysWhatEachFileLeft_data()
{
    const auto file = [](const char *name, Outcome outcome, const QString &reason = QString()) {
        FileOutcome one;
        one.pdf = QString::fromLatin1(name);
        one.output = one.pdf + QStringLiteral(".txt");
        one.outcome = outcome;
        one.reason = reason;
        return one;
    };
    const FileOutcome text = file("/in/text.pdf", Outcome::Converted);
    const FileOutcome damaged = file("/in/damaged.pdf", Outcome::Damaged, reasons::Damaged);
    const FileOutcome stopped = file("/in/late.pdf", Outcome::Stopped, reasons::Stopped);
    const QString denied = reasons::writeFailed(QStringLiteral("Permission denied"));
    const QString lowReason = reasons::lowConfidence(2, 2, 41);
    FileOutcome partly = file("/in/partly.pdf", Outcome::Converted);
    partly.pagesRequested = 5;
    partly.pagesUnread = 1;
    partly.unreadPages = QStringLiteral("3");
    const QString br = QStringLiteral("\r\n");
    const QString failures = br + runsummary::FailureListHeader + br;

    QTest::addColumn<QList<FileOutcome>>("outcomes");
    QTest::addColumn<QString>("message");
    QTest::newRow("no text: every file is named with its reason")
        << QList<FileOutcome>{damaged, file("/in/gone.pdf", Outcome::CannotRead,
                                            reasons::cannotRead(QStringLiteral("No such file")))}
        << runsummary::NoData + failures + damaged.pdf + reasons::Damaged + br +
               QStringLiteral("/in/gone.pdf  - the file could not be read: No such file.");
    QTest::newRow("a low-confidence OCR text is no failure")
        << QList<FileOutcome>{text, file("/in/faint.pdf", Outcome::LowConfidence, lowReason)}
        << runsummary::Done + br + runsummary::LowConfidenceHeader + br +
               QStringLiteral("/in/faint.pdf") + lowReason;
    QTest::newRow("a text that could not be written, apart")
        << QList<FileOutcome>{file("/usr/share/a.pdf", Outcome::WriteFailed, denied), damaged}
        << runsummary::NoData + failures + damaged.pdf + reasons::Damaged + br +
               runsummary::WriteFailedHeader + br + QStringLiteral("/usr/share/a.pdf") + denied;
    QTest::newRow("stopped files are counted apart")
        << QList<FileOutcome>{text, damaged, stopped,
                              file("/in/later.pdf", Outcome::Stopped, reasons::Stopped)}
        << runsummary::Done + failures + damaged.pdf + reasons::Damaged + br +
               runsummary::stoppedHeader(2) + br + stopped.pdf + br +
               QStringLiteral("/in/later.pdf");
    QTest::newRow("stopped before any text")
        << QList<FileOutcome>{stopped}
        << runsummary::NoData + br + runsummary::stoppedHeader(1) + br + stopped.pdf;
    QTest::newRow("pages that could not be read")
        << QList<FileOutcome>{partly}
        << runsummary::Done + br + runsummary::PagesUnreadHeader + br + partly.pdf +
               QStringLiteral("  - 1 of 5 pages could not be read (3); the text holds the others.");
}

// The final message and the report's rows say what each file left: the report names an output
// only where a text is in place.
void TestEngine::finalMessageSaysWhatEachFileLeft()
{
    QFETCH(QList<FileOutcome>, outcomes);
    QFETCH(QString, message);
    QCOMPARE(runsummary::finalMessage(outcomes), message);
    for (const FileOutcome &file : std::as_const(outcomes))
        QCOMPARE(reportrows::rowOf(file).output.isEmpty(), !leftText(file.outcome));
}

void TestEngine::pdftotextIsDeployedOnlyWhenChosen_data()
{
    QTest::addColumn<QString>("stored"); // the setting "Converter"; "-" for absent
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("deployed"); // pdftotext was put in place for the run
    const QString byDefault = converterchoice::defaultName();
    const bool deployedByDefault = byDefault == converterchoice::Pdftotext;
    QTest::newRow("nothing stored") << "-" << byDefault << deployedByDefault;
    QTest::newRow("pdftotext") << "pdftotext" << converterchoice::Pdftotext << true;
    QTest::newRow("any spelling case") << " PdfToText " << converterchoice::Pdftotext << true;
    QTest::newRow("service") << "service" << byDefault << deployedByDefault;
    QTest::newRow("unknown: the default") << "xpdf" << byDefault << deployedByDefault;
}

void TestEngine::pdftotextIsDeployedOnlyWhenChosen()
{
    QFETCH(QString, stored);
    QFETCH(QString, chosen);
    QFETCH(bool, deployed);
    if (ConverterDeployment::usesSystemConverter())
        QSKIP("this build runs the system's converter: nothing is deployed");
    TestPlace place;
    SettingsStore store;
    if (stored != u"-")
        store.saveSetting(settingkeys::Converter, stored);
    QCOMPARE(converterchoice::fromSettings(store), chosen);
    QVERIFY(!makeConverterKind(QStringLiteral("xpdf"), *std::make_unique<ConverterDeployment>(),
                               ServiceProgram));

    ConverterDeployment deployment;
    SessionConverters converters(deployment, ServiceProgram);
    ConverterKind &converter = converters.chosen(store);
    QCOMPARE(&converters.chosen(store), &converter); // kept for the session
    ConversionRun run(converter);
    const FinishedRun done = runToEnd(
        run, {m_pdfs->text}, intoFolder(madeFolder(place, QStringLiteral("out"))), limitsOf(1));
    QCOMPARE(done.message, QStringLiteral("Done."));
    QCOMPARE(!deployment.program().isEmpty(), deployed);
    const QStringList inTemp =
        QDir(place.tempFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QCOMPARE(inTemp.isEmpty(), !deployed);
}

void TestEngine::stopKillsConvertersAndKeepsFinishedTexts()
{
    TestPlace place;
    const QString slow = standInPdf(place, QStringLiteral("slow"));
    const QString hang = standInPdf(place, QStringLiteral("hang"));
    const QString last = place.path(QStringLiteral("in/more/slow.pdf"));
    QVERIFY(writeFile(last, "%PDF-1.4 stand-in\n"));
    const QString out = madeFolder(place, QStringLiteral("out"));
    const QString old = outputpaths::inFolder(out, hang);
    QVERIFY(writeFile(old, OldText));
    PdftotextConverter converter(StandIn);
    ConversionRun run(converter);
    const FinishedRun done = runToEnd(
        run, {slow, hang, last, hang}, intoFolder(out), limitsOf(2), [](ConversionRun &running) {
            QSignalSpy progressed(&running, &ConversionRun::progressed);
            QVERIFY(progressed.wait(10000));
            running.stop();
        });
    QVERIFY(run.wasStopped());
    QCOMPARE(done.outcomes.at(0).outcome, Outcome::Converted);
    QVERIFY(contentOf(outputpaths::inFolder(out, slow)).startsWith("A line of text"));
    QCOMPARE(contentOf(old), OldText);
    QCOMPARE(done.message, QStringLiteral("Done.\r\n") + runsummary::stoppedHeader(3) +
                               QStringLiteral("\r\n") + hang + QStringLiteral("\r\n") + last +
                               QStringLiteral("\r\n") + hang);
    QCOMPARE(childProcesses(), QList<int>());
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
}

void TestEngine::sameNameInOneRunIsNumbered()
{
    TestPlace place;
    const QString a = Pdfs::textPdf(place.path(QStringLiteral("a/x.pdf")));
    const QString b = place.path(QStringLiteral("b/x.pdf"));
    QVERIFY(QFile::copy(m_pdfs->damaged, b));
    const QString c = Pdfs::textPdf(place.path(QStringLiteral("c/x.pdf")));
    const QString d = Pdfs::textPdf(place.path(QStringLiteral("d/x.pdf")));
    const QString out = madeFolder(place, QStringLiteral("out"));
    QVERIFY(writeFile(out + QStringLiteral("/x.txt"), OldText)); // an earlier run's: replaced
    const FinishedRun run = convertAll(Real, {a, b, c, d, c}, intoFolder(out), limitsOf(3));
    QVERIFY2(run.outcomes.size() == 5, qPrintable(describe(run)));
    QCOMPARE(run.outcomes.at(0).output, out + QStringLiteral("/x.txt"));
    // Numbered by place in the list: the damaged file keeps its number, though it left no text,
    // so the names do not depend on which converter finishes first.
    QCOMPARE(run.outcomes.at(1).outcome, Outcome::Damaged);
    QCOMPARE(run.outcomes.at(1).output, out + QStringLiteral("/x (2).txt"));
    QVERIFY(!QFile::exists(out + QStringLiteral("/x (2).txt")));
    QCOMPARE(run.outcomes.at(2).output, out + QStringLiteral("/x (3).txt"));
    QCOMPARE(run.outcomes.at(3).output, out + QStringLiteral("/x (4).txt"));
    QCOMPARE(run.outcomes.at(4).output, out + QStringLiteral("/x (5).txt"));
    QVERIFY(contentOf(out + QStringLiteral("/x.txt")).contains(a.toUtf8()));
    QVERIFY(contentOf(out + QStringLiteral("/x (3).txt")).contains(c.toUtf8()));
    QVERIFY(contentOf(out + QStringLiteral("/x (4).txt")).contains(d.toUtf8()));
    QCOMPARE(run.message,
             QStringLiteral("Done.\r\nThe following files could not be read:\r\n") + b +
                 reasons::Damaged +
                 QStringLiteral("\r\nThese texts were numbered, because a listed file or an "
                                "earlier text has the same name:\r\n") +
                 c + QStringLiteral("  - its text is x (3).txt\r\n") + d +
                 QStringLiteral("  - its text is x (4).txt\r\n") + c +
                 QStringLiteral("  - its text is x (5).txt"));
}

void TestEngine::aPdfNamedLikeItsTextStays()
{
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("in/notes.txt"));
    QVERIFY(QFile::copy(m_pdfs->text, pdf));
    const QByteArray before = contentOf(pdf);
    const FinishedRun run =
        convertAll(Real, {pdf}, {OutputChoice::Mode::BesidePdf, QString(), false}, limitsOf(1));
    QCOMPARE(run.message, QStringLiteral("Done."));
    QCOMPARE(run.outcomes.at(0).output, pdf + QStringLiteral(".txt"));
    QCOMPARE(contentOf(pdf), before);
    QVERIFY(contentOf(pdf + QStringLiteral(".txt")).contains("Hello from the first page."));
}

void TestEngine::placesThatTakeNoTextSayWhy()
{
    TestPlace place;
    const QString out = madeFolder(place, QStringLiteral("out"));
    QVERIFY(QDir().mkpath(out + QStringLiteral("/text.txt"))); // a folder in the text's place
    const QString removed = place.path(QStringLiteral("removed"));
    const FinishedRun run =
        convertAll(Real, {m_pdfs->text, m_pdfs->image}, intoFolder(out), limitsOf(2));
    const FinishedRun gone = convertAll(Real, {m_pdfs->text}, intoFolder(removed), limitsOf(1));
    QCOMPARE(run.outcomes.at(0).reason,
             reasons::writeFailed(QString::fromLocal8Bit(std::strerror(EISDIR))));
    QCOMPARE(gone.outcomes.at(0).reason,
             reasons::writeFailed(QString::fromLocal8Bit(std::strerror(ENOENT))));
    QVERIFY(QFileInfo(out + QStringLiteral("/text.txt")).isDir());
}

void TestEngine::limitsComeFromTheSettings_data()
{
    QTest::addColumn<QStringList>("stored"); // converters, memory, time; "-" for absent
    QTest::addColumn<QList<int>>("limits");
    const int cores = ConversionLimits::coreCount();
    const int memory = ConversionLimits::DefaultMemoryMegabytes;
    const int idle = ConversionLimits::DefaultIdleSeconds;
    QTest::newRow("nothing stored")
        << QStringList{"-", "-", "-"} << QList<int>{cores, memory, idle};
    QTest::newRow("as stored") << QStringList{"3", "512", "90"} << QList<int>{3, 512, 90};
    QTest::newRow("0: a converter per core, no limits")
        << QStringList{"0", "0", "0"} << QList<int>{cores, 0, 0};
    QTest::newRow("unreadable or negative: the defaults")
        << QStringList{"many", "-5", "1e3"} << QList<int>{cores, memory, idle};
    QTest::newRow("beyond what can be held: the most that can")
        << QStringList{"2", "18446744073709551615", "4294968"}
        << QList<int>{2, ConversionLimits::MaxMemoryMegabytes, ConversionLimits::MaxIdleSeconds};
}

void TestEngine::limitsComeFromTheSettings()
{
    QFETCH(QStringList, stored);
    QFETCH(QList<int>, limits);
    TestPlace place;
    SettingsStore store;
    const QStringList keys = {settingkeys::Converters, settingkeys::ConverterMemoryLimit,
                              settingkeys::ConverterTimeLimit};
    for (int i = 0; i < keys.size(); ++i)
        if (stored.at(i) != u"-")
            store.saveSetting(keys.at(i), stored.at(i));
    const ConversionLimits read = ConversionLimits::fromSettings(store);
    QCOMPARE((QList<int>{read.converters, read.memoryMegabytes, read.idleSeconds}), limits);
}

void TestEngine::parallelGivesWhatOneAtATimeGives()
{
    TestPlace place;
    QStringList rows = {m_pdfs->text, m_pdfs->image, m_pdfs->user, m_pdfs->damaged};
    for (const char *name : {"tracemonkey.pdf", "pdflatex-4-pages.pdf", "multicolumn.pdf",
                             "bad1.pdf", "rc4-40.pdf", "simple1.pdf", "habibi.pdf"})
        if (QFile::exists(fixtures::corpusFile(QString::fromLatin1(name))))
            rows << fixtures::corpusFile(QString::fromLatin1(name));
    rows << m_pdfs->text << rows;
    const auto runWith = [&](int converters) {
        const QString out = madeFolder(place, QStringLiteral("out%1").arg(converters));
        FinishedRun run = convertAll(Real, rows, intoFolder(out), limitsOf(converters));
        QStringList files;
        for (QDirIterator it(out, QDir::Files | QDir::Hidden); it.hasNext();) {
            const QString path = it.next();
            files << QFileInfo(path).fileName() + u'=' + QString::number(qHash(contentOf(path)));
        }
        files.sort();
        QStringList outcomes;
        for (const FileOutcome &file : run.outcomes)
            outcomes << QFileInfo(file.output).fileName() + file.reason;
        return std::make_tuple(run.message, outcomes, files, run.progress);
    };
    const auto one = runWith(1);
    const auto four = runWith(4);
    QCOMPARE(std::get<0>(four), std::get<0>(one));
    QCOMPARE(std::get<1>(four), std::get<1>(one));
    QCOMPARE(std::get<2>(four), std::get<2>(one));
    // The progress counts finished files, one by one, to the end.
    QList<int> counted;
    for (int i = 1; i <= rows.size(); ++i)
        counted << i;
    QCOMPARE(std::get<3>(four), counted);
}

void TestEngine::passwordsComeOneAtATimeInRowOrder_data()
{
    QTest::addColumn<QString>("kind");
    addKindRows([](const char *kind, const QByteArray &) { QTest::newRow(kind) << kind; });
}

void TestEngine::passwordsComeOneAtATimeInRowOrder()
{
    QFETCH(QString, kind);
    TestPlace place;
    const QString second = place.path(QStringLiteral("in/second.pdf"));
    const QString third = place.path(QStringLiteral("in/third.pdf"));
    QVERIFY(QFile::copy(m_pdfs->user, second));
    QVERIFY(QFile::copy(m_pdfs->user, third));
    const QStringList rows = {m_pdfs->user, m_pdfs->text, second, third};
    const QStringList answers = {QString::fromUtf16(Pdfs::UserPassword), QString(),
                                 QStringLiteral("wrong"), QString()};
    QStringList asked;
    bool inBox = false;
    bool overlapped = false;
    const std::unique_ptr<ConverterKind> converter = converterOfKind(kind);
    ConversionRun run(*converter);
    run.setPasswordProvider([&](const QString &pdf) {
        overlapped = overlapped || inBox;
        inBox = true;
        asked << pdf;
        // A box stays open a moment; its own event loop runs the converters meanwhile.
        QEventLoop box;
        QTimer::singleShot(100, &box, &QEventLoop::quit);
        box.exec();
        inBox = false;
        return answers.at(asked.size() - 1);
    });
    const FinishedRun done = runToEnd(
        run, rows, intoFolder(madeFolder(place, QStringLiteral("out")), true), limitsOf(2));
    QCOMPARE(asked, rows);
    QVERIFY(!overlapped);
    QCOMPARE(done.outcomes.at(0).outcome, Outcome::Converted); // the open password, tried second
    QVERIFY(contentOf(done.outcomes.at(0).output).contains("Hello from the first page."));
    QCOMPARE(done.message, QStringLiteral("Done.\r\nThe following files could not be read:") +
                               QStringLiteral("\r\n") + second + reasons::WrongPassword +
                               QStringLiteral("\r\n") + third + reasons::Protected);
}

void TestEngine::errorFloodIsCappedAndTheTextCounts()
{
    TestPlace place;
    JobOrder order;
    order.pdf = standInPdf(place, QStringLiteral("flood"));
    order.textPath = place.path(QStringLiteral("flood.txt"));
    PdftotextJob job(StandIn, order, limitsOf(1));
    QSignalSpy finished(&job, &ConversionJob::finished);
    job.start();
    QVERIFY(finished.wait(60000));
    QCOMPARE(job.result().outcome, Outcome::Converted);
    QCOMPARE(job.result().errorOutput.size(), PdftotextJob::ErrorOutputLimit);
    QVERIFY(contentOf(order.textPath).startsWith("A line of text"));
}

void TestEngine::previewReadsItsOwnPrivateText_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("password");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<bool>("lines");
    addKindRows([](const char *kind, const QByteArray &prefix) {
        QTest::newRow(prefix + "text") << kind << "text" << QString() << Outcome::Converted << true;
        QTest::newRow(prefix + "open password")
            << kind << "user" << QString::fromUtf16(Pdfs::UserPassword) << Outcome::Converted
            << true;
        QTest::newRow(prefix + "no password")
            << kind << "user" << QString() << Outcome::Protected << false;
        QTest::newRow(prefix + "wrong password")
            << kind << "user" << QStringLiteral("wrong") << Outcome::WrongPassword << false;
        QTest::newRow(prefix + "scan")
            << kind << "image" << QString() << Outcome::NoUsableText << false;
        QTest::newRow(prefix + "damaged")
            << kind << "damaged" << QString() << Outcome::Damaged << false;
    });
    // Not opened with its password, since the service did not start: not "password protected".
    if (converterchoice::serviceBuilt())
        QTest::newRow("service that cannot start: open password")
            << "no service"
            << "user" << QString::fromUtf16(Pdfs::UserPassword) << Outcome::CannotStart << false;
}

void TestEngine::previewReadsItsOwnPrivateText()
{
    QFETCH(QString, kind);
    QFETCH(QString, which);
    QFETCH(QString, password);
    QFETCH(Outcome, outcome);
    QFETCH(bool, lines);
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("in/") + which + QStringLiteral(".pdf"));
    const QString source = which == u"text"    ? m_pdfs->text
                           : which == u"user"  ? m_pdfs->user
                           : which == u"image" ? m_pdfs->image
                                               : m_pdfs->damaged;
    QVERIFY(QFile::copy(source, pdf));
    const QString beside = outputpaths::besidePdf(pdf);
    QVERIFY(writeFile(beside, OldText));
    const std::unique_ptr<ConverterKind> converter =
        kind == u"no service"
            ? converterOfKind(converterchoice::Service, place.path(QStringLiteral("gone")))
            : converterOfKind(kind);
    PreviewConversion preview(*converter);
    QSignalSpy finished(&preview, &PreviewConversion::finished);
    preview.start(pdf, password, limitsOf(1));
    QVERIFY(finished.wait(30000));
    QCOMPARE(preview.outcome(), outcome);
    // The converter's own lines (LF ends a line, the page breaks stay in them).
    QStringList direct = QString::fromUtf8(fixtures::convertDirectly(m_pdfs->text)).split(u'\n');
    if (direct.last().isEmpty())
        direct.removeLast();
    QCOMPARE(preview.lines(), lines ? direct : QStringList());
    QCOMPARE(contentOf(beside), OldText);
    QCOMPARE(QDir(QFileInfo(pdf).path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestEngine::aPreviewRunsBesideARun()
{
    TestPlace place;
    PdftotextConverter standIn(StandIn);
    ConversionRun run(standIn);
    QSignalSpy runFinished(&run, &ConversionRun::finished);
    const QString hang = standInPdf(place, QStringLiteral("hang"));
    run.start({hang, hang, hang}, intoFolder(madeFolder(place, QStringLiteral("out"))),
              limitsOf(2));
    PdftotextConverter real(Real);
    PreviewConversion preview(real);
    QSignalSpy previewFinished(&preview, &PreviewConversion::finished);
    preview.start(m_pdfs->text, QString(), limitsOf(1));
    // The preview's text comes while every converter of the run still hangs.
    QVERIFY(previewFinished.wait(20000));
    QCOMPARE(preview.outcome(), Outcome::Converted);
    QVERIFY(run.isRunning());
    run.stop();
    QVERIFY(runFinished.wait(10000));
    QCOMPARE(run.outcomes().at(0).outcome, Outcome::Stopped);
}

void TestEngine::staleStagingOfGoneOwnersGoesForeignStays()
{
    TestPlace place;
    const QString out = madeFolder(place, QStringLiteral("out"));
    const auto makeStaging = [&](const QString &name, bool withLock) {
        const QString folder = out + u'/' + name;
        QDir().mkpath(folder);
        writeFile(folder + QStringLiteral("/1.txt"), "partial text");
        if (withLock)
            writeFile(folder + QStringLiteral("/owner.lock"), "12345\n");
        return folder;
    };
    const QString gone = makeStaging(QStringLiteral(".morwenda-Ab12Cd"), true);
    const QString living = makeStaging(QStringLiteral(".morwenda-Ef34Gh"), true);
    const QString unknown = makeStaging(QStringLiteral(".morwenda-Ij56Kl"), false);
    const QString otherName = makeStaging(QStringLiteral(".morwenda-notours"), true);
    const QString target = makeStaging(QStringLiteral("elsewhere"), true);
    QVERIFY(QFile::link(target, out + QStringLiteral("/.morwenda-Mn78Op")));
    // The owner of this one still runs: it holds the lock.
    const int held = open(QFile::encodeName(living + QStringLiteral("/owner.lock")).constData(),
                          O_RDWR | O_CLOEXEC);
    QVERIFY(held >= 0 && flock(held, LOCK_EX | LOCK_NB) == 0);

    const FinishedRun run = convertAll(Real, {m_pdfs->text}, intoFolder(out), limitsOf(1));
    close(held);
    QCOMPARE(run.message, QStringLiteral("Done."));
    QVERIFY(!QFileInfo::exists(gone));
    for (const QString &stays : {living, unknown, otherName, target})
        QCOMPARE(contentOf(stays + QStringLiteral("/1.txt")), QByteArray("partial text"));
    QVERIFY(QFileInfo(out + QStringLiteral("/.morwenda-Mn78Op")).isSymLink());
}

void TestEngine::staleStagingOfAnotherUserStays()
{
    if (geteuid() != 0)
        QSKIP("only root can leave a folder owned by another user");
    TestPlace place;
    const QString out = madeFolder(place, QStringLiteral("out"));
    const QString foreign = out + QStringLiteral("/.morwenda-Qr90St");
    QVERIFY(QDir().mkpath(foreign));
    QVERIFY(writeFile(foreign + QStringLiteral("/1.txt"), "partial text"));
    QVERIFY(writeFile(foreign + QStringLiteral("/owner.lock"), "12345\n"));
    // Nobody holds its lock, but it is not ours to remove.
    const uid_t nobody = 65534;
    for (const char *name : {"", "/1.txt", "/owner.lock"})
        QVERIFY(chown(QFile::encodeName(foreign + QLatin1String(name)).constData(), nobody,
                      nobody) == 0);
    const FinishedRun run = convertAll(Real, {m_pdfs->text}, intoFolder(out), limitsOf(1));
    QCOMPARE(run.message, QStringLiteral("Done."));
    QCOMPARE(contentOf(foreign + QStringLiteral("/1.txt")), QByteArray("partial text"));
}

// A text is only called converted once it is in place: a folder put where the text goes while the
// converter works makes the rename fail, and the file is named with the system's reason.
void TestEngine::aTextThatCannotBePutInPlaceIsNotConverted()
{
    TestPlace place;
    const QString out = madeFolder(place, QStringLiteral("out"));
    const QString target = out + QStringLiteral("/text.txt");
    PdftotextConverter converter(Real);
    ConversionRun running(converter);
    QObject::connect(&running, &ConversionRun::converting,
                     [&] { QVERIFY(QDir().mkpath(target + QStringLiteral("/inside"))); });
    const FinishedRun run = runToEnd(running, {m_pdfs->text}, intoFolder(out), limitsOf(1));
    QCOMPARE(run.outcomes.at(0).outcome, Outcome::WriteFailed);
    QCOMPARE(run.outcomes.at(0).reason,
             reasons::writeFailed(QString::fromLocal8Bit(std::strerror(EISDIR))));
    QVERIFY(QFileInfo(target).isDir());
    QCOMPARE(run.message, QStringLiteral("File(s) has no data.\r\n") +
                              runsummary::WriteFailedHeader + QStringLiteral("\r\n") +
                              m_pdfs->text + run.outcomes.at(0).reason);
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("text.txt")});
}

void TestEngine::convertersDieWithAKilledProgram_data()
{
    QTest::addColumn<QString>("kind");
    addKindRows([](const char *kind, const QByteArray &) { QTest::newRow(kind) << kind; });
}

void TestEngine::convertersDieWithAKilledProgram()
{
    QFETCH(QString, kind);
    TestPlace place;
    const QString out = madeFolder(place, QStringLiteral("out"));
    QString converter = StandIn;
    QString pdf = standInPdf(place, QStringLiteral("hang"));
    if (kind == converterchoice::Service) {
        // The service's child works on a page of nested forms for minutes.
        converter = QStringLiteral("service:") + ServiceProgram;
        pdf = place.path(QStringLiteral("in/nested forms.pdf"));
        fixtures::writeFormBomb(pdf, 7);
    }
    QProcess host;
    host.start(QStringLiteral(ENGINE_HOST), {converter, out, pdf});
    QVERIFY(host.waitForReadyRead(20000));
    // The program, its converter (the stand-in, or the service and the child it forked).
    const int expected = kind == converterchoice::Service ? 3 : 2;
    QList<int> family;
    QTRY_VERIFY_WITH_TIMEOUT((family = familyOf(int(host.processId()))).size() == expected, 10000);
    host.kill();
    QVERIFY(host.waitForFinished(10000));
    for (const int pid : family.mid(1))
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(pid), 5000);
    // Its staging folder stays behind; the next run into that folder removes it.
    QCOMPARE(QDir(out).entryList({QStringLiteral(".morwenda-*")}, QDir::Dirs | QDir::Hidden).size(),
             1);
    const FinishedRun run = convertAll(Real, {m_pdfs->text}, intoFolder(out), limitsOf(1));
    QCOMPARE(run.message, QStringLiteral("Done."));
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("text.txt")});
}

// The pages OCR turned, straightened or doubted, as the final message and the report give them,
// and gathered from the parts of a file converted side by side.
void TestEngine::ocrPagesAreListedAndMerged_data()
{
    QTest::addColumn<QList<int>>("first");
    QTest::addColumn<QList<int>>("second");
    QTest::addColumn<QString>("listed");
    QTest::newRow("none") << QList<int>{} << QList<int>{} << "";
    QTest::newRow("one") << QList<int>{7} << QList<int>{} << "7";
    QTest::newRow("a run and a page") << QList<int>{1, 2, 3} << QList<int>{5} << "1-3, 5";
    QTest::newRow("parts that meet") << QList<int>{3, 4} << QList<int>{5, 6} << "3-6";
    QTest::newRow("parts out of order, one page twice")
        << QList<int>{9, 10} << QList<int>{2, 9} << "2, 9-10";
}

void TestEngine::ocrPagesAreListedAndMerged()
{
    QFETCH(QList<int>, first);
    QFETCH(QList<int>, second);
    QFETCH(QString, listed);
    OcrPages file;
    file.turned = first;
    OcrPages part;
    part.turned = second;
    part.doubtful = second;
    file.add(part);
    QCOMPARE(reasons::pageList(file.turned), listed);
    QCOMPARE(file.doubtful, second);
    QCOMPARE(reasons::ocrCorrections(file),
             listed.isEmpty() ? QString()
                              : (file.turned.size() == 1 ? QStringLiteral(" Turned upright: page ")
                                                         : QStringLiteral(" Turned upright: pages ")) +
                                    listed + u'.');
    if (!second.isEmpty())
        QVERIFY(reasons::ocrDoubtful(file.doubtful)
                    .startsWith(QStringLiteral("  - OCR doubtful on page")));
}

QTEST_MAIN(TestEngine)
#include "tst_engine.moc"
