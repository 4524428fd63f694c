// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FilePattern.h"
#include "engine/FolderWalk.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "RawNames.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Reports = QStringList;

ReportFn recordInto(Reports &reports)
{
    return [&reports](const QString &tag, int line, const QString &description) {
        reports.append(tag + QString::number(line) + u' ' + description);
    };
}

// Names on disk are bytes: control characters, and bytes that are not UTF-8 (which are walked).
const QByteArray ControlFile = "ctrl\x01"
                               "name-in.pdf";

const QString BadFolder = nativepath::decode(QByteArray("bad\xfe-in"));

// A made tree whose names tell their fate: the walk lists every "-in" file of the walked folders
// and nothing else ("-out" files, and everything in "-out" folders, stay out).
class Tree
{
public:
    Tree()
    {
        m_dir.setAutoRemove(false); // Qt cannot remove names it cannot decode
        for (const char *folder :
             {"level1-a", "level1 – en dash", "level1-a/level2-a", "level1 – en dash/level2-b",
              "level1-a/level2-a/level3", ".dot-out", "level1-a/.dot-out", "question?-out",
              "ctrl\x02-out", "bad\xfe-in"})
            QVERIFY(::mkdir(raw(folder), 0700) == 0);
        for (const QByteArray &file :
             QByteArrayList{"top-in.pdf", "UPPER-in.PDF", "mixed-in.Pdf", "text-in.txt",
                            "~lock-out.pdf", ".dot-out.pdf", "target-in.bin", "bad\xff-in.pdf",
                            ControlFile, "level1-a/one-in.pdf", "level1-a/level2-a/two-in.pdf",
                            "level1-a/level2-a/level3/three-in.pdf", "level1 – en dash/dash-in.pdf",
                            "level1 – en dash/level2-b/two-b-in.pdf", ".dot-out/below-out.pdf",
                            "level1-a/.dot-out/below-out.pdf", "question?-out/below-out.pdf",
                            "ctrl\x02-out/below-out.pdf", "bad\xfe-in/below-in.pdf"})
            QVERIFY(::close(::open(raw(file), O_CREAT | O_WRONLY, 0600)) == 0);
        QVERIFY(::mkfifo(raw("fifo-out.pdf"), 0600) == 0);
        QVERIFY(::symlink("target-in.bin", raw("link-to-file-in.pdf")) == 0);
        QVERIFY(::symlink("missing", raw("dangling-out.pdf")) == 0);
        QVERIFY(::symlink("..", raw("level1-a/loop-up-out")) == 0);
        QVERIFY(::symlink(".", raw("loop-self-out")) == 0);
    }
    ~Tree()
    {
        ::nftw(
            raw(""),
            [](const char *path, const struct stat *, int, FTW *) { return ::remove(path); }, 16,
            FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
    }

    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    // The walked folders level by level, each level in its parents' listing order.
    QStringList walkedFolders() const
    {
        const QHash<QString, QString> below = {{"level1-a", "level1-a/level2-a"},
                                               {"level1 – en dash", "level1 – en dash/level2-b"},
                                               {BadFolder, QString()}};
        QStringList order = {QString()}, level2;
        for (const QString &name : rawnames::entries(m_dir.path())) {
            if (below.contains(name)) {
                order.append(name);
                if (!below.value(name).isEmpty())
                    level2.append(below.value(name));
            }
        }
        return order + level2 + QStringList{"level1-a/level2-a/level3"};
    }

    // What the walk must give: the "-in" files of each walked folder in the folder's listing order,
    // without the folder `missing` and what lies below it.
    QStringList expected(const FilePattern &pattern, const QString &missing = "none") const
    {
        QStringList rows;
        for (const QString &folder : walkedFolders()) {
            const QString full = m_dir.path() + (folder.isEmpty() ? "" : "/" + folder);
            for (const QString &name : rawnames::entries(full)) {
                if (name.contains("-in") && pattern.matches(name) && !folder.startsWith(missing) &&
                    files::isOrdinaryFile(full + u'/' + name))
                    rows.append(full + u'/' + name);
            }
        }
        return rows;
    }

    QByteArray raw(const QByteArray &relative) const
    {
        return QFile::encodeName(m_dir.path()) + '/' + relative;
    }

private:
    QTemporaryDir m_dir;
};

const FilePattern Pdf = FilePattern::forExtension("pdf");

} // namespace

class TestFolderWalk : public QObject
{
    Q_OBJECT

private slots:
    void pattern_data();
    void pattern();
    void walkOrderAndRule_data();
    void walkOrderAndRule();
    void startFolder_data();
    void startFolder();
    void vanishedOrDenyingFolderIsLeftOutSilently();
    void otherFailureIsReportedAndTheWalkGoesOn();
    void boundLoopIsWalkedOnce();
};

void TestFolderWalk::pattern_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");
    QTest::newRow("case is ignored") << "pdf"
                                     << "B.PDF" << true;
    QTest::newRow("answer in capitals") << "PDF"
                                        << "c.pdf" << true;
    QTest::newRow("extension inside the name") << "pdf"
                                               << "a.pdf.bak" << false;
    QTest::newRow("no dot") << "pdf"
                            << "pdf" << false;
    QTest::newRow("star: a name without a dot") << "*"
                                                << "README" << true;
    QTest::newRow("leading dot is kept: two dots") << ".pdf"
                                                   << "a..pdf" << true;
    QTest::newRow("leading dot is kept: one dot fails") << ".pdf"
                                                        << "a.pdf" << false;
    QTest::newRow("question mark is one character") << "p?f"
                                                    << "a.pdf" << true;
    QTest::newRow("question mark is not none") << "p?f"
                                               << "a.pf" << false;
    QTest::newRow("brackets are letters") << "[ab]"
                                          << "x.[ab]" << true;
    QTest::newRow("brackets are no set") << "[ab]"
                                         << "x.a" << false;
    QTest::newRow("star retried") << "a*b"
                                  << "x.abab" << true;
    QTest::newRow("star inside, wrong end") << "a*b"
                                            << "x.aXbc" << false;
    QTest::newRow("letters beyond ASCII, either case") << "ÄÖ"
                                                       << "x.äö" << true;
    QTest::newRow("question mark takes a whole emoji") << "?"
                                                       << "x.😀" << true;
    QTest::newRow("spaces are not trimmed") << " pdf"
                                            << "a.pdf" << false;
}

void TestFolderWalk::pattern()
{
    QFETCH(QString, extension);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(FilePattern::forExtension(extension).matches(name), matches);
}

void TestFolderWalk::walkOrderAndRule_data()
{
    QTest::addColumn<QString>("extension");
    QTest::newRow("pdf") << "pdf";
    QTest::newRow("every file") << "*";
}

void TestFolderWalk::walkOrderAndRule()
{
    QFETCH(QString, extension);
    Tree tree;
    Reports reports;
    int folders = 0;
    FolderWalk walk(recordInto(reports), [&] { ++folders; });
    const QStringList rows = walk.collect(tree.path(""), FilePattern::forExtension(extension));

    QCOMPARE(rows, tree.expected(FilePattern::forExtension(extension)));
    QVERIFY(rows.contains(tree.path("level1-a/level2-a/level3/three-in.pdf")));
    QVERIFY(rows.contains(tree.path(QFile::decodeName(ControlFile))));
    QCOMPARE(rows.contains(tree.path("text-in.txt")), extension == "*");
    QCOMPARE(reports, Reports{});
    QCOMPARE(folders, 7); // folders with unsafe names and links to folders are not even opened
    // Names that are not UTF-8 keep their bytes, in a file's name and in a folder's.
    QVERIFY(rows.contains(tree.path(nativepath::decode(QByteArray("bad\xff-in.pdf")))));
    QVERIFY(rows.contains(tree.path(BadFolder + QStringLiteral("/below-in.pdf"))));

    // Listing one folder keeps the names the walk's rule then leaves out.
    const QStringList names = FolderWalk::listFiles(tree.path(""), Pdf);
    QVERIFY(names.contains("~lock-out.pdf") && names.contains(".dot-out.pdf"));
    QVERIFY(!names.contains("fifo-out.pdf") && !names.contains("dangling-out.pdf"));

    // The file facts behind the rule, for the callers that test one path.
    QVERIFY(files::isAccessibleFile(tree.path("link-to-file-in.pdf")));
    for (const char *notFile : {"fifo-out.pdf", "dangling-out.pdf", "level1-a", "none"})
        QVERIFY2(!files::isAccessibleFile(tree.path(notFile)), notFile);
    for (const char16_t *unsafe : {u"tab\t", u"del\x7f", u"c1\x85", u"what?", u"bad\xfffd"})
        QVERIFY(files::hasUnsafeChars(QString::fromUtf16(unsafe)));
    for (const char16_t *safe : {u"", u"Reports – 2021", u"Anna’s papers",
                                 u"no\xa0"
                                 u"break"})
        QVERIFY(!files::hasUnsafeChars(QString::fromUtf16(safe)));
}

void TestFolderWalk::startFolder_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("trailing separator: no doubled one")
        << "level1-a/level2-a/"
        << QStringList{"level1-a/level2-a/two-in.pdf", "level1-a/level2-a/level3/three-in.pdf"};
    QTest::newRow("a dot-named folder chosen: its own files only")
        << ".dot-out" << QStringList{".dot-out/below-out.pdf"};
    QTest::newRow("a file") << "top-in.pdf" << QStringList{};
    QTest::newRow("missing") << "none" << QStringList{};
    QTest::newRow("through a link to a folder")
        << "loop-self-out/level1-a/level2-a/level3"
        << QStringList{"loop-self-out/level1-a/level2-a/level3/three-in.pdf"};
}

void TestFolderWalk::startFolder()
{
    QFETCH(QString, start);
    QFETCH(QStringList, rows);
    Tree tree;
    for (QString &row : rows)
        row = tree.path(row);
    Reports reports;
    QCOMPARE(FolderWalk(recordInto(reports)).collect(tree.path(start), Pdf), rows);
    QCOMPARE(reports, Reports{});
}

void TestFolderWalk::vanishedOrDenyingFolderIsLeftOutSilently()
{
    Tree tree;
    Reports reports;
    const bool root = ::geteuid() == 0;
    // Root is denied nothing; then another program removes the folder while the walk lets the
    // window handle its events after the chosen folder.
    if (root)
        qInfo("runs as root, whom no folder denies access: the folder vanishes instead");
    else
        QVERIFY(::chmod(tree.raw("level1-a"), 0) == 0);
    const QStringList rows = FolderWalk(recordInto(reports), [&] {
                                 if (root)
                                     QDir(tree.path("level1-a")).removeRecursively();
                             }).collect(tree.path(""), Pdf);
    ::chmod(tree.raw("level1-a"), 0700);
    QCOMPARE(reports, Reports{});
    QCOMPARE(rows, tree.expected(Pdf, "level1-a"));
    QVERIFY(rows.contains(tree.path("level1 – en dash/level2-b/two-b-in.pdf")));
}

void TestFolderWalk::otherFailureIsReportedAndTheWalkGoesOn()
{
    Tree tree;
    rlimit original{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &original) == 0);
    Reports reports;
    // After the chosen folder no descriptor is left, so the next folder cannot be opened: no
    // denial of access, and no empty folder either. Once reported, the descriptors come back.
    FolderWalk walk(
        [&](const QString &tag, int line, const QString &description) {
            recordInto(reports)(tag, line, description);
            ::setrlimit(RLIMIT_NOFILE, &original);
        },
        [&, limited = false]() mutable {
            if (std::exchange(limited, true))
                return;
            const int lowestFree = ::dup(0);
            ::close(lowestFree);
            rlimit tight = original;
            tight.rlim_cur = rlim_t(lowestFree);
            QVERIFY(::setrlimit(RLIMIT_NOFILE, &tight) == 0);
        });
    const QStringList rows = walk.collect(tree.path(""), Pdf);
    ::setrlimit(RLIMIT_NOFILE, &original);

    QCOMPARE(reports, Reports{tags::SubDirectories + QString::number(FolderWalk::OpenFolderLine) +
                              u' ' + qt_error_string(EMFILE)});
    QCOMPARE(rows, tree.expected(Pdf, tree.walkedFolders().at(1)));
}

void TestFolderWalk::boundLoopIsWalkedOnce()
{
    // A bind mount of the chosen folder inside itself is a loop that no link test sees. It is made
    // in a mount namespace of this process's own, so nothing outside ever sees it.
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr))
        QSKIP("no private mount namespace here (needs root)");
    Tree tree;
    const QByteArray mountPoint = tree.raw("level1-a/level2-a/bound");
    QVERIFY(::mkdir(mountPoint, 0700) == 0);
    QVERIFY(::mount(tree.raw(""), mountPoint, nullptr, MS_BIND, nullptr) == 0);
    Reports reports;
    const QStringList rows = FolderWalk(recordInto(reports)).collect(tree.path(""), Pdf);
    ::umount(mountPoint);
    QCOMPARE(rows, tree.expected(Pdf));
}

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "tst_folderwalk.moc"
