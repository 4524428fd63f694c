#include "convert/Converter.h"
#include "TestPlace.h"

#include <QDir>
#include <QProcess>
#include <QTest>

class TestShutdown : public QObject
{
    Q_OBJECT

private slots:
    void closingInsideARunEndsTheProcessAtOnce();
};

void TestShutdown::closingInsideARunEndsTheProcessAtOnce()
{
    TestPlace place;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), place.configFolder());
    env.insert(QStringLiteral("TEMP"), place.tempFolder());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(CLOSE_DURING_RUN), {place.installFolder(), place.root()});
    QVERIFY(program.waitForFinished(60000));
    const QByteArray said = program.readAllStandardOutput();
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY2(said.contains("waiting"), said.constData());
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
