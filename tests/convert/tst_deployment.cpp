#include "app/ErrorReport.h"
#include "convert/Converter.h"
#include "convert/RunAndWait.h"
#include "TestConfig.h"
#include "TestPlace.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString ExitWithCode = QStringLiteral(EXIT_WITH_CODE);
const QString ConverterInstance = QStringLiteral(CONVERTER_INSTANCE);
constexpr uid_t Nobody = 65534;

struct Report
{
    int line;
    QString description;
};

// Deploys as start-up does and returns what was reported.
QList<Report> deploy()
{
    QList<Report> reports;
    Procedure proc(
        [&](const QString &, int line, const QString &description) {
            reports.append({line, description});
        },
        tags::FormLoad);
    converter::Deploy(proc);
    return reports;
}

QString describe(const QList<Report> &reports)
{
    QStringList lines;
    for (const Report &report : reports)
        lines.append(QStringLiteral("%1: %2").arg(report.line).arg(report.description));
    return lines.join(u'\n');
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t modeOf(const QString &path)
{
    struct stat facts
    {
    };
    lstat(QFile::encodeName(path).constData(), &facts);
    return facts.st_mode;
}

void makeFolder(const QString &path, mode_t mode)
{
    QVERIFY(QDir().mkpath(path));
    QCOMPARE(chmod(QFile::encodeName(path).constData(), mode), 0);
}

// A program in place of the converter that exits with the code it is given.
void plantProgram(const QString &path, mode_t mode)
{
    QVERIFY(QFile::copy(ExitWithCode, path));
    QCOMPARE(chmod(QFile::encodeName(path).constData(), mode), 0);
}

QByteArray readLine(QProcess &process)
{
    QElapsedTimer clock;
    clock.start();
    while (!process.canReadLine() && clock.elapsed() < 20000)
        process.waitForReadyRead(100);
    return process.readLine().trimmed();
}

} // namespace

class TestDeployment : public QObject
{
    Q_OBJECT

private slots:
    void folderFollowsTemp_data();
    void folderFollowsTemp();
    void resourceForWidth_data();
    void resourceForWidth();
    void embeddedBuildIsTheConfiguredConverter();

    void deployWritesTheBuildIntoAPrivateFolder();
    void existingFileStaysAndIsUsed();
    void unsafePlacesAreNeverRun_data();
    void unsafePlacesAreNeverRun();
    void missingTemporaryFolderIsReported();

    void shutdownRemovesTheConverter();
    void shutdownLeavesAnUnsafeFolderAlone();
    void firstInstanceToCloseLeavesTheConverter_data();
    void firstInstanceToCloseLeavesTheConverter();
    void closingWithoutDeployLeavesAnotherInstancesConverter();
};

void TestDeployment::folderFollowsTemp_data()
{
    QTest::addColumn<QString>("temp"); // "<place>" stands for the test place's temporary folder
    QTest::addColumn<QString>("base"); // likewise; "<system>" for the platform's own
    QTest::newRow("TEMP set") << QStringLiteral("<place>") << QStringLiteral("<place>");
    QTest::newRow("TEMP with a trailing separator")
        << QStringLiteral("<place>/") << QStringLiteral("<place>");
    QTest::newRow("TEMP empty") << QString() << QStringLiteral("<system>");
}

void TestDeployment::folderFollowsTemp()
{
    QFETCH(QString, temp);
    QFETCH(QString, base);
    TestPlace place;
    const auto expand = [&](QString text) {
        return text.replace(QStringLiteral("<place>"), place.tempFolder())
            .replace(QStringLiteral("<system>"), QDir::tempPath());
    };
    qputenv("TEMP", QFile::encodeName(expand(temp)));
    const QString folder = expand(base) + QStringLiteral("/morwenda-") + QString::number(geteuid());
    QCOMPARE(converter::ConverterFolder(), folder);
    QCOMPARE(converter::ConverterPath(), folder + QStringLiteral("/pdftotext"));

    // Built afresh at every call.
    qputenv("TEMP", QFile::encodeName(place.root()));
    QCOMPARE(converter::ConverterPath(), place.root() + QStringLiteral("/morwenda-") +
                                             QString::number(geteuid()) +
                                             QStringLiteral("/pdftotext"));
}

void TestDeployment::resourceForWidth_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("resource");
    QTest::newRow("64 bits: 102") << QStringLiteral("64") << QStringLiteral(":/converter/102");
    QTest::newRow("32 bits: 101") << QStringLiteral("32") << QStringLiteral(":/converter/101");
    QTest::newRow("no answer: 101") << QString() << QStringLiteral(":/converter/101");
    QTest::newRow("another width: 101")
        << QStringLiteral("128") << QStringLiteral(":/converter/101");
}

void TestDeployment::resourceForWidth()
{
    QFETCH(QString, width);
    QFETCH(QString, resource);
    QCOMPARE(converter::ConverterResource(width), resource);
    QVERIFY(!converter::ConverterBuild(width).isEmpty());
}

void TestDeployment::embeddedBuildIsTheConfiguredConverter()
{
    const QByteArray configured = bytesOf(QStringLiteral(MORWENDA_PDFTOTEXT));
    QVERIFY(!configured.isEmpty());
    QCOMPARE(converter::ConverterBuild(QStringLiteral("64")), configured);
    if (QSysInfo::currentCpuArchitecture() == QStringLiteral("x86_64"))
        QCOMPARE(converter::GetAddressWidth(), QStringLiteral("64"));
}

void TestDeployment::deployWritesTheBuildIntoAPrivateFolder()
{
    TestPlace place;
    const QList<Report> reports = deploy();
    QVERIFY2(reports.isEmpty(), qPrintable(describe(reports)));

    const QString path = converter::ConverterPath();
    QCOMPARE(path, place.tempFolder() + QStringLiteral("/morwenda-") + QString::number(geteuid()) +
                       QStringLiteral("/pdftotext"));
    QCOMPARE(bytesOf(path), converter::ConverterBuild(converter::GetAddressWidth()));
    QCOMPARE(modeOf(converter::ConverterFolder()) & 07777, mode_t(0700));
    const mode_t mode = modeOf(path);
    QVERIFY(S_ISREG(mode));
    QVERIFY(mode & S_IXUSR);
    QCOMPARE(mode & (S_IWGRP | S_IWOTH), mode_t(0));
    QCOMPARE(converter::ProgramToRun(), path);
    QCOMPARE(RunAndWait(converter::ProgramToRun(), {QStringLiteral("-v")}), 0);
    // Nothing but the converter and the instance lock is left there.
    QCOMPARE(QDir(converter::ConverterFolder()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestDeployment::existingFileStaysAndIsUsed()
{
    TestPlace place;
    makeFolder(converter::ConverterFolder(), 0700);
    plantProgram(converter::ConverterPath(), 0700);
    const QByteArray before = bytesOf(converter::ConverterPath());

    const QList<Report> reports = deploy();
    QVERIFY2(reports.isEmpty(), qPrintable(describe(reports)));
    QCOMPARE(bytesOf(converter::ConverterPath()), before);
    QCOMPARE(RunAndWait(converter::ProgramToRun(), {QStringLiteral("7")}), 7);
}

enum class Unsafe
{
    FolderOpenToAll,
    FolderGroupWritable,
    FolderIsSymlink,
    FolderOfAnotherUser,
    FolderIsAFile,
    FileGroupWritable,
    FileWritableByOthers,
    FileIsSymlink,
    FileOfAnotherUser,
};

void TestDeployment::unsafePlacesAreNeverRun_data()
{
    QTest::addColumn<Unsafe>("unsafe");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("phrase");
    const QString changeable = QStringLiteral("can be changed by other users");
    const QString link = QStringLiteral("is a symbolic link");
    const QString foreign = QStringLiteral("belongs to another user");
    QTest::newRow("folder open to all") << Unsafe::FolderOpenToAll << 158 << changeable;
    QTest::newRow("folder writable by its group")
        << Unsafe::FolderGroupWritable << 158 << changeable;
    QTest::newRow("folder is a symbolic link") << Unsafe::FolderIsSymlink << 158 << link;
    QTest::newRow("folder of another user") << Unsafe::FolderOfAnotherUser << 158 << foreign;
    QTest::newRow("folder is a file")
        << Unsafe::FolderIsAFile << 158 << QStringLiteral("is not a folder");
    QTest::newRow("converter writable by its group")
        << Unsafe::FileGroupWritable << 164 << changeable;
    QTest::newRow("converter writable by others")
        << Unsafe::FileWritableByOthers << 164 << changeable;
    QTest::newRow("converter is a symbolic link") << Unsafe::FileIsSymlink << 164 << link;
    QTest::newRow("converter of another user") << Unsafe::FileOfAnotherUser << 164 << foreign;
}

void TestDeployment::unsafePlacesAreNeverRun()
{
    QFETCH(Unsafe, unsafe);
    QFETCH(int, line);
    QFETCH(QString, phrase);
    if ((unsafe == Unsafe::FolderOfAnotherUser || unsafe == Unsafe::FileOfAnotherUser) &&
        geteuid() != 0)
        QSKIP("only the superuser can give a file to another user");

    TestPlace place;
    const QString folder = converter::ConverterFolder();
    const QString path = converter::ConverterPath();
    const QByteArray folderName = QFile::encodeName(folder);
    QString planted = path; // the program that someone left to be run
    switch (unsafe) {
    case Unsafe::FolderOpenToAll:
        makeFolder(folder, 0777);
        break;
    case Unsafe::FolderGroupWritable:
        makeFolder(folder, 0770);
        break;
    case Unsafe::FolderIsSymlink:
        makeFolder(place.path(QStringLiteral("elsewhere")), 0700);
        QVERIFY(QFile::link(place.path(QStringLiteral("elsewhere")), folder));
        planted = place.path(QStringLiteral("elsewhere/pdftotext"));
        break;
    case Unsafe::FolderOfAnotherUser:
        makeFolder(folder, 0700);
        QCOMPARE(chown(folderName.constData(), Nobody, Nobody), 0);
        break;
    case Unsafe::FolderIsAFile:
        QVERIFY(QFile::copy(ExitWithCode, folder));
        planted.clear();
        break;
    default:
        makeFolder(folder, 0700);
        break;
    }
    if (!planted.isEmpty())
        plantProgram(planted, 0700);
    const QByteArray plantedName = QFile::encodeName(path);
    switch (unsafe) {
    case Unsafe::FileGroupWritable:
        QCOMPARE(chmod(plantedName.constData(), 0770), 0);
        break;
    case Unsafe::FileWritableByOthers:
        QCOMPARE(chmod(plantedName.constData(), 0702), 0);
        break;
    case Unsafe::FileIsSymlink:
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::link(ExitWithCode, path));
        break;
    case Unsafe::FileOfAnotherUser:
        QCOMPARE(chown(plantedName.constData(), Nobody, Nobody), 0);
        break;
    default:
        break;
    }
    const QByteArray plantedBytes = planted.isEmpty() ? QByteArray() : bytesOf(planted);

    const QList<Report> reports = deploy();
    QVERIFY2(reports.size() == 1, qPrintable(describe(reports)));
    QCOMPARE(reports.at(0).line, line);
    QVERIFY2(reports.at(0).description.contains(phrase), qPrintable(reports.at(0).description));

    QCOMPARE(converter::ProgramToRun(), QString());
    QVERIFY(IsStartFailure(RunAndWait(converter::ProgramToRun(), {QStringLiteral("7")})));
    if (!planted.isEmpty())
        QCOMPARE(bytesOf(planted), plantedBytes);
    if (line == 158 && unsafe != Unsafe::FolderIsAFile) // nothing was added to the folder
        QCOMPARE(QDir(QFileInfo(planted).path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("pdftotext")});
}

void TestDeployment::missingTemporaryFolderIsReported()
{
    TestPlace place;
    qputenv("TEMP", QFile::encodeName(place.root() + QStringLiteral("/absent")));
    const QList<Report> reports = deploy();
    QVERIFY2(reports.size() == 1, qPrintable(describe(reports)));
    QCOMPARE(reports.at(0).line, 158);
    QVERIFY(reports.at(0).description.contains(QStringLiteral("cannot be created")));
    QCOMPARE(converter::ProgramToRun(), QString());
}

void TestDeployment::shutdownRemovesTheConverter()
{
    TestPlace place;
    QVERIFY(deploy().isEmpty());
    QVERIFY(QFile::exists(converter::ConverterPath()));
    converter::RemoveAtShutdown();
    QVERIFY(!QFile::exists(converter::ConverterPath()));
}

void TestDeployment::shutdownLeavesAnUnsafeFolderAlone()
{
    TestPlace place;
    makeFolder(converter::ConverterFolder(), 0777);
    plantProgram(converter::ConverterPath(), 0700);
    converter::RemoveAtShutdown();
    QVERIFY(QFile::exists(converter::ConverterPath()));
}

void TestDeployment::firstInstanceToCloseLeavesTheConverter_data()
{
    QTest::addColumn<bool>("firstStartedClosesFirst");
    QTest::newRow("the instance that wrote it closes first") << true;
    QTest::newRow("the instance that found it closes first") << false;
}

void TestDeployment::firstInstanceToCloseLeavesTheConverter()
{
    QFETCH(bool, firstStartedClosesFirst);
    TestPlace place; // the instances inherit its TEMP
    const QString path = converter::ConverterPath();
    QProcess first;
    QProcess second;
    const auto startInstance = [](QProcess &instance) {
        instance.start(ConverterInstance, {});
        QCOMPARE(readLine(instance), QByteArray("ready"));
    };
    startInstance(first);
    QVERIFY(QFile::exists(path));
    const QByteArray written = bytesOf(path);
    const QDateTime writtenAt = QFileInfo(path).lastModified();
    startInstance(second);
    QCOMPARE(QFileInfo(path).lastModified(), writtenAt); // found, not written again

    QProcess &closing = firstStartedClosesFirst ? first : second;
    QProcess &staying = firstStartedClosesFirst ? second : first;
    closing.write("remove\n");
    QCOMPARE(readLine(closing), QByteArray("removed"));
    QVERIFY(closing.waitForFinished(10000));
    QCOMPARE(bytesOf(path), written);
    QCOMPARE(RunAndWait(path, {QStringLiteral("-v")}), 0);

    staying.write("remove\n");
    QCOMPARE(readLine(staying), QByteArray("removed"));
    QVERIFY(staying.waitForFinished(10000));
    QVERIFY(!QFile::exists(path));
    const QByteArray errors = first.readAllStandardError() + second.readAllStandardError();
    QVERIFY2(errors.isEmpty(), errors.constData());
}

void TestDeployment::closingWithoutDeployLeavesAnotherInstancesConverter()
{
    TestPlace place;
    QProcess other;
    other.start(ConverterInstance, {});
    QCOMPARE(readLine(other), QByteArray("ready"));
    converter::RemoveAtShutdown();
    QVERIFY(QFile::exists(converter::ConverterPath()));
    other.write("remove\n");
    QCOMPARE(readLine(other), QByteArray("removed"));
    QVERIFY(other.waitForFinished(10000));
    QVERIFY(!QFile::exists(converter::ConverterPath()));
}

QTEST_GUILESS_MAIN(TestDeployment)
#include "tst_deployment.moc"
