// SPDX-License-Identifier: GPL-3.0-or-later
// A job's time limit on a clock the test moves: a converter that keeps giving text or finishing
// pages runs on however long the whole file takes; one that gives nothing for the limit is
// stopped.
#include "engine/IdleWatch.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

class TestIdleWatch : public QObject
{
    Q_OBJECT

private slots:
    void stoppedOnlyWithoutProgress_data();
    void stoppedOnlyWithoutProgress();
    void theTimerWakesTheCheck();
};

void TestIdleWatch::stoppedOnlyWithoutProgress_data()
{
    // Each step moves the clock by its seconds, then tells what the converter did ("text",
    // "page N" for N pages done, "-" nothing), then checks; `stoppedAt` is the step at which the
    // limit of 10 s has passed, -1 for none.
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("stoppedAt");
    QTest::newRow("text and pages keep a long file going")
        << 10 << QStringList{"9 text", "9 page 1", "9 page 2", "9 text", "9 -"} << -1;
    QTest::newRow("nothing for the limit") << 10 << QStringList{"9 -", "1 -"} << 1;
    QTest::newRow("the count told at opening is no progress")
        << 10 << QStringList{"9 page 0", "1 -"} << 1;
    QTest::newRow("silence after the last page")
        << 10 << QStringList{"5 page 1", "9 -", "1 -"} << 2;
    QTest::newRow("progress after the limit comes too late")
        << 10 << QStringList{"10 text", "1 text"} << 0;
    QTest::newRow("no limit") << 0 << QStringList{"100000 -", "100000 -"} << -1;
}

void TestIdleWatch::stoppedOnlyWithoutProgress()
{
    QFETCH(int, limit);
    QFETCH(QStringList, steps);
    QFETCH(int, stoppedAt);
    IdleWatch::Clock::time_point now{};
    IdleWatch watch(nullptr, [&now] { return now; });
    QSignalSpy expired(&watch, &IdleWatch::expired);
    watch.start(std::chrono::seconds(limit));
    QCOMPARE(watch.isActive(), limit > 0);
    int stopped = -1;
    for (int step = 0; step < steps.size(); ++step) {
        const QStringList words = steps.at(step).split(u' ');
        now += std::chrono::seconds(words.at(0).toInt());
        watch.check(); // as a timer due now would
        if (words.at(1) == u"text")
            watch.textArrived();
        else if (words.at(1) == u"page")
            watch.pagesDone(words.at(2).toInt());
        watch.check();
        if (stopped < 0 && !expired.isEmpty())
            stopped = step;
    }
    QCOMPARE(stopped, stoppedAt);
    QVERIFY(expired.size() <= 1);
    QCOMPARE(watch.isActive(), limit > 0 && stoppedAt < 0);
}

// The check runs by itself once the time left has gone by: a limit of 20 ms on a clock that has
// already moved past it.
void TestIdleWatch::theTimerWakesTheCheck()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("Timers cannot|negative interval")));
    IdleWatch::Clock::time_point now{};
    IdleWatch watch(nullptr, [&now] { return now; });
    QSignalSpy expired(&watch, &IdleWatch::expired);
    watch.start(20ms);
    now += 20ms;
    QVERIFY(expired.wait(60000));

    IdleWatch longest(nullptr, [&now] { return now; }); // beyond what one timer holds
    QSignalSpy never(&longest, &IdleWatch::expired);
    longest.start(std::chrono::hours(24 * 60));
    QVERIFY(longest.isActive() && never.isEmpty());
}

QTEST_GUILESS_MAIN(TestIdleWatch)
#include "tst_idlewatch.moc"
