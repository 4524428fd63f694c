// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/BatchController.h"
#include "batch/FinalList.h"
#include "batch/OcrOptionController.h"
#include "BatchFixture.h"
#include "cli/BatchReport.h"
#include "engine/OcrChoice.h"
#include "engine/Outcome.h"
#include "engine/OutputChoice.h"
#include "engine/RunSummary.h"
#include "platform/widgets/CaptionProgressBar.h"
#include "platform/widgets/PointerState.h"
#include "preview/PreviewController.h"

#include "platform/SettingKeys.h"
#include "platform/widgets/WidgetServices.h"

#include <cerrno>
#include <cstring>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

namespace {

QString failureLine(const QString &pdf, const QString &reason)
{
    return QStringLiteral("\r\n") + pdf + reason;
}

const QString Header = QStringLiteral("\r\nThe following files could not be read:");

FileOutcome fileOutcome(const QString &pdf, const QString &output, Outcome outcome,
                        const QString &reason, double seconds, int pages)
{
    FileOutcome file;
    file.pdf = pdf;
    file.output = output;
    file.outcome = outcome;
    file.reason = reason;
    file.seconds = seconds;
    file.pages = pages;
    return file;
}

} // namespace

class TestBatchRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mixedBatchGivesTheExactFinalMessage();
    void passwordsTypedEmptyAndCancelled();
    void onePasswordForTheOtherProtectedFiles_data() { textChoicesFromTheSettings_data(); }
    void onePasswordForTheOtherProtectedFiles();
    void passwordWithQuotesAndBlanksConverts();
    void outputFolderWithAndWithoutTrailingSeparator();
    void outputBesideEachPdf();
    void staleOutputIsNeitherCountedNorTouched();
    void refusals();
    void ocrOption();
    void clickDuringARunAsksToStop_data();
    void clickDuringARunAsksToStop();
    void boxesAndListChangesDuringARunChangeNothing();
    void aPreviewRunsBesideTheRun();
    void finalBoxSavesTheListAndOpensTheFolder();
    void keyboardOnlyFromAddingFilesToTheFinalBox();
    void savedListIsTheReportOfTheCommandLine();
    void progressCaption_data();
    void progressCaption();
    void progressBarGivesItsCaptionToScreenReaders();
    void escapeClosesTheRealBoxes_data();
    void escapeClosesTheRealBoxes();
    void theRealPasswordBoxMasksWhatIsTyped_data();
    void theRealPasswordBoxMasksWhatIsTyped();
    void aRunEndingInTheBackgroundIsNotified_data();
    void aRunEndingInTheBackgroundIsNotified();
    void doubtfulTextsAreNamedAtTheEnd_data();
    void doubtfulTextsAreNamedAtTheEnd();
    void longFinalMessageFitsTheScreen_data();
    void longFinalMessageFitsTheScreen();
    void textChoicesFromTheSettings_data();
    void textChoicesFromTheSettings();

private:
    std::unique_ptr<QTemporaryDir> m_pdfDir;
    std::unique_ptr<MadePdfs> m_pdfs;
};

void TestBatchRun::initTestCase()
{
    m_pdfDir = std::make_unique<QTemporaryDir>();
    m_pdfs = std::make_unique<MadePdfs>(m_pdfDir->filePath(QStringLiteral("in")));
}

void TestBatchRun::mixedBatchGivesTheExactFinalMessage()
{
    WindowFixture fx;
    const QString out = openSavingToOut(fx);
    WindowControls &ui = fx.ui();
    const MadePdfs &p = *m_pdfs;
    for (const QString &pdf : {p.text, p.image, p.user, p.owner, p.damaged, p.pages})
        ui.fileRows->append(pdf);
    fx.services.expectMessage();
    clickStart(ui);

    QCOMPARE(fx.services.boxes().size(), 1);
    const FakeServices::Box box = fx.services.boxes().first();
    QCOMPARE(box.title, QStringLiteral("Morwenda"));
    QCOMPARE(box.text, QStringLiteral("Done.") + Header +
                           failureLine(p.image, reasons::Unreadable) +
                           failureLine(p.user, reasons::Protected) +
                           failureLine(p.damaged, reasons::Damaged));
    QCOMPARE(readAll(out + QStringLiteral("text.txt")), fixtures::convertDirectly(p.text));
    QCOMPARE(readAll(out + QStringLiteral("three pages.txt")), fixtures::convertDirectly(p.pages));
    QVERIFY(readAll(out + QStringLiteral("three pages.txt")).contains("Page three text"));
    // A scan's text file stays, even though it is reported.
    QVERIFY(QFile::exists(out + QStringLiteral("scan.txt")));
    QVERIFY(!QFile::exists(out + QStringLiteral("user.txt")));
    // Nothing of the run is left behind: no staging folders, the bar and pointer are reset.
    QVERIFY(QFile::exists(out + QStringLiteral("owner.txt"))); // copying forbidden, not refused
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 4);
    QCOMPARE(ui.progressBar->value(), 0);
    QCOMPARE(ui.progressBar->text(), QStringLiteral("Progress Bar"));
    QCOMPARE(ui.pointer->value(), int(PointerState::Default));
    QVERIFY(!ui.window->batch().isRunning());
    QCOMPARE(ui.fileRows->count(), 6);
}

void TestBatchRun::finalBoxSavesTheListAndOpensTheFolder()
{
    WindowFixture fx;
    const QString out = openSavingToOut(fx);
    WindowControls &ui = fx.ui();
    const MadePdfs &p = *m_pdfs;
    ui.fileRows->appendAll({p.text, p.image, QStringLiteral("/nowhere/gone.pdf")});
    const QString list = fx.place.path(QStringLiteral("lists/run.csv"));
    QDir().mkpath(QFileInfo(list).absolutePath());
    // A file where the folder would be.
    const QString unwritable = p.text + QStringLiteral("/run.csv");
    fx.services.expectMessage(MessageAnswer::SaveList);
    fx.services.expectSaveFile(unwritable);
    fx.services.expectMessage(); // the save failed, with its reason
    fx.services.expectMessage(MessageAnswer::SaveList);
    fx.services.expectSaveFile(list);
    fx.services.expectMessage(MessageAnswer::OpenFolder);
    fx.services.expectOpenFolder(false);
    fx.services.expectMessage(); // the folder could not be opened
    fx.services.expectMessage(MessageAnswer::OpenFolder);
    fx.services.expectOpenFolder(true);
    fx.services.expectMessage(MessageAnswer::Ok);
    clickStart(ui);
    QVERIFY2(fx.services.pending() == 0, qPrintable(fx.services.describeBoxes()));

    const QList<FakeServices::Box> boxes = fx.services.boxes();
    QCOMPARE(boxes.size(), 11);
    const QString final = boxes[0].text;
    QVERIFY(final.startsWith(QStringLiteral("Done.")));
    for (int i : {0, 3, 5, 8, 10}) {
        QCOMPARE(boxes[i].text, final);
        QCOMPARE(boxes[i].buttons, MessageButtons::OkSaveListOpenFolder);
    }
    // The list is offered in the output folder.
    QCOMPARE(boxes[1].kind, FakeServices::Kind::SaveFile);
    QCOMPARE(boxes[1].preset, QDir(out).filePath(QStringLiteral("morwenda-list.csv")));
    QVERIFY2(boxes[2].text.startsWith(QStringLiteral("The list could not be saved as ") +
                                      unwritable + QStringLiteral(": ")) &&
                 boxes[2].text.size() > unwritable.size() + 34,
             qPrintable(boxes[2].text));
    QCOMPARE(boxes[2].icon, MessageIcon::Warning);
    QVERIFY(!QFile::exists(unwritable));
    QCOMPARE(boxes[6].kind, FakeServices::Kind::OpenFolder);
    QCOMPARE(boxes[6].text, QDir::cleanPath(out));
    QCOMPARE(boxes[7].text,
             QStringLiteral("The folder %1 could not be opened.").arg(QDir::cleanPath(out)));

    const QList<QByteArray> lines = readAll(list).split('\n');
    QCOMPARE(lines.size(), 5); // the header, three files and the end
    QCOMPARE(lines[0],
             QByteArray("path,output,outcome,reason,pages,seconds,ocr_pages,ocr_confidence,"
                        "unread_pages,ocr_turned,ocr_deskewed,identity\r"));
    QVERIFY2(lines[1].startsWith(
                 (p.text + u',' + out + QStringLiteral("text.txt,converted,,1,")).toUtf8()),
             lines[1].constData());
    QVERIFY2(lines[3].startsWith("/nowhere/gone.pdf,"), lines[3].constData());
}

void TestBatchRun::keyboardOnlyFromAddingFilesToTheFinalBox()
{
    WindowFixture fx;
    const QString out = openSavingToOut(fx);
    WindowControls &ui = fx.ui();
    ui.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(ui.window));
    const MadePdfs &p = *m_pdfs;
    // Ctrl+O adds two files; Tab reaches the list, whose arrow keys preview the current file.
    fx.services.expectFiles({p.image, p.text});
    QTest::keyClick(ui.window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(ui.fileRows->texts(), (QStringList{p.image, p.text}));
    ui.helpButton->setFocus();
    QTest::keyClick(ui.helpButton, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ui.fileList);
    QTest::keyClick(ui.fileList, Qt::Key_Down);
    QTest::keyClick(ui.fileList, Qt::Key_Down);
    QVERIFY(QTest::qWaitFor([&] { return !ui.window->preview().isRunning(); }, 60000));
    QVERIFY(ui.previewRows->texts().contains(QStringLiteral("Hello from the first page.")));
    // Alt+S starts the run, which ends with the final box.
    fx.services.expectMessage();
    QTest::keyClick(ui.fileList, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE_WITH_TIMEOUT(fx.services.boxes().size(), 2, 60000);
    QTRY_VERIFY_WITH_TIMEOUT(!ui.window->batch().isRunning(), 5000);
    QVERIFY(fx.services.boxes().last().text.startsWith(QStringLiteral("Done.")));
    QCOMPARE(readAll(out + QStringLiteral("text.txt")), fixtures::convertDirectly(p.text));
}

void TestBatchRun::aRunEndingInTheBackgroundIsNotified_data()
{
    QTest::addColumn<bool>("active");
    QTest::newRow("window active") << true;
    QTest::newRow("window in the background") << false;
}

void TestBatchRun::aRunEndingInTheBackgroundIsNotified()
{
    QFETCH(bool, active);
    WindowFixture fx;
    openSavingToOut(fx);
    QWidget elsewhere; // another program's window, as far as this one can tell
    QWidget &front = active ? static_cast<QWidget &>(fx.window()) : elsewhere;
    front.show();
    front.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&front));
    fx.ui().fileRows->appendAll({m_pdfs->text, m_pdfs->damaged});
    fx.services.expectMessage();
    clickStart(fx.ui());
    if (active) {
        QVERIFY(fx.services.notifications().isEmpty());
        return;
    }
    QCOMPARE(fx.services.notifications().size(), 1);
    QCOMPARE(fx.services.notifications().first().title, QStringLiteral("Morwenda"));
    QCOMPARE(fx.services.notifications().first().text,
             QStringLiteral("Done.\r\n1 of 2 files converted."));
}

void TestBatchRun::doubtfulTextsAreNamedAtTheEnd_data()
{
    QTest::addColumn<int>("outcome");
    QTest::newRow("ocr-doubtful") << int(Outcome::OcrDoubtful);
    QTest::newRow("ocr-low-confidence") << int(Outcome::LowConfidence);
}

void TestBatchRun::doubtfulTextsAreNamedAtTheEnd()
{
    QFETCH(int, outcome);
    FileOutcome doubtful =
        fileOutcome(QStringLiteral("/in/faint scan.pdf"), QStringLiteral("/out/faint scan.txt"),
                    Outcome(outcome), QString(), 4.0, 2);
    doubtful.ocrPages = 2;
    doubtful.ocrConfidence = outcome == int(Outcome::LowConfidence) ? 41.5 : 88.0;
    if (outcome == int(Outcome::OcrDoubtful))
        doubtful.ocr.doubtful = {2};
    const QList<FileOutcome> outcomes = {
        fileOutcome(QStringLiteral("/in/plain.pdf"), QStringLiteral("/out/plain.txt"),
                    Outcome::Converted, QString(), 0.5, 1),
        doubtful,
    };
    // The final box names the file in a section of its own, and the saved list keeps its row.
    const QString message = finallist::message(outcomes);
    QVERIFY2(message.startsWith(QStringLiteral("Done.\r\n")), qPrintable(message));
    QVERIFY2(message.contains(runsummary::LowConfidenceHeader +
                              QStringLiteral("\r\n/in/faint scan.pdf")),
             qPrintable(message));
    const QByteArray csv = finallist::toCsv(outcomes);
    QCOMPARE(csv.count('\n'), 3);
    QVERIFY2(csv.contains("/in/faint scan.pdf") &&
                 csv.contains(outcomeName(Outcome(outcome)).toUtf8()),
             csv.constData());
}

void TestBatchRun::savedListIsTheReportOfTheCommandLine()
{
    const QList<FileOutcome> outcomes = {
        fileOutcome(QStringLiteral("/a/plain.pdf"), QStringLiteral("/out/plain.txt"),
                    Outcome::Converted, {}, 0.25, 3),
        fileOutcome(QStringLiteral("/a/quote \"and\", comma.pdf"), QStringLiteral("/out/q.txt"),
                    Outcome::Damaged, reasons::Damaged, 1.5, -1),
        fileOutcome(QStringLiteral("/a/line\nbreak.pdf"), QString(), Outcome::Stopped,
                    reasons::Stopped, 0, -1),
    };
    QList<ReportRow> rows;
    for (const FileOutcome &file : outcomes) {
        ReportRow row;
        row.pdf = file.pdf;
        row.output = leftText(file.outcome) ? file.output : QString(); // no text, no path
        row.outcome = outcomeName(file.outcome);
        row.reason =
            file.reason.startsWith(QStringLiteral("  - ")) ? file.reason.mid(4) : file.reason;
        row.pages = file.pages;
        row.seconds = file.seconds;
        rows.append(row);
    }
    QCOMPARE(finallist::toCsv(outcomes), batchreport::toCsv(rows));
}

void TestBatchRun::progressCaption_data()
{
    QTest::addColumn<int>("started");
    QTest::addColumn<int>("total");
    QTest::addColumn<qint64>("secondsLeft");
    QTest::addColumn<QString>("caption");
    QTest::newRow("no pace yet") << 1 << 20 << qint64(-1) << "1 of 20: a.pdf";
    QTest::newRow("under a second") << 3 << 20 << qint64(0) << "3 of 20: a.pdf (about 1 s left)";
    QTest::newRow("seconds") << 3 << 20 << qint64(89) << "3 of 20: a.pdf (about 89 s left)";
    QTest::newRow("minutes") << 3 << 20 << qint64(90) << "3 of 20: a.pdf (about 2 min left)";
    QTest::newRow("hours") << 3 << 2000 << qint64(5400) << "3 of 2000: a.pdf (about 2 h left)";
}

void TestBatchRun::progressCaption()
{
    QFETCH(int, started);
    QFETCH(int, total);
    QFETCH(qint64, secondsLeft);
    QFETCH(QString, caption);
    QCOMPARE(BatchController::progressCaption(started, total, QStringLiteral("a.pdf"), secondsLeft),
             caption);
}

void TestBatchRun::progressBarGivesItsCaptionToScreenReaders()
{
    CaptionProgressBar bar;
    bar.show();
    const QString caption = BatchController::progressCaption(18, 55, QStringLiteral("a.pdf"), 1);
    bar.setText(caption);
    bar.setValue(33);
    QAccessibleInterface *read = QAccessible::queryAccessibleInterface(&bar);
    QTRY_COMPARE(read->text(QAccessible::Description), caption);
    QCOMPARE(caption, QStringLiteral("18 of 55: a.pdf (about 1 s left)"));
}

void TestBatchRun::escapeClosesTheRealBoxes_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("lines"); // a long text takes the scrolling box
    QTest::addColumn<int>("answer");
    QTest::newRow("OK") << int(MessageButtons::Ok) << 1 << int(MessageAnswer::Ok);
    QTest::newRow("Yes/No") << int(MessageButtons::YesNo) << 1 << int(MessageAnswer::No);
    QTest::newRow("final box") << int(MessageButtons::OkSaveListOpenFolder) << 1
                               << int(MessageAnswer::Ok);
    QTest::newRow("long final box")
        << int(MessageButtons::OkSaveListOpenFolder) << 3000 << int(MessageAnswer::Ok);
    QTest::newRow("long Yes/No") << int(MessageButtons::YesNo) << 3000 << int(MessageAnswer::No);
}

void TestBatchRun::escapeClosesTheRealBoxes()
{
    QFETCH(int, buttons);
    QFETCH(int, lines);
    QFETCH(int, answer);
    WidgetServices services;
    QStringList text;
    for (int i = 0; i < lines; ++i)
        text << QStringLiteral("line %1").arg(i);
    int escapes = 0;
    QString textName; // the accessible name of the widget that shows the message
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            ++escapes;
            QWidget *shown = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
            if (!shown)
                shown = box->findChild<QPlainTextEdit *>();
            if (shown)
                textName = QAccessible::queryAccessibleInterface(shown)->text(QAccessible::Name);
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    press.start(50);
    const MessageAnswer answered =
        services.messageBox(nullptr, QStringLiteral("Morwenda"), text.join(u'\r'),
                            MessageButtons(buttons), MessageIcon::NoIcon);
    QCOMPARE(int(answered), answer);
    QCOMPARE(escapes, 1);
    QCOMPARE(textName, lines == 1 ? QStringLiteral("line 0") : QStringLiteral("Message"));
}

void TestBatchRun::theRealPasswordBoxMasksWhatIsTyped_data()
{
    QTest::addColumn<QString>("caption"); // the check box's; "" for none
    QTest::addColumn<bool>("tick");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("OK, ticked") << QStringLiteral("&Use it") << true << false;
    QTest::newRow("OK, not ticked") << QStringLiteral("&Use it") << false << false;
    QTest::newRow("no check box") << QString() << false << false;
    QTest::newRow("Escape") << QStringLiteral("&Use it") << true << true;
}

void TestBatchRun::theRealPasswordBoxMasksWhatIsTyped()
{
    QFETCH(QString, caption);
    QFETCH(bool, tick);
    QFETCH(bool, cancel);
    WidgetServices services;
    bool masked = false;
    bool hasCheckBox = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return;
        answer.stop();
        auto *field = box->findChild<QLineEdit *>();
        masked = field && field->echoMode() == QLineEdit::Password && field->hasFocus();
        QTest::keyClicks(field, QStringLiteral("s3cret"));
        auto *same = box->findChild<QCheckBox *>();
        hasCheckBox = same != nullptr;
        if (same && tick)
            same->setChecked(true);
        QTest::keyClick(field, cancel ? Qt::Key_Escape : Qt::Key_Return);
    });
    answer.start(50);
    const PasswordAnswer got = services.passwordBox(nullptr, QStringLiteral("Input Password"),
                                                    QStringLiteral("Enter\rpassword"), caption);
    QVERIFY(masked);
    QCOMPARE(hasCheckBox, !caption.isEmpty());
    QCOMPARE(got.password, cancel ? QString() : QStringLiteral("s3cret"));
    QCOMPARE(got.forTheOthers, tick && !cancel);
}

void TestBatchRun::passwordsTypedEmptyAndCancelled()
{
    WindowFixture fx;
    const QString out = openSavingToOut(fx);
    WindowControls &ui = fx.ui();
    QTest::mouseClick(ui.askPasswordBox, Qt::LeftButton, {},
                      QPoint(5, ui.askPasswordBox->height() / 2));
    QVERIFY(ui.askPasswordBox->isChecked());
    const MadePdfs &p = *m_pdfs;
    // The open password (which the converter refuses as an owner password), a wrong password and
    // an empty answer; a file that only forbids copying and a plain file open without one and
    // get no box (the fake fails on a box it did not expect).
    ui.fileRows->appendAll({p.user, p.owner, p.user, p.user, p.text});
    fx.services.expectPassword(QString::fromUtf16(MadePdfs::UserPassword));
    fx.services.expectPassword(QStringLiteral("wrong"));
    fx.services.expectPassword(QString()); // empty answer, as Cancel gives
    fx.services.expectMessage();
    clickStart(ui);

    const QList<FakeServices::Box> boxes = fx.services.boxes();
    QCOMPARE(boxes.size(), 4);
    QCOMPARE(boxes[0].title, QStringLiteral("Input Password"));
    QCOMPARE(boxes[0].text,
             QStringLiteral("Enter password for file (") + p.user +
                 QStringLiteral("): \r\nNote: Leave this box blank if file is not password "
                                "protected"));
    QCOMPARE(boxes[0].preset, QStringLiteral("&Use this password for the other protected files"));
    QCOMPARE(boxes.last().text, QStringLiteral("Done.") + Header +
                                    failureLine(p.user, reasons::WrongPassword) +
                                    failureLine(p.user, reasons::Protected));
    // The first two files left their texts; the wrong password and the empty one left it alone.
    const QByteArray plain = fixtures::convertDirectly(p.text);
    QCOMPARE(readAll(out + QStringLiteral("user.txt")), plain);
    QCOMPARE(readAll(out + QStringLiteral("owner.txt")), plain);
}

void TestBatchRun::onePasswordForTheOtherProtectedFiles()
{
    const QString other = m_pdfDir->filePath(QStringLiteral("in/other lock.pdf"));
    if (!QFile::exists(other))
        fixtures::encryptPdf(m_pdfs->text, other, QStringLiteral("another"),
                             QStringLiteral("another"));
    const QString again = m_pdfDir->filePath(QStringLiteral("in/same lock.pdf"));
    if (!QFile::exists(again))
        fixtures::encryptPdf(m_pdfs->text, again, QString::fromUtf16(MadePdfs::UserPassword),
                             QString::fromUtf16(MadePdfs::OwnerPassword));
    QFETCH(QString, converter); // each tells a locked file its own way
    WindowFixture fx;
    fx.settings.saveSetting(settingkeys::Converter, converter);
    const QString out = openSavingToOut(fx);
    fx.ui().askPasswordBox->setChecked(true);
    const MadePdfs &p = *m_pdfs;
    fx.ui().fileRows->appendAll({p.text, p.user, other, again, p.owner});
    // One box, ticked: the later locked files take its password unasked; the one it does not
    // open ends as a wrong password, named at the end.
    fx.services.expectPassword(QString::fromUtf16(MadePdfs::UserPassword), true);
    fx.services.expectMessage();
    clickStart(fx.ui());
    QCOMPARE(fx.services.boxes().size(), 2);
    QCOMPARE(fx.services.boxes().first().kind, FakeServices::Kind::Password);
    QCOMPARE(fx.services.boxes().last().text,
             QStringLiteral("Done.") + Header + failureLine(other, reasons::WrongPassword));
    const QByteArray plain = fixtures::convertDirectly(p.text);
    QCOMPARE(readAll(out + QStringLiteral("user.txt")), plain);
    QCOMPARE(readAll(out + QStringLiteral("same lock.txt")), plain);
    QCOMPARE(readAll(out + QStringLiteral("owner.txt")), plain);
    QVERIFY(!QFile::exists(out + QStringLiteral("other lock.txt")));
}

void TestBatchRun::passwordWithQuotesAndBlanksConverts()
{
    const QString password = QStringLiteral("say \"cheese\" & ünïcode");
    const QString pdf = m_pdfDir->filePath(QStringLiteral("in/odd \"name\" ä.pdf"));
    fixtures::encryptPdf(m_pdfs->text, pdf, password, password);
    WindowFixture fx;
    const QString out = openSavingToOut(fx);
    fx.ui().askPasswordBox->setChecked(true);
    fx.ui().fileRows->append(pdf);
    fx.services.expectPassword(password);
    fx.services.expectMessage();
    clickStart(fx.ui());
    QCOMPARE(fx.services.boxes().last().text, QStringLiteral("Done."));
    QCOMPARE(readAll(out + QStringLiteral("odd \"name\" ä.txt")),
             fixtures::convertDirectly(m_pdfs->text));
}

void TestBatchRun::outputFolderWithAndWithoutTrailingSeparator()
{
    for (const QString &suffix : {QString(), QStringLiteral("/"), QStringLiteral("//")}) {
        WindowFixture fx;
        fx.open();
        const QString out = fx.place.path(QStringLiteral("texts"));
        QDir().mkpath(out);
        saveToFolder(fx.ui(), out + suffix);
        fx.ui().fileRows->append(m_pdfs->text);
        fx.services.expectMessage();
        clickStart(fx.ui());
        QCOMPARE(fx.services.boxes().last().text, QStringLiteral("Done."));
        QVERIFY2(QFile::exists(out + QStringLiteral("/text.txt")), qPrintable(suffix));
    }
}

void TestBatchRun::outputBesideEachPdf()
{
    WindowFixture fx;
    fx.open();
    const QString a = fx.place.path(QStringLiteral("a/report.final.PDF"));
    const QString b = fx.place.path(QStringLiteral("b c/other.pdf"));
    // A name without a dot gets ".txt" appended, never the folder itself as its output.
    const QString bare = fx.place.path(QStringLiteral("b c/README"));
    // A PDF named like a text file is never replaced by its own text.
    QFile::copy(m_pdfs->text, a);
    QFile::copy(m_pdfs->pages, b);
    QFile::copy(m_pdfs->text, bare);
    QFile::copy(m_pdfs->text, fx.place.path(QStringLiteral("b c/notes.txt")));
    saveBesidePdf(fx.ui());
    // The folder box is not looked at when saving beside each PDF.
    fx.ui().outputFolderEdit->setText(QStringLiteral("/no/such/folder"));
    fx.ui().fileRows->appendAll({a, b, bare, fx.place.path(QStringLiteral("b c/notes.txt"))});
    fx.services.expectMessage();
    clickStart(fx.ui());
    QCOMPARE(fx.services.boxes().last().text, QStringLiteral("Done."));
    QVERIFY(QFile::exists(fx.place.path(QStringLiteral("a/report.final.txt"))));
    QVERIFY(QFile::exists(fx.place.path(QStringLiteral("b c/other.txt"))));
    QCOMPARE(readAll(fx.place.path(QStringLiteral("b c/README.txt"))),
             fixtures::convertDirectly(m_pdfs->text));
    QCOMPARE(readAll(bare), readAll(m_pdfs->text));
    QCOMPARE(readAll(fx.place.path(QStringLiteral("b c/notes.txt"))), readAll(m_pdfs->text));
    QVERIFY(QFile::exists(fx.place.path(QStringLiteral("b c/notes.txt.txt"))));
}

void TestBatchRun::staleOutputIsNeitherCountedNorTouched()
{
    WindowFixture fx;
    const QString out = openSavingToOut(fx);
    QFile stale(out + QStringLiteral("user.txt"));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("text of an earlier run\n");
    stale.close();
    fx.ui().fileRows->append(m_pdfs->user);
    fx.services.expectMessage();
    clickStart(fx.ui());
    // The converter wrote nothing this time: the earlier file is no result of this run...
    QCOMPARE(fx.services.boxes().last().text, QStringLiteral("File(s) has no data.") + Header +
                                                  failureLine(m_pdfs->user, reasons::Protected));
    // ...and it is left exactly as it was.
    QCOMPARE(readAll(out + QStringLiteral("user.txt")), QByteArray("text of an earlier run\n"));

    // With text among the files, the earlier file is still named with its reason.
    fx.ui().fileRows->append(m_pdfs->text);
    fx.services.expectMessage();
    clickStart(fx.ui());
    QCOMPARE(fx.services.boxes().last().text,
             QStringLiteral("Done.") + Header + failureLine(m_pdfs->user, reasons::Protected));

    // A folder where the text file would go takes no text either, and says why.
    QVERIFY(QDir().mkpath(out + QStringLiteral("three pages.txt")));
    fx.ui().fileRows->append(m_pdfs->pages);
    fx.services.expectMessage();
    clickStart(fx.ui());
    // A text that could not be written is said under its own heading, not as a file unread.
    QCOMPARE(fx.services.boxes().last().text,
             QStringLiteral("Done.") + Header + failureLine(m_pdfs->user, reasons::Protected) +
                 QStringLiteral("\r\n") + runsummary::WriteFailedHeader +
                 failureLine(m_pdfs->pages,
                             reasons::writeFailed(QString::fromLocal8Bit(std::strerror(EISDIR)))));
}

void TestBatchRun::refusals()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    fx.services.expectMessage();
    clickStart(ui);
    QCOMPARE(fx.services.boxes().last().text, QStringLiteral("No files added."));

    ui.fileRows->append(m_pdfs->text);
    saveToFolder(ui, fx.place.path(QStringLiteral("missing")));
    fx.services.expectMessage();
    clickStart(ui);
    QCOMPARE(fx.services.boxes().last().text,
             QStringLiteral("Folder does not exist. Please select another folder.\r\r") +
                 fx.place.path(QStringLiteral("missing")));
    ui.outputFolderEdit->clear();
    fx.services.expectMessage();
    clickStart(ui);
    QCOMPARE(fx.services.boxes().last().text,
             QStringLiteral("Folder does not exist. Please select another folder.\r\r"
                            "(no folder given)"));

    // Neither option selected cannot be reached by clicking, but must not write anywhere.
    const QString out = fx.place.path(QStringLiteral("out"));
    QDir().mkpath(out);
    ui.outputFolderEdit->setText(out);
    ui.saveToFolderOption->setAutoExclusive(false);
    ui.saveToFolderOption->setChecked(false);
    fx.services.expectMessage();
    clickStart(ui);
    QVERIFY(fx.services.boxes().last().text.startsWith(QStringLiteral("Please choose where")));
    QVERIFY(QDir(out).isEmpty());
    // The early messages leave the pointer and the bar alone, and the run can start again.
    QCOMPARE(ui.progressBar->text(), QStringLiteral("Progress Bar"));
    QVERIFY(!ui.window->batch().isRunning());
    QCOMPARE(fx.services.pending(), 0);
}

void TestBatchRun::ocrOption()
{
    if (OcrChoice::installedLanguages().isEmpty())
        QSKIP("tesseract or its English data is not installed");
    WindowFixture fx;
    const QString out = openSavingToOut(fx);
    WindowControls &ui = fx.ui();
    QVERIFY(ui.ocrBox->isEnabled());
    QVERIFY(!ui.ocrBox->isChecked()); // off until the user ticks it
    QVERIFY(!ui.ocrLanguageList->isEnabled());
    QVERIFY(ui.ocrLanguageList->findText(QStringLiteral("eng")) >= 0);

    // Ticked, a scanned page gives its text and the final message says so.
    QTest::mouseClick(ui.ocrBox, Qt::LeftButton, {}, QPoint(5, ui.ocrBox->height() / 2));
    QCOMPARE(fx.settings.getSetting(settingkeys::Ocr, QString()), QStringLiteral("auto"));
    QVERIFY(ui.ocrLanguageList->isEnabled());
    const QString scan = fx.place.path(QStringLiteral("letter.pdf"));
    fixtures::writeScannedPdf(scan, {QStringLiteral("Dear members, the meeting is on Friday.")},
                              {0});
    ui.fileRows->appendAll({scan, m_pdfs->image});
    fx.services.expectMessage();
    clickStart(ui);
    const QString message = fx.services.boxes().last().text;
    QVERIFY2(
        message.startsWith(QStringLiteral("Done.\r\nThe following files could not be read:\r\n") +
                           m_pdfs->image + reasons::Unreadable +
                           QStringLiteral("\r\nText read by OCR from scanned pages:\r\n") + scan +
                           QStringLiteral("  - 1 of 1 pages read by OCR, mean word confidence ")) &&
            message.endsWith(QStringLiteral(" %.")),
        qPrintable(message));
    QVERIFY(readAll(out + QStringLiteral("letter.txt")).contains("meeting is on Friday"));

    // A language that is not installed: one box, no run.
    fx.settings.saveSetting(settingkeys::OcrLanguages, QStringLiteral("eng+xyz"));
    fx.window().ocrOption().restoreChoices(OcrChoice::installedLanguages());
    QCOMPARE(ui.ocrLanguageList->currentText(), QStringLiteral("eng+xyz"));
    QFile::remove(out + QStringLiteral("letter.txt"));
    const int before = int(fx.services.boxes().size());
    fx.services.expectMessage();
    clickStart(ui);
    QCOMPARE(fx.services.boxes().size(), before + 1);
    QVERIFY2(fx.services.boxes().last().text.contains(QStringLiteral("tesseract-ocr-xyz")),
             qPrintable(fx.services.boxes().last().text));
    QVERIFY(!QFileInfo::exists(out + QStringLiteral("letter.txt")));

    // Without tesseract's data the option is greyed and says which package to install.
    fx.window().ocrOption().restoreChoices({});
    QVERIFY(!ui.ocrBox->isEnabled());
    QVERIFY(!ui.ocrLanguageList->isEnabled());
    QVERIFY(ui.ocrBox->toolTip().contains(QStringLiteral("tesseract-ocr-eng")));
    QCOMPARE(fx.services.pending(), 0);
}

void TestBatchRun::clickDuringARunAsksToStop_data()
{
    QTest::addColumn<bool>("stop");
    QTest::newRow("No: the run goes on") << false;
    QTest::newRow("Yes: the run stops at once") << true;
}

void TestBatchRun::clickDuringARunAsksToStop()
{
    QFETCH(bool, stop);
    WindowFixture fx;
    // One converter at a time, and a page of nested forms stopped after 3 s without new text.
    fx.settings.saveSetting(settingkeys::Converters, QStringLiteral("1"));
    fx.settings.saveSetting(settingkeys::ConverterTimeLimit, QStringLiteral("3"));
    const QString out = openSavingToOut(fx);
    WindowControls &ui = fx.ui();
    const QString forms = m_pdfDir->filePath(QStringLiteral("in/forms.pdf"));
    fixtures::writeFormBomb(forms, 6);
    ui.fileRows->appendAll({m_pdfs->text, forms, m_pdfs->pages});
    const QString idleTip = ui.startButton->toolTip();
    QTest::mouseClick(ui.startButton, Qt::LeftButton);
    // The second file of three; the first one done sets the pace for the time left.
    QTRY_VERIFY_WITH_TIMEOUT(
        ui.progressBar->text().startsWith(QStringLiteral("2 of 3: forms.pdf (about ")), 20000);
    QVERIFY(QFile::exists(out + QStringLiteral("text.txt")));
    QCOMPARE(ui.progressBar->value(), 33); // one file of three is done
    QCOMPARE(ui.pointer->value(), int(PointerState::Busy));
    QVERIFY(ui.startButton->toolTip().contains(QStringLiteral("stop")));

    fx.services.expectMessage(stop ? MessageAnswer::Yes : MessageAnswer::No);
    fx.services.expectMessage();
    QElapsedTimer clock;
    clock.start();
    clickStart(ui);
    const QList<FakeServices::Box> boxes = fx.services.boxes();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0].text, BatchController::stopQuestion());
    QCOMPARE(boxes[0].buttons, MessageButtons::YesNo);
    if (stop) {
        // Stopped at once, long before the time limit; the finished text stays.
        QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(boxes[1].text, QStringLiteral("Done.\r\n") + runsummary::stoppedHeader(2) +
                                    QStringLiteral("\r\n") + forms + QStringLiteral("\r\n") +
                                    m_pdfs->pages);
        QVERIFY(!QFile::exists(out + QStringLiteral("three pages.txt")));
    } else {
        QCOMPARE(boxes[1].text,
                 QStringLiteral("Done.") + Header + failureLine(forms, reasons::timeLimit(3)));
        QCOMPARE(readAll(out + QStringLiteral("three pages.txt")),
                 fixtures::convertDirectly(m_pdfs->pages));
    }
    QCOMPARE(readAll(out + QStringLiteral("text.txt")), fixtures::convertDirectly(m_pdfs->text));
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
             stop ? 1 : 2);
    QCOMPARE(ui.startButton->toolTip(), idleTip);
    QCOMPARE(ui.pointer->value(), int(PointerState::Default));
    QCOMPARE(ui.progressBar->text(), QStringLiteral("Progress Bar"));
}

void TestBatchRun::boxesAndListChangesDuringARunChangeNothing()
{
    WindowFixture fx;
    fx.settings.saveSetting(settingkeys::Converters, QStringLiteral("1"));
    const QString out = openSavingToOut(fx);
    WindowControls &ui = fx.ui();
    const MadePdfs &p = *m_pdfs;
    const QStringList rows = {p.text, p.image, p.pages, p.user};
    ui.fileRows->appendAll(rows);
    // The Help box opens while the first file converts; every file is converted while it is open.
    fx.services.expectMessage(MessageAnswer::Ok, [&](const FakeServices::Box &) {
        // Rows exchanged as a drag exchanges them, and one removed, change nothing.
        ui.fileRows->setText(0, p.pages);
        ui.fileRows->setText(2, p.text);
        ui.fileRows->removeAt(1);
        ui.fileRows->append(p.owner);
        QVERIFY(QTest::qWaitFor([&] { return !ui.window->batch().isConverting(); }, 60000));
    });
    fx.services.expectMessage();
    QTest::mouseClick(ui.startButton, Qt::LeftButton);
    QTest::mouseClick(ui.helpButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!ui.window->batch().isRunning(), 60000);
    const QList<FakeServices::Box> boxes = fx.services.boxes();
    QCOMPARE(boxes.size(), 2);
    // The final message came only once the Help box was closed, after every file was done.
    QCOMPARE(boxes[1].text, QStringLiteral("Done.") + Header +
                                failureLine(p.image, reasons::Unreadable) +
                                failureLine(p.user, reasons::Protected));
    QCOMPARE(readAll(out + QStringLiteral("text.txt")), fixtures::convertDirectly(p.text));
    QCOMPARE(readAll(out + QStringLiteral("three pages.txt")), fixtures::convertDirectly(p.pages));
    QVERIFY(QFile::exists(out + QStringLiteral("scan.txt")));
    QVERIFY(!QFile::exists(out + QStringLiteral("owner.txt")));
}

void TestBatchRun::aPreviewRunsBesideTheRun()
{
    WindowFixture fx;
    fx.settings.saveSetting(settingkeys::Converters, QStringLiteral("1"));
    openSavingToOut(fx);
    WindowControls &ui = fx.ui();
    const QString forms = m_pdfDir->filePath(QStringLiteral("in/forms-beside.pdf"));
    fixtures::writeFormBomb(forms, 6);
    ui.fileRows->appendAll({forms, m_pdfs->text});
    QTest::mouseClick(ui.startButton, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(ui.progressBar->text(), QStringLiteral("1 of 2: forms-beside.pdf"),
                              20000);
    // The run's converter is busy for minutes; the preview of another file comes meanwhile, and
    // its end gives the busy pointer back to the run, so the list cannot be cleared under it.
    const QRect row = ui.fileList->visualRect(ui.fileRows->index(1));
    QTest::mouseClick(ui.fileList->viewport(), Qt::LeftButton, {}, row.center());
    QTRY_VERIFY_WITH_TIMEOUT(
        ui.previewRows->texts().contains(QStringLiteral("Hello from the first page.")), 20000);
    QCOMPARE(ui.progressBar->text(), QStringLiteral("1 of 2: forms-beside.pdf"));
    QCOMPARE(ui.pointer->value(), int(PointerState::Busy));
    QTest::mouseClick(ui.clearButton, Qt::LeftButton);
    QCOMPARE(ui.fileRows->count(), 2);
    fx.services.expectMessage(MessageAnswer::Yes);
    fx.services.expectMessage();
    clickStart(ui);
    // Stopped before any text was in place: the message names the files the stop left, apart
    // from the failures.
    QCOMPARE(fx.services.boxes().last().text,
             QStringLiteral("File(s) has no data.\r\n") + runsummary::stoppedHeader(2) +
                 QStringLiteral("\r\n") + forms + QStringLiteral("\r\n") + m_pdfs->text);
    QCOMPARE(ui.pointer->value(), int(PointerState::Default));
}

void TestBatchRun::longFinalMessageFitsTheScreen_data()
{
    QTest::addColumn<int>("failures");
    QTest::newRow("three failures: the usual message box") << 3;
    QTest::newRow("400 failures: the list scrolls") << 400;
}

void TestBatchRun::longFinalMessageFitsTheScreen()
{
    QFETCH(int, failures);
    QString text = QStringLiteral("Done.") + Header;
    for (int i = 0; i < failures; ++i)
        text += failureLine(QStringLiteral("/data/archive/%1.pdf").arg(i), reasons::Unreadable);
    WidgetServices services;
    bool checked = false;
    QTimer::singleShot(0, [&] {
        QWidget *box = QApplication::activeModalWidget();
        QVERIFY(box);
        // Closed however the checks end, so that a failure cannot leave the test waiting.
        const auto closeBox = qScopeGuard([box] { box->close(); });
        if (auto *messageBox = qobject_cast<QMessageBox *>(box)) {
            QCOMPARE(failures, 3);
            QCOMPARE(messageBox->text(), QString(text).replace(QStringLiteral("\r\n"), "\n"));
            QVERIFY(messageBox->textInteractionFlags() & Qt::TextSelectableByMouse);
            checked = true;
            return;
        }
        const QRect screen = box->screen()->availableGeometry();
        QVERIFY2(screen.contains(box->frameGeometry()),
                 qPrintable(QStringLiteral("%1x%2 on %3x%4")
                                .arg(box->frameGeometry().width())
                                .arg(box->frameGeometry().height())
                                .arg(screen.width())
                                .arg(screen.height())));
        // The whole text, in one view that scrolls and whose text can be selected and copied.
        auto *view = box->findChild<QPlainTextEdit *>();
        QVERIFY(view);
        QVERIFY(view->isReadOnly());
        QVERIFY(view->textInteractionFlags() & Qt::TextSelectableByKeyboard);
        QCOMPARE(view->toPlainText(), QString(text).replace(QStringLiteral("\r\n"), "\n"));
        QVERIFY(view->verticalScrollBar()->maximum() > 0);
        view->selectAll();
        view->copy();
        QVERIFY(QGuiApplication::clipboard()->text().contains(
            QStringLiteral("/data/archive/%1.pdf").arg(failures - 1)));
        checked = true;
    });
    QCOMPARE(services.messageBox(nullptr, QStringLiteral("Morwenda"), text, MessageButtons::Ok,
                                 MessageIcon::NoIcon),
             MessageAnswer::Ok);
    QVERIFY(checked);
}

void TestBatchRun::textChoicesFromTheSettings_data()
{
    QTest::addColumn<QString>("converter");
    QTest::newRow("service") << QStringLiteral("service");
    QTest::newRow("pdftotext") << QStringLiteral("pdftotext");
}

// The text keys of the settings give the text pdftotext gives with the same options, a long
// document included (the service converts it in ranges on two converters).
void TestBatchRun::textChoicesFromTheSettings()
{
    QFETCH(QString, converter);
    const QString book = m_pdfDir->filePath(QStringLiteral("in/book.pdf"));
    if (!QFile::exists(book)) {
        QStringList pages;
        for (int page = 1; page <= 100; ++page)
            pages << QStringLiteral("Page %1.\nCafé, naïve façade.").arg(page);
        fixtures::writeTextPdf(book, pages);
    }
    WindowFixture fx;
    fx.settings.saveSetting(settingkeys::Converter, converter);
    fx.settings.saveSetting(settingkeys::Converters, QStringLiteral("2"));
    fx.settings.saveSetting(settingkeys::TextMode, QStringLiteral("layout"));
    fx.settings.saveSetting(settingkeys::FirstPage, QStringLiteral("2"));
    fx.settings.saveSetting(settingkeys::TextEncoding, QStringLiteral("latin1"));
    fx.settings.saveSetting(settingkeys::EndOfLine, QStringLiteral("dos"));
    fx.settings.saveSetting(settingkeys::PageBreaks, QStringLiteral("False"));
    const QString out = openSavingToOut(fx);
    fx.ui().fileRows->appendAll({book, m_pdfs->pages});
    fx.services.expectMessage();
    clickStart(fx.ui());
    QCOMPARE(fx.services.boxes().last().text, QStringLiteral("Done."));
    const QStringList options =
        QStringLiteral("-layout -f 2 -enc Latin1 -eol dos -nopgbrk").split(u' ');
    QCOMPARE(readAll(out + QStringLiteral("book.txt")), fixtures::convertDirectly(book, options));
    QCOMPARE(readAll(out + QStringLiteral("three pages.txt")),
             fixtures::convertDirectly(m_pdfs->pages, options));
}

QTEST_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
