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
    WindowContext &ctx = fx.ctx();
    fx.services.expectFolder(chosen);
    QTest::mouseClick(ctx.PushButton7, Qt::LeftButton);
    const FakeServices::Box shown = fx.services.boxes().first();
    QCOMPARE(shown.kind, FakeServices::Kind::Folder);
    QCOMPARE(shown.title, QStringLiteral("Please select folder:"));
    QCOMPARE(ctx.Text1->text(), box);
    QCOMPARE(fx.settings.GetSetting(QStringLiteral("LastFolderDot"), QString()), chosen);
    QCOMPARE(fx.settings.GetSetting(QStringLiteral("Output Folder"), QString()), box);
}

void TestOutputOptions::cancelledBrowseChangesNothing()
{
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    const QString before = ctx.Text1->text();
    fx.services.expectFolder(QString());
    QTest::mouseClick(ctx.PushButton7, Qt::LeftButton);
    QCOMPARE(ctx.Text1->text(), before);
    QCOMPARE(fx.settings.GetSetting(QStringLiteral("LastFolderDot"), QStringLiteral("absent")),
             QStringLiteral("absent"));
    QCOMPARE(fx.settings.GetSetting(QStringLiteral("Output Folder"), QString()), before);
}

void TestOutputOptions::browseStartsFromTheLastScannedFolder()
{
    WindowFixture fx;
    fx.settings.SaveSetting(QStringLiteral("LastFolder"), QStringLiteral("/srv/scans"));
    fx.open();
    fx.services.expectFolder(QString());
    QTest::mouseClick(fx.ctx().PushButton7, Qt::LeftButton);
    QCOMPARE(fx.services.boxes().first().preset, QStringLiteral("/srv/scans"));
}

void TestOutputOptions::everyKeystrokeIsStored()
{
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    ctx.Text1->clear();
    // Read the store after each keystroke: it must already hold the text as it then stands.
    QStringList stored;
    QObject::connect(ctx.Text1, &QLineEdit::textChanged, ctx.Text1, [&] {
        stored << fx.settings.GetSetting(QStringLiteral("Output Folder"), QStringLiteral("?"));
    });
    ctx.Text1->setFocus();
    QTest::keyClicks(ctx.Text1, QStringLiteral("/data/text"));
    QCOMPARE(stored.size(), 10);
    QCOMPARE(stored.first(), QStringLiteral("/"));
    QCOMPARE(stored.at(4), QStringLiteral("/data"));
    QCOMPARE(stored.last(), QStringLiteral("/data/text"));
}

void TestOutputOptions::passwordOptionIsStored()
{
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    const QPoint box(5, ctx.Check1->height() / 2);
    QTest::mouseClick(ctx.Check1, Qt::LeftButton, {}, box);
    QCOMPARE(fx.settings.GetSetting(QStringLiteral("Check1"), QString()), QStringLiteral("1"));
    QTest::mouseClick(ctx.Check1, Qt::LeftButton, {}, box);
    QCOMPARE(fx.settings.GetSetting(QStringLiteral("Check1"), QString()), QStringLiteral("0"));
}

void TestOutputOptions::optionClicksStoreBothAndSwitchTheFolderBox()
{
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    const QString folder = ctx.Text1->text();
    QTest::mouseClick(ctx.Option2, Qt::LeftButton, {}, QPoint(5, ctx.Option2->height() / 2));
    QVERIFY(ctx.Option2->isChecked());
    QVERIFY(!ctx.Option1->isChecked());
    QCOMPARE(fx.settings.GetSetting(QStringLiteral("Option1"), QString()), QStringLiteral("False"));
    QCOMPARE(fx.settings.GetSetting(QStringLiteral("Option2"), QString()), QStringLiteral("True"));
    // The folder box and its button are disabled but keep their text.
    QVERIFY(!ctx.Frame2->isEnabled());
    QVERIFY(!ctx.Text1->isEnabled());
    QVERIFY(!ctx.PushButton7->isEnabled());
    QCOMPARE(ctx.Text1->text(), folder);

    QTest::mouseClick(ctx.Option1, Qt::LeftButton, {}, QPoint(5, ctx.Option1->height() / 2));
    QCOMPARE(fx.settings.GetSetting(QStringLiteral("Option1"), QString()), QStringLiteral("True"));
    QCOMPARE(fx.settings.GetSetting(QStringLiteral("Option2"), QString()), QStringLiteral("False"));
    QVERIFY(ctx.Frame2->isEnabled());
    QVERIFY(ctx.PushButton7->isEnabled());
}

void TestOutputOptions::unwritableStoreIsToldOnce()
{
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    // A folder where the settings file should be: no write can reach the disk.
    const QString store = SettingsStore::location();
    QVERIFY(QFile::remove(store));
    QVERIFY(QDir().mkpath(store));
    fx.services.expectMessage();
    ctx.Text1->setFocus();
    QTest::keyClicks(ctx.Text1, QStringLiteral("abc"));
    QTest::mouseClick(ctx.Option2, Qt::LeftButton, {}, QPoint(5, ctx.Option2->height() / 2));
    QCOMPARE(fx.services.boxes().size(), 1);
    QCOMPARE(fx.services.boxes().first().icon, MessageIcon::Warning);
    QVERIFY(fx.services.boxes().first().text.contains(store));
    // The window goes on with what the user chose.
    QVERIFY(ctx.Text1->text().endsWith(QStringLiteral("abc")));
    QVERIFY(!ctx.Frame2->isEnabled());
}

QTEST_MAIN(TestOutputOptions)
#include "tst_outputoptions.moc"
