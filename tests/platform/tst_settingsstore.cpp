// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Failure.h"
#include "platform/SettingsStore.h"
#include "TestPlace.h"

#include <QDir>
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
    void conversions_data();
    void conversions();
    void writeSurvivesAKilledProcess();
    void aFailingStoreIsToldOnce();
};

void TestSettingsStore::absentKeyGivesDefault()
{
    TestPlace place;
    SettingsStore store;
    QCOMPARE(store.getSetting(QStringLiteral("Extension"), QStringLiteral("pdf")),
             QStringLiteral("pdf"));
    QCOMPARE(store.getSetting(QStringLiteral("Check1"), QStringLiteral("0")), QStringLiteral("0"));
}

void TestSettingsStore::storedTextsComeBackUnchanged()
{
    TestPlace place;
    SettingsStore store;
    // An empty text is present; blanks, separators and non-ASCII letters are kept as written.
    const QStringList texts = {QString(), QStringLiteral("  /home/ü ser/Out put/ "),
                               QStringLiteral(R"(C:\out\\)"), QStringLiteral("a=b;c,d")};
    for (const QString &text : texts) {
        store.saveSetting(QStringLiteral("Output Folder"), text);
        QCOMPARE(store.getSetting(QStringLiteral("Output Folder"), QStringLiteral("default")),
                 text);
    }
}

void TestSettingsStore::storeLivesInTheSection()
{
    TestPlace place;
    SettingsStore store;
    store.saveSetting(QStringLiteral("LastFolder"), QStringLiteral("/data"));
    QVERIFY2(SettingsStore::location().startsWith(place.configFolder()),
             qPrintable(SettingsStore::location()));
    QSettings raw(SettingsStore::location(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Morwenda/LastFolder")).toString(), QStringLiteral("/data"));
    QVERIFY(SettingsStore::location().endsWith(QStringLiteral("Tarvenik.conf")));
}

void TestSettingsStore::conversions_data()
{
    QTest::addColumn<bool>("truth"); // a truth value, else a 16-bit integer
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("expected");
    QTest::newRow("True") << true << "True"
                          << "" << 1;
    QTest::newRow("false any case") << true << "fALSE"
                                    << "" << 0;
    QTest::newRow("zero is false") << true << "0"
                                   << "" << 0;
    QTest::newRow("negative number is true") << true << "-1"
                                             << "" << 1;
    QTest::newRow("fraction is true") << true << "0.5"
                                      << "" << 1;
    QTest::newRow("yes is no truth value") << true << "yes"
                                           << "Type mismatch" << 0;
    QTest::newRow("empty is no truth value") << true << ""
                                             << "Type mismatch" << 0;
    QTest::newRow("integer") << false << "1"
                             << "" << 1;
    QTest::newRow("blanks around") << false << " 1 "
                                   << "" << 1;
    QTest::newRow("half rounds to even") << false << "2.5"
                                         << "" << 2;
    QTest::newRow("letter") << false << "x"
                            << "Type mismatch" << 0;
    QTest::newRow("empty") << false << ""
                           << "Type mismatch" << 0;
    QTest::newRow("too large") << false << "40000"
                               << "Overflow" << 0;
}

void TestSettingsStore::conversions()
{
    QFETCH(bool, truth);
    QFETCH(QString, text);
    QFETCH(QString, failure);
    QFETCH(int, expected);
    try {
        const int value = truth ? int(settingtext::toBoolean(text)) : settingtext::toInt16(text);
        QVERIFY2(failure.isEmpty(), "an invalid text was accepted");
        QCOMPARE(value, expected);
    } catch (const Failure &f) {
        QCOMPARE(f.description(), failure);
    }
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

// The window stores a choice at every click: a store that cannot be written says so once.
void TestSettingsStore::aFailingStoreIsToldOnce()
{
    TestPlace place;
    SettingsStore store;
    QVERIFY(QDir().mkpath(SettingsStore::location())); // a folder where the file should be
    QCOMPARE(store.storeChoice(QStringLiteral("Check1"), QStringLiteral("1")),
             QStringLiteral("Permission denied"));
    QCOMPARE(store.storeChoice(QStringLiteral("Check2"), QStringLiteral("1")), QString());
    QVERIFY_THROWS_EXCEPTION(Failure,
                             store.saveSetting(QStringLiteral("Check2"), QStringLiteral("1")));
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
