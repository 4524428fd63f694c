// SPDX-License-Identifier: GPL-3.0-or-later
// Names that are not UTF-8 from the walk to the text, listed files that no text replaces, the
// system's reasons for a file that cannot be read and a folder that cannot be made, and a big tree
// of output folders under a low open-file limit.
#include "ConverterTesting.h"
#include "engine/ConverterChoice.h"
#include "engine/FolderWalk.h"
#include "engine/ServiceConverter.h"
#include "EngineTesting.h"
#include "PdfFixtures.h"
#include "platform/ProcessLimits.h"
#include "RawNames.h"
#include "TestConfig.h"
#include "TestPlace.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <QDir>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Real = QStringLiteral(MORWENDA_PDFTOTEXT);

const OutputChoice BesidePdf{OutputChoice::Mode::BesidePdf, QString(), false};

} // namespace

class TestNames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rawNamesAreWalkedConvertedAndShown_data() { addKindColumn(); }
    void rawNamesAreWalkedConvertedAndShown();
    void aListedFileIsNeverReplacedByAText_data() { addKindColumn(); }
    void aListedFileIsNeverReplacedByAText();
    void aReplacedTextKeepsWhatTheUserGave_data() { addKindColumn(); }
    void aReplacedTextKeepsWhatTheUserGave();
    void filesThatCannotBeReadSayWhy_data() { addKindColumn(); }
    void filesThatCannotBeReadSayWhy();
    void noInodesLeftSaysWhy();
    void manyOutputFoldersUnderALowFileLimit();

private:
    QTemporaryDir m_dir;
    QString m_text;
    QByteArray m_expected; // m_text's text
};

void TestNames::initTestCase()
{
    m_text = m_dir.filePath(QStringLiteral("text.pdf"));
    fixtures::writeTextPdf(m_text, {QStringLiteral("Hello from the first page.")});
    m_expected = fixtures::convertDirectly(m_text);
    QVERIFY(m_expected.contains("Hello from the first page."));
}

// The walk lists names that are not UTF-8, both converters read them, their texts get the same
// bytes beside them (also in a folder so named), and messages show U+FFFD in their place.
void TestNames::rawNamesAreWalkedConvertedAndShown()
{
    QFETCH(QString, kind);
    TestPlace place;
    const QString root = place.path(QStringLiteral("tree"));
    QVERIFY(QDir().mkpath(root));
    const auto cleanUp = qScopeGuard([&] { rawnames::removeTree(root); });
    const QString cafeFolder = rawnames::under(root, rawnames::Cafe);
    QVERIFY(rawnames::makeFolder(cafeFolder));
    const QString inCafe = rawnames::under(cafeFolder, rawnames::Cafe + ".pdf");
    const QString junk = rawnames::under(root, rawnames::Junk + ".pdf");
    const QString damaged = rawnames::under(root, rawnames::Cafe + "-damaged.pdf");
    QVERIFY(rawnames::copyTo(m_text, inCafe));
    QVERIFY(rawnames::copyTo(m_text, junk));
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("damaged.pdf")), "%PDF-1.4\ntrailer junk\n"));
    QVERIFY(rawnames::copyTo(m_dir.filePath(QStringLiteral("damaged.pdf")), damaged));

    QStringList reports;
    FolderWalk walk([&](const QString &, int, const QString &text) { reports << text; });
    const QStringList rows = walk.collect(root, FilePattern::forExtension(QStringLiteral("pdf")));
    QCOMPARE(reports, QStringList());
    QCOMPARE(rows.size(), 3);
    QVERIFY(rows.contains(inCafe) && rows.contains(junk) && rows.contains(damaged));

    // A PDF named like its own text, by bytes that are not UTF-8: its text goes beside it.
    const QString namedLikeText = rawnames::under(root, rawnames::Cafe + ".txt");
    QVERIFY(rawnames::copyTo(m_text, namedLikeText));

    const FinishedRun run =
        convertWith(kind, rows + QStringList{namedLikeText}, BesidePdf, limitsOf(2));
    QVERIFY2(run.outcomes.size() == 4, qPrintable(describe(run)));
    for (const FileOutcome &file : run.outcomes) {
        if (file.pdf == damaged) {
            QCOMPARE(file.outcome, Outcome::Damaged);
            continue;
        }
        QVERIFY2(file.outcome == Outcome::Converted, qPrintable(describe(run)));
        QCOMPARE(file.output, file.pdf == namedLikeText
                                  ? namedLikeText + QStringLiteral(".txt")
                                  : file.pdf.chopped(4) + QStringLiteral(".txt"));
        QCOMPARE(rawnames::contentOf(file.output), m_expected);
    }
    QVERIFY(rawnames::exists(rawnames::under(cafeFolder, rawnames::Cafe + ".txt")));
    QVERIFY(rawnames::exists(rawnames::under(root, rawnames::Junk + ".txt")));
    // Only the texts were added (none for the damaged file): no staging folder stays.
    QCOMPARE(rawnames::entries(root).size(), 6);
    QCOMPARE(rawnames::contentOf(namedLikeText), contentOf(m_text));
    QCOMPARE(rawnames::entries(cafeFolder).size(), 2);
    const QString shown = root + QStringLiteral("/caf\uFFFD-damaged.pdf");
    QCOMPARE(run.message, QStringLiteral("Done.\r\nThe following files could not be read:\r\n") +
                              shown + reasons::Damaged);
    QCOMPARE(nativepath::display(inCafe), root + QStringLiteral("/caf\uFFFD/caf\uFFFD.pdf"));
}

// A PDF named like the text of another listed PDF stays as it is: that text is numbered instead.
void TestNames::aListedFileIsNeverReplacedByAText()
{
    QFETCH(QString, kind);
    TestPlace place;
    const QString a = place.path(QStringLiteral("in/a.pdf"));
    const QString aTxt = place.path(QStringLiteral("in/a.txt")); // a PDF by another name
    QVERIFY(QFile::copy(m_text, a));
    QVERIFY(QFile::copy(m_text, aTxt));
    const QByteArray before = contentOf(aTxt);
    const QString out = place.path(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(out));
    const QString outTxt = out + QStringLiteral("/a.txt"); // listed too, written into the folder
    QVERIFY(QFile::copy(m_text, outTxt));

    // The final message says which text got a number.
    const QString numbered = QStringLiteral("Done.\r\nThese texts were numbered, because a listed "
                                            "file or an earlier text has the same name:"
                                            "\r\n%1  - its text is a (2).txt");
    const FinishedRun beside = convertWith(kind, {a, aTxt}, BesidePdf, limitsOf(2));
    QVERIFY2(beside.message == numbered.arg(a), qPrintable(describe(beside)));
    QCOMPARE(contentOf(aTxt), before);
    QCOMPARE(beside.outcomes.at(0).output, place.path(QStringLiteral("in/a (2).txt")));
    QCOMPARE(beside.outcomes.at(1).output, aTxt + QStringLiteral(".txt"));
    QCOMPARE(contentOf(beside.outcomes.at(0).output), m_expected);

    const FinishedRun folder = convertWith(kind, {outTxt, a}, intoFolder(out), limitsOf(2));
    QVERIFY2(folder.message == numbered.arg(a), qPrintable(describe(folder)));
    QCOMPARE(contentOf(outTxt), before);
    QCOMPARE(folder.outcomes.at(0).output, outTxt + QStringLiteral(".txt"));
    QCOMPARE(folder.outcomes.at(1).output, out + QStringLiteral("/a (2).txt"));
}

// A text converted again keeps the permission bits the user gave the old one, a link to the text
// stays a link with the new text at its target, and a FIFO is refused and never opened.
void TestNames::aReplacedTextKeepsWhatTheUserGave()
{
    QFETCH(QString, kind);
    TestPlace place;
    QStringList rows;
    for (const char *name : {"private", "linked", "fifo", "pointing"}) {
        rows << place.path(QStringLiteral("in/%1.pdf").arg(QLatin1String(name)));
        QVERIFY(QFile::copy(m_text, rows.last()));
    }
    const QString out = madeFolder(place, QStringLiteral("out"));
    const QString target = place.path(QStringLiteral("elsewhere/linked.txt"));
    for (const QString &old : {out + QStringLiteral("/private.txt"), target}) {
        QVERIFY(writeFile(old, "old"));
        QCOMPARE(::chmod(QFile::encodeName(old).constData(), 0600), 0);
    }
    QVERIFY(QFile::link(target, out + QStringLiteral("/linked.txt")));
    QCOMPARE(::mkfifo(QFile::encodeName(out + QStringLiteral("/fifo.txt")).constData(), 0600), 0);
    // A link to a listed PDF is never written through: the text is numbered.
    QVERIFY(QFile::link(rows.at(0), out + QStringLiteral("/pointing.txt")));

    const FinishedRun run = convertWith(kind, rows, intoFolder(out), limitsOf(2, 0, 20));
    QVERIFY2(run.outcomes.size() == 4, qPrintable(describe(run)));
    QVERIFY2(run.outcomes.at(0).outcome == Outcome::Converted, qPrintable(describe(run)));
    QCOMPARE(run.outcomes.at(1).outcome, Outcome::Converted);
    QCOMPARE(run.outcomes.at(2).outcome, Outcome::WriteFailed);
    QCOMPARE(run.outcomes.at(2).reason,
             reasons::writeFailed(QStringLiteral("its place is a FIFO (named pipe), not a file")));
    for (const QString &text : {out + QStringLiteral("/private.txt"), target}) {
        QCOMPARE(contentOf(text), m_expected);
        struct stat facts = {};
        QCOMPARE(::stat(QFile::encodeName(text).constData(), &facts), 0);
        QCOMPARE(facts.st_mode & 0777, mode_t(0600));
    }
    QVERIFY(QFileInfo(out + QStringLiteral("/linked.txt")).isSymLink());
    QCOMPARE(run.outcomes.at(3).output, out + QStringLiteral("/pointing (2).txt"));
    QCOMPARE(contentOf(rows.at(0)), contentOf(m_text));
}

// A listed file that is gone, a folder, a FIFO or one without permission is not called damaged:
// the system says why it cannot be read, and no converter waits on it.
void TestNames::filesThatCannotBeReadSayWhy()
{
    QFETCH(QString, kind);
    TestPlace place;
    const QString gone = place.path(QStringLiteral("in/gone.pdf"));
    const QString folder = place.path(QStringLiteral("in/folder.pdf"));
    QVERIFY(QDir().mkpath(folder));
    const QString fifo = place.path(QStringLiteral("in/fifo.pdf"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const QString denied = place.path(QStringLiteral("in/denied.pdf"));
    QVERIFY(QFile::copy(m_text, denied));
    QVERIFY(::chmod(QFile::encodeName(denied).constData(), 0) == 0);
    const bool root = ::geteuid() == 0; // root reads it all the same
    // Open here but not in the converter, which has no such descriptor: the converter's own
    // failure to open it is read too.
    const int opened = ::open(QFile::encodeName(m_text).constData(), O_RDONLY | O_CLOEXEC);
    const int here = ::fcntl(opened, F_DUPFD_CLOEXEC, 900); // a number no converter has open
    ::close(opened);
    QVERIFY(here >= 900);
    const auto closeHere = qScopeGuard([&] { ::close(here); });
    const QString onlyHere = QStringLiteral("/proc/self/fd/%1").arg(here);

    const QString out = place.path(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(out));
    const FinishedRun run = convertWith(kind, {gone, folder, fifo, denied, onlyHere, m_text},
                                        intoFolder(out), limitsOf(2, 0, 20));
    QVERIFY2(run.outcomes.size() == 6, qPrintable(describe(run)));
    const QList<QPair<QString, QString>> expected = {{gone, nativepath::systemReason(ENOENT)},
                                                     {folder, nativepath::systemReason(EISDIR)},
                                                     {fifo, QStringLiteral("not a regular file")},
                                                     {denied, nativepath::systemReason(EACCES)},
                                                     {onlyHere, nativepath::systemReason(ENOENT)}};
    for (int i = 0; i < expected.size(); ++i) {
        if (root && expected.at(i).first == denied) {
            QCOMPARE(run.outcomes.at(i).outcome, Outcome::Converted);
            continue;
        }
        QVERIFY2(run.outcomes.at(i).outcome == Outcome::CannotRead, qPrintable(describe(run)));
        QCOMPARE(run.outcomes.at(i).reason, reasons::cannotRead(expected.at(i).second));
    }
    QCOMPARE(run.outcomes.at(5).outcome, Outcome::Converted);
    QCOMPARE(outcomeName(Outcome::CannotRead), QStringLiteral("cannot-read"));
}

// A file system without free inodes: the text's folder cannot be made, and the system says why.
void TestNames::noInodesLeftSaysWhy()
{
    TestPlace place;
    const QString tiny = place.path(QStringLiteral("tiny"));
    QVERIFY(QDir().mkpath(tiny));
    const QByteArray mountPoint = QFile::encodeName(tiny);
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=4m,nr_inodes=16,mode=0700") != 0)
        QSKIP(qPrintable(QStringLiteral("a tmpfs cannot be mounted here: ") +
                         nativepath::systemReason(errno)));
    const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });
    for (int i = 0; i < 64; ++i)
        if (!writeFile(tiny + QStringLiteral("/fill-%1").arg(i), "x"))
            break;
    const FinishedRun run = convertAll(Real, {m_text}, intoFolder(tiny), limitsOf(1));
    QCOMPARE(run.outcomes.at(0).outcome, Outcome::WriteFailed);
    QCOMPARE(run.outcomes.at(0).reason, reasons::writeFailed(nativepath::systemReason(ENOSPC)));
}

// Texts beside their PDFs in 1,100 folders under a soft limit of 256 open files: each folder's
// staging folder and lock go when its file is done, so no file fails for want of descriptors.
// The programs raise the soft limit to the hard one when they start.
void TestNames::manyOutputFoldersUnderALowFileLimit()
{
    TestPlace place;
    constexpr int Folders = 1100;
    QStringList rows;
    for (int i = 0; i < Folders; ++i) {
        const QString folder = place.path(QStringLiteral("tree/%1").arg(i, 4, 10, QChar(u'0')));
        QVERIFY(QDir().mkpath(folder));
        rows << folder + QStringLiteral("/file.pdf");
        QVERIFY(::link(QFile::encodeName(m_text).constData(),
                       QFile::encodeName(rows.last()).constData()) == 0);
    }
    rlimit before{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &before) == 0);
    rlimit low = before;
    low.rlim_cur = std::min<rlim_t>(256, before.rlim_cur);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &low) == 0);
    const auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_NOFILE, &before); });

    const FinishedRun run = convertAll(Real, rows, BesidePdf, limitsOf(2));
    int converted = 0;
    QString firstFailure;
    for (const FileOutcome &file : run.outcomes) {
        if (file.outcome == Outcome::Converted)
            ++converted;
        else if (firstFailure.isEmpty())
            firstFailure = file.pdf + file.reason;
    }
    QVERIFY2(converted == Folders, qPrintable(firstFailure));
    QCOMPARE(run.message, QStringLiteral("Done."));

    const long raised = processlimits::raiseOpenFileLimit();
    rlimit now{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &now) == 0);
    QCOMPARE(now.rlim_cur, before.rlim_max);
    QCOMPARE(raised, now.rlim_cur == RLIM_INFINITY ? -1L : long(now.rlim_cur));
}

QTEST_MAIN(TestNames)
#include "tst_names.moc"
