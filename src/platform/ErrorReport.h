// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exception>
#include <functional>
#include <QString>

// The uniform report of a run-time failure inside one of the program's procedures.
namespace errorreport {

// Where users send a screenshot of the report.
inline constexpr char16_t SupportAddress[] = u"support@tarvenik.example";

inline constexpr char16_t Title[] = u"Application Error";

// The report's text: the description, CR LF, the procedure tag (which ends in a blank),
// "at line " and the number, CR CR, and the request to mail a screenshot.
QString message(const QString &tag, int line, const QString &description);

// The platform's description of a caught failure.
QString describe(const std::exception_ptr &failure);

} // namespace errorreport

// Shows one report and returns when the user has closed it.
using ReportFn = std::function<void(const QString &tag, int line, const QString &description)>;

// Runs the numbered statements of one reporting procedure. A failing statement is reported with
// the procedure's tag and the number of the last statement reached, and the procedure carries on
// with its next statement.
class Procedure
{
public:
    Procedure(ReportFn report, QString tag) : m_report(std::move(report)), m_tag(std::move(tag)) {}
    Procedure(const Procedure &) = delete;
    Procedure &operator=(const Procedure &) = delete;

    // Runs one statement. Returns false when it failed (and was reported).
    template <class Statement> bool run(int line, Statement &&statement)
    {
        m_line = line;
        try {
            statement();
            return true;
        } catch (...) {
            reportCurrent();
            return false;
        }
    }

    // The tests of a procedure. Evaluating a test can fail too; the failure is reported and the
    // procedure carries on with the step listed directly after the test, so what a failed test
    // answers depends on what the test decides:

    // A test that leads to an early stop or a refusal: a failure answers false (no stop is made).
    template <class Condition> bool guard(int line, Condition &&condition)
    {
        return evaluate(line, std::forward<Condition>(condition), false);
    }

    // A test that chooses between two branches: a failure answers true, so the branch written
    // first (directly after the test) runs.
    template <class Condition> bool branch(int line, Condition &&condition)
    {
        return evaluate(line, std::forward<Condition>(condition), true);
    }

    // A loop's own test: a failure is reported once and leaves the loop, so a test that fails on
    // every pass cannot show reports without end.
    template <class Condition> bool loopWhile(int line, Condition &&condition)
    {
        return evaluate(line, std::forward<Condition>(condition), false);
    }

    // Reports the failure being handled, at the last statement reached (0 before the first).
    void reportCurrent();

    int line() const { return m_line; }
    const QString &tag() const { return m_tag; }

private:
    template <class Condition> bool evaluate(int line, Condition &&condition, bool onFailure)
    {
        m_line = line;
        try {
            return condition();
        } catch (...) {
            reportCurrent();
            return onFailure;
        }
    }

    ReportFn m_report;
    QString m_tag;
    int m_line = 0;
};

// The fixed tags of the reporting procedures.
namespace tags {
inline const QString FormLoad = QStringLiteral("in Halvoren2021/08/31.Form1.Form_Load ");
inline const QString Help = QStringLiteral("in Halvoren2021/08/31.Form1.PushButton5_Click ");
inline const QString ClearList = QStringLiteral("in Halvoren2021/08/31.Form1.PushButton3_Click ");
inline const QString AddFiles = QStringLiteral("in Halvoren2021/08/31.Form1.PushButton1_Click ");
inline const QString FolderScan = QStringLiteral("in Halvoren2021/08/31.Form1.PushButton4_Click ");
inline const QString SubDirectories =
    QStringLiteral("in DravikTitle2021/08/31.AddFolder.GetSubDirectories2016 ");
inline const QString Drop = QStringLiteral("in Halvoren2021/08/31.Form1.ListView1_OLEDragDrop ");
inline const QString Samples = QStringLiteral("in Halvoren2021/08/31.Form1.PushButton6_Click ");
inline const QString BatchRun = QStringLiteral("in Halvoren2021/08/31.Form1.PushButton2_Click ");
inline const QString BrowseOutput =
    QStringLiteral("in Halvoren2021/08/31.Form1.PushButton7_Click ");
inline const QString NoTextPDF = QStringLiteral("in Halvoren2021/08/31.Main.NoTextPDF ");
inline const QString ReadLines =
    QStringLiteral("in Halvoren2021/08/31.Main.ReadFileToStringFSOLine ");
inline const QString Preview = QStringLiteral("in Halvoren2021/08/31.Form1.ListView1_Click ");
} // namespace tags
