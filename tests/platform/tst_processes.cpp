// SPDX-License-Identifier: GPL-3.0-or-later
// The program's processes: what a child is given (its arguments byte for byte), and how many
// processors the program may use.
#include "platform/ChildProcess.h"
#include "platform/NativePath.h"
#include "platform/ProcessLimits.h"

#include <QSignalSpy>
#include <QTest>

#include <sched.h>
#include <thread>

class TestProcesses : public QObject
{
    Q_OBJECT

private slots:
    void argumentsReachTheChildAsBytes_data()
    {
        QTest::addColumn<QByteArray>("argument");
        QTest::newRow("ASCII") << QByteArray("s3cret word");
        QTest::newRow("UTF-8") << QByteArray("p\xc3\xa4sswort");
        QTest::newRow("Latin-1") << QByteArray("p\xe4sswort");
        QTest::newRow("Latin-1 and UTF-8") << QByteArray("\xe4-\xc3\xa4");
    }

    void argumentsReachTheChildAsBytes()
    {
        QFETCH(QByteArray, argument);
        ChildProcess child;
        child.setProgram(QStringLiteral("printf"),
                         {QStringLiteral("%s|"), nativepath::decode(argument)});
        QSignalSpy finished(&child, &ChildProcess::finished);
        child.start();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().at(0).toInt(), 0);
        QCOMPARE(child.readOutput(), argument + '|');
    }

    // A thread bound to fewer processors (as taskset or a cpuset binds the program) sees fewer.
    void processorsAreThoseOfTheAffinity()
    {
        cpu_set_t allowed;
        QCOMPARE(::sched_getaffinity(0, sizeof allowed, &allowed), 0);
        QCOMPARE(processlimits::usableProcessors(), CPU_COUNT(&allowed));
        int first = 0;
        while (!CPU_ISSET(first, &allowed))
            ++first;
        int seen = 0;
        std::thread bound([&] {
            cpu_set_t one;
            CPU_ZERO(&one);
            CPU_SET(first, &one);
            if (::sched_setaffinity(0, sizeof one, &one) == 0)
                seen = processlimits::usableProcessors();
        });
        bound.join();
        QCOMPARE(seen, 1);
    }

    void zeroConvertersMeansOnePerProcessor_data()
    {
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("expected"); // 0: one per processor
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("negative") << -3 << 0;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("more than processors") << 64 << 64;
    }

    void zeroConvertersMeansOnePerProcessor()
    {
        QFETCH(int, asked);
        QFETCH(int, expected);
        QCOMPARE(processlimits::converterCount(asked),
                 expected ? expected : processlimits::usableProcessors());
    }
};

QTEST_GUILESS_MAIN(TestProcesses)
#include "tst_processes.moc"
