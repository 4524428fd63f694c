// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Help.h"
#include "platform/widgets/CaptionProgressBar.h"
#include "platform/widgets/PointerState.h"
#include "WindowFixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>

class TestWindowShell : public QObject
{
    Q_OBJECT

private slots:
    void controlsFollowTheLayoutTable_data();
    void controlsFollowTheLayoutTable();
    void windowIsFixedWithoutMaximise();
    void fonts();
    void progressBarShowsItsTextLiterally();
    void helpBox();
    void hoverRule();
    void hoverHoldsBackWhileBusy();
    void closingEndsTheProcess();
};

void TestWindowShell::controlsFollowTheLayoutTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");
    const auto row = [](const char *name, const char *parent, QRect twips, const char *caption,
                        const char *tooltip = "") {
        QTest::newRow(name) << name << parent << twips << caption << tooltip;
    };
    row("PushButton5", "Form1", {120, 120, 7800, 405}, "Help");
    row("ListView1", "Form1", {120, 630, 7800, 2535}, "",
        "Drag and drop files here. Double-click item to remove it. Move | line to right and out "
        "of window to reveal full names.");
    row("PushButton1", "Form1", {120, 3250, 3840, 405}, "Add PDF File(s)");
    row("PushButton4", "Form1", {4080, 3250, 3840, 405}, "Add All PDF File(s) In Folder");
    row("PushButton3", "Form1", {120, 3760, 3840, 405}, "Clear List");
    row("PushButton6", "Form1", {4080, 3760, 3840, 405}, "Load Sample/Example Files");
    row("Frame3", "Form1", {120, 4230, 7800, 735}, "Password Option");
    row("Check1", "Frame3", {240, 300, 6015, 255},
        "Prompt for password because PDF files are password protected");
    row("ListView3", "Form1", {120, 5070, 7800, 1545}, "", "Preview");
    row("Frame1", "Form1", {120, 6645, 7800, 1815}, "Save Option");
    row("Option1", "Frame1", {240, 300, 3615, 255}, "Save results to this folder:");
    row("Frame2", "Frame1", {480, 510, 6840, 810}, "");
    row("Text1", "Frame2", {240, 300, 5670, 345}, "");
    row("PushButton7", "Frame2", {6000, 300, 600, 345}, "...");
    row("Option2", "Frame1", {240, 1410, 3615, 255}, "Save results in folder of original file");
    row("PushButton2", "Form1", {120, 8580, 7800, 405}, "Start Converting To Text");
    row("ProgressBar1", "Form1", {120, 9100, 7800, 405}, "Progress Bar");
    row("Frame4", "Form1", {120, 9600, 7800, 615}, "OCR Option");
    row("Check2", "Frame4", {240, 270, 4455, 255}, "Read scanned pages by OCR in the language",
        "Pages without usable text are read by tesseract (slower: seconds a page).");
    row("Combo1", "Frame4", {4800, 210, 2760, 315}, "", "The language of the scanned pages");
}

void TestWindowShell::controlsFollowTheLayoutTable()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, twips);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    WindowFixture fx;
    MainWindow &window = fx.open();
    auto *control = window.findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(control->toolTip(), tooltip);
    const QRect expected(window.px(twips.x()), window.px(twips.y()), window.px(twips.width()),
                         window.px(twips.height()));
    QCOMPARE(control->geometry(), expected);
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        QCOMPARE(button->text(), caption);
    else if (auto *frame = qobject_cast<QGroupBox *>(control))
        QCOMPARE(frame->title(), caption);
    else if (auto *bar = qobject_cast<CaptionProgressBar *>(control))
        QCOMPARE(bar->text(), caption);
}

void TestWindowShell::windowIsFixedWithoutMaximise()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    // The OCR option below the progress bar made the window 705 twips taller.
    QCOMPARE(window.size(), QSize(window.px(8040), window.px(10335)));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(window.objectName(), QStringLiteral("Form1"));
    // 15 twips a pixel at 96 dots per inch.
    if (window.logicalDpiY() == 96)
        QCOMPARE(window.size(), QSize(536, 689));
}

void TestWindowShell::fonts()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    WindowControls &ui = fx.ui();
    QCOMPARE(window.font().family(), QStringLiteral("Arial"));
    QVERIFY(window.font().bold());
    QCOMPARE(window.font().pointSizeF(), 9.0);
    QCOMPARE(ui.fileList->font().pointSizeF(), 9.0);
    for (QPushButton *button : window.findChildren<QPushButton *>()) {
        QCOMPARE(button->font().pointSizeF(), 11.25);
        QVERIFY(button->font().bold());
    }
}

void TestWindowShell::progressBarShowsItsTextLiterally()
{
    WindowFixture fx;
    fx.open();
    CaptionProgressBar *bar = fx.ui().progressBar;
    bar->setText(QStringLiteral("Processing: 100%p.pdf"));
    QCOMPARE(static_cast<QProgressBar *>(bar)->text(), QStringLiteral("Processing: 100%p.pdf"));
    bar->setValue(190); // the last file of a long batch may ask for more than the bar holds
    QCOMPARE(bar->value(), 100);
    bar->setValue(-5);
    QCOMPARE(bar->value(), 0);
}

void TestWindowShell::helpBox()
{
    WindowFixture fx;
    fx.open();
    fx.services.expectMessage();
    QTest::mouseClick(fx.ui().helpButton, Qt::LeftButton);
    QCOMPARE(fx.services.boxes().size(), 1);
    const FakeServices::Box box = fx.services.boxes().first();
    QCOMPARE(box.title, QStringLiteral("Morwenda"));
    QCOMPARE(box.icon, MessageIcon::NoIcon);
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(box.text, QStringLiteral("This program will:\r\r*extract text from a PDF.\r\rThis "
                                      "program will not:\r\r*extract an image representing text "
                                      "from a PDF (text within an image within a PDF)."));
}

void TestWindowShell::hoverRule()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    WindowControls &ui = fx.ui();
    const QList<QWidget *> hand = {ui.addFilesButton,    ui.startButton, ui.clearButton,
                                   ui.addFolderButton,   ui.helpButton,  ui.samplesButton,
                                   ui.browseOutputButton};
    const QList<QWidget *> plain = {&window,
                                    ui.saveFrame,
                                    ui.passwordFrame,
                                    ui.outputFolderEdit,
                                    ui.previewList->viewport(),
                                    ui.fileList->viewport()};
    for (QWidget *button : hand) {
        QTest::mouseMove(button, button->rect().center());
        QTRY_COMPARE(window.mousePointer(), int(PointerState::Custom));
        QCOMPARE(window.cursor().shape(), ui.pointer->customCursor().shape());
        // Back onto the background: the normal pointer again.
        QTest::mouseMove(&window, QPoint(2, 2));
        QTRY_COMPARE(window.mousePointer(), int(PointerState::Default));
    }
    for (QWidget *area : plain) {
        QTest::mouseMove(ui.addFilesButton, ui.addFilesButton->rect().center());
        QTRY_COMPARE(window.mousePointer(), int(PointerState::Custom));
        // A spot of the area that no child control covers.
        QTest::mouseMove(area, QPoint(3, area->height() - 3));
        QTRY_COMPARE(window.mousePointer(), int(PointerState::Default));
    }
}

void TestWindowShell::hoverHoldsBackWhileBusy()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    WindowControls &ui = fx.ui();
    ui.pointer->set(PointerState::Busy);
    QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
    for (QWidget *w : {static_cast<QWidget *>(ui.startButton), static_cast<QWidget *>(&window),
                       ui.fileList->viewport(), static_cast<QWidget *>(ui.outputFolderEdit)}) {
        QTest::mouseMove(w, QPoint(4, 4));
        QTest::qWait(20);
        QCOMPARE(window.mousePointer(), int(PointerState::Busy));
    }
    ui.pointer->set(PointerState::Default);
    QTest::mouseMove(ui.startButton, ui.startButton->rect().center());
    QTRY_COMPARE(window.mousePointer(), int(PointerState::Custom));
}

void TestWindowShell::closingEndsTheProcess()
{
    WindowFixture fx;
    fx.open();
    QCOMPARE(fx.endCount(), 0);
    fx.close();
    QCOMPARE(fx.endCount(), 1);
}

QTEST_MAIN(TestWindowShell)
#include "tst_windowshell.moc"
