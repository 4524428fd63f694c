// SPDX-License-Identifier: GPL-3.0-or-later
// The final message in the user's language for the window, in English for morwenda-batch and the
// reports.
#include "app/Translations.h"
#include "engine/Outcome.h"
#include "engine/RunSummary.h"
#include "MarkingTranslator.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QTest>

class TestRunSummary : public QObject
{
    Q_OBJECT

private slots:
    void everyReasonIsTranslatedAndKeepsWhatItQuotes_data();
    void everyReasonIsTranslatedAndKeepsWhatItQuotes();
    void theWindowsMessageIsTranslatedTheCommandLinesIsNot();
    void germanFinalMessage();
    void sectionsOfOneFile_data();
    void sectionsOfOneFile();
};

namespace {

QString unmarked(QString text)
{
    return text.remove(u'\u27e6').remove(u'\u27e7');
}

FileOutcome outcomeOf(const QString &pdf, const QString &output)
{
    FileOutcome file;
    file.pdf = pdf;
    file.output = output;
    return file;
}

QList<FileOutcome> someOutcomes()
{
    FileOutcome good = outcomeOf(QStringLiteral("/in/a.pdf"), QStringLiteral("/out/a (2).txt"));
    good.outcome = Outcome::Converted;
    good.numbered = true;
    good.pages = 4;
    good.ocrPages = 3;
    good.ocrConfidence = 91;
    FileOutcome missing =
        outcomeOf(QStringLiteral("/in/b %1.pdf"), QStringLiteral("/out/b %1.txt"));
    missing.outcome = Outcome::CannotRead;
    missing.reason = reasons::cannotRead(QStringLiteral("No such file or directory"));
    FileOutcome slow = outcomeOf(QStringLiteral("/in/c.pdf"), QStringLiteral("/out/c.txt"));
    slow.outcome = Outcome::TimeLimit;
    slow.reason = reasons::timeLimit(30);
    return {good, missing, slow};
}

} // namespace

void TestRunSummary::everyReasonIsTranslatedAndKeepsWhatItQuotes_data()
{
    QTest::addColumn<QString>("reason");
    QTest::newRow("wrong password") << reasons::WrongPassword;
    QTest::newRow("protected") << reasons::Protected;
    QTest::newRow("unreadable") << reasons::Unreadable;
    QTest::newRow("damaged") << reasons::Damaged;
    QTest::newRow("stopped") << reasons::Stopped;
    QTest::newRow("cannot read") << reasons::cannotRead(QStringLiteral("Permission denied"));
    QTest::newRow("quotes a %1") << reasons::cannotRead(QStringLiteral("odd %1 words %2"));
    QTest::newRow("write failed") << reasons::writeFailed(QStringLiteral("No space left"));
    QTest::newRow("time limit") << reasons::timeLimit(30);
    QTest::newRow("time limit of one second") << reasons::timeLimit(1);
    QTest::newRow("memory limit") << reasons::memoryLimit(1024);
    QTest::newRow("crashed") << reasons::crashed(11);
    QTest::newRow("cannot start") << reasons::cannotStart(QStringLiteral("Permission denied"));
    QTest::newRow("service lost") << reasons::serviceLost(
        QStringLiteral("The converter service was killed (signal 9)."));
    QTest::newRow("read by OCR") << reasons::readByOcr(3, 4, 91.4);
    QTest::newRow("read by OCR, no words") << reasons::readByOcr(1, 1, -1);
    QTest::newRow("low confidence") << reasons::lowConfidence(2, 5, 41);
    QTest::newRow("page range") << reasons::pageRange(10, 5);
    QTest::newRow("no text encoding") << reasons::noTextEncoding(QStringLiteral("Latin9"));
    QTest::newRow("pages unread") << reasons::pagesUnread(10, 40, QStringLiteral("31-40"));
    QTest::newRow("pages unread, not named") << reasons::pagesUnread(1, 3, QString());
    QTest::newRow("changed") << reasons::Changed;
}

void TestRunSummary::everyReasonIsTranslatedAndKeepsWhatItQuotes()
{
    QFETCH(QString, reason);
    MarkingTranslator marking;
    QCoreApplication::installTranslator(&marking);
    const QString translated = reasons::translated(reason);
    QCoreApplication::removeTranslator(&marking);
    QVERIFY2(translated.startsWith(QStringLiteral("  - \u27e6")), qPrintable(translated));
    // Only the reason's own words are translated: the number, the system's words stay.
    QCOMPARE(unmarked(translated), reason);
    QCOMPARE(reasons::translated(QStringLiteral("not a reason")), QStringLiteral("not a reason"));
}

void TestRunSummary::theWindowsMessageIsTranslatedTheCommandLinesIsNot()
{
    const QList<FileOutcome> outcomes = someOutcomes();
    const QString english = runsummary::finalMessage(outcomes);
    QCOMPARE(english,
             QStringLiteral("Done.\r\nThe following files could not be read:\r\n"
                            "/in/b %1.pdf  - the file could not be read: No such file or "
                            "directory.\r\n/in/c.pdf  - stopped after 30 seconds without new "
                            "text (time limit).\r\nText read by OCR from scanned pages:\r\n"
                            "/in/a.pdf  - 3 of 4 pages read by OCR, mean word confidence 91 %.\r\n"
                            "These texts were numbered, because a listed file or an earlier text "
                            "has the same name:\r\n/in/a.pdf  - its text is a (2).txt"));
    MarkingTranslator marking;
    QCoreApplication::installTranslator(&marking);
    const auto remove = qScopeGuard([&] { QCoreApplication::removeTranslator(&marking); });
    // morwenda-batch's words stay English whatever translation is installed.
    QCOMPARE(runsummary::finalMessage(outcomes), english);
    const QString shown = runsummary::finalMessage(outcomes, runsummary::Words::UserLanguage);
    QCOMPARE(unmarked(shown), english);
    // Every line but the file names went through translation.
    for (const QString &line : shown.split(QStringLiteral("\r\n")))
        QVERIFY2(line.contains(u'\u27e6'), qPrintable(line));
    // So do the other two messages.
    QList<FileOutcome> none = outcomes.mid(1);
    QVERIFY(runsummary::finalMessage(none, runsummary::Words::UserLanguage)
                .startsWith(MarkingTranslator::marked(runsummary::NoData)));
    for (FileOutcome &file : none) {
        file.outcome = Outcome::CannotStart;
        file.reason = reasons::cannotStart(QStringLiteral("No such file or directory"));
    }
    QVERIFY(runsummary::finalMessage(none, runsummary::Words::UserLanguage)
                .startsWith(MarkingTranslator::marked(runsummary::NoConverter)));
}

void TestRunSummary::germanFinalMessage()
{
    QVERIFY(installTranslations(QLocale(QLocale::German, QLocale::Germany)));
    const auto remove = qScopeGuard([] { removeTranslations(); });
    const QString shown = runsummary::finalMessage(someOutcomes(), runsummary::Words::UserLanguage);
    QVERIFY2(shown.startsWith(QStringLiteral("Fertig.\r\nDie folgenden Dateien konnten nicht "
                                             "gelesen werden:\r\n/in/b %1.pdf  - die Datei")),
             qPrintable(shown));
    QVERIFY2(shown.contains(QStringLiteral("/in/c.pdf  - nach 30 Sekunden ohne neuen Text")),
             qPrintable(shown));
    QVERIFY2(shown.endsWith(QStringLiteral("/in/a.pdf  - ihr Text ist a (2).txt")),
             qPrintable(shown));
    // Reports keep the English reason.
    QCOMPARE(someOutcomes().at(2).reason, reasons::timeLimit(30));
}

void TestRunSummary::sectionsOfOneFile_data()
{
    using namespace runsummary;
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("pagesUnread");
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<QStringList>("headers");
    QTest::newRow("converted") << int(Outcome::Converted) << 0 << false << QStringList();
    QTest::newRow("no usable text is a failure with its text in place")
        << int(Outcome::NoUsableText) << 0 << false << QStringList{FailureListHeader};
    QTest::newRow("no usable text and an unread page")
        << int(Outcome::NoUsableText) << 1 << false
        << QStringList{FailureListHeader, PagesUnreadHeader};
    QTest::newRow("one page unread")
        << int(Outcome::Converted) << 1 << false << QStringList{PagesUnreadHeader};
    QTest::newRow("doubtful OCR") << int(Outcome::OcrDoubtful) << 0 << false
                                  << QStringList{LowConfidenceHeader};
    QTest::newRow("numbered text")
        << int(Outcome::Converted) << 0 << true << QStringList{RenamedListHeader};
    QTest::newRow("numbered but no text left: no name to tell")
        << int(Outcome::Damaged) << 0 << true << QStringList{FailureListHeader};
}

// Which sections of the final message, shared by the window and morwenda-batch, name a file.
void TestRunSummary::sectionsOfOneFile()
{
    QFETCH(int, outcome);
    QFETCH(int, pagesUnread);
    QFETCH(bool, numbered);
    QFETCH(QStringList, headers);
    FileOutcome file = outcomeOf(QStringLiteral("/in/a.pdf"), QStringLiteral("/out/a (2).txt"));
    file.outcome = Outcome(outcome);
    file.pagesUnread = pagesUnread;
    file.pagesRequested = 3;
    file.numbered = numbered;
    QStringList shown;
    for (const runsummary::Section &section : runsummary::sections({file}))
        shown << section.header;
    QCOMPARE(shown, headers);
}

QTEST_MAIN(TestRunSummary)
#include "tst_runsummary.moc"
