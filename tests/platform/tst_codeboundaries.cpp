// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the house that the compiler does not check: every box and dialog goes through the
// services seam, the arrows between the folders point down, the Qt-Core-only libraries (platform,
// service, engine and the command line) stay free of Gui and Widgets, and only the service
// includes poppler.
#include "CodeBoundaries.h"
#include "TestConfig.h"

#include <functional>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

namespace {

const QString SourceRoot = QStringLiteral(MORWENDA_SOURCE_DIR "/src");

// Calls `visit` for every line of every source file under src/ for which `wanted` holds, and
// returns the lines it flags as "file:line: text".
QStringList flagLines(const std::function<bool(const QString &)> &wanted,
                      const std::function<bool(const QString &path, const QString &line)> &flag,
                      int *scanned)
{
    QStringList offenders;
    QDirIterator it(SourceRoot, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!wanted(path))
            continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        ++*scanned;
        int lineNo = 0;
        for (const QByteArray &bytes : file.readAll().split('\n')) {
            ++lineNo;
            const QString line = QString::fromUtf8(bytes);
            if (flag(path, line))
                offenders << QStringLiteral("%1:%2: %3")
                                 .arg(path.mid(SourceRoot.size() + 1))
                                 .arg(lineNo)
                                 .arg(line.trimmed());
        }
    }
    return offenders;
}

const QRegularExpression
    IncludeLine(QStringLiteral("^\\s*\\x23\\s*include\\s*[<\"]([^>\"]+)[>\"]"));

} // namespace

class TestCodeBoundaries : public QObject
{
    Q_OBJECT

private slots:
    void noDirectDialogsOutsidePlatform();
    void nothingOutsideAppIncludesApp();
    void foldersIncludeOnlyFoldersBelow_data();
    void foldersIncludeOnlyFoldersBelow();
    void coreLibraryIncludesNoGuiOrWidgetHeader();
    void onlyTheServiceIncludesPoppler();
    void systemRulesOnlyInPlatform_data();
    void systemRulesOnlyInPlatform();
};

void TestCodeBoundaries::noDirectDialogsOutsidePlatform()
{
    const QRegularExpression direct(QStringLiteral(
        R"(\b(QMessageBox|QInputDialog|QFileDialog|QColorDialog|QFontDialog|QErrorMessage)\b)"
        R"(|\bQDesktopServices::openUrl\b)"));
    int scanned = 0;
    const QStringList offenders = flagLines(
        [](const QString &path) {
            return !path.startsWith(SourceRoot + QStringLiteral("/platform/"));
        },
        [&](const QString &, const QString &line) { return direct.match(line).hasMatch(); },
        &scanned);
    QVERIFY2(scanned > 10, "the sources were not found");
    QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(u'\n')));
}

void TestCodeBoundaries::nothingOutsideAppIncludesApp()
{
    int scanned = 0;
    const QStringList offenders = flagLines(
        [](const QString &path) { return !path.startsWith(SourceRoot + QStringLiteral("/app/")); },
        [](const QString &, const QString &line) {
            const QRegularExpressionMatch include = IncludeLine.match(line);
            return include.hasMatch() && include.captured(1).startsWith(QStringLiteral("app/"));
        },
        &scanned);
    QVERIFY2(scanned > 10, "the sources were not found");
    QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(u'\n')));
}

void TestCodeBoundaries::foldersIncludeOnlyFoldersBelow_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("allowed");
    const QStringList platform{QStringLiteral("platform")};
    const QStringList widgets = platform + QStringList{QStringLiteral("platform/widgets")};
    const QStringList engine = platform + QStringList{QStringLiteral("service"),
                                                      QStringLiteral("engine")};
    const QStringList controllers = engine + QStringList{QStringLiteral("platform/widgets")};
    QTest::newRow("platform") << QStringLiteral("platform") << platform;
    QTest::newRow("platform/widgets") << QStringLiteral("platform/widgets") << widgets;
    QTest::newRow("service") << QStringLiteral("service") << (platform + QStringList{QStringLiteral("service")});
    QTest::newRow("engine") << QStringLiteral("engine") << engine;
    QTest::newRow("filelist") << QStringLiteral("filelist")
                              << (controllers + QStringList{QStringLiteral("filelist")});
    QTest::newRow("batch") << QStringLiteral("batch")
                           << (controllers + QStringList{QStringLiteral("filelist"),
                                                         QStringLiteral("batch")});
    QTest::newRow("preview") << QStringLiteral("preview")
                             << (controllers + QStringList{QStringLiteral("preview")});
    QTest::newRow("cli") << QStringLiteral("cli") << (engine + QStringList{QStringLiteral("cli")});
}

// A file includes the program's headers by their folder under src/ ("engine/Outcome.h") or, in
// its own folder, by name alone; either must lie in its own folder or one below it.
void TestCodeBoundaries::foldersIncludeOnlyFoldersBelow()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, allowed);
    const QString root = SourceRoot + u'/' + folder + u'/';
    int scanned = 0;
    const QStringList offenders = flagLines(
        [&](const QString &path) {
            return path.startsWith(root) && !path.mid(root.size()).contains(u'/');
        },
        [&](const QString &path, const QString &line) {
            const QRegularExpressionMatch include = IncludeLine.match(line);
            if (!include.hasMatch())
                return false;
            const QString header = include.captured(1);
            QString owner;
            if (QFileInfo::exists(SourceRoot + u'/' + header) && header.contains(u'/'))
                owner = QFileInfo(header).path();
            else if (QFileInfo::exists(QFileInfo(path).path() + u'/' + header))
                owner = folder;
            else
                return false;
            return !allowed.contains(owner);
        },
        &scanned);
    QVERIFY2(scanned > 0, qPrintable(QStringLiteral("no source in ") + folder));
    QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(u'\n')));
}

void TestCodeBoundaries::coreLibraryIncludesNoGuiOrWidgetHeader()
{
    QStringList core;
    for (const QString &path : QStringLiteral(MORWENDA_CORE_SOURCES).split(u'|'))
        core << QFileInfo(path).canonicalFilePath();
    const QStringList guiIncludeDirs = QStringLiteral(MORWENDA_GUI_INCLUDE_DIRS).split(u'|');
    QVERIFY2(guiIncludeDirs.size() >= 2, MORWENDA_GUI_INCLUDE_DIRS);
    // A header of Qt Gui or Qt Widgets, or a header of the program that the core library does
    // not hold.
    const auto isGuiInclude = [&](const QString &path, const QString &line) {
        const QRegularExpressionMatch include = IncludeLine.match(line);
        if (!include.hasMatch())
            return false;
        const QString header = include.captured(1);
        for (const QString &dir : guiIncludeDirs) {
            if (QFileInfo::exists(dir + u'/' + header) ||
                QFileInfo::exists(QFileInfo(dir).path() + u'/' + header))
                return true;
        }
        for (const QString &candidate :
             {SourceRoot + u'/' + header, QFileInfo(path).path() + u'/' + header}) {
            const QFileInfo own(candidate);
            if (own.exists())
                return !core.contains(own.canonicalFilePath());
        }
        return false;
    };
    int scanned = 0;
    const QStringList offenders = flagLines(
        [&](const QString &path) { return core.contains(QFileInfo(path).canonicalFilePath()); },
        isGuiInclude, &scanned);
    QVERIFY2(scanned > 10, "the core library's sources were not found");
    QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(u'\n')));
}

void TestCodeBoundaries::onlyTheServiceIncludesPoppler()
{
    const QStringList popplerDirs =
        QStringLiteral(MORWENDA_POPPLER_INCLUDE_DIRS).split(u'|', Qt::SkipEmptyParts);
    if (popplerDirs.isEmpty())
        QSKIP("built without poppler's library");
    int scanned = 0;
    const QStringList offenders = flagLines(
        [](const QString &path) {
            return !path.startsWith(SourceRoot + QStringLiteral("/service/"));
        },
        [&](const QString &, const QString &line) {
            const QRegularExpressionMatch include = IncludeLine.match(line);
            if (!include.hasMatch() || line.contains(u'"'))
                return false;
            for (const QString &dir : popplerDirs) {
                if (QFileInfo::exists(dir + u'/' + include.captured(1)))
                    return true;
            }
            return false;
        },
        &scanned);
    QVERIFY2(scanned > 10, "the sources were not found");
    QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(u'\n')));
}

// Names are bytes (platform/NativePath), the system's words for an error, the processors the
// program may use and the writing of a file complete or not at all have one rule each, in
// platform.
void TestCodeBoundaries::systemRulesOnlyInPlatform_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::newRow("lossy name encoding") << QStringLiteral(R"(\bQFile::(en|de)codeName\b)");
    QTest::newRow("error words") << QStringLiteral(R"(\bstrerror(_r)?\s*\()");
    QTest::newRow("processor count")
        << QStringLiteral(R"(\bsched_getaffinity\b|\bidealThreadCount\b)");
    QTest::newRow("complete-or-nothing writing")
        << QStringLiteral(R"(\bQSaveFile\b|\bQTemporaryFile\b|\brename(at2?)?\s*\(|\.rename\()");
}

void TestCodeBoundaries::systemRulesOnlyInPlatform()
{
    QFETCH(QString, pattern);
    const QRegularExpression call(pattern);
    int scanned = 0;
    const QStringList offenders = flagLines(
        [](const QString &path) {
            return !path.startsWith(SourceRoot + QStringLiteral("/platform/"));
        },
        [&](const QString &, const QString &line) { return call.match(line).hasMatch(); },
        &scanned);
    QVERIFY2(scanned > 10, "the sources were not found");
    QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(u'\n')));
}

QTEST_APPLESS_MAIN(TestCodeBoundaries)
#include "tst_codeboundaries.moc"
