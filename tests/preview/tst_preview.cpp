// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchFixture.h"
#include "engine/Outcome.h"
#include "filelist/FileListController.h"
#include "platform/SettingKeys.h"
#include "platform/widgets/CaptionProgressBar.h"
#include "platform/widgets/PointerState.h"
#include "preview/PreviewController.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTreeView>

namespace {

bool previewEnds(WindowControls &ui)
{
    return QTest::qWaitFor([&] { return !ui.window->preview().isRunning(); }, 60000);
}

// Clicks the row as the user would: the click selects it and starts the preview, which shows its
// rows when its converter ends.
void clickRow(WindowControls &ui, int row)
{
    const QRect rect = ui.fileList->visualRect(ui.fileRows->index(row));
    QTest::mouseClick(ui.fileList->viewport(), Qt::LeftButton, {}, rect.center());
    QVERIFY(previewEnds(ui));
}

QStringList lines(const QByteArray &text)
{
    QStringList result = QString::fromUtf8(text).split(u'\n');
    if (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result;
}

QStringList numberedLines(int from, int to)
{
    QStringList page;
    for (int i = from; i <= to; ++i)
        page << QStringLiteral("Line %1").arg(i);
    return page;
}

} // namespace

class TestPreview : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void clickOnAnEmptyListDoesNothing();
    void showsTheLinesAsTheConverterWroteThem();
    void lineLimit_data();
    void lineLimit();
    void onlyTheFirstHundredPagesAreRead();
    void messageRows();
    void scannedFirstPageWithOcr();
    void arrowKeysPreviewTheCurrentRow();
    void textFileBesideThePdfSurvives();
    void passwordBox();
    void previewRowsStayWhenTheListIsCleared();
    void doubleClickDuringItsPreviewPreviewsOnce();
    void theNewerPreviewWins();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MadePdfs> m_pdfs;
};

void TestPreview::initTestCase()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_pdfs = std::make_unique<MadePdfs>(m_dir->filePath(QStringLiteral("in")));
}

void TestPreview::clickOnAnEmptyListDoesNothing()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    ui.previewRows->append(QStringLiteral("earlier row"));
    int pointerChanges = 0;
    QObject::connect(ui.pointer, &PointerState::changed, ui.window, [&] { ++pointerChanges; });
    QTest::mouseClick(ui.fileList->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    ui.window->preview().previewFile(ui.window->fileList().selectedPath(), false);
    QCOMPARE(pointerChanges, 0);
    QCOMPARE(ui.previewRows->texts(), QStringList{QStringLiteral("earlier row")});
}

void TestPreview::showsTheLinesAsTheConverterWroteThem()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    ui.fileRows->append(m_pdfs->pages);
    clickRow(ui, 0);
    const QByteArray direct =
        fixtures::convertDirectly(m_pdfs->pages, {QStringLiteral("-f"), QStringLiteral("1"),
                                                  QStringLiteral("-l"), QStringLiteral("100")});
    QCOMPARE(ui.previewRows->texts(), lines(direct));
    // Page breaks stay inside the rows they fall in.
    QVERIFY(ui.previewRows->texts().join(QString()).contains(u'\f'));
    QCOMPARE(ui.pointer->value(), int(PointerState::Default));
    QCOMPARE(ui.progressBar->text(), QStringLiteral("Progress Bar"));
}

void TestPreview::lineLimit_data()
{
    QTest::addColumn<int>("lineCount");
    QTest::newRow("7 lines") << 7;
    QTest::newRow("about 100 lines") << 97;
    QTest::newRow("250 lines") << 250;
}

void TestPreview::lineLimit()
{
    QFETCH(int, lineCount);
    WindowFixture fx;
    fx.open();
    // 50 lines a page; the converter adds its own blank lines and page breaks.
    QStringList pages;
    for (int first = 1; first <= lineCount; first += 50)
        pages << numberedLines(first, qMin(first + 49, lineCount)).join(u'\n');
    const QString pdf = fx.place.path(QStringLiteral("lines.pdf"));
    fixtures::writeTextPdf(pdf, pages);
    fx.ui().fileRows->append(pdf);
    clickRow(fx.ui(), 0);
    const QStringList direct = lines(fixtures::convertDirectly(pdf));
    QVERIFY(direct.size() > lineCount);
    QCOMPARE(fx.ui().previewRows->texts(), direct.mid(0, PreviewController::LineLimit));
    QCOMPARE(fx.ui().previewRows->text(0), QStringLiteral("Line 1"));
}

void TestPreview::onlyTheFirstHundredPagesAreRead()
{
    WindowFixture fx;
    fx.open();
    // A hundred empty pages, then text: the preview reaches only the empty ones.
    QStringList pages;
    for (int i = 0; i < 100; ++i)
        pages << QString();
    pages << QStringLiteral("Text on page 101");
    const QString pdf = fx.place.path(QStringLiteral("late text.pdf"));
    fixtures::writeTextPdf(pdf, pages);
    fx.ui().fileRows->append(pdf);
    clickRow(fx.ui(), 0);
    QCOMPARE(fx.ui().previewRows->texts(),
             QStringList{PreviewController::unreadableRow(QStringLiteral("late text"))});
}

void TestPreview::messageRows()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    ui.fileRows->appendAll({m_pdfs->user, m_pdfs->image, m_pdfs->damaged});
    clickRow(ui, 0);
    QCOMPARE(ui.previewRows->texts(),
             QStringList{QStringLiteral(
                 "The file user can not be read by this software - password protected.")});
    clickRow(ui, 1);
    QCOMPARE(ui.previewRows->texts(),
             QStringList{QStringLiteral(
                 "The file scan can not be read by this software - text unreadable. Please view "
                 "the file yourself to see if it is really a scanned image of text and not "
                 "proper PDF text.")});
    clickRow(ui, 2);
    QCOMPARE(ui.previewRows->texts(),
             QStringList{QStringLiteral("The file damaged can not be read by this software - "
                                        "damaged file or not a PDF file.")});
}

void TestPreview::scannedFirstPageWithOcr()
{
    WindowFixture fx;
    fx.settings.saveSetting(settingkeys::Ocr, QStringLiteral("auto"));
    fx.open();
    WindowControls &ui = fx.ui();
    if (!ui.ocrBox->isEnabled())
        QSKIP("tesseract or its English data is not installed");
    const QString scan = fx.place.path(QStringLiteral("letter.pdf"));
    fixtures::writeScannedPdf(scan,
                              {QStringLiteral("Dear members,\nthe meeting is on Friday."),
                               QStringLiteral("Second sheet"), QStringLiteral("Third sheet")},
                              {0, 1, 2});
    ui.fileRows->append(scan);
    clickRow(ui, 0);
    QVERIFY2(ui.previewRows->texts().contains(QStringLiteral("the meeting is on Friday.")),
             qPrintable(ui.previewRows->texts().join(u'|')));
    // A preview reads two pages by OCR at most: enough lines, in seconds.
    const QString shown = ui.previewRows->texts().join(u'|');
    QVERIFY2(shown.contains(QStringLiteral("Second sheet")) &&
                 !shown.contains(QStringLiteral("Third sheet")),
             qPrintable(shown));

    // Off, the scan is unreadable as before.
    QTest::mouseClick(ui.ocrBox, Qt::LeftButton, {}, QPoint(5, ui.ocrBox->height() / 2));
    clickRow(ui, 0);
    QVERIFY2(ui.previewRows->texts().value(0).contains(QStringLiteral("text unreadable")),
             qPrintable(ui.previewRows->texts().join(u'|')));
}

void TestPreview::arrowKeysPreviewTheCurrentRow()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    ui.fileRows->appendAll({m_pdfs->image, m_pdfs->text});
    clickRow(ui, 0);
    const QStringList scan{PreviewController::unreadableRow(QStringLiteral("scan"))};
    QCOMPARE(ui.previewRows->texts(), scan);
    ui.fileList->setFocus();
    QTest::keyClick(ui.fileList, Qt::Key_Down);
    QVERIFY(previewEnds(ui));
    QVERIFY(ui.previewRows->texts().contains(QStringLiteral("Hello from the first page.")));
    QTest::keyClick(ui.fileList, Qt::Key_Home);
    QVERIFY(previewEnds(ui));
    QCOMPARE(ui.previewRows->texts(), scan);
    // A key that does not move leaves the preview as it is.
    ui.previewRows->clear();
    QTest::keyClick(ui.fileList, Qt::Key_Up);
    QCOMPARE(ui.window->preview().isRunning(), false);
    QVERIFY(ui.previewRows->texts().isEmpty());
}

void TestPreview::textFileBesideThePdfSurvives()
{
    WindowFixture fx;
    fx.open();
    const QString pdf = fx.place.path(QStringLiteral("docs/report.pdf"));
    QFile::copy(m_pdfs->text, pdf);
    const QString txt = fx.place.path(QStringLiteral("docs/report.txt"));
    QFile earlier(txt);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("my own notes\n");
    earlier.close();
    fx.ui().fileRows->append(pdf);
    clickRow(fx.ui(), 0);
    QVERIFY(fx.ui().previewRows->texts().contains(QStringLiteral("Hello from the first page.")));
    QCOMPARE(readAll(txt), QByteArray("my own notes\n"));
    QCOMPARE(QDir(fx.place.path(QStringLiteral("docs"))).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("report.pdf"), QStringLiteral("report.txt")}));

    // A name without a dot previews like any other.
    const QString bare = fx.place.path(QStringLiteral("docs/NOTES"));
    QFile::copy(m_pdfs->image, bare);
    fx.ui().fileRows->append(bare);
    clickRow(fx.ui(), 1);
    QCOMPARE(fx.ui().previewRows->texts(),
             QStringList{PreviewController::unreadableRow(QStringLiteral("NOTES"))});
}

void TestPreview::passwordBox()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    ui.askPasswordBox->setChecked(true);
    ui.fileRows->appendAll({m_pdfs->user, m_pdfs->text, m_pdfs->owner});
    fx.services.expectPassword(QString::fromUtf16(MadePdfs::UserPassword));
    clickRow(ui, 0);
    QCOMPARE(fx.services.boxes().first().title, QStringLiteral("Input Password"));
    QCOMPARE(fx.services.boxes().first().preset, QString()); // one file: nothing to share with
    QCOMPARE(fx.services.boxes().first().text,
             QStringLiteral("Enter password for file (") + m_pdfs->user +
                 QStringLiteral("): \r\nNote: Leave this box blank if file is not password "
                                "protected"));
    QVERIFY(ui.previewRows->texts().contains(QStringLiteral("Hello from the first page.")));

    // A cancelled box runs without a password, as an unchecked option does.
    fx.services.expectPassword(QString());
    clickRow(ui, 0);
    QCOMPARE(ui.previewRows->texts(),
             QStringList{PreviewController::protectedRow(QStringLiteral("user"))});

    // Files that open without a password (one only forbids copying) get no box.
    for (const int row : {1, 2}) {
        clickRow(ui, row);
        QVERIFY(ui.previewRows->texts().contains(QStringLiteral("Hello from the first page.")));
    }
    QCOMPARE(fx.services.boxes().size(), 2);
}

void TestPreview::previewRowsStayWhenTheListIsCleared()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    ui.fileRows->append(m_pdfs->text);
    clickRow(ui, 0);
    const QStringList shown = ui.previewRows->texts();
    QVERIFY(!shown.isEmpty());
    QTest::mouseClick(ui.clearButton, Qt::LeftButton);
    QCOMPARE(ui.fileRows->count(), 0);
    QCOMPARE(ui.previewRows->texts(), shown);
}

void TestPreview::doubleClickDuringItsPreviewPreviewsOnce()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    ui.askPasswordBox->setChecked(true);
    ui.fileRows->appendAll({m_pdfs->user, m_pdfs->pages});
    QWidget *viewport = ui.fileList->viewport();
    const QPoint at = ui.fileList->visualRect(ui.fileRows->index(0)).center();
    auto send = [&](QEvent::Type type) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    };
    // The second half of the double-click arrives while the first click's preview still runs:
    // the busy window removes nothing, and the closing release is no second click.
    fx.services.expectPassword(QString::fromUtf16(MadePdfs::UserPassword), false,
                               [&](const FakeServices::Box &) {
                                   send(QEvent::MouseButtonDblClick);
                                   send(QEvent::MouseButtonRelease);
                               });
    send(QEvent::MouseButtonPress);
    send(QEvent::MouseButtonRelease);
    QVERIFY(previewEnds(ui));
    QCOMPARE(fx.services.boxes().size(), 1);
    QCOMPARE(ui.fileRows->count(), 2);
    QVERIFY(ui.previewRows->texts().contains(QStringLiteral("Hello from the first page.")));
}

void TestPreview::theNewerPreviewWins()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    const QString forms = fx.place.path(QStringLiteral("forms.pdf"));
    fixtures::writeFormBomb(forms, 6);
    ui.fileRows->appendAll({forms, m_pdfs->text});
    // The forms keep their converter busy for minutes; a click on the next file drops it.
    QTest::mouseClick(ui.fileList->viewport(), Qt::LeftButton, {},
                      ui.fileList->visualRect(ui.fileRows->index(0)).center());
    QVERIFY(ui.window->preview().isRunning());
    QCOMPARE(ui.pointer->value(), int(PointerState::Busy));
    clickRow(ui, 1);
    QCOMPARE(ui.previewRows->texts(), lines(fixtures::convertDirectly(m_pdfs->text)));
    QCOMPARE(ui.pointer->value(), int(PointerState::Default));
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
