// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ErrorReport.h"
#include "platform/Failure.h"

#include <QTest>

namespace {

struct Report
{
    QString tag;
    int line;
    QString description;
};

} // namespace

class TestErrorReport : public QObject
{
    Q_OBJECT

private slots:
    void everyProcedureTag_data();
    void everyProcedureTag();
    void messageLayout();
    void emptyDescriptionStartsWithTheBreak();
    void failingStatementIsReportedAndTheProcedureGoesOn();
    void failureBeforeTheFirstStatementShowsZero();
    void failingTestContinuesWithTheStepListedAfterIt();
    void loopTestFailureLeavesTheLoopAfterOneReport();
    void descriptionsOfForeignFailures();

private:
    QList<Report> m_reports;
    ReportFn recorder()
    {
        return [this](const QString &tag, int line, const QString &description) {
            m_reports.append({tag, line, description});
        };
    }
};

void TestErrorReport::everyProcedureTag_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("expected");
    const QString form = QStringLiteral("in Halvoren2021/08/31.Form1.");
    QTest::newRow("start-up") << tags::FormLoad << form + "Form_Load ";
    QTest::newRow("help") << tags::Help << form + "PushButton5_Click ";
    QTest::newRow("clear") << tags::ClearList << form + "PushButton3_Click ";
    QTest::newRow("add files") << tags::AddFiles << form + "PushButton1_Click ";
    QTest::newRow("folder scan") << tags::FolderScan << form + "PushButton4_Click ";
    QTest::newRow("subfolders") << tags::SubDirectories
                                << "in DravikTitle2021/08/31.AddFolder.GetSubDirectories2016 ";
    QTest::newRow("drop") << tags::Drop << form + "ListView1_OLEDragDrop ";
    QTest::newRow("samples") << tags::Samples << form + "PushButton6_Click ";
    QTest::newRow("batch run") << tags::BatchRun << form + "PushButton2_Click ";
    QTest::newRow("output folder") << tags::BrowseOutput << form + "PushButton7_Click ";
    QTest::newRow("text check") << tags::NoTextPDF << "in Halvoren2021/08/31.Main.NoTextPDF ";
    QTest::newRow("text lines") << tags::ReadLines
                                << "in Halvoren2021/08/31.Main.ReadFileToStringFSOLine ";
    QTest::newRow("preview") << tags::Preview << form + "ListView1_Click ";
}

void TestErrorReport::everyProcedureTag()
{
    QFETCH(QString, tag);
    QFETCH(QString, expected);
    QCOMPARE(tag, expected);
}

void TestErrorReport::messageLayout()
{
    const QString message =
        errorreport::message(tags::FormLoad, 142, QStringLiteral("Path not found"));
    QCOMPARE(message, QStringLiteral("Path not found\r\nin Halvoren2021/08/31.Form1.Form_Load at "
                                     "line 142\r\rPlease email screenshot of this message to ") +
                          QString::fromUtf16(errorreport::SupportAddress));
    QVERIFY(QString::fromUtf16(errorreport::SupportAddress).contains(u'@'));
}

void TestErrorReport::emptyDescriptionStartsWithTheBreak()
{
    QVERIFY(errorreport::message(tags::Help, 100, QString()).startsWith(QStringLiteral("\r\nin ")));
}

void TestErrorReport::failingStatementIsReportedAndTheProcedureGoesOn()
{
    m_reports.clear();
    Procedure proc(recorder(), tags::BatchRun);
    QStringList ran;
    QVERIFY(proc.run(100, [&] { ran << "100"; }));
    QVERIFY(!proc.run(102, [&] { throw Failure(QStringLiteral("Disk full")); }));
    QVERIFY(proc.run(104, [&] { ran << "104"; }));
    QCOMPARE(ran, QStringList({"100", "104"}));
    QCOMPARE(m_reports.size(), 1);
    QCOMPARE(m_reports[0].tag, tags::BatchRun);
    QCOMPARE(m_reports[0].line, 102);
    QCOMPARE(m_reports[0].description, QStringLiteral("Disk full"));
}

void TestErrorReport::failureBeforeTheFirstStatementShowsZero()
{
    m_reports.clear();
    Procedure proc(recorder(), tags::Preview);
    try {
        throw Failure(QStringLiteral("Out of memory"));
    } catch (...) {
        proc.reportCurrent();
    }
    QCOMPARE(m_reports.size(), 1);
    QCOMPARE(m_reports[0].line, 0);
}

void TestErrorReport::failingTestContinuesWithTheStepListedAfterIt()
{
    m_reports.clear();
    Procedure proc(recorder(), tags::ClearList);
    auto failing = []() -> bool { throw Failure(QStringLiteral("Type mismatch")); };
    // An early stop that depends on the test is not taken...
    QCOMPARE(proc.guard(100, failing), false);
    // ...and a choice between two branches runs the one listed first.
    QCOMPARE(proc.branch(148, failing), true);
    QCOMPARE(proc.branch(150, [] { return false; }), false);
    QCOMPARE(m_reports.size(), 2);
    QCOMPARE(m_reports[1].line, 148);
}

void TestErrorReport::loopTestFailureLeavesTheLoopAfterOneReport()
{
    m_reports.clear();
    Procedure proc(recorder(), tags::Preview);
    int passes = 0;
    while (proc.loopWhile(132, []() -> bool { throw Failure(QStringLiteral("Overflow")); }))
        ++passes;
    QCOMPARE(passes, 0);
    QCOMPARE(m_reports.size(), 1);
}

void TestErrorReport::descriptionsOfForeignFailures()
{
    QCOMPARE(errorreport::describe(std::make_exception_ptr(std::runtime_error("boom"))),
             QStringLiteral("boom"));
    QCOMPARE(errorreport::describe(std::make_exception_ptr(std::bad_alloc())),
             QStringLiteral("Out of memory"));
    QVERIFY(!errorreport::describe(std::make_exception_ptr(42)).isEmpty());
}

QTEST_APPLESS_MAIN(TestErrorReport)
#include "tst_errorreport.moc"
