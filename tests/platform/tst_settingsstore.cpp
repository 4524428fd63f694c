#include "platform/Failure.h"
#include "platform/SettingsStore.h"
#include "TestPlace.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void absentKeyGivesDefault();
    void storedTextsComeBackUnchanged();
    void storeLivesInTheSection();
    void toBoolean_data();
    void toBoolean();
    void toInt16_data();
    void toInt16();
    void writeSurvivesAKilledProcess();
};

void TestSettingsStore::absentKeyGivesDefault()
{
    TestPlace place;
    SettingsStore store;
    QCOMPARE(store.GetSetting(QStringLiteral("Extension"), QStringLiteral("pdf")),
             QStringLiteral("pdf"));
    QCOMPARE(store.GetSetting(QStringLiteral("Check1"), QStringLiteral("0")), QStringLiteral("0"));
}

void TestSettingsStore::storedTextsComeBackUnchanged()
{
    TestPlace place;
    SettingsStore store;
    // An empty text is present; blanks, separators and non-ASCII letters are kept as written.
    const QStringList texts = {QString(), QStringLiteral("  /home/ü ser/Out put/ "),
                               QStringLiteral(R"(C:\out\\)"), QStringLiteral("a=b;c,d")};
    for (const QString &text : texts) {
        store.SaveSetting(QStringLiteral("Output Folder"), text);
        QCOMPARE(store.GetSetting(QStringLiteral("Output Folder"), QStringLiteral("default")),
                 text);
    }
}

void TestSettingsStore::storeLivesInTheSection()
{
    TestPlace place;
    SettingsStore store;
    store.SaveSetting(QStringLiteral("LastFolder"), QStringLiteral("/data"));
    QVERIFY2(SettingsStore::location().startsWith(place.configFolder()),
             qPrintable(SettingsStore::location()));
    QSettings raw(SettingsStore::location(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Morwenda/LastFolder")).toString(), QStringLiteral("/data"));
    QVERIFY(SettingsStore::location().endsWith(QStringLiteral("Tarvenik.conf")));
}

void TestSettingsStore::toBoolean_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("expected");
    QTest::newRow("True") << "True" << true << true;
    QTest::newRow("false any case") << "fALSE" << true << false;
    QTest::newRow("zero") << "0" << true << false;
    QTest::newRow("one") << "1" << true << true;
    QTest::newRow("negative number") << "-1" << true << true;
    QTest::newRow("fraction") << "0.5" << true << true;
    QTest::newRow("yes is no truth value") << "yes" << false << false;
    QTest::newRow("empty") << "" << false << false;
}

void TestSettingsStore::toBoolean()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(bool, expected);
    if (!valid) {
        try {
            settingtext::toBoolean(text);
            QFAIL("a text that is no truth value was accepted");
        } catch (const Failure &failure) {
            QCOMPARE(failure.description(), QStringLiteral("Type mismatch"));
        }
        return;
    }
    QCOMPARE(settingtext::toBoolean(text), expected);
}

void TestSettingsStore::toInt16_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("expected");
    QTest::newRow("zero") << "0"
                          << "" << 0;
    QTest::newRow("one") << "1"
                         << "" << 1;
    QTest::newRow("blanks around") << " 1 "
                                   << "" << 1;
    QTest::newRow("half rounds to even") << "2.5"
                                         << "" << 2;
    QTest::newRow("letter") << "x"
                            << "Type mismatch" << 0;
    QTest::newRow("empty") << ""
                           << "Type mismatch" << 0;
    QTest::newRow("too large") << "40000"
                               << "Overflow" << 0;
}

void TestSettingsStore::toInt16()
{
    QFETCH(QString, text);
    QFETCH(QString, failure);
    QFETCH(int, expected);
    if (!failure.isEmpty()) {
        try {
            settingtext::toInt16(text);
            QFAIL("an invalid number was accepted");
        } catch (const Failure &f) {
            QCOMPARE(f.description(), failure);
        }
        return;
    }
    QCOMPARE(int(settingtext::toInt16(text)), expected);
}

void TestSettingsStore::writeSurvivesAKilledProcess()
{
    QTemporaryDir config;
    QProcess writer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    writer.setProcessEnvironment(env);
    writer.start(QStringLiteral(SETTINGS_WRITER),
                 {QStringLiteral("Output Folder"), QStringLiteral("/srv/out put/")});
    QVERIFY(writer.waitForStarted());
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += writer.readAllStandardOutput()).contains("saved") ||
                                 writer.state() != QProcess::Running,
                             10000);
    QVERIFY2(said.contains("saved"), said.constData());
    writer.kill(); // no chance to flush anything at exit
    QVERIFY(writer.waitForFinished());
    QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

    QSettings raw(config.filePath(QStringLiteral("Tarvenik.conf")), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Morwenda/Output Folder")).toString(),
             QStringLiteral("/srv/out put/"));
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
