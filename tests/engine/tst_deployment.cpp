// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CarriedConverter.h"
#include "engine/ConverterDeployment.h"
#include "engine/InstanceLock.h"
#include "platform/ErrorReport.h"
#include "TestConfig.h"
#include "TestPlace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// Deploys as start-up does and returns the reports, as "line: description".
QStringList deploy(ConverterDeployment &deployment)
{
    QStringList reports;
    Procedure proc(
        [&](const QString &, int line, const QString &description) {
            reports << QStringLiteral("%1: %2").arg(line).arg(description);
        },
        tags::FormLoad);
    deployment.deploy(proc);
    return reports;
}

// The program's exit code; -1 when it cannot be started or does not end normally.
int runProgram(const QString &program, const QStringList &arguments = {})
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t modeOf(const QString &path)
{
    struct stat facts = {};
    lstat(QFile::encodeName(path).constData(), &facts);
    return facts.st_mode;
}

bool makeFolder(const QString &path, mode_t mode)
{
    return QDir().mkpath(path) && chmod(QFile::encodeName(path).constData(), mode) == 0;
}

// A program in place of the converter, left there by someone, that exits with 7.
bool plantProgram(const QString &path, mode_t mode = 0700)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\nexit 7\n") > 0 &&
           chmod(QFile::encodeName(path).constData(), mode) == 0;
}

} // namespace

class TestDeployment : public QObject
{
    Q_OBJECT

private slots:
    void folderFollowsTemp();
    void deployWritesTheEmbeddedConverter();
    void existingFileStaysAndIsUsed();
    void unsafePlacesAreNeverRun_data();
    void unsafePlacesAreNeverRun();
    void lastInstanceToCloseRemovesTheConverter_data();
    void lastInstanceToCloseRemovesTheConverter();
    void anInstanceStartingAtTheCloseHoldsTheNewLock();
};

void TestDeployment::folderFollowsTemp()
{
    TestPlace place;
    const QString own = QStringLiteral("/morwenda-%1/pdftotext").arg(geteuid());
    qputenv("TEMP", QFile::encodeName(place.tempFolder() + u'/'));
    QCOMPARE(converter::converterPath(), place.tempFolder() + own);
    qputenv("TEMP", "");
    QCOMPARE(converter::converterPath(), QDir::tempPath() + own);
}

void TestDeployment::deployWritesTheEmbeddedConverter()
{
    TestPlace place;
    ConverterDeployment deployment;
    QCOMPARE(deploy(deployment), QStringList());
    const QString path = converter::converterPath();
    QCOMPARE(deployment.program(), path);
    QCOMPARE(bytesOf(path), bytesOf(QStringLiteral(MORWENDA_PDFTOTEXT)));
    QVERIFY(!converter::converterBuild(QStringLiteral("32")).isEmpty());
    QCOMPARE(modeOf(converter::converterFolder()) & 07777, mode_t(0700));
    QCOMPARE(modeOf(path) & (S_IFMT | S_IXUSR | S_IWGRP | S_IWOTH), mode_t(S_IFREG | S_IXUSR));
    QCOMPARE(runProgram(deployment.program(), {QStringLiteral("-v")}), 0);
    // Nothing but the converter and the instance lock is left there.
    QCOMPARE(QDir(converter::converterFolder()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestDeployment::existingFileStaysAndIsUsed()
{
    TestPlace place;
    QVERIFY(makeFolder(converter::converterFolder(), 0700));
    QVERIFY(plantProgram(converter::converterPath()));
    ConverterDeployment deployment;
    QCOMPARE(deploy(deployment), QStringList());
    QCOMPARE(runProgram(deployment.program()), 7);
}

enum class Unsafe
{
    FolderOpenToAll,
    FolderIsSymlink,
    FolderOfAnotherUser,
    FileGroupWritable,
};

void TestDeployment::unsafePlacesAreNeverRun_data()
{
    QTest::addColumn<Unsafe>("unsafe");
    QTest::addColumn<bool>("freshFolderPossible");
    QTest::addColumn<QString>("report");
    const QString none;
    QTest::newRow("folder open to all") << Unsafe::FolderOpenToAll << true << none;
    QTest::newRow("folder is a symbolic link") << Unsafe::FolderIsSymlink << true << none;
    QTest::newRow("folder of another user") << Unsafe::FolderOfAnotherUser << true << none;
    QTest::newRow("converter writable by its group") << Unsafe::FileGroupWritable << true << none;
    QTest::newRow("and nowhere else either")
        << Unsafe::FolderOpenToAll << false
        << QStringLiteral("164: No converter can be run, so no PDF can be converted to text: "
                          ".* can be changed by other users");
}

void TestDeployment::unsafePlacesAreNeverRun()
{
    QFETCH(Unsafe, unsafe);
    QFETCH(bool, freshFolderPossible);
    QFETCH(QString, report);
    if (unsafe == Unsafe::FolderOfAnotherUser && geteuid() != 0)
        QSKIP("only the superuser can give a folder to another user");
    TestPlace place;
    // A fresh private folder goes under XDG_RUNTIME_DIR, else the cache folder; under a plain
    // file neither can be made, even by the superuser.
    const QString blocked = place.path(QStringLiteral("a file"));
    QVERIFY(plantProgram(blocked));
    const QString runtime = freshFolderPossible ? place.path(QStringLiteral("runtime"))
                                                : blocked + QStringLiteral("/runtime");
    QVERIFY(!freshFolderPossible || makeFolder(runtime, 0700));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(blocked + QStringLiteral("/cache")));
    const QString folder = converter::converterFolder();
    QString planted = converter::converterPath(); // the program that someone left to be run
    if (unsafe == Unsafe::FolderIsSymlink) {
        planted = place.path(QStringLiteral("elsewhere/pdftotext"));
        QVERIFY(makeFolder(QFileInfo(planted).path(), 0700));
        QVERIFY(QFile::link(QFileInfo(planted).path(), folder));
    } else {
        QVERIFY(makeFolder(folder, unsafe == Unsafe::FolderOpenToAll ? 0777 : 0700));
    }
    QVERIFY(plantProgram(planted, unsafe == Unsafe::FileGroupWritable ? 0770 : 0700));
    if (unsafe == Unsafe::FolderOfAnotherUser)
        QCOMPARE(chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);

    QString program;
    {
        QStringList reports;
        Procedure proc(
            [&](const QString &, int line, const QString &description) {
                reports << QStringLiteral("%1: %2").arg(line).arg(description);
            },
            tags::FormLoad);
        ConverterDeployment deployment;
        deployment.deploy(proc);
        program = deployment.program();
        if (report.isEmpty()) {
            QVERIFY2(reports.isEmpty(), qPrintable(reports.join(u'\n')));
            // The real converter in a fresh folder of its own, never the planted program.
            QVERIFY(program.startsWith(runtime + QStringLiteral("/morwenda-")));
            QCOMPARE(runProgram(program, {QStringLiteral("-v")}), 0);
        } else {
            QVERIFY2(reports.size() == 1 &&
                         QRegularExpression(report).match(reports.at(0)).hasMatch(),
                     qPrintable(reports.join(u'\n')));
            QCOMPARE(program, QString());
            QCOMPARE(runProgram(program), -1);
        }
    }
    // Nothing is added to a folder that is not safe, and nothing is removed from it; the fresh
    // folder goes with the deployment.
    QCOMPARE(bytesOf(planted), QByteArray("#!/bin/sh\nexit 7\n"));
    QCOMPARE(QDir(QFileInfo(planted).path()).entryList(QDir::Files | QDir::Hidden),
             unsafe == Unsafe::FileGroupWritable
                 ? QStringList({QStringLiteral("instances.lock"), QStringLiteral("pdftotext")})
                 : QStringList{QStringLiteral("pdftotext")});
    if (!program.isEmpty())
        QVERIFY(!QFileInfo::exists(QFileInfo(program).path()));
    qunsetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_CACHE_HOME");
}

void TestDeployment::lastInstanceToCloseRemovesTheConverter_data()
{
    QTest::addColumn<bool>("thisClosesFirst");
    QTest::newRow("the instance that wrote it closes first") << true;
    QTest::newRow("the instance that found it closes first") << false;
}

void TestDeployment::lastInstanceToCloseRemovesTheConverter()
{
    QFETCH(bool, thisClosesFirst);
    TestPlace place; // the other instance inherits its TEMP
    ConverterDeployment deployment;
    QCOMPARE(deploy(deployment), QStringList());
    const QString path = converter::converterPath();
    const QDateTime written = QFileInfo(path).lastModified();
    QProcess other;
    other.start(QStringLiteral(CONVERTER_INSTANCE));
    QVERIFY(other.waitForReadyRead(20000));
    QCOMPARE(other.readLine(), QByteArray("ready\n"));
    QCOMPARE(QFileInfo(path).lastModified(), written); // found, not written again
    const auto closeOther = [&] {
        other.closeWriteChannel();
        return other.waitForFinished(10000) && other.exitCode() == 0;
    };

    if (thisClosesFirst)
        deployment.remove();
    else
        QVERIFY(closeOther());
    QCOMPARE(runProgram(path, {QStringLiteral("-v")}), 0);
    if (thisClosesFirst)
        QVERIFY(closeOther());
    else
        deployment.remove();
    QVERIFY(!QFile::exists(path));
    QVERIFY(!QFile::exists(converter::converterFolder() + QStringLiteral("/instances.lock")));
    QCOMPARE(other.readAllStandardError(), QByteArray());
}

// An instance that starts while the last one closes waits on the lock file that is removed: it
// takes the file made anew, so a third instance sees it there.
void TestDeployment::anInstanceStartingAtTheCloseHoldsTheNewLock()
{
    TestPlace place;
    const QString path = place.path(QStringLiteral("instances.lock"));
    InstanceLock closing(path);
    closing.holdShared();
    QVERIFY(closing.tryExclusive());
    struct stat facts = {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &facts), 0);
    InstanceLock starting(path);
    std::thread start([&] { starting.holdShared(); });
    // Waits until the starting instance is blocked on the old file.
    const QByteArray waiter = ":" + QByteArray::number(qulonglong(facts.st_ino)) + ' ';
    const auto blocked = [&] {
        QFile locks(QStringLiteral("/proc/locks"));
        if (!locks.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray &line : locks.readAll().split('\n'))
            if (line.contains("-> FLOCK") && line.contains(waiter))
                return true;
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(blocked(), 60000);
    closing.removeFile();
    closing.release();
    start.join();
    InstanceLock third(path);
    QVERIFY(!third.tryExclusive());
}

QTEST_GUILESS_MAIN(TestDeployment)
#include "tst_deployment.moc"
