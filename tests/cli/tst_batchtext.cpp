// SPDX-License-Identifier: GPL-3.0-or-later
// morwenda-batch's text options, as pdftotext's: the same bytes with either converter, pdftotext's
// own command lines with morwenda-batch in its place, and the command lines it refuses.
#include "PdfFixtures.h"
#include "TestConfig.h"
#include "TestPlace.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>

namespace {

struct Finished
{
    int status = -1;
    QString errors;
    QByteArray output;
};

Finished run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    Finished done;
    if (!process.waitForFinished(300000))
        qWarning("%s did not end within five minutes", qPrintable(program));
    done.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    done.errors = QString::fromLocal8Bit(process.readAllStandardError());
    done.output = process.readAllStandardOutput();
    return done;
}

Finished runBatch(const QStringList &arguments)
{
    return run(QStringLiteral(MORWENDA_BATCH), arguments);
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

} // namespace

class TestBatchText : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameTextAsPdftotext_data();
    void sameTextAsPdftotext();
    void refusedCommandLines_data();
    void refusedCommandLines();
    void rangeWithoutPagesIsNamed();
    void pdftotextCommandLinesGiveItsBytes_data();
    void pdftotextCommandLinesGiveItsBytes();
    void textFileIsWholeOrNothing();
    void oneFileFormsEndAsPdftotextEnds_data();
    void oneFileFormsEndAsPdftotextEnds();
    void numberedTextsAreNamed_data();
    void numberedTextsAreNamed();

private:
    TestPlace m_place;
    QString m_book;  // 100 pages, more than the engine converts in one piece
    QString m_short; // 2 pages
};

void TestBatchText::initTestCase()
{
    QStringList pages;
    for (int page = 1; page <= 100; ++page)
        pages << QStringLiteral("Page %1 of the book.\nCafé, naïve façade: ½ € ≠ Ω.").arg(page);
    m_book = m_place.path(QStringLiteral("in/book.pdf"));
    fixtures::writeTextPdf(m_book, pages);
    m_short = m_place.path(QStringLiteral("in/short.pdf"));
    fixtures::writeTextPdf(m_short,
                           {QStringLiteral("The first page"), QStringLiteral("The second page")});
}

void TestBatchText::sameTextAsPdftotext_data()
{
    QTest::addColumn<QString>("converter");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("pdftotextOptions");

    const struct
    {
        const char *name;
        const char *options;
        const char *pdftotext;
    } modes[] = {
        {"short page options, layout", "-f 2 -l 99 --layout", "-f 2 -l 99 -layout"},
        {"long page options, raw, an encoding in any letter case",
         "--first-page=2 --last-page 4 --raw --encoding latin1", "-f 2 -l 4 -raw -enc Latin1"},
        {"mac line ends without page breaks", "--eol mac --no-page-breaks", "-eol mac -nopgbrk"},
        {"ASCII7, dos line ends", "--encoding ASCII7 --eol dos", "-enc ASCII7 -eol dos"},
    };
    for (const char *converter : {"service", "pdftotext"})
        for (const auto &mode : modes)
            QTest::addRow("%s | %s", converter, mode.name)
                << QString::fromLatin1(converter) << QString::fromLatin1(mode.options).split(u' ')
                << QString::fromLatin1(mode.pdftotext).split(u' ');
}

void TestBatchText::sameTextAsPdftotext()
{
    QFETCH(QString, converter);
    QFETCH(QStringList, options);
    QFETCH(QStringList, pdftotextOptions);
    TestPlace place;
    const QString out = place.path(QStringLiteral("out"));
    QDir().mkpath(out);
    const Finished done = runBatch(QStringList{QStringLiteral("--quiet"), QStringLiteral("--jobs"),
                                               QStringLiteral("2"), QStringLiteral("--converter"),
                                               converter, QStringLiteral("--out"), out} +
                                   options + QStringList{m_book, m_short});
    QVERIFY2(done.status == 0, qPrintable(done.errors));
    for (const QString &pdf : {m_book, m_short}) {
        const QString text = out + u'/' + QFileInfo(pdf).completeBaseName() + ".txt";
        QVERIFY2(contentOf(text) == fixtures::convertDirectly(pdf, pdftotextOptions),
                 qPrintable(text));
    }
}

void TestBatchText::refusedCommandLines_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("said");

    QTest::newRow("layout and raw")
        << QStringList{"--layout", "--raw"} << "--layout and --raw exclude each other";
    QTest::newRow("page -1") << QStringList{"-f", "-1"} << "--first-page needs a page number";
    QTest::newRow("a page that is no number")
        << QStringList{"--last-page", "x"}
        << "--last-page needs a page number (0 for no limit), not 'x'";
    QTest::newRow("first page after the last")
        << QStringList{"-f", "5", "-l", "2"} << "the first page (5) is after the last page (2)";
    QTest::newRow("an encoding pdftotext does not list")
        << QStringList{"--encoding", "Latin9"} << "--encoding is one of ASCII7, Big5";
    QTest::newRow("a line end of no known kind")
        << QStringList{"--eol", "windows"} << "--eol is one of unix, dos, mac, not 'windows'";
}

void TestBatchText::refusedCommandLines()
{
    QFETCH(QStringList, options);
    QFETCH(QString, said);
    const QString out = m_place.path(QStringLiteral("refused"));
    QDir().mkpath(out);
    const Finished done =
        runBatch(QStringList{QStringLiteral("--out"), out} + options + QStringList{m_short});
    QCOMPARE(done.status, 2);
    QVERIFY2(done.errors.contains(said), qPrintable(done.errors));
    QVERIFY(QDir(out).isEmpty());
}

// A page range that a document does not reach is a failure named as such, not damage.
void TestBatchText::rangeWithoutPagesIsNamed()
{
    for (const QString &converter : {QStringLiteral("service"), QStringLiteral("pdftotext")}) {
        TestPlace place;
        const QString out = place.path(QStringLiteral("out"));
        QDir().mkpath(out);
        const Finished done =
            runBatch({QStringLiteral("--converter"), converter, QStringLiteral("-f"),
                      QStringLiteral("3"), QStringLiteral("--out"), out, m_short, m_book});
        QCOMPARE(done.status, 1);
        QVERIFY2(done.errors.contains(
                     m_short + "  - no page to convert: the first page (3) is after the last page "
                               "(2)."),
                 qPrintable(done.errors));
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{QStringLiteral("book.txt")});
    }
}

void TestBatchText::pdftotextCommandLinesGiveItsBytes_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("pdf"); // of the corpus; "" for the book of 100 pages
    QTest::addColumn<bool>("toStandardOutput");

    QTest::newRow("-layout") << "-layout"
                             << "multicolumn.pdf" << false;
    QTest::newRow("-raw") << "-raw"
                          << "multicolumn.pdf" << false;
    QTest::newRow("-f -l") << "-f 2 -l 3"
                           << "tracemonkey.pdf" << false;
    QTest::newRow("-enc -eol dos") << "-enc Latin1 -eol dos"
                                   << "" << false;
    QTest::newRow("-nopgbrk -eol mac") << "-nopgbrk -eol mac"
                                       << "pdflatex-4-pages.pdf" << false;
    QTest::newRow("-q") << "-q"
                        << "simple1.pdf" << false;
    QTest::newRow("-opw") << "-opw foo"
                          << "rc4-40.pdf" << false;
    QTest::newRow("-upw") << "-upw baz"
                          << "rc4-40.pdf" << false;
    QTest::newRow("-upw, not ASCII") << "-upw æøå"
                                     << "issue6010_2.pdf" << false;
    QTest::newRow("- for standard output") << "-layout"
                                           << "multilang.pdf" << true;
}

// pdftotext's command line with morwenda-batch in its place: the same bytes, in the file named or
// on standard output, where an old text is replaced.
void TestBatchText::pdftotextCommandLinesGiveItsBytes()
{
    QFETCH(QString, options);
    QFETCH(QString, pdf);
    QFETCH(bool, toStandardOutput);
    if (!pdf.isEmpty()) {
        pdf = fixtures::corpusFile(pdf);
        if (!QFileInfo::exists(pdf))
            QSKIP("the corpus is not beside the project");
    } else {
        pdf = m_book;
    }
    TestPlace place;
    const QString theirs = toStandardOutput ? QStringLiteral("-") : place.path("pdftotext.txt");
    const QString ours = toStandardOutput ? QStringLiteral("-") : place.path("morwenda.txt");
    if (!toStandardOutput) {
        QFile old(ours);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an old text\n") > 0);
    }
    const QStringList arguments = options.split(u' ');
    const Finished pdftotext =
        run(QStringLiteral(MORWENDA_PDFTOTEXT), arguments + QStringList{pdf, theirs});
    QCOMPARE(pdftotext.status, 0);
    const Finished done = runBatch(arguments + QStringList{pdf, ours});
    QVERIFY2(done.status == 0, qPrintable(done.errors));
    if (toStandardOutput)
        QCOMPARE(done.output, pdftotext.output);
    else
        QCOMPARE(contentOf(ours), contentOf(theirs));
    QCOMPARE(done.errors.contains(QStringLiteral("warning: every user of this machine can read a "
                                                 "password")),
             options.contains(QStringLiteral("pw ")));
}

void TestBatchText::oneFileFormsEndAsPdftotextEnds_data()
{
    QTest::addColumn<QStringList>("arguments"); // "@" stands for the test's place
    QTest::addColumn<QString>("says");          // "" for nothing at all
    const QString missing = QStringLiteral("@/missing.pdf");
    const QString said = QStringLiteral("missing.pdf: No such file or directory");
    QTest::newRow("missing, to standard output")
        << QStringList{missing, QStringLiteral("-")} << said;
    QTest::newRow("missing, to a text file")
        << QStringList{missing, QStringLiteral("@/o.txt")} << said;
    QTest::newRow("missing, quiet")
        << QStringList{QStringLiteral("-q"), missing, QStringLiteral("-")} << QString();
    QTest::newRow("a text of any name")
        << QStringList{QStringLiteral("@/short.pdf"), QStringLiteral("@/out")} << QString();
}

// pdftotext's one-file forms end with its status, say what its users know, and a text of any
// name holds its bytes.
void TestBatchText::oneFileFormsEndAsPdftotextEnds()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, says);
    TestPlace place;
    QVERIFY(QFile::copy(m_short, place.path(QStringLiteral("short.pdf"))));
    for (QString &argument : arguments)
        argument.replace(u'@', place.root());
    const Finished theirs = run(QStringLiteral(MORWENDA_PDFTOTEXT), arguments);
    const QByteArray theirText = contentOf(place.path(QStringLiteral("out")));
    QFile::remove(place.path(QStringLiteral("out")));
    const Finished ours = runBatch(arguments);
    QCOMPARE(ours.status, theirs.status);
    QCOMPARE(ours.output, theirs.output);
    QCOMPARE(contentOf(place.path(QStringLiteral("out"))), theirText);
    if (says.isEmpty())
        QVERIFY2(ours.errors.isEmpty() || ours.status == 0, qPrintable(ours.errors));
    else
        QVERIFY2(ours.errors.contains(says), qPrintable(ours.errors));
}

// FILE.pdf OUT.txt as every text: an old text stays when the new one fails; a PDF named OUT.txt is
// never replaced; -o - with two PDFs says how to ask.
void TestBatchText::textFileIsWholeOrNothing()
{
    TestPlace place;
    const QString damaged = place.path(QStringLiteral("damaged.pdf"));
    QFile bad(damaged);
    QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("%PDF-1.4\ntrailer garbage\n") > 0);
    bad.close();
    const QString old = place.path(QStringLiteral("old.txt"));
    QFile(m_short).copy(place.path(QStringLiteral("a PDF.txt")));
    QFile oldText(old);
    QVERIFY(oldText.open(QIODevice::WriteOnly) && oldText.write("kept\n") > 0);
    oldText.close();

    Finished done = runBatch({damaged, old});
    QCOMPARE(done.status, 1);
    QVERIFY2(done.errors.contains(damaged + QStringLiteral("  - ")), qPrintable(done.errors));
    QCOMPARE(contentOf(old), QByteArray("kept\n"));

    done = runBatch({m_short, place.path(QStringLiteral("a PDF.txt"))});
    QCOMPARE(done.status, 2);
    QVERIFY2(done.errors.contains(QStringLiteral("a PDF.txt is a PDF: its text would replace it")),
             qPrintable(done.errors));
    QCOMPARE(contentOf(place.path(QStringLiteral("a PDF.txt"))).left(5), QByteArray("%PDF-"));

    done = runBatch({QStringLiteral("-o"), QStringLiteral("-"), m_short, m_book});
    QCOMPARE(done.status, 2);
    QVERIFY2(done.errors.endsWith(QStringLiteral("Try 'morwenda-batch --help' for more "
                                                 "information.\n")),
             qPrintable(done.errors));
}

void TestBatchText::numberedTextsAreNamed_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("extension");
    QTest::newRow("text") << QStringList() << "txt";
    QTest::newRow("TSV") << QStringList{"-tsv"} << "tsv";
    QTest::newRow("bbox") << QStringList{"--bbox"} << "html";
    QTest::newRow("htmlmeta") << QStringList{"-htmlmeta"} << "html";
}

// Two PDFs of one name into one folder: the second output is numbered, before the extension of its
// form, and the command line says so as the window's final message does.
void TestBatchText::numberedTextsAreNamed()
{
    QFETCH(QStringList, options);
    QFETCH(QString, extension);
    TestPlace place;
    const QString first = place.path(QStringLiteral("one/short.pdf"));
    const QString second = place.path(QStringLiteral("two/short.pdf"));
    QDir().mkpath(place.path(QStringLiteral("one")));
    QDir().mkpath(place.path(QStringLiteral("two")));
    QVERIFY(QFile::copy(m_short, first) && QFile::copy(m_short, second));
    const QString out = place.path(QStringLiteral("out"));
    QDir().mkpath(out);
    const Finished done = runBatch(options + QStringList{QStringLiteral("-o"), out, first, second});
    QVERIFY2(done.status == 0, qPrintable(done.errors));
    QVERIFY2(done.errors.contains(QStringLiteral("These texts were numbered, because a listed file "
                                                 "or an earlier text has the same name:\n") +
                                  second +
                                  QStringLiteral("  - its text is short (2).%1\n").arg(extension)),
             qPrintable(done.errors));
    QCOMPARE(QDir(out).entryList(QDir::Files),
             QStringList({"short (2).", "short."})
                 .replaceInStrings(QStringLiteral("."), u'.' + extension));
    QVERIFY2(!done.errors.contains(first + QStringLiteral("  - its text")),
             qPrintable(done.errors));
}

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv); // the PDF writer of the fixtures
    TestBatchText test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_batchtext.moc"
