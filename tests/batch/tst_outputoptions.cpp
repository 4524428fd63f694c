// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class TestOutputOptions : public QObject
{
    Q_OBJECT

private slots:
    void browse_data();
    void browse();
    void cancelledBrowseChangesNothing();
    void browseStartsFromTheLastScannedFolder();
    void everyKeystrokeIsStored();
    void passwordOptionIsStored();
    void optionClicksStoreBothAndSwitchTheFolderBox();
    void unwritableStoreIsToldOnce();
};

void TestOutputOptions::browse_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("box");
    QTest::newRow("a folder gets its separator") << "/srv/data"
                                                 << "/srv/data/";
    QTest::newRow("the root keeps its one separator") << "/"
                                                      << "/";
    QTest::newRow("a folder with blanks") << "/home/a b/Out put"
                                          << "/home/a b/Out put/";
}

void TestOutputOptions::browse()
{
    QFETCH(QString, chosen);
    QFETCH(QString, box);
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    fx.services.expectFolder(chosen);
    QTest::mouseClick(ui.browseOutputButton, Qt::LeftButton);
    const FakeServices::Box shown = fx.services.boxes().first();
    QCOMPARE(shown.kind, FakeServices::Kind::Folder);
    QCOMPARE(shown.title, QStringLiteral("Please select folder:"));
    QCOMPARE(ui.outputFolderEdit->text(), box);
    QCOMPARE(fx.settings.getSetting(QStringLiteral("LastFolderDot"), QString()), chosen);
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Output Folder"), QString()), box);
}

void TestOutputOptions::cancelledBrowseChangesNothing()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    const QString before = ui.outputFolderEdit->text();
    fx.services.expectFolder(QString());
    QTest::mouseClick(ui.browseOutputButton, Qt::LeftButton);
    QCOMPARE(ui.outputFolderEdit->text(), before);
    QCOMPARE(fx.settings.getSetting(QStringLiteral("LastFolderDot"), QStringLiteral("absent")),
             QStringLiteral("absent"));
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Output Folder"), QString()), before);
}

void TestOutputOptions::browseStartsFromTheLastScannedFolder()
{
    WindowFixture fx;
    fx.settings.saveSetting(QStringLiteral("LastFolder"), QStringLiteral("/srv/scans"));
    fx.open();
    fx.services.expectFolder(QString());
    QTest::mouseClick(fx.ui().browseOutputButton, Qt::LeftButton);
    QCOMPARE(fx.services.boxes().first().preset, QStringLiteral("/srv/scans"));
}

void TestOutputOptions::everyKeystrokeIsStored()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    ui.outputFolderEdit->clear();
    // Read the store after each keystroke: it must already hold the text as it then stands.
    QStringList stored;
    QObject::connect(ui.outputFolderEdit, &QLineEdit::textChanged, ui.outputFolderEdit, [&] {
        stored << fx.settings.getSetting(QStringLiteral("Output Folder"), QStringLiteral("?"));
    });
    ui.outputFolderEdit->setFocus();
    QTest::keyClicks(ui.outputFolderEdit, QStringLiteral("/data/text"));
    QCOMPARE(stored.size(), 10);
    QCOMPARE(stored.first(), QStringLiteral("/"));
    QCOMPARE(stored.at(4), QStringLiteral("/data"));
    QCOMPARE(stored.last(), QStringLiteral("/data/text"));
}

void TestOutputOptions::passwordOptionIsStored()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    const QPoint box(5, ui.askPasswordBox->height() / 2);
    QTest::mouseClick(ui.askPasswordBox, Qt::LeftButton, {}, box);
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Check1"), QString()), QStringLiteral("1"));
    QTest::mouseClick(ui.askPasswordBox, Qt::LeftButton, {}, box);
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Check1"), QString()), QStringLiteral("0"));
}

void TestOutputOptions::optionClicksStoreBothAndSwitchTheFolderBox()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    const QString folder = ui.outputFolderEdit->text();
    QTest::mouseClick(ui.saveBesidePdfOption, Qt::LeftButton, {},
                      QPoint(5, ui.saveBesidePdfOption->height() / 2));
    QVERIFY(ui.saveBesidePdfOption->isChecked());
    QVERIFY(!ui.saveToFolderOption->isChecked());
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Option1"), QString()), QStringLiteral("False"));
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Option2"), QString()), QStringLiteral("True"));
    // The folder box and its button are disabled but keep their text.
    QVERIFY(!ui.outputFolderFrame->isEnabled());
    QVERIFY(!ui.outputFolderEdit->isEnabled());
    QVERIFY(!ui.browseOutputButton->isEnabled());
    QCOMPARE(ui.outputFolderEdit->text(), folder);

    QTest::mouseClick(ui.saveToFolderOption, Qt::LeftButton, {},
                      QPoint(5, ui.saveToFolderOption->height() / 2));
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Option1"), QString()), QStringLiteral("True"));
    QCOMPARE(fx.settings.getSetting(QStringLiteral("Option2"), QString()), QStringLiteral("False"));
    QVERIFY(ui.outputFolderFrame->isEnabled());
    QVERIFY(ui.browseOutputButton->isEnabled());
}

void TestOutputOptions::unwritableStoreIsToldOnce()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    // A folder where the settings file should be: no write can reach the disk.
    const QString store = SettingsStore::location();
    QVERIFY(QFile::remove(store));
    QVERIFY(QDir().mkpath(store));
    fx.services.expectMessage();
    ui.outputFolderEdit->setFocus();
    QTest::keyClicks(ui.outputFolderEdit, QStringLiteral("abc"));
    QTest::mouseClick(ui.saveBesidePdfOption, Qt::LeftButton, {},
                      QPoint(5, ui.saveBesidePdfOption->height() / 2));
    QCOMPARE(fx.services.boxes().size(), 1);
    QCOMPARE(fx.services.boxes().first().icon, MessageIcon::Warning);
    QVERIFY(fx.services.boxes().first().text.contains(store));
    // The window goes on with what the user chose.
    QVERIFY(ui.outputFolderEdit->text().endsWith(QStringLiteral("abc")));
    QVERIFY(!ui.outputFolderFrame->isEnabled());
}

QTEST_MAIN(TestOutputOptions)
#include "tst_outputoptions.moc"
