#include "convert/RunAndWait.h"
#include "RecordingProgress.h"
#include "TestPlace.h"

#include <csignal>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

const QString ExitWithCode = QStringLiteral(EXIT_WITH_CODE);
const QString HangFor = QStringLiteral(HANG_FOR);
const QString CrashByAbort = QStringLiteral(CRASH_BY_ABORT);
const QString WriteArguments = QStringLiteral(WRITE_ARGUMENTS);
const QString FloodOutput = QStringLiteral(FLOOD_OUTPUT);

const QString Caption = QStringLiteral("Processing: a.pdf");

} // namespace

class TestRunAndWait : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SetPollInterval(PollMilliseconds); }

    void stepAndCap_data();
    void stepAndCap();
    void displayAtPoll_data();
    void displayAtPoll();
    void windowStyle_data();
    void windowStyle();

    void exitCodeIsReturned_data();
    void exitCodeIsReturned();
    void crashedChildGivesTheSignal();
    void startFailureReturnsAtOnce_data();
    void startFailureReturnsAtOnce();
    void argumentsArriveIntact();
    void programPathWithBlanksAndLetters();

    void fastChildReturnsWithoutWaitingForAPoll();
    void quickChildOnlyRestoresTheCaption_data();
    void quickChildOnlyRestoresTheCaption();
    void waitingTextAndValueFollowThePolls();
    void windowEventsRunWhileWaiting();
    void nestedWaits_data();
    void nestedWaits();
    void outputIsNotCollected();
    // Last: once the application has quit, no event loop of this process runs again.
    void applicationQuittingDuringAWaitStillWaitsForTheChild();
};

void TestRunAndWait::stepAndCap_data()
{
    QTest::addColumn<int>("startValue");
    QTest::addColumn<int>("fileCount");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("cap");

    QTest::newRow("10 files, first file") << 10 << 10 << 1 << 19;
    QTest::newRow("4 files: 2.5 rounds to 2") << 25 << 4 << 2 << 48;
    QTest::newRow("20 files: 0.5 rounds to 0") << 5 << 20 << 0 << 10;
    QTest::newRow("19 files still move") << 5 << 19 << 1 << 9;
    QTest::newRow("8 files: cap 23.5 rounds to 24") << 12 << 8 << 1 << 24;
    QTest::newRow("8 files: cap 22.5 rounds to 22") << 11 << 8 << 1 << 22;
    QTest::newRow("one file: the cap passes 100") << 100 << 1 << 10 << 190;
    QTest::newRow("preview") << 0 << 0 << 10 << 90;
    QTest::newRow("no count from 5: 9.5 rounds to 10") << 5 << 0 << 10 << 90;
    QTest::newRow("no count from 15: 8.5 rounds to 8") << 15 << 0 << 8 << 92;
    QTest::newRow("a negative count is no count") << 0 << -3 << 10 << 90;
}

void TestRunAndWait::stepAndCap()
{
    QFETCH(int, startValue);
    QFETCH(int, fileCount);
    QFETCH(int, step);
    QFETCH(int, cap);
    const StepAndCap sc = ProgressStepAndCap(startValue, fileCount);
    QCOMPARE(sc.step, step);
    QCOMPARE(sc.cap, cap);
}

void TestRunAndWait::displayAtPoll_data()
{
    QTest::addColumn<int>("poll");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("startValue");
    QTest::addColumn<int>("fileCount");
    QTest::addColumn<QString>("text"); // null: the text is not set
    QTest::addColumn<int>("value");    // -1: the value is not set

    const QString none;
    QTest::newRow("poll 49 shows nothing") << 49 << Caption << 10 << 10 << none << -1;
    QTest::newRow("poll 50: text and start value")
        << 50 << Caption << 10 << 10 << Caption + QStringLiteral(", Please wait.. 0") << 10;
    QTest::newRow("poll 51: text only")
        << 51 << Caption << 10 << 10 << Caption + QStringLiteral(", Please wait.. 1") << -1;
    QTest::newRow("poll 200: one step")
        << 200 << Caption << 10 << 10 << Caption + QStringLiteral(", Please wait.. 150") << 11;
    QTest::newRow("poll 1399: no step")
        << 1399 << Caption << 10 << 10 << Caption + QStringLiteral(", Please wait.. 1349") << -1;
    QTest::newRow("poll 1400: the cap")
        << 1400 << Caption << 10 << 10 << Caption + QStringLiteral(", Please wait.. 1350") << 19;
    QTest::newRow("poll 1550: held at the cap")
        << 1550 << Caption << 10 << 10 << Caption + QStringLiteral(", Please wait.. 1500") << 19;
    QTest::newRow("4 files: two steps of 2")
        << 350 << Caption << 25 << 4 << Caption + QStringLiteral(", Please wait.. 300") << 29;
    QTest::newRow("20 files: the value stays")
        << 1550 << Caption << 5 << 20 << Caption + QStringLiteral(", Please wait.. 1500") << 5;
    QTest::newRow("empty caption: no comma")
        << 50 << QString() << 0 << 0 << QStringLiteral("Please wait.. 0") << 0;
    QTest::newRow("preview: 10 after 150 polls")
        << 200 << QString() << 0 << 0 << QStringLiteral("Please wait.. 150") << 10;
    QTest::newRow("preview: 90 after 1350 polls")
        << 1400 << QString() << 0 << 0 << QStringLiteral("Please wait.. 1350") << 90;
    QTest::newRow("preview: held at 90")
        << 1550 << QString() << 0 << 0 << QStringLiteral("Please wait.. 1500") << 90;
    QTest::newRow("last file of one: beyond 100, the display holds it")
        << 200 << Caption << 100 << 1 << Caption + QStringLiteral(", Please wait.. 150") << 110;
}

void TestRunAndWait::displayAtPoll()
{
    QFETCH(int, poll);
    QFETCH(QString, caption);
    QFETCH(int, startValue);
    QFETCH(int, fileCount);
    QFETCH(QString, text);
    QFETCH(int, value);
    const PollDisplay display = DisplayAtPoll(poll, caption, startValue, fileCount);
    QCOMPARE(display.setsText, !text.isNull());
    if (!text.isNull())
        QCOMPARE(display.text, text);
    QCOMPARE(display.setsValue, value >= 0);
    if (value >= 0)
        QCOMPARE(display.value, value);
}

void TestRunAndWait::windowStyle_data()
{
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("used");
    QTest::newRow("none given (-1): minimized without focus") << -1 << 6;
    QTest::newRow("7: minimized without focus") << 7 << 6;
    QTest::newRow("0: hidden") << 0 << 0;
    QTest::newRow("3: as given") << 3 << 3;
    QTest::newRow("6: as given") << 6 << 6;
}

void TestRunAndWait::windowStyle()
{
    QFETCH(int, given);
    QFETCH(int, used);
    QCOMPARE(EffectiveWindowStyle(given), used);
}

void TestRunAndWait::exitCodeIsReturned_data()
{
    QTest::addColumn<int>("code");
    for (int code : {0, 1, 3, 42, 255})
        QTest::addRow("exit %d", code) << code;
}

void TestRunAndWait::exitCodeIsReturned()
{
    QFETCH(int, code);
    RecordingProgress progress(Caption, 10);
    QCOMPARE(RunAndWait(ExitWithCode, {QString::number(code)}, &progress, Caption, 10, 10, 0),
             code);
    QCOMPARE(progress.text(), Caption);
}

void TestRunAndWait::crashedChildGivesTheSignal()
{
#ifdef Q_OS_UNIX
    RecordingProgress progress;
    QCOMPARE(RunAndWait(CrashByAbort, {}, &progress), SIGABRT);
    QCOMPARE(progress.texts, QStringList{QStringLiteral("Progress Bar")});
#else
    QVERIFY(RunAndWait(CrashByAbort, {}) != 0);
#endif
}

void TestRunAndWait::startFailureReturnsAtOnce_data()
{
    QTest::addColumn<QString>("program"); // relative to a scratch place; "" stays empty
    QTest::addColumn<int>("errorNumber");
    QTest::newRow("empty program") << QString() << ErrorFileNotFound;
    QTest::newRow("missing program") << QStringLiteral("missing/pdftotext") << ErrorFileNotFound;
    QTest::newRow("not executable") << QStringLiteral("plain-file") << ErrorPermissionDenied;
    QTest::newRow("a folder") << QStringLiteral("folder") << ErrorPermissionDenied;
}

void TestRunAndWait::startFailureReturnsAtOnce()
{
    QFETCH(QString, program);
    QFETCH(int, errorNumber);
    TestPlace place;
    QDir(place.root()).mkpath(QStringLiteral("folder"));
    QFile plain(place.path(QStringLiteral("plain-file")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("#!/bin/sh\nexit 0\n");
    plain.close();
    QVERIFY(plain.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const QString path = program.isEmpty() ? program : place.root() + u'/' + program;

    RecordingProgress progress(Caption, 37);
    QElapsedTimer clock;
    clock.start();
    const int result = RunAndWait(path, {QStringLiteral("x")}, &progress, Caption, 37, 3, 0);
    QVERIFY2(clock.elapsed() < 90, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(result, StartFailureBase + errorNumber);
    QVERIFY(IsStartFailure(result));
    QVERIFY(progress.texts.isEmpty());
    QVERIFY(progress.values.isEmpty());
    QCOMPARE(progress.text(), Caption);
    QCOMPARE(progress.value(), 37);
}

void TestRunAndWait::argumentsArriveIntact()
{
    TestPlace place;
    const QString out = place.path(QStringLiteral("arguments.txt"));
    const QStringList arguments = {QStringLiteral("with blanks  inside"),
                                   QStringLiteral("double \"quoted\" \\\" end\""),
                                   QStringLiteral("it's"),
                                   QStringLiteral("ünïcödé Ελληνικά 密码"),
                                   QString(),
                                   QStringLiteral("$HOME `id` * ; | >x"),
                                   QStringLiteral("-opw")};
    QCOMPARE(RunAndWait(WriteArguments, QStringList{out} + arguments), 0);
    QFile file(out);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), arguments.join(u'\n') + u'\n');
}

void TestRunAndWait::programPathWithBlanksAndLetters()
{
    TestPlace place;
    const QString program = place.path(QStringLiteral("a \"folder\" ü/wr ite 'it'"));
    QVERIFY(QFile::copy(WriteArguments, program));
    QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const QString out = place.path(QStringLiteral("out.txt"));
    QCOMPARE(RunAndWait(program, {out, QStringLiteral("ok")}), 0);
    QFile file(out);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("ok\n"));
}

void TestRunAndWait::fastChildReturnsWithoutWaitingForAPoll()
{
    // Ten runs that waited for a poll each would take a second; the child's end wakes the wait.
    RecordingProgress progress;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 10; ++i)
        QCOMPARE(RunAndWait(ExitWithCode, {QString::number(i)}, &progress, Caption, 10, 10, 0), i);
    QVERIFY2(clock.elapsed() < 500, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
}

void TestRunAndWait::quickChildOnlyRestoresTheCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("restored");
    QTest::newRow("batch caption") << Caption << Caption;
    QTest::newRow("no caption") << QString() << QStringLiteral("Progress Bar");
}

void TestRunAndWait::quickChildOnlyRestoresTheCaption()
{
    QFETCH(QString, caption);
    QFETCH(QString, restored);
    SetPollInterval(5);
    RecordingProgress progress(QStringLiteral("before"), 10);
    // Ends within 49 polls (about 60 ms against 245 ms).
    QCOMPARE(RunAndWait(HangFor, {QStringLiteral("60")}, &progress, caption, 10, 10, 0), 0);
    QCOMPARE(progress.texts, QStringList{restored});
    QVERIFY(progress.values.isEmpty());
    QCOMPARE(progress.value(), 10);
}

void TestRunAndWait::waitingTextAndValueFollowThePolls()
{
    SetPollInterval(1);
    RecordingProgress progress(Caption, 10);
    QCOMPARE(RunAndWait(HangFor, {QStringLiteral("1500"), QStringLiteral("4")}, &progress, Caption,
                        10, 10, 0),
             4);
    // One text per poll from the 50th, counting up by one, then the caption back.
    QVERIFY2(progress.texts.size() > 200, qPrintable(QString::number(progress.texts.size())));
    for (int i = 0; i + 1 < progress.texts.size(); ++i)
        QCOMPARE(progress.texts.at(i),
                 Caption + QStringLiteral(", Please wait.. ") + QString::number(i));
    QCOMPARE(progress.texts.last(), Caption);
    QCOMPARE(progress.values.mid(0, 2), (QList<int>{10, 11}));
}

void TestRunAndWait::windowEventsRunWhileWaiting()
{
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(RunAndWait(HangFor, {QStringLiteral("300")}), 0);
    QVERIFY(clock.elapsed() >= 290);
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
}

void TestRunAndWait::nestedWaits_data()
{
    QTest::addColumn<int>("outerMs");
    QTest::addColumn<int>("innerMs");
    QTest::newRow("inner ends first") << 400 << 100;
    QTest::newRow("outer ends first, returns after the inner") << 100 << 400;
}

void TestRunAndWait::nestedWaits()
{
    QFETCH(int, outerMs);
    QFETCH(int, innerMs);
    RecordingProgress progress;
    int inner = -1;
    QTimer::singleShot(30, [&] {
        inner = RunAndWait(HangFor, {QString::number(innerMs), QStringLiteral("7")}, &progress,
                           QStringLiteral("inner"), 0, 0, 0);
    });
    QElapsedTimer clock;
    clock.start();
    const int outer = RunAndWait(HangFor, {QString::number(outerMs), QStringLiteral("3")},
                                 &progress, QStringLiteral("outer"), 0, 0, 0);
    QCOMPARE(outer, 3);
    QCOMPARE(inner, 7);
    QVERIFY(clock.elapsed() >= std::max(outerMs, innerMs + 30) - 10);
    QCOMPARE(progress.text(), QStringLiteral("outer"));
}

void TestRunAndWait::outputIsNotCollected()
{
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long before = usage.ru_maxrss;
    QCOMPARE(RunAndWait(FloodOutput, {QStringLiteral("256")}), 0);
    getrusage(RUSAGE_SELF, &usage);
    // 512 MB went to stdout and stderr; kept in a buffer they would show in the peak.
    QVERIFY2(usage.ru_maxrss - before < 64 * 1024,
             qPrintable(QStringLiteral("peak grew by %1 kB").arg(usage.ru_maxrss - before)));
#else
    QSKIP("the peak memory is read with getrusage");
#endif
}

void TestRunAndWait::applicationQuittingDuringAWaitStillWaitsForTheChild()
{
    RecordingProgress progress;
    QTimer::singleShot(50, [] { QCoreApplication::exit(0); });
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(RunAndWait(HangFor, {QStringLiteral("300"), QStringLiteral("5")}, &progress,
                        QStringLiteral("caption"), 0, 0, 0),
             5);
    QVERIFY(clock.elapsed() >= 290);
    QCOMPARE(progress.text(), QStringLiteral("caption"));
}

QTEST_GUILESS_MAIN(TestRunAndWait)
#include "tst_runandwait.moc"
