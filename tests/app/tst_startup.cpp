// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StartUp.h"
#include "batch/OptionsController.h"
#include "platform/RowListModel.h"
#include "platform/FileSystem.h"
#include "platform/widgets/PointerState.h"
#include "WindowFixture.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QImageWriter>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTest>
#include <QTreeView>

namespace {

const QString Report144 =
    QStringLiteral("Type mismatch\r\nin Halvoren2021/08/31.Form1.Form_Load at line 144\r\r"
                   "Please email screenshot of this message to ");

// A Windows cursor file: an icon image with the cursor type and a hot spot.
QByteArray cursorFile(QPoint hotSpot)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int i = 0; i < 32; ++i)
        image.setPixel(i, i, qRgba(0, 0, 0, 255));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image))
        qFatal("cannot write an icon: %s", qPrintable(writer.errorString()));
    QByteArray bytes = buffer.data();
    bytes[2] = 2; // cursor
    bytes[10] = char(hotSpot.x());
    bytes[12] = char(hotSpot.y());
    return bytes;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestStartUp : public QObject
{
    Q_OBJECT

private slots:
    void firstStartWithAnEmptyStore_data();
    void firstStartWithAnEmptyStore();
    void storedChoicesAreRestored();
    void storedOutputFolderWinsOverTheDesktop();
    void unconvertibleValuesAreReportedAndKeepTheControl_data();
    void unconvertibleValuesAreReportedAndKeepTheControl();
    void listColumns();
    void handPointerIsLoadedFromTheInstallFolder();
    void brokenHandPointerIsReportedAtItsStep();
    void skinIsAppliedAsAStyleSheet();
    void applicationTitle_data();
    void applicationTitle();
};

void TestStartUp::firstStartWithAnEmptyStore_data()
{
    QTest::addColumn<bool>("hasDesktop");
    QTest::newRow("a desktop folder") << true;
    QTest::newRow("no desktop folder: the home folder") << false;
}

void TestStartUp::firstStartWithAnEmptyStore()
{
    QFETCH(bool, hasDesktop);
    WindowFixture fx;
    const QByteArray oldHome = qgetenv("HOME");
    const auto restoreHome = qScopeGuard([&] { qputenv("HOME", oldHome); });
    const QString home = fx.place.path(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(home));
    qputenv("HOME", QFile::encodeName(home));
    if (hasDesktop)
        QVERIFY(QDir(home).mkpath(QStringLiteral("Desktop")));
    const QString desktop = hasDesktop ? home + QStringLiteral("/Desktop/") : home + u'/';
    QCOMPARE(files::desktopOrHomeFolder(), desktop);
    fx.open();
    WindowControls &ui = fx.ui();
    QCOMPARE(fx.services.boxes().size(), 0);
    QCOMPARE(ui.askPasswordBox->checkState(), Qt::Unchecked);
    QVERIFY(ui.saveToFolderOption->isChecked());
    QVERIFY(!ui.saveBesidePdfOption->isChecked());
    QVERIFY(ui.outputFolderFrame->isEnabled());
    QCOMPARE(ui.outputFolderEdit->text(), desktop);
    // The restore runs the change handlers, so the store now holds what the window shows.
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Output Folder"), QString()), desktop);
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Option1"), QString()), QStringLiteral("True"));
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Option2"), QString()), QStringLiteral("False"));
    QCOMPARE(ui.window->boxes().title(), QStringLiteral("Morwenda"));
    QCOMPARE(fx.window().windowTitle(), QStringLiteral("Morwenda"));
    QCOMPARE(fx.window().mousePointer(), int(PointerState::Default));
}

void TestStartUp::storedChoicesAreRestored()
{
    WindowFixture fx;
    fx.settings.saveSetting(QStringLiteral("Option1"), QStringLiteral("False"));
    fx.settings.saveSetting(QStringLiteral("Option2"), QStringLiteral("True"));
    fx.settings.saveSetting(QStringLiteral("Check1"), QStringLiteral("2"));
    fx.open();
    WindowControls &ui = fx.ui();
    QCOMPARE(fx.services.boxes().size(), 0);
    QVERIFY(!ui.saveToFolderOption->isChecked());
    QVERIFY(ui.saveBesidePdfOption->isChecked());
    QVERIFY(!ui.outputFolderFrame->isEnabled());
    QCOMPARE(ui.askPasswordBox->checkState(), Qt::PartiallyChecked); // greyed
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Check1"), QString()), QStringLiteral("2"));
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Option1"), QString()), QStringLiteral("False"));
    // A greyed box asks for no password; once clicked it only ticks and clears, never greys again.
    QVERIFY(!fx.window().options().outputChoice().askPassword);
    QList<Qt::CheckState> states;
    for (int click = 0; click < 4; ++click) {
        QTest::mouseClick(ui.askPasswordBox, Qt::LeftButton, {},
                          QPoint(5, ui.askPasswordBox->height() / 2));
        states << ui.askPasswordBox->checkState();
    }
    QCOMPARE(states,
             (QList<Qt::CheckState>{Qt::Checked, Qt::Unchecked, Qt::Checked, Qt::Unchecked}));
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Check1"), QString()), QStringLiteral("0"));
}

void TestStartUp::storedOutputFolderWinsOverTheDesktop()
{
    WindowFixture fx;
    fx.settings.saveSetting(QStringLiteral("Output Folder"), QStringLiteral("/srv/texts"));
    fx.open();
    QCOMPARE(fx.ui().outputFolderEdit->text(), QStringLiteral("/srv/texts"));
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Output Folder"), QString()),
             QStringLiteral("/srv/texts"));
}

void TestStartUp::unconvertibleValuesAreReportedAndKeepTheControl_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("description");
    QTest::newRow("Check1 not a number") << "Check1"
                                         << "x" << 140 << "Type mismatch";
    QTest::newRow("Check1 out of range") << "Check1"
                                         << "7" << 140 << "Invalid property value";
    QTest::newRow("Option1 yes") << "Option1"
                                 << "yes" << 144 << "Type mismatch";
    QTest::newRow("Option2 empty") << "Option2"
                                   << "" << 146 << "Type mismatch";
}

void TestStartUp::unconvertibleValuesAreReportedAndKeepTheControl()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(int, line);
    QFETCH(QString, description);
    WindowFixture fx;
    fx.settings.saveSetting(key, stored);
    // Selecting Option1 at start-up stores both options before Option2 is read.
    if (key == QLatin1String("Option2"))
        fx.settings.saveSetting(QStringLiteral("Option1"), QStringLiteral("False"));
    fx.services.expectMessage();
    fx.open();
    WindowControls &ui = fx.ui();

    QCOMPARE(fx.services.boxes().size(), 1);
    const FakeServices::Box box = fx.services.boxes().first();
    QCOMPARE(box.title, QStringLiteral("Application Error"));
    QCOMPARE(box.icon, MessageIcon::Warning);
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(box.text, errorreport::message(tags::FormLoad, line, description));
    // Start-up went on past the failing step.
    QCOMPARE(ui.outputFolderEdit->text(), files::desktopOrHomeFolder());
    if (key == QLatin1String("Check1")) {
        QCOMPARE(ui.askPasswordBox->checkState(), Qt::Unchecked);
        QCOMPARE(fx.settings.getSetting(key, QString()), stored);
    }
    if (key == QLatin1String("Option1")) {
        // Option1 keeps its previous state (not selected); Option2 stays cleared as stored.
        QVERIFY(!ui.saveToFolderOption->isChecked());
        QVERIFY(!ui.saveBesidePdfOption->isChecked());
        QVERIFY(!ui.outputFolderFrame->isEnabled());
        QVERIFY(box.text.startsWith(Report144));
    }
    if (key == QLatin1String("Option2")) {
        QVERIFY(!ui.saveToFolderOption->isChecked());
        QVERIFY(!ui.saveBesidePdfOption->isChecked());
        QVERIFY(!ui.outputFolderFrame->isEnabled());
    }
}

void TestStartUp::listColumns()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    WindowControls &ui = fx.ui();
    QCOMPARE(ui.fileRows->headerData(0, Qt::Horizontal).toString(), QStringLiteral("PDF File(s)"));
    QCOMPARE(ui.previewRows->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("PDF Preview (Click on added PDF file above. This is how the file "
                            "appears to me)"));
    QCOMPARE(ui.fileList->model()->columnCount(), 1);
    // Each column is as wide as its list, and wide enough for its whole heading (CaptionFit
    // checks the heading).
    for (const QSize size : {window.size(), window.size() + QSize(700, 0)}) {
        window.resize(size);
        for (QTreeView *list : {ui.fileList, ui.previewList})
            QVERIFY(list->header()->sectionSize(0) >= list->viewport()->width());
        QCOMPARE(ui.fileList->header()->sectionSize(0), ui.fileList->viewport()->width());
    }
    QCOMPARE(ui.previewList->header()->sectionSize(0), ui.previewList->viewport()->width());
    // A column the user drags wider stays so; the list scrolls sideways to it.
    const int dragged = ui.fileList->viewport()->width() + 300;
    ui.fileList->header()->resizeSection(0, dragged);
    window.resize(window.size() - QSize(200, 0));
    QCOMPARE(ui.fileList->header()->sectionSize(0), dragged);
}

void TestStartUp::handPointerIsLoadedFromTheInstallFolder()
{
    WindowFixture fx;
    writeFile(fx.place.installFolder() + QStringLiteral("/HAND-M.CUR"), cursorFile({5, 3}));
    fx.open();
    QCOMPARE(fx.services.boxes().size(), 0);
    const QCursor cursor = fx.ui().pointer->customCursor();
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.hotSpot(), QPoint(5, 3));
}

void TestStartUp::brokenHandPointerIsReportedAtItsStep()
{
    WindowFixture fx;
    writeFile(fx.place.installFolder() + QStringLiteral("/HAND-M.CUR"), "not a picture");
    fx.services.expectMessage();
    fx.open();
    QCOMPARE(fx.services.boxes().size(), 1);
    QVERIFY2(fx.services.boxes().first().text.contains(QStringLiteral("at line 104\r\r")),
             qPrintable(fx.services.describeBoxes()));
    // Without a picture the hand is the platform's pointing hand.
    QCOMPARE(fx.ui().pointer->customCursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(fx.window().windowTitle(), QStringLiteral("Morwenda"));
}

void TestStartUp::skinIsAppliedAsAStyleSheet()
{
    WindowFixture fx;
    const QByteArray sheet = "QPushButton { color: rgb(10, 20, 30); }";
    writeFile(fx.place.installFolder() + QStringLiteral("/x/o.cjs"), sheet);
    fx.open();
    QCOMPARE(fx.services.boxes().size(), 0);
    QCOMPARE(fx.window().styleSheet(), QString::fromLatin1(sheet));
    QVERIFY(fx.ui().saveFrame->autoFillBackground());
    QCOMPARE(fx.window().palette().color(QPalette::Window),
             fx.window().palette().color(QPalette::Button));
}

void TestStartUp::applicationTitle_data()
{
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("title");
    QTest::newRow("no blank keeps the name") << "Morwenda"
                                             << "Morwenda";
    QTest::newRow("last word goes even when short") << "Morwenda Converter"
                                                    << "Morwenda";
    const QString fortyOne = QString(34, u'a') + QStringLiteral(" bcdef"); // 41 characters
    QTest::newRow("41 characters lose the last word") << fortyOne << QString(34, u'a');
    const QString words = QString(38, u'a') + QStringLiteral(" bb cc dd");
    QTest::newRow("cut again while longer than 40") << words << QString(38, u'a');
    QTest::newRow("one cut that leaves 40 is the only one")
        << QString(38, u'x') + QStringLiteral(" y z") << QString(38, u'x') + QStringLiteral(" y");
}

void TestStartUp::applicationTitle()
{
    QFETCH(QString, product);
    QFETCH(QString, title);
    QCOMPARE(setApplicationTitle(product), title);
}

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
