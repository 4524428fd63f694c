#include "TestPlace.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <unistd.h>

class TestShutdown : public QObject
{
    Q_OBJECT

private slots:
    void closingInsideARunStopsTheConvertersAndEndsTheProcess();
};

void TestShutdown::closingInsideARunStopsTheConvertersAndEndsTheProcess()
{
    TestPlace place;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), place.configFolder());
    env.insert(QStringLiteral("TEMP"), place.tempFolder());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(CLOSE_DURING_RUN), {place.installFolder(), place.root()});
    QVERIFY(program.waitForFinished(90000));
    const QByteArray said = program.readAllStandardOutput();
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    // The forms' converter was running when the window closed, and no child was left at the end.
    const QRegularExpressionMatch waiting =
        QRegularExpression(QStringLiteral("waiting with (\\d+) children")).match(said);
    QVERIFY2(waiting.hasMatch() && waiting.captured(1).toInt() >= 1, said.constData());
    QVERIFY2(said.contains("children 0\n"), said.constData());
    QVERIFY2(!said.contains("after"), said.constData());
    // The first file's text is in place, and nothing of the run is left in the output folder.
    QCOMPARE(QDir(place.root() + QStringLiteral("/out"))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("a.txt")});
    // The converter that start-up deployed went with the window.
    QVERIFY(!QFile::exists(place.tempFolder() + QStringLiteral("/morwenda-") +
                           QString::number(::geteuid()) + QStringLiteral("/pdftotext")));
}

QTEST_GUILESS_MAIN(TestShutdown)
#include "tst_shutdown.moc"
