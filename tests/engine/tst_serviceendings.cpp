// SPDX-License-Identifier: GPL-3.0-or-later
// What a file the converter service did not convert ends as: its answer turned into the run's
// outcomes and reasons, as pdftotext's exit statuses are.
#include "engine/ServiceEndings.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <csignal>
#include <QTest>

using serviceprotocol::OutcomeKind;

class TestServiceEndings : public QObject
{
    Q_OBJECT

private slots:
    void answerBecomesOutcome_data();
    void answerBecomesOutcome();
};

void TestServiceEndings::answerBecomesOutcome_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("pageCount");   // the document's, as the child told it
    QTest::addColumn<int>("firstPage");   // -f
    QTest::addColumn<int>("systemError"); // the child's, where it gave one
    QTest::addColumn<QString>("errorOutput");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("reason");
    const QString none;
    QTest::newRow("a range past the document's pages")
        << int(OutcomeKind::PageRange) << 10 << 12 << 0 << none << int(Outcome::PageRange)
        << reasons::pageRange(12, 10);
    QTest::newRow("a document without pages is damaged")
        << int(OutcomeKind::PageRange) << 0 << 0 << 0 << none << int(Outcome::Damaged)
        << reasons::Damaged;
    QTest::newRow("a wrong password where none was typed")
        << int(OutcomeKind::WrongPassword) << 0 << 0 << 0 << none << int(Outcome::Protected)
        << reasons::Protected;
    QTest::newRow("a crash that said it ran out of memory under the limit")
        << int(OutcomeKind::Crashed) << 3 << 0 << 0 << QStringLiteral("Out of memory")
        << int(Outcome::MemoryLimit) << reasons::memoryLimit(512);
    QTest::newRow("a child that could not be made")
        << int(OutcomeKind::ChildFailed) << 0 << 0 << EMFILE << none << int(Outcome::CannotStart)
        << reasons::cannotStart(systemError(EMFILE));
    QTest::newRow("a child that failed without a reason")
        << int(OutcomeKind::ChildFailed) << 3 << 0 << 0 << none << int(Outcome::Damaged)
        << reasons::Damaged;
}

void TestServiceEndings::answerBecomesOutcome()
{
    QFETCH(int, kind);
    QFETCH(int, pageCount);
    QFETCH(int, firstPage);
    QFETCH(int, systemError);
    QFETCH(QString, errorOutput);
    QFETCH(int, outcome);
    QFETCH(QString, reason);
    serviceprotocol::Outcome answer;
    answer.kind = OutcomeKind(kind);
    answer.pageCount = pageCount;
    answer.systemError = systemError;
    answer.signal = SIGSEGV;
    JobOrder order;
    order.text.firstPage = firstPage;
    ConversionLimits limits;
    limits.memoryMegabytes = 512;
    const QString lost;
    const serviceendings::Ending ending =
        serviceendings::endingOf(answer, {order, limits, errorOutput, lost});
    QCOMPARE(outcomeName(ending.outcome), outcomeName(Outcome(outcome)));
    QCOMPARE(ending.reason, reason);
}

QTEST_GUILESS_MAIN(TestServiceEndings)
#include "tst_serviceendings.moc"
