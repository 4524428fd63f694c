#include "filelist/FilePattern.h"
#include "filelist/FolderWalk.h"
#include "platform/FileSystem.h"

#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <ftw.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Names on disk are bytes: these hold a control character and bytes that are not UTF-8.
const QByteArray ControlFile = "ctrl\x01"
                               "name-in.pdf";
const QByteArray ControlFolder = "ctrl\x02"
                                 "folder";
const QByteArray InvalidFile = "bad\xff.pdf";
const QByteArray InvalidFolder = "bad\xfe folder";

struct Report
{
    QString tag;
    int line;
    QString description;
};

// A made tree. Every file is named so that its fate is plain: the walk lists a "*-in" file and
// never a "*-out" one (or one below an "-out" folder).
class Tree
{
public:
    static inline const QStringList Walked = {"level1-a", "level1 – en dash", "level1-a/level2-a",
                                              "level1 – en dash/level2-b",
                                              "level1-a/level2-a/level3"};

    Tree()
    {
        QVERIFY(m_dir.isValid());
        // Qt cannot remove names it cannot decode; the destructor removes the tree by its bytes.
        m_dir.setAutoRemove(false);
        for (const char *folder :
             {"level1-a", "level1 – en dash", "level1-a/level2-a", "level1 – en dash/level2-b",
              "level1-a/level2-a/level3", ".dot-folder-out", "level1-a/.nested-dot-out"})
            mkdir(folder);
        mkdir(ControlFolder);
        mkdir(InvalidFolder);
        mkdir("question?-out");
        for (const char *file :
             {"top-in.pdf", "UPPER-in.PDF", "mixed-in.Pdf", "text-in.txt", "~lock-out.pdf",
              ".dot-file-out.pdf", "level1-a/one-in.pdf", "level1-a/level2-a/two-in.pdf",
              "level1-a/level2-a/level3/three-in.pdf", "level1 – en dash/dash-in.pdf",
              "level1 – en dash/level2-b/two-b-in.pdf", ".dot-folder-out/below-dot-out.pdf",
              "level1-a/.nested-dot-out/below-out.pdf", "question?-out/below-out.pdf",
              "target-in.bin"})
            touch(file);
        touch(ControlFile);
        touch(InvalidFile);
        touch(ControlFolder + "/below-control-out.pdf");
        touch(InvalidFolder + "/below-invalid-out.pdf");
        QVERIFY(::mkfifo(raw("fifo-out.pdf"), 0600) == 0);
        link("target-in.bin", "link-to-file-in.pdf");
        link("missing-target", "dangling-out.pdf");
        link("..", "level1-a/loop-up-out");
        link(".", "loop-self-out");
    }

    ~Tree()
    {
        ::nftw(
            QFile::encodeName(m_dir.path()).constData(),
            [](const char *path, const struct stat *, int, FTW *) { return ::remove(path); }, 16,
            FTW_DEPTH | FTW_PHYS);
    }
    Tree(const Tree &) = delete;
    Tree &operator=(const Tree &) = delete;

    QString root() const { return m_dir.path(); }
    QString path(const QString &relative) const { return m_dir.path() + u'/' + relative; }

    // The walked folders, level by level, each level in the listing order of the parents.
    QStringList walkedFolders() const
    {
        QStringList order = {QString()};
        for (int at = 0; at < order.size(); ++at) {
            const QString folder = order.at(at);
            for (const QString &name : listing(folder.isEmpty() ? root() : path(folder))) {
                const QString child = folder.isEmpty() ? name : folder + u'/' + name;
                if (Walked.contains(child))
                    order.append(child);
            }
        }
        return order;
    }

    // What the walk must give: the "-in" names of each walked folder in the order the folder's
    // own listing returns them, leaving out the folder `missing` and everything below it.
    QStringList expected(const FilePattern &pattern, const QString &missing = QString()) const
    {
        QStringList rows;
        for (const QString &folder : walkedFolders()) {
            if (!missing.isEmpty() && (folder + u'/').startsWith(missing + u'/'))
                continue;
            const QString full = folder.isEmpty() ? root() : path(folder);
            for (const QString &name : listing(full)) {
                if (name.contains(QStringLiteral("-in")) && pattern.matches(name) &&
                    QFileInfo(full + u'/' + name).isFile())
                    rows.append(full + u'/' + name);
            }
        }
        return rows;
    }

    static QStringList listing(const QString &folder)
    {
        QStringList names;
        QDirIterator it(folder,
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (it.hasNext()) {
            it.next();
            names.append(it.fileName());
        }
        return names;
    }

private:
    QByteArray raw(const QByteArray &relative) const
    {
        return QFile::encodeName(m_dir.path()) + '/' + relative;
    }
    void mkdir(const QByteArray &relative) { QVERIFY(::mkdir(raw(relative), 0700) == 0); }
    void touch(const QByteArray &relative)
    {
        const int fd = ::open(raw(relative), O_CREAT | O_WRONLY, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);
    }
    void link(const QByteArray &target, const QByteArray &relative)
    {
        QVERIFY(::symlink(target, raw(relative)) == 0);
    }

    QTemporaryDir m_dir;
};

} // namespace

class TestFolderWalk : public QObject
{
    Q_OBJECT

private slots:
    void pattern_data();
    void pattern();
    void fileFacts_data();
    void fileFacts();
    void walkOrderAndRule_data();
    void walkOrderAndRule();
    void startFolder_data();
    void startFolder();
    void vanishedFolderIsLeftOutSilently();
    void unreadableFolderIsLeftOutSilently();
    void otherFailureIsReportedAndTheWalkGoesOn();
    void boundLoopIsWalkedOnce();
    void listFilesKeepsHiddenNames();
};

void TestFolderWalk::pattern_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");
    QTest::newRow("pdf") << "pdf"
                         << "a.pdf" << true;
    QTest::newRow("case is ignored") << "pdf"
                                     << "B.PDF" << true;
    QTest::newRow("answer in capitals") << "PDF"
                                        << "c.pdf" << true;
    QTest::newRow("other extension") << "pdf"
                                     << "c.txt" << false;
    QTest::newRow("extension inside the name") << "pdf"
                                               << "a.pdf.bak" << false;
    QTest::newRow("name is only the extension") << "pdf"
                                                << ".pdf" << true;
    QTest::newRow("no dot") << "pdf"
                            << "pdf" << false;
    QTest::newRow("star: every name") << "*"
                                      << "a.b" << true;
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
    QTest::newRow("star inside") << "a*b"
                                 << "x.aXXb" << true;
    QTest::newRow("star inside, wrong end") << "a*b"
                                            << "x.aXXbc" << false;
    QTest::newRow("star retried") << "a*b"
                                  << "x.abab" << true;
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

void TestFolderWalk::fileFacts_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("accessible");
    QTest::newRow("regular file") << "top-in.pdf" << true;
    QTest::newRow("link to a file") << "link-to-file-in.pdf" << true;
    QTest::newRow("dangling link") << "dangling-out.pdf" << false;
    QTest::newRow("FIFO") << "fifo-out.pdf" << false;
    QTest::newRow("folder") << "level1-a" << false;
    QTest::newRow("missing") << "none.pdf" << false;
    QTest::newRow("name Qt could not decode") << QFile::decodeName(InvalidFile) << false;
}

void TestFolderWalk::fileFacts()
{
    QFETCH(QString, relative);
    QFETCH(bool, accessible);
    Tree tree;
    QCOMPARE(files::IsAccessibleFile(tree.path(relative)), accessible);
    QVERIFY(!files::IsAccessibleFile(QStringLiteral("/dev/null")));

    for (const QString &unsafe :
         {QStringLiteral("tab\there"), QStringLiteral("del\x7f"), QStringLiteral("c1\u0085"),
          QStringLiteral("what?"), QFile::decodeName(InvalidFolder)})
        QVERIFY2(files::HasUnsafeChars(unsafe), qPrintable(unsafe));
    for (const QString &safe : {QString(), QStringLiteral("Reports – 2021"),
                                QStringLiteral("Anna’s papers"), QStringLiteral("no\u00a0break")})
        QVERIFY2(!files::HasUnsafeChars(safe), qPrintable(safe));
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
    const FilePattern pattern = FilePattern::forExtension(extension);
    QList<Report> reports;
    int folders = 0;
    FolderWalk walk(
        [&](const QString &t, int l, const QString &d) {
            reports.append({t, l, d});
        },
        [&] { ++folders; });

    const QStringList rows = walk.collect(tree.root(), pattern);

    QCOMPARE(rows, tree.expected(pattern));
    QVERIFY(rows.contains(tree.path("level1-a/level2-a/level3/three-in.pdf")));
    QCOMPARE(rows.contains(tree.path("text-in.txt")), extension == "*");
    QVERIFY(reports.isEmpty());
    // The chosen folder, the five below it that are walked, and the three with unsafe names are
    // not even opened; links to folders never are.
    QCOMPARE(folders, 6);
}

void TestFolderWalk::startFolder_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("trailing separator gives no doubled one")
        << "level1-a/level2-a/"
        << QStringList{"level1-a/level2-a/two-in.pdf", "level1-a/level2-a/level3/three-in.pdf"};
    QTest::newRow("a dot-named folder chosen: its own files, nothing below")
        << "level1-a/.nested-dot-out" << QStringList{"level1-a/.nested-dot-out/below-out.pdf"};
    QTest::newRow("a file") << "top-in.pdf" << QStringList{};
    QTest::newRow("missing") << "none" << QStringList{};
    QTest::newRow("a link to a folder chosen is walked")
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
    FolderWalk walk([](const QString &, int, const QString &d) { QFAIL(qPrintable(d)); });
    QCOMPARE(walk.collect(tree.path(start), FilePattern::forExtension("pdf")), rows);
}

void TestFolderWalk::vanishedFolderIsLeftOutSilently()
{
    Tree tree;
    bool removed = false;
    // While the window handles its events after the first folder, another program removes one
    // of the folders the walk has gathered.
    FolderWalk walk([](const QString &, int, const QString &d) { QFAIL(qPrintable(d)); },
                    [&] {
                        if (!removed)
                            removed = QDir(tree.path("level1-a")).removeRecursively();
                    });
    const QStringList rows = walk.collect(tree.root(), FilePattern::forExtension("pdf"));
    QVERIFY(removed);
    QVERIFY(rows.contains(tree.path("level1 – en dash/level2-b/two-b-in.pdf")));
    QVERIFY(!rows.contains(tree.path("level1-a/one-in.pdf")));
}

void TestFolderWalk::unreadableFolderIsLeftOutSilently()
{
    if (::geteuid() == 0)
        QSKIP("runs as root, whom no folder denies access");
    Tree tree;
    QVERIFY(::chmod(QFile::encodeName(tree.path("level1-a")), 0) == 0);
    FolderWalk walk([](const QString &, int, const QString &d) { QFAIL(qPrintable(d)); });
    const QStringList rows = walk.collect(tree.root(), FilePattern::forExtension("pdf"));
    ::chmod(QFile::encodeName(tree.path("level1-a")), 0700);
    QVERIFY(rows.contains(tree.path("level1 – en dash/level2-b/two-b-in.pdf")));
    QVERIFY(!rows.contains(tree.path("level1-a/one-in.pdf")));
}

void TestFolderWalk::otherFailureIsReportedAndTheWalkGoesOn()
{
    Tree tree;
    rlimit original{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &original) == 0);
    auto restore = [&] { ::setrlimit(RLIMIT_NOFILE, &original); };
    QList<Report> reports;
    bool limited = false;
    // After the first folder no descriptor is left: the next folder cannot be opened, which is no
    // denial of access and must not pass for an empty folder. The report's box gives them back.
    FolderWalk walk(
        [&](const QString &t, int l, const QString &d) {
            reports.append({t, l, d});
            restore();
        },
        [&] {
            if (limited)
                return;
            limited = true;
            const int lowestFree = ::dup(0);
            ::close(lowestFree);
            rlimit tight = original;
            tight.rlim_cur = rlim_t(lowestFree);
            QVERIFY(::setrlimit(RLIMIT_NOFILE, &tight) == 0);
        });
    const QStringList rows = walk.collect(tree.root(), FilePattern::forExtension("pdf"));
    restore();

    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports[0].tag, tags::SubDirectories);
    QCOMPARE(reports[0].line, FolderWalk::OpenFolderLine);
    QCOMPARE(reports[0].description, qt_error_string(EMFILE));
    // The folder that failed (the first one below the chosen one) gives nothing; all the others
    // are walked.
    const QString failed = tree.walkedFolders().at(1);
    QVERIFY(!rows.isEmpty());
    QCOMPARE(rows, tree.expected(FilePattern::forExtension("pdf"), failed));
}

void TestFolderWalk::boundLoopIsWalkedOnce()
{
    // A bind mount of the chosen folder inside itself is a loop no link test sees. The mount is
    // made in a mount namespace of this process's own, so nothing outside it ever sees it.
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr))
        QSKIP("no private mount namespace here (needs root)");
    Tree tree;
    const QByteArray mountPoint = QFile::encodeName(tree.path("level1-a/level2-a/bound"));
    QVERIFY(::mkdir(mountPoint, 0700) == 0);
    QVERIFY(::mount(QFile::encodeName(tree.root()), mountPoint, nullptr, MS_BIND, nullptr) == 0);
    FolderWalk walk([](const QString &, int, const QString &d) { QFAIL(qPrintable(d)); });
    const QStringList rows = walk.collect(tree.root(), FilePattern::forExtension("pdf"));
    ::umount(mountPoint);
    QCOMPARE(rows, tree.expected(FilePattern::forExtension("pdf")));
}

void TestFolderWalk::listFilesKeepsHiddenNames()
{
    Tree tree;
    const QStringList names =
        FolderWalk::listFiles(tree.root(), FilePattern(QStringLiteral("*.*")));
    const QSet<QString> found(names.begin(), names.end());
    const QSet<QString> wanted = {
        "top-in.pdf",    "UPPER-in.PDF",        "mixed-in.Pdf",
        "text-in.txt",   "~lock-out.pdf",       ".dot-file-out.pdf",
        "target-in.bin", "link-to-file-in.pdf", QFile::decodeName(ControlFile)};
    QCOMPARE(found, wanted);
    QVERIFY(FolderWalk::listFiles(tree.path("none"), FilePattern(QStringLiteral("*.*"))).isEmpty());
}

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "tst_folderwalk.moc"
