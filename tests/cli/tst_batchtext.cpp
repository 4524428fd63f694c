// SPDX-License-Identifier: GPL-3.0-or-later
// morwenda-batch's text options, as pdftotext's: the same bytes with either converter, and the
// command lines it refuses.
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
};

Finished runBatch(const QStringList &arguments)
{
    QProcess batch;
    batch.start(QStringLiteral(MORWENDA_BATCH), arguments);
    Finished done;
    if (!batch.waitForFinished(300000))
        qWarning("morwenda-batch did not end within five minutes");
    done.status = batch.exitStatus() == QProcess::NormalExit ? batch.exitCode() : -1;
    done.errors = QString::fromLocal8Bit(batch.readAllStandardError());
    return done;
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
    QTest::newRow("page 0") << QStringList{"-f", "0"} << "--first-page needs a page number";
    QTest::newRow("a page that is no number")
        << QStringList{"--last-page", "x"}
        << "--last-page needs a page number of at least 1, not 'x'";
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
    for (const QString converter : {QStringLiteral("service"), QStringLiteral("pdftotext")}) {
        TestPlace place;
        const QString out = place.path(QStringLiteral("out"));
        QDir().mkpath(out);
        const Finished done = runBatch({QStringLiteral("--quiet"), QStringLiteral("--converter"),
                                        converter, QStringLiteral("-f"), QStringLiteral("3"),
                                        QStringLiteral("--out"), out, m_short, m_book});
        QCOMPARE(done.status, 1);
        QVERIFY2(done.errors.contains(
                     m_short + "  - no page to convert: the first page (3) is after the last page "
                               "(2)."),
                 qPrintable(done.errors));
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{QStringLiteral("book.txt")});
    }
}

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv); // the PDF writer of the fixtures
    TestBatchText test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_batchtext.moc"
