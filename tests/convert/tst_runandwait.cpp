#include "convert/RunAndWait.h"
#include "RecordingProgress.h"
#include "TestPlace.h"

#include <csignal>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <sys/resource.h>

namespace {

const QString Caption = QStringLiteral("Processing: a.pdf");

// Runs the shell command as the first of ten files, from the value 10.
ProcessResult runShell(const QString &command, ProgressTarget *progress = nullptr,
                       const QString &caption = Caption, int pollMilliseconds = PollMilliseconds)
{
    return RunAndWait({QStringLiteral("/bin/sh"),
                       {QStringLiteral("-c"), command},
                       progress,
                       caption,
                       10,
                       10,
                       0,
                       pollMilliseconds});
}

// The exit code of a child that ended by itself, minus the signal of one that crashed.
int ending(const ProcessResult &result)
{
    return result.status == ProcessResult::Status::Crashed ? -result.signal : result.exitCode;
}

} // namespace

class TestRunAndWait : public QObject
{
    Q_OBJECT

private slots:
    void displayAtPoll_data();
    void displayAtPoll();
    void childsEndIsReturned_data();
    void childsEndIsReturned();
    void startFailureLeavesTheProgressAlone_data();
    void startFailureLeavesTheProgressAlone();
    void programAndArgumentsArriveIntact();
    void fastChildrenReturnAtOnce();
    void waitingTextFollowsThePollsUntilTheChildEnds();
    void eventsAndNestedWaitsRunDuringAWait_data();
    void eventsAndNestedWaitsRunDuringAWait();
    void outputIsNotCollected();
    // Last: once the application has quit, no event loop of this process runs again.
    void applicationQuittingDuringAWaitStillWaitsForTheChild();
};

void TestRunAndWait::displayAtPoll_data()
{
    QTest::addColumn<int>("poll");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("startValue");
    QTest::addColumn<int>("fileCount");
    QTest::addColumn<QString>("text"); // null: the text is not set
    QTest::addColumn<int>("value");    // -1: the value is not set

    const auto waiting = [](int polls) {
        return Caption + QStringLiteral(", Please wait.. ") + QString::number(polls);
    };
    // 10 files from 10: a step of 1, the cap at 19.
    QTest::newRow("poll 49 shows nothing") << 49 << Caption << 10 << 10 << QString() << -1;
    QTest::newRow("poll 50: the start value") << 50 << Caption << 10 << 10 << waiting(0) << 10;
    QTest::newRow("poll 200: one step") << 200 << Caption << 10 << 10 << waiting(150) << 11;
    QTest::newRow("poll 1400: the cap") << 1400 << Caption << 10 << 10 << waiting(1350) << 19;
    QTest::newRow("poll 1550: held") << 1550 << Caption << 10 << 10 << waiting(1500) << 19;
    QTest::newRow("4 files: 2.5 rounds to 2") << 350 << Caption << 25 << 4 << waiting(300) << 29;
    QTest::newRow("20 files: 0.5 rounds to 0") << 1550 << Caption << 5 << 20 << waiting(1500) << 5;
    QTest::newRow("8 files from 11: 22.5 rounds to 22")
        << 3050 << Caption << 11 << 8 << waiting(3000) << 22;
    QTest::newRow("8 files from 12: 23.5 rounds to 24")
        << 3050 << Caption << 12 << 8 << waiting(3000) << 24;
    // The preview: no caption, no file count, a step of 10, the cap at 90.
    const QString none;
    QTest::newRow("preview: one step, no comma")
        << 200 << none << 0 << 0 << QStringLiteral("Please wait.. 150") << 10;
    QTest::newRow("preview: held at 90")
        << 1550 << none << 0 << 0 << QStringLiteral("Please wait.. 1500") << 90;
    QTest::newRow("no count from 15: 8.5 rounds to 8")
        << 200 << none << 15 << 0 << QStringLiteral("Please wait.. 150") << 23;
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
    QCOMPARE(display.setsText ? display.text : QString(), text);
    QCOMPARE(display.setsValue ? display.value : -1, value);
}

void TestRunAndWait::childsEndIsReturned_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("restored");
    QTest::newRow("exit 0") << QStringLiteral("exit 0") << Caption << 0 << Caption;
    QTest::newRow("exit 255, no caption")
        << QStringLiteral("exit 255") << QString() << 255 << QStringLiteral("Progress Bar");
    QTest::newRow("a crash gives the signal")
        << QStringLiteral("kill -KILL $$") << Caption << -int(SIGKILL) << Caption;
}

void TestRunAndWait::childsEndIsReturned()
{
    QFETCH(QString, command);
    QFETCH(QString, caption);
    QFETCH(int, result);
    QFETCH(QString, restored);
    RecordingProgress progress(QStringLiteral("before"), 10);
    QCOMPARE(ending(runShell(command, &progress, caption)), result);
    // Ended before the 50th poll: only the caption is put back.
    QCOMPARE(progress.texts, QStringList{restored});
    QVERIFY(progress.values.isEmpty());
}

void TestRunAndWait::startFailureLeavesTheProgressAlone_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("errorText");
    QTest::newRow("empty program") << QString() << QStringLiteral("No program to run");
    QTest::newRow("missing program") << QStringLiteral("/no/such/pdftotext")
                                     << QStringLiteral("No such file: /no/such/pdftotext");
    QTest::newRow("not executable")
        << QStringLiteral("/etc/passwd") << QStringLiteral("Permission denied: /etc/passwd");
}

void TestRunAndWait::startFailureLeavesTheProgressAlone()
{
    QFETCH(QString, program);
    QFETCH(QString, errorText);
    RecordingProgress progress(Caption, 37);
    const ProcessResult result =
        RunAndWait({program, {QStringLiteral("x")}, &progress, Caption, 37, 3, 0});
    QCOMPARE(result.status, ProcessResult::Status::FailedToStart);
    QCOMPARE(result.errorText, errorText);
    QVERIFY(progress.texts.isEmpty());
    QVERIFY(progress.values.isEmpty());
}

void TestRunAndWait::programAndArgumentsArriveIntact()
{
    TestPlace place;
    // The converter's folder may hold blanks and letters beyond ASCII too.
    const QString program = place.path(QStringLiteral("a \"folder\" ü/wr ite 'it'"));
    QFile file(program);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nout=\"$1\"; shift; printf '%s\\n' \"$@\" >\"$out\"\n");
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const QStringList arguments = {QStringLiteral("blanks  and $HOME `id` * ; | >x"),
                                   QStringLiteral("double \"quoted\" \\\" it's"),
                                   QStringLiteral("ünïcödé Ελληνικά 密码"), QString(),
                                   QStringLiteral("-opw")};
    const QString out = place.path(QStringLiteral("arguments.txt"));
    QVERIFY(
        RunAndWait({.program = program, .arguments = QStringList{out} + arguments}).exitedWith(0));
    QFile written(out);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(written.readAll()), arguments.join(u'\n') + u'\n');
}

void TestRunAndWait::fastChildrenReturnAtOnce()
{
    // Ten runs that waited for a poll each would take a second; the child's end wakes the wait.
    RecordingProgress progress;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 10; ++i)
        QVERIFY(runShell(QStringLiteral("exit %1").arg(i), &progress).exitedWith(i));
    QVERIFY2(clock.elapsed() < 500, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
}

void TestRunAndWait::waitingTextFollowsThePollsUntilTheChildEnds()
{
    RecordingProgress progress(Caption, 10);
    QVERIFY(runShell(QStringLiteral("sleep 1.5; exit 4"), &progress, Caption, 1).exitedWith(4));
    // One text per poll from the 50th, counting up by one, then the caption back; the value
    // moves at the 50th poll and 150 polls later.
    for (int i = 0; i + 1 < progress.texts.size(); ++i)
        QCOMPARE(progress.texts.at(i),
                 Caption + QStringLiteral(", Please wait.. ") + QString::number(i));
    QCOMPARE(progress.texts.last(), Caption);
    QCOMPARE(progress.values.mid(0, 2), (QList<int>{10, 11}));
}

void TestRunAndWait::eventsAndNestedWaitsRunDuringAWait_data()
{
    QTest::addColumn<QString>("outer");
    QTest::addColumn<QString>("inner");
    QTest::newRow("inner ends first") << QStringLiteral("0.4") << QStringLiteral("0.1");
    QTest::newRow("outer ends first, returns after the inner")
        << QStringLiteral("0.1") << QStringLiteral("0.4");
}

void TestRunAndWait::eventsAndNestedWaitsRunDuringAWait()
{
    QFETCH(QString, outer);
    QFETCH(QString, inner);
    RecordingProgress progress;
    int innerResult = -1;
    // A timer of the window runs during the wait, and starts a wait of its own.
    QTimer::singleShot(30, [&] {
        innerResult = runShell(QStringLiteral("sleep %1; exit 7").arg(inner), &progress,
                               QStringLiteral("inner"))
                          .exitCode;
    });
    QVERIFY(
        runShell(QStringLiteral("sleep %1; exit 3").arg(outer), &progress, QStringLiteral("outer"))
            .exitedWith(3));
    QCOMPARE(innerResult, 7);
    QCOMPARE(progress.text(), QStringLiteral("outer"));
}

void TestRunAndWait::outputIsNotCollected()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long before = usage.ru_maxrss;
    // 200 MB to each of stdout and stderr, as a hostile PDF can make the converter write.
    QVERIFY(runShell(QStringLiteral("head -c 200000000 /dev/zero; head -c 200000000 /dev/zero >&2"))
                .exitedWith(0));
    getrusage(RUSAGE_SELF, &usage);
    QVERIFY2(usage.ru_maxrss - before < 64 * 1024,
             qPrintable(QStringLiteral("peak grew by %1 kB").arg(usage.ru_maxrss - before)));
}

void TestRunAndWait::applicationQuittingDuringAWaitStillWaitsForTheChild()
{
    RecordingProgress progress;
    QTimer::singleShot(50, [] { QCoreApplication::exit(0); });
    QVERIFY(runShell(QStringLiteral("sleep 0.3; exit 5"), &progress).exitedWith(5));
    QCOMPARE(progress.text(), Caption);
}

QTEST_GUILESS_MAIN(TestRunAndWait)
#include "tst_runandwait.moc"
