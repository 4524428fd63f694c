// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a screen lower than its least size: a laptop's or an office monitor's screen at a
// large scale factor, set by the test's environment (an offscreen screen of that size,
// QT_SCALE_FACTOR, and MORWENDA_TEST_LANGUAGE for the window's language).
#include "app/Translations.h"
#include "app/WindowLayout.h"
#include "CaptionFit.h"
#include "platform/RowListModel.h"
#include "platform/widgets/WidgetServices.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>

class TestSmallScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void windowLiesWhollyOnTheScreen();
    void tabScrollsEveryControlIntoView();
    void captionsFitAtThisScale();
    void fileDialogFitsTheScreen();

private:
    // The window after it has been fitted to its screen.
    MainWindow &openFitted(WindowFixture &fx);
};

void TestSmallScreen::initTestCase()
{
    const QString language = qEnvironmentVariable("MORWENDA_TEST_LANGUAGE");
    if (!language.isEmpty())
        QVERIFY(installTranslations(QLocale(language)));
    qInfo("%s screen %dx%d (logical), scale %s, language %s",
          qPrintable(QGuiApplication::platformName()),
          QGuiApplication::primaryScreen()->availableGeometry().width(),
          QGuiApplication::primaryScreen()->availableGeometry().height(),
          qgetenv("QT_SCALE_FACTOR").constData(), qPrintable(language));
}

void TestSmallScreen::cleanupTestCase()
{
    removeTranslations();
}

MainWindow &TestSmallScreen::openFitted(WindowFixture &fx)
{
    MainWindow &window = fx.open();
    const QRect area = window.screen()->availableGeometry();
    // Without this the test would prove nothing.
    if (area.height() >= window.leastSize().height())
        qFatal("the screen (%d high) is not lower than the window's least height (%d)",
               area.height(), window.leastSize().height());
    // Under a window manager (on X) the checks wait for its frame, or they would prove nothing.
    if (QGuiApplication::platformName() == QLatin1String("xcb") &&
        !QTest::qWaitFor([&] { return window.frameGeometry() != window.geometry(); }, 60000))
        qFatal("the window manager put no frame around the window");
    // Fitted once shown, when the frame is known; the test checks the outcome.
    (void)QTest::qWaitFor([&] { return area.contains(window.frameGeometry()); }, 60000);
    return window;
}

void TestSmallScreen::windowLiesWhollyOnTheScreen()
{
    WindowFixture fx;
    MainWindow &window = openFitted(fx);
    const QRect area = window.screen()->availableGeometry();
    QVERIFY2(area.contains(window.frameGeometry()),
             qPrintable(QStringLiteral("%1,%2 %3x%4 on %5x%6")
                            .arg(window.frameGeometry().x())
                            .arg(window.frameGeometry().y())
                            .arg(window.frameGeometry().width())
                            .arg(window.frameGeometry().height())
                            .arg(area.width())
                            .arg(area.height())));
    // The window can still be made smaller than the screen, frame and all.
    const int frameHeight = window.frameGeometry().height() - window.height();
    QVERIFY(window.minimumHeight() + frameHeight < area.height());
    // The controls keep their least width and scroll up and down, not sideways; as they scroll
    // anyway, the preview shows a few rows.
    QCOMPARE(window.clientArea()->width(), window.scrollArea()->viewport()->width());
    QVERIFY(window.clientArea()->width() >= window.leastSize().width());
    QVERIFY(window.clientArea()->height() > window.leastSize().height());
    QVERIFY(window.scrollArea()->verticalScrollBar()->isVisible());
    QVERIFY(!window.scrollArea()->horizontalScrollBar()->isVisible());
    window.previewRows().appendAll({"one", "two", "three", "four"});
    QTreeView *preview = window.previewListView();
    const QRect third = preview->visualRect(preview->model()->index(2, 0));
    QVERIFY2(preview->viewport()->rect().contains(third),
             qPrintable(QStringLiteral("the third row at %1..%2, the list %3 high")
                            .arg(third.top())
                            .arg(third.bottom())
                            .arg(preview->viewport()->height())));
    // The size the screen forced is not stored as the user's choice: a size still waiting to be
    // stored is stored when the window closes.
    fx.close();
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Window Size"), QStringLiteral("(none)")),
             QStringLiteral("(none)"));
}

void TestSmallScreen::tabScrollsEveryControlIntoView()
{
    WindowFixture fx;
    MainWindow &window = openFitted(fx);
    WindowControls &ui = fx.ui();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QWidget *viewport = window.scrollArea()->viewport();
    const QRect area = window.screen()->availableGeometry();
    ui.helpButton->setFocus();
    QList<QWidget *> reached;
    while (!reached.contains(QApplication::focusWidget()) && reached.size() < 40) {
        QWidget *focused = QApplication::focusWidget();
        reached << focused;
        // Whole in the scrolled view, so whole on the screen.
        const QRect shown(focused->mapTo(viewport, QPoint(0, 0)), focused->size());
        const bool list = focused == ui.fileList || focused == ui.previewList;
        // A list taller than the view shows its top at least.
        const QRect wanted = list ? shown.adjusted(0, 0, 0, -(shown.height() - 20)) : shown;
        QVERIFY2(viewport->rect().contains(wanted), qPrintable(focused->objectName()));
        QVERIFY(area.contains(QRect(focused->mapToGlobal(QPoint(0, 0)), wanted.size())));
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    // Every control that takes the focus, down to the OCR option.
    for (const ControlLayout &row : windowlayout::controls()) {
        auto *control = window.findChild<QWidget *>(QString::fromLatin1(row.objectName));
        if (control->isEnabled() && (control->focusPolicy() & Qt::TabFocus))
            QVERIFY2(reached.contains(control), row.objectName);
    }
    QVERIFY(reached.contains(ui.startButton));
    // Start works from there.
    ui.startButton->setFocus();
    QTest::keyClick(ui.startButton, Qt::Key_Tab, Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ui.startButton);
    fx.services.expectMessage();
    QTest::keyClick(ui.startButton, Qt::Key_Return);
    QCOMPARE(fx.services.boxes().size(), 1);
}

void TestSmallScreen::captionsFitAtThisScale()
{
    WindowFixture fx;
    MainWindow &window = openFitted(fx);
    const QStringList cut = cutCaptions(window);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u'\n')));
}

void TestSmallScreen::fileDialogFitsTheScreen()
{
    WindowFixture fx;
    MainWindow &window = openFitted(fx);
    const QRect area = window.screen()->availableGeometry();
    WidgetServices services;
    QRect seen;
    QTimer::singleShot(0, &window, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        // Under a window manager the frame comes a moment after the dialog is shown.
        (void)QTest::qWaitFor([&] { return area.contains(dialog->frameGeometry()); });
        seen = dialog->frameGeometry();
        dialog->close();
    });
    services.openFileNames(&window, QStringLiteral("Add File(s)"),
                           QStringLiteral("PDF Files (*.pdf)"));
    QVERIFY2(area.contains(seen), qPrintable(QStringLiteral("%1,%2 %3x%4 on %5x%6")
                                                 .arg(seen.x())
                                                 .arg(seen.y())
                                                 .arg(seen.width())
                                                 .arg(seen.height())
                                                 .arg(area.width())
                                                 .arg(area.height())));
}

QTEST_MAIN(TestSmallScreen)
#include "tst_smallscreen.moc"
