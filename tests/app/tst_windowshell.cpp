// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Help.h"
#include "app/Translations.h"
#include "app/WindowLayout.h"
#include "CaptionFit.h"
#include "MarkingTranslator.h"
#include "platform/SettingKeys.h"
#include "platform/widgets/CaptionProgressBar.h"
#include "platform/widgets/PointerState.h"
#include "WindowFixture.h"

#include <cmath>
#include <functional>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSet>
#include <QStyleOptionButton>
#include <QTest>
#include <QTranslator>
#include <QTreeView>

class TestWindowShell : public QObject
{
    Q_OBJECT

private slots:
    void controlsFollowTheLayoutTable_data();
    void controlsFollowTheLayoutTable();
    void windowHasItsDefaultSizeAndResizes();
    void resizedWindowKeepsEveryControlWhole_data();
    void resizedWindowKeepsEveryControlWhole();
    void sizeIsKeptBetweenSessions();
    void tooLargeAStoredSizeStillStartsOnTheScreen();
    void desktopFont();
    void everyCaptionFits_data();
    void everyCaptionFits();
    void keyboard();
    void mnemonicsAreUnique();
    void accessibleTextsOfEveryControl();
    void noVisibleTextEscapesTranslation();
    void germanWindow();
    void darkPaletteKeepsEveryControlReadable();
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
    row("PushButton5", "Form1", {120, 120, 7800, 405}, "&Help");
    row("ListView1", "Form1", {120, 630, 7800, 2535}, "",
        "Drag and drop files here. Double-click item to remove it. Move | line to right and out "
        "of window to reveal full names.");
    row("PushButton1", "Form1", {120, 3250, 3840, 405}, "&Add PDF File(s)");
    row("PushButton4", "Form1", {4080, 3250, 3840, 405}, "Add All PDF File(s) In &Folder");
    row("PushButton3", "Form1", {120, 3760, 3840, 405}, "&Clear List");
    row("PushButton6", "Form1", {4080, 3760, 3840, 405}, "&Load Sample/Example Files");
    row("Frame3", "Form1", {120, 4230, 7800, 735}, "Password Option");
    row("Check1", "Frame3", {240, 300, 6015, 255},
        "&Prompt for password because PDF files are password protected");
    row("ListView3", "Form1", {120, 5070, 7800, 1545}, "", "Preview");
    row("Frame1", "Form1", {120, 6645, 7800, 1815}, "Save Option");
    row("Option1", "Frame1", {240, 300, 3615, 255}, "Save results to &this folder:");
    row("Frame2", "Frame1", {480, 510, 6840, 810}, "");
    row("Text1", "Frame2", {240, 300, 5670, 345}, "");
    row("PushButton7", "Frame2", {6000, 300, 600, 345}, "...");
    row("Option2", "Frame1", {240, 1410, 3615, 255}, "Save results in folder of &original file");
    row("PushButton2", "Form1", {120, 8580, 7800, 405}, "&Start Converting To Text");
    row("ProgressBar1", "Form1", {120, 9100, 7800, 405}, "Progress Bar");
    row("Frame4", "Form1", {120, 9600, 7800, 795}, "OCR Option");
    row("Check2", "Frame4", {240, 345, 3855, 255}, "Read scanned pages by OC&R",
        "Pages without usable text are read by tesseract (slower: seconds a page).");
    row("Label1", "Frame4", {4200, 300, 1200, 345}, "La&nguage:");
    row("Combo1", "Frame4", {5460, 300, 2100, 345}, "", "The language of the scanned pages");
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
    // The window's own controls lie in its client area, which scrolls on a small screen.
    QWidget *expectedParent = window.clientArea();
    if (parent != QLatin1String("Form1"))
        expectedParent = window.findChild<QWidget *>(parent);
    QCOMPARE(control->parentWidget(), expectedParent);
    QCOMPARE(control->toolTip(), tooltip);
    const QRect expected(window.px(twips.x()), window.px(twips.y()), window.px(twips.width()),
                         window.px(twips.height()));
    // A check box or option button reaches further right when its caption needs the room.
    if (qobject_cast<QCheckBox *>(control) || qobject_cast<QRadioButton *>(control)) {
        QCOMPARE(control->pos(), expected.topLeft());
        QCOMPARE(control->height(), expected.height());
        QVERIFY(control->width() >= expected.width());
    } else {
        QCOMPARE(control->geometry(), expected);
    }
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        QCOMPARE(button->text(), caption);
    else if (auto *frame = qobject_cast<QGroupBox *>(control))
        QCOMPARE(frame->title(), caption);
    else if (auto *bar = qobject_cast<CaptionProgressBar *>(control))
        QCOMPARE(bar->text(), caption);
    else if (auto *label = qobject_cast<QLabel *>(control))
        QCOMPARE(label->text(), caption);
}

void TestWindowShell::windowHasItsDefaultSizeAndResizes()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    QCOMPARE(window.objectName(), QStringLiteral("Form1"));
    QCOMPARE(window.size(), QSize(window.px(8040), window.px(10515)));
    // 15 twips a pixel at 96 dots per inch.
    if (window.logicalDpiY() == 96)
        QCOMPARE(window.size(), QSize(536, 701)); // with the OCR option below the progress bar
    // At its default size nothing scrolls.
    QCOMPARE(window.clientArea()->size(), window.size());
    QCOMPARE(window.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    QVERIFY(!(window.windowFlags() & Qt::MSWindowsFixedSizeDialogHint));
    // Smallest, it fits a 1366x768 screen at 125 % with a panel of 48 and a title bar of 40
    // pixels.
    QVERIFY2(window.minimumHeight() * 1.25 <= 768 - 48 - 40,
             qPrintable(QString::number(window.minimumHeight())));
    QVERIFY(window.minimumWidth() * 1.25 <= 1366);
    QVERIFY(window.minimumHeight() < window.height());
}

void TestWindowShell::resizedWindowKeepsEveryControlWhole_data()
{
    QTest::addColumn<QSize>("size"); // an empty size: the least the window allows
    QTest::newRow("least") << QSize();
    QTest::newRow("a 1280x1024 screen at 200 %") << QSize(536, 490);
    QTest::newRow("taller") << QSize(536, 1000);
    QTest::newRow("wider") << QSize(1400, 642);
    QTest::newRow("large") << QSize(1900, 1150);
}

void TestWindowShell::resizedWindowKeepsEveryControlWhole()
{
    QFETCH(QSize, size);
    WindowFixture fx;
    MainWindow &window = fx.open();
    WindowControls &ui = fx.ui();
    const int fileListHeight = ui.fileList->height();
    const int previewHeight = ui.previewList->height();
    window.resize(size.isEmpty() ? window.minimumSize() : size);
    QCOMPARE(window.size(),
             (size.isEmpty() ? window.minimumSize() : size).expandedTo(window.minimumSize()));

    QList<QWidget *> topLevel;
    for (const ControlLayout &row : windowlayout::controls()) {
        auto *control = window.findChild<QWidget *>(QString::fromLatin1(row.objectName));
        QWidget *parent = control->parentWidget();
        QVERIFY2(parent->rect().contains(control->geometry()),
                 qPrintable(control->objectName() + QStringLiteral(" is cut off by ") +
                            parent->objectName()));
        if (parent == window.clientArea())
            topLevel.append(control);
        auto *button = qobject_cast<QAbstractButton *>(control);
        const int caption =
            button ? button->fontMetrics().horizontalAdvance(QString(button->text()).remove(u'&'))
                   : 0;
        const int decoration = qobject_cast<QPushButton *>(control) ? 4 : 20;
        if (button)
            QVERIFY2(caption + decoration <= button->width(),
                     qPrintable(button->objectName() + QStringLiteral(" cuts its caption")));
    }
    for (QWidget *one : topLevel)
        for (QWidget *other : topLevel)
            QVERIFY2(
                one == other || !one->geometry().intersects(other->geometry()),
                qPrintable(one->objectName() + QStringLiteral(" overlaps ") + other->objectName()));
    // The lists take the room; buttons keep their height; the start button and the progress bar
    // stay at the bottom.
    QCOMPARE(window.clientArea()->size(), window.size());
    const int grown = window.height() - window.px(10515);
    QCOMPARE(ui.fileList->height() + ui.previewList->height(),
             fileListHeight + previewHeight + grown);
    QVERIFY(ui.previewList->height() >= window.px(windowlayout::ListMinimumHeight));
    QCOMPARE(ui.startButton->height(), window.px(405));
    QCOMPARE(ui.progressBar->geometry().bottom(),
             window.height() - 1 - (window.px(10515) - window.px(9505)));
    QCOMPARE(ui.progressBar->width(), window.width() - 2 * window.px(120));
}

void TestWindowShell::sizeIsKeptBetweenSessions()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    const QString none = QStringLiteral("(none)");
    window.resize(window.size() + QSize(100, 50));
    window.resize(window.defaultSize());
    QTest::qWait(700);
    // A window left at its default size stores nothing.
    QCOMPARE(fx.settings.getSetting(settingkeys::WindowSize, none), none);
    const QSize chosen = window.defaultSize() + QSize(140, 40); // still on the test screen
    window.resize(chosen);
    QTRY_COMPARE(fx.settings.getSetting(settingkeys::WindowSize, none),
                 QString::number(chosen.width()) + u'x' + QString::number(chosen.height()));
    fx.close();
    QCOMPARE(fx.open().size(), chosen);
}

void TestWindowShell::tooLargeAStoredSizeStillStartsOnTheScreen()
{
    WindowFixture fx;
    fx.settings.saveSetting(settingkeys::WindowSize, QStringLiteral("9000x9000"));
    MainWindow &window = fx.open();
    const QRect area = window.screen()->availableGeometry();
    QTRY_VERIFY2(area.contains(window.frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4 on %5x%6")
                                .arg(window.x())
                                .arg(window.y())
                                .arg(window.width())
                                .arg(window.height())
                                .arg(area.width())
                                .arg(area.height())));
    QVERIFY(window.height() >= window.minimumHeight());
    // The size the screen forced is not taken for the user's choice, nor stored when the window
    // closes.
    fx.close();
    QCOMPARE(fx.settings.getSetting(settingkeys::WindowSize, QString()),
             QStringLiteral("9000x9000"));
}

void TestWindowShell::desktopFont()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    WindowControls &ui = fx.ui();
    QCOMPARE(window.font(), QApplication::font());
    for (QWidget *control :
         {static_cast<QWidget *>(ui.startButton), static_cast<QWidget *>(ui.fileList),
          static_cast<QWidget *>(ui.askPasswordBox)})
        QCOMPARE(control->font().family(), QApplication::font().family());
}

void TestWindowShell::everyCaptionFits_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("points"); // 0: the desktop's font as it is
    for (const char *language : {"en", "de"})
        for (int points : {0, 10, 11})
            QTest::addRow("%s at %d pt", language, points) << language << points;
}

void TestWindowShell::everyCaptionFits()
{
    QFETCH(QString, language);
    QFETCH(int, points);
    if (language != QLatin1String("en"))
        QVERIFY(installTranslations(QLocale(language)));
    const QFont desktop = QApplication::font();
    const auto restore = qScopeGuard([&] {
        QApplication::setFont(desktop);
        removeTranslations();
    });
    if (points > 0) {
        QFont font = desktop;
        font.setPointSize(points);
        QApplication::setFont(font);
    }
    WindowFixture fx;
    MainWindow &window = fx.open();
    QCOMPARE(window.size(), window.defaultSize());
    const QStringList cut = cutCaptions(window);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u'\n')));
}

void TestWindowShell::keyboard()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    WindowControls &ui = fx.ui();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const auto lastBox = [&] { return fx.services.boxes().last(); };

    // Return presses the focused button.
    fx.services.expectMessage();
    ui.helpButton->setFocus();
    QTest::keyClick(ui.helpButton, Qt::Key_Return);
    QCOMPARE(fx.services.boxes().size(), 1);
    QCOMPARE(lastBox().text, helpText());
    // F1 is Help wherever the focus is; a mnemonic presses its button.
    fx.services.expectMessage();
    ui.fileList->setFocus();
    QTest::keyClick(ui.fileList, Qt::Key_F1);
    QCOMPARE(fx.services.boxes().size(), 2);
    QCOMPARE(lastBox().text, helpText());
    fx.services.expectMessage();
    QTest::keyClick(ui.fileList, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(fx.services.boxes().size(), 3);
    QCOMPARE(lastBox().text, QStringLiteral("No files added."));
    // Ctrl+O adds files.
    fx.services.expectFiles({});
    QTest::keyClick(ui.fileList, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(fx.services.boxes().size(), 4);
    QCOMPARE(lastBox().kind, FakeServices::Kind::OpenFiles);
    // Ctrl+Q closes the window.
    QCOMPARE(fx.endCount(), 0);
    QTest::keyClick(ui.fileList, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(fx.endCount(), 1);
    QCOMPARE(fx.services.pending(), 0);
}

void TestWindowShell::mnemonicsAreUnique()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    QSet<QChar> letters;
    for (QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
        const QString text = button->text();
        if (text == QStringLiteral("..."))
            continue; // named for screen readers; reached with Tab
        const qsizetype mark = text.indexOf(u'&');
        QVERIFY2(mark >= 0 && mark + 1 < text.size(), qPrintable(text));
        const QChar letter = text.at(mark + 1).toLower();
        QVERIFY2(!letters.contains(letter), qPrintable(text));
        letters.insert(letter);
    }
    // The nine of the window's buttons, check box and option buttons at least.
    QVERIFY(letters.size() >= 9);
}

void TestWindowShell::accessibleTextsOfEveryControl()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    QStringList nameless;
    QStringList names;
    int controls = 0;
    // The accessibility tree of the window, as a screen reader walks it: every widget that shows
    // or takes something has a name and a description.
    std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
        auto *widget = qobject_cast<QWidget *>(node->object());
        // Qt's own parts (the scrolling area's view) are containers, named "qt_...".
        if (widget && widget->isVisible() &&
            !widget->objectName().startsWith(QLatin1String("qt_")) &&
            (widget->focusPolicy() != Qt::NoFocus || !widget->objectName().isEmpty())) {
            ++controls;
            // Each control has a name of its own, not one it shares with its frame.
            if (names.contains(node->text(QAccessible::Name)))
                nameless.append(widget->objectName() + QStringLiteral(" (name shared)"));
            names.append(node->text(QAccessible::Name));
            if (node->text(QAccessible::Name).trimmed().isEmpty())
                nameless.append(widget->objectName() + QStringLiteral(" (name)"));
            if (node->text(QAccessible::Description).trimmed().isEmpty())
                nameless.append(widget->objectName() + QStringLiteral(" (description)"));
        }
        for (int i = 0; i < node->childCount(); ++i) {
            QAccessibleInterface *child = node->child(i);
            if (child && qobject_cast<QWidget *>(child->object()))
                walk(child);
        }
    };
    QAccessibleInterface *root = QAccessible::queryAccessibleInterface(&window);
    QVERIFY(root);
    walk(root);
    QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(u'\n')));
    // The window and every control of the layout table were reached.
    QCOMPARE(controls, 1 + int(windowlayout::controls().size()));
    // The browse button is not read out as "...".
    QAccessibleInterface *browse =
        QAccessible::queryAccessibleInterface(fx.ui().browseOutputButton);
    QCOMPARE(browse->text(QAccessible::Name), QStringLiteral("Choose output folder"));
    // The language box is named by its label: a screen reader on Linux takes a box's value for
    // its name, so without the label it would say "eng".
    QAccessibleInterface *language = QAccessible::queryAccessibleInterface(fx.ui().ocrLanguageList);
    bool labelled = false;
    for (const auto &[label, relation] : language->relations(QAccessible::Label))
        labelled = labelled || (label->object() == fx.ui().ocrLanguageLabel &&
                                label->text(QAccessible::Name) == QStringLiteral("Language:"));
    QVERIFY(labelled);
    // The label is greyed with its box.
    for (const bool on : {false, true}) {
        fx.ui().ocrLanguageList->setEnabled(on);
        QCOMPARE(fx.ui().ocrLanguageLabel->isEnabled(), on);
    }
}

namespace {

// Every text the window shows or gives a screen reader, but for what the user typed or added.
QStringList shownTexts(MainWindow &window)
{
    QStringList texts = {window.accessibleName(), window.accessibleDescription()};
    for (QWidget *control : window.findChildren<QWidget *>()) {
        texts << control->toolTip() << control->accessibleName()
              << control->accessibleDescription();
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            texts << button->text();
        else if (auto *frame = qobject_cast<QGroupBox *>(control))
            texts << frame->title();
        else if (auto *bar = qobject_cast<CaptionProgressBar *>(control))
            texts << bar->text();
        else if (auto *list = qobject_cast<QTreeView *>(control))
            texts << list->model()->headerData(0, Qt::Horizontal).toString();
    }
    texts.removeAll(QString());
    return texts;
}

} // namespace

void TestWindowShell::noVisibleTextEscapesTranslation()
{
    MarkingTranslator marking;
    QCoreApplication::installTranslator(&marking);
    WindowFixture fx;
    MainWindow &window = fx.open();
    fx.services.expectMessage();
    fx.services.expectMessage();
    fx.services.expectFiles({});
    QTest::mouseClick(fx.ui().helpButton, Qt::LeftButton);
    QTest::mouseClick(fx.ui().startButton, Qt::LeftButton);
    QTest::mouseClick(fx.ui().addFilesButton, Qt::LeftButton);
    QStringList texts = shownTexts(window);
    for (const FakeServices::Box &box : fx.services.boxes())
        texts << box.text << box.title;
    QCoreApplication::removeTranslator(&marking);
    QStringList escaped;
    for (const QString &text : texts) {
        // The product's name is a name, the same in every language.
        if (!text.contains(u'\u27e6') && text != QStringLiteral("Morwenda"))
            escaped << text;
    }
    QVERIFY2(escaped.isEmpty(), qPrintable(escaped.join(u'\n')));
    QVERIFY(texts.size() > 40);
}

void TestWindowShell::germanWindow()
{
    QVERIFY(installTranslations(QLocale(QLocale::German, QLocale::Germany)));
    WindowFixture fx;
    MainWindow &window = fx.open();
    WindowControls &ui = fx.ui();
    fx.services.expectMessage();
    QTest::mouseClick(ui.helpButton, Qt::LeftButton);
    const QString helpBox = fx.services.boxes().value(0).text;
    const QStringList texts = shownTexts(window);
    const QImage picture = window.grab().toImage();
    removeTranslations();

    QCOMPARE(ui.startButton->text(), QStringLiteral("Umwandlung in Text &starten"));
    QVERIFY(helpBox.startsWith(QStringLiteral("Dieses Programm kann:\r\r")));
    // Every caption, tooltip and accessible text is German but the product's name and "...".
    for (const ControlLayout &row : windowlayout::controls()) {
        for (const LayoutText &text :
             {row.caption, row.tooltip, row.accessibleName, row.accessibleDescription}) {
            const QString english = windowlayout::translated(text);
            if (!english.isEmpty() && english != QStringLiteral("..."))
                QVERIFY2(!texts.contains(english), qPrintable(english));
        }
    }
    // For the eye: the German window, beside the test program.
    QVERIFY(
        picture.save(QCoreApplication::applicationDirPath() + QStringLiteral("/morwenda-de.png")));
    // English is back once the translation is taken away.
    WindowFixture english;
    english.open();
    QCOMPARE(english.ui().startButton->text(), QStringLiteral("&Start Converting To Text"));
}

namespace {

// The contrast ratio of two colours as the accessibility guidelines define it (1 to 21).
double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The strongest contrast inside a part of a picture against a colour.
double strongestContrast(const QImage &picture, const QRect &part, const QColor &against)
{
    double best = 1;
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x)
            best = std::max(best, contrast(picture.pixelColor(x, y), against));
    return best;
}

QPalette darkPalette()
{
    QPalette dark;
    const QColor text(0xe6, 0xe6, 0xe6);
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x26));
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0x7a, 0xd6));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::ToolTipBase, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    return dark;
}

} // namespace

void TestWindowShell::darkPaletteKeepsEveryControlReadable()
{
    const QPalette before = QApplication::palette();
    QApplication::setPalette(darkPalette());
    const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
    WindowFixture fx;
    MainWindow &window = fx.open();
    WindowControls &ui = fx.ui();
    ui.saveToFolderOption->setChecked(true);
    // Every caption on its own background.
    for (const ControlLayout &row : windowlayout::controls()) {
        auto *control = window.findChild<QWidget *>(QString::fromLatin1(row.objectName));
        if (!control->isEnabled())
            continue; // greyed on purpose: it looks inactive until it can be used
        const QPalette palette = control->palette();
        const double ratio = contrast(palette.color(control->foregroundRole()),
                                      palette.color(control->backgroundRole()));
        QVERIFY2(ratio >= 4.5, qPrintable(control->objectName() + u' ' + QString::number(ratio)));
    }
    // An empty check box and an option button that is not chosen still show their outline.
    const QColor windowColour = window.palette().color(QPalette::Window);
    for (QAbstractButton *button : {static_cast<QAbstractButton *>(ui.askPasswordBox),
                                    static_cast<QAbstractButton *>(ui.saveBesidePdfOption)}) {
        QVERIFY(!button->isChecked());
        QStyleOptionButton option;
        option.initFrom(button);
        const QStyle::SubElement indicator = qobject_cast<QCheckBox *>(button)
                                                 ? QStyle::SE_CheckBoxIndicator
                                                 : QStyle::SE_RadioButtonIndicator;
        const QRect box = button->style()->subElementRect(indicator, &option, button);
        const QImage picture = button->grab().toImage();
        const double outline =
            strongestContrast(picture, box.intersected(picture.rect()), windowColour);
        QVERIFY2(outline >= 3, qPrintable(button->objectName() + u' ' + QString::number(outline)));
    }
    // For the eye: the window on a dark desktop, beside the test program.
    QVERIFY(window.grab().save(QCoreApplication::applicationDirPath() +
                               QStringLiteral("/morwenda-dark.png")));
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
                                      "from a PDF (text within an image within a PDF).\r\rWith "
                                      "the OCR Option ticked, it does read the text within the "
                                      "images of scanned pages, by OCR in the chosen language."));
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
