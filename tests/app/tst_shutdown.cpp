// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestPlace.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <unistd.h>

namespace {

// The window program's environment: the place's settings and temporary folder, no screen.
QProcessEnvironment environmentFor(const TestPlace &place)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), place.configFolder());
    env.insert(QStringLiteral("TEMP"), place.tempFolder());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

} // namespace

class TestShutdown : public QObject
{
    Q_OBJECT

private slots:
    void closingInsideARunStopsTheConvertersAndEndsTheProcess();
    void killingTheProgramEndsItsConverters();
    void terminatingTheProgramClosesItAsItsUserWould();
};

void TestShutdown::closingInsideARunStopsTheConvertersAndEndsTheProcess()
{
    TestPlace place;
    QProcess program;
    program.setProcessEnvironment(environmentFor(place));
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

void TestShutdown::killingTheProgramEndsItsConverters()
{
    TestPlace place;
    QProcess program;
    program.setProcessEnvironment(environmentFor(place));
    program.start(QStringLiteral(CLOSE_DURING_RUN),
                  {place.installFolder(), place.root(), QStringLiteral("kill")});
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += program.readAllStandardOutput()).contains("converters "),
                             60000);
    QTRY_VERIFY_WITH_TIMEOUT((said += program.readAllStandardOutput()).endsWith('\n'), 5000);
    const QStringList converters = QString::fromLatin1(said.mid(said.indexOf("converters ") + 11))
                                       .trimmed()
                                       .split(u' ', Qt::SkipEmptyParts);
    QVERIFY2(!converters.isEmpty(), said.constData());
    for (const QString &pid : converters)
        QVERIFY(QFile::exists(QStringLiteral("/proc/") + pid));
    program.kill();
    QVERIFY(program.waitForFinished(10000));
    // Each converter dies with the program (a zombie waiting for its new parent counts as gone).
    const auto gone = [](const QString &pid) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return true;
        const QByteArray line = stat.readAll();
        return line.mid(line.lastIndexOf(')') + 2, 1) == "Z";
    };
    for (const QString &pid : converters)
        QTRY_VERIFY2_WITH_TIMEOUT(gone(pid), qPrintable(pid), 5000);
}

// SIGTERM (a logout, a service manager) closes the window as its user would: the converters end,
// and the run's staging folder with its partial texts goes, as Stop has it go.
void TestShutdown::terminatingTheProgramClosesItAsItsUserWould()
{
    TestPlace place;
    QProcess program;
    program.setProcessEnvironment(environmentFor(place));
    program.start(QStringLiteral(CLOSE_DURING_RUN),
                  {place.installFolder(), place.root(), QStringLiteral("term")});
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += program.readAllStandardOutput()).contains("converters "),
                             60000);
    program.terminate();
    QVERIFY(program.waitForFinished(30000));
    said += program.readAllStandardOutput();
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(said.contains("children 0\n"), said.constData());
    QCOMPARE(QDir(place.root() + QStringLiteral("/out"))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("a.txt")});
}

QTEST_GUILESS_MAIN(TestShutdown)
#include "tst_shutdown.moc"
