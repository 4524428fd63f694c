// SPDX-License-Identifier: GPL-3.0-or-later
// --json-lines with the real converters: the page lines rebuild the text file byte for byte, the
// metadata is pdfinfo's, -o - streams many PDFs as one stream in list order, OCR shows on its page
// line, and a name that is not UTF-8 is written as the report writes it.
#include "engine/JsonLinesWriter.h"
#include "engine/PdfInfoText.h"
#include "PdfFixtures.h"
#include "RawNames.h"
#include "TestConfig.h"
#include "TestPlace.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
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

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// Every line of a stream as JSON; a line that does not parse fails the test that asked.
QList<QJsonObject> linesOf(const QByteArray &stream, QString &error)
{
    QList<QJsonObject> lines;
    if (!stream.isEmpty() && !stream.endsWith('\n'))
        error = QStringLiteral("the stream does not end with a whole line");
    for (const QByteArray &line : stream.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError parsed;
        const QJsonDocument document = QJsonDocument::fromJson(line, &parsed);
        if (parsed.error != QJsonParseError::NoError || !document.isObject())
            error = QStringLiteral("not JSON: ") + QString::fromUtf8(line.left(200));
        lines << document.object();
    }
    return lines;
}

// The page texts joined, as UTF-8.
QByteArray joinedPages(const QList<QJsonObject> &lines)
{
    QByteArray text;
    for (const QJsonObject &line : lines)
        if (line.value(QStringLiteral("type")).toString() == QStringLiteral("page"))
            text += line.value(QStringLiteral("text")).toString().toUtf8();
    return text;
}

} // namespace

class TestJsonLines : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pageLinesEscapeEveryByte();
    void pagesRebuildTheText_data();
    void pagesRebuildTheText();
    void corpusStreamsWithPdfinfosMetadata_data();
    void corpusStreamsWithPdfinfosMetadata();
    void ocrShowsOnItsPage();
    void nameThatIsNotUtf8();
    void standardInputIsNamedDash();
    void listedFileIsNeverReplaced();

private:
    Finished runBatch(const QStringList &arguments) const
    {
        return run(QStringLiteral(MORWENDA_BATCH), arguments);
    }

    TestPlace m_place;
    QString m_book;  // 100 pages: split over converters with --jobs 2
    QString m_short; // 2 pages, a form feed inside no page
};

void TestJsonLines::initTestCase()
{
    QStringList pages;
    for (int page = 1; page <= 100; ++page)
        pages << QStringLiteral("Page %1 of the book.\n\"Quoted\" \\ Café ½ € ≠ Ω.").arg(page);
    m_book = m_place.path(QStringLiteral("in/book.pdf"));
    fixtures::writeTextPdf(m_book, pages);
    m_short = m_place.path(QStringLiteral("in/short.pdf"));
    fixtures::writeTextPdf(m_short,
                           {QStringLiteral("The first page"), QStringLiteral("The second page")});
}

// Control bytes, quotes, backslashes and UTF-8 come back as they were; a byte that is not UTF-8
// becomes U+FFFD rather than a line no reader takes.
void TestJsonLines::pageLinesEscapeEveryByte()
{
    QByteArray all;
    for (int byte = 0; byte < 0x80; ++byte)
        all += char(byte);
    all += "Ω€\xF0\x9F\x98\x80";
    PageFact fact;
    fact.page = 7;
    fact.byOcr = true;
    fact.ocrConfidence = 91.25;
    const QByteArray line = jsonlines::pageLine(fact, all);
    QVERIFY(line.endsWith('\n') && line.count('\n') == 1);
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    QCOMPARE(object.value("text").toString().toUtf8(), all);
    QCOMPARE(object.value("page").toInt(), 7);
    QCOMPARE(object.value("ocr_confidence").toDouble(), 91.3);
    const QJsonObject broken =
        QJsonDocument::fromJson(jsonlines::pageLine(fact, "a\xFF\xC3(b")).object();
    QCOMPARE(broken.value("text").toString(), QStringLiteral("a\uFFFD\uFFFD(b"));

    // A text longer or shorter than its pages is refused, not cut where it falls.
    QByteArray text("abc");
    QBuffer device(&text);
    device.open(QIODevice::ReadOnly);
    PageFacts facts;
    facts.pages = {PageFact{1, 2}};
    QString error;
    const auto ignore = [](const QByteArray &) { return QString(); };
    QVERIFY(!jsonlines::writePages(device, facts, 1, -1, ignore, error));
    device.seek(0);
    facts.pages = {PageFact{1, 2}, PageFact{2, 2}};
    QVERIFY(!jsonlines::writePages(device, facts, 1, -1, ignore, error));

    // Without page facts, form feeds that do not match the page count are no pages: a form feed
    // inside a page would move every later page.
    QByteArray twoFeeds("one\ftwo \f inside\f");
    QBuffer feeds(&twoFeeds);
    feeds.open(QIODevice::ReadOnly);
    QVERIFY(!jsonlines::writePages(feeds, PageFacts(), 1, 2, ignore, error));
    QVERIFY2(error.contains(QStringLiteral("3 form feeds")), qPrintable(error));
    feeds.seek(0);
    QList<QByteArray> lines;
    const auto keep = [&lines](const QByteArray &line) {
        lines << line;
        return QString();
    };
    QVERIFY(jsonlines::writePages(feeds, PageFacts(), 4, 3, keep, error));
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.last().startsWith("{\"type\":\"page\",\"page\":6,"));
}

void TestJsonLines::pagesRebuildTheText_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("service") << QStringList{};
    QTest::newRow("service, layout") << QStringList{"--layout"};
    QTest::newRow("service, no page breaks") << QStringList{"--no-page-breaks"};
    QTest::newRow("service, dos line ends, pages 2 to 60")
        << QStringList{"--eol", "dos", "-f", "2", "-l", "60"};
    QTest::newRow("service, a split run") << QStringList{"--jobs", "2"};
    QTest::newRow("pdftotext") << QStringList{"--converter", "pdftotext"};
}

void TestJsonLines::pagesRebuildTheText()
{
    QFETCH(QStringList, options);
    TestPlace place;
    const QString out = place.path(QStringLiteral("out"));
    QDir().mkpath(out);
    const Finished done = runBatch(QStringList{"--quiet", "--json-lines-beside", "--out", out} +
                                   options + QStringList{m_book, m_short});
    QVERIFY2(done.status == 0, qPrintable(done.errors));
    for (const QString name : {"book", "short"}) {
        QString error;
        const QList<QJsonObject> lines = linesOf(contentOf(out + u'/' + name + ".jsonl"), error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!lines.isEmpty());
        QCOMPARE(lines.first().value("type").toString(), QStringLiteral("file"));
        QCOMPARE(lines.first().value("outcome").toString(), QStringLiteral("converted"));
        QVERIFY2(joinedPages(lines) == contentOf(out + u'/' + name + ".txt"), qPrintable(name));
    }
}

// Every text PDF of the corpus in one -o - stream: each line JSON, the files in list order, the
// metadata pdfinfo's (the service reads it itself, pdftotext's jobs run pdfinfo).
void TestJsonLines::corpusStreamsWithPdfinfosMetadata_data()
{
    QTest::addColumn<QString>("converter");
    QTest::newRow("service") << "service";
    QTest::newRow("pdftotext") << "pdftotext";
}

void TestJsonLines::corpusStreamsWithPdfinfosMetadata()
{
    QFETCH(QString, converter);
    const QString corpus = QStringLiteral(MORWENDA_CORPUS_DIR);
    QFile manifest(corpus + QStringLiteral("/MANIFEST.tsv"));
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (!manifest.open(QIODevice::ReadOnly) || pdfinfo.isEmpty())
        QSKIP("the corpus or pdfinfo is not here");
    QStringList pdfs;
    for (const QByteArray &row : manifest.readAll().split('\n')) {
        const QList<QByteArray> fields = row.split('\t');
        if (fields.size() > 1 &&
            (fields.at(1).startsWith("text") || fields.at(1).startsWith("non-Latin") ||
             fields.at(1).startsWith("unusual")))
            pdfs << corpus + u'/' + QString::fromUtf8(fields.at(0));
    }
    const Finished done = runBatch(
        QStringList{"--quiet", "--jobs", "2", "--converter", converter, "--json-lines", "-o", "-"} +
        pdfs);
    QString error;
    const QList<QJsonObject> lines = linesOf(done.output, error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QStringList order;
    for (const QJsonObject &line : lines) {
        if (line.value("type").toString() != QStringLiteral("file"))
            continue;
        const QString pdf = line.value("path").toString();
        order << pdf;
        if (line.value("outcome").toString() != QStringLiteral("converted"))
            continue;
        QVERIFY2(line.contains("metadata"), qPrintable(pdf));
        const QJsonObject expected = pdfinfotext::metadata(run(pdfinfo, {"-isodates", pdf}).output);
        QVERIFY2(line.value("metadata").toObject() == expected,
                 qPrintable(pdf + u'\n' +
                            QJsonDocument(line.value("metadata").toObject()).toJson() +
                            QJsonDocument(expected).toJson()));
    }
    QCOMPARE(order, pdfs);
}

void TestJsonLines::ocrShowsOnItsPage()
{
    const QString scan = m_place.path(QStringLiteral("in/scan.pdf"));
    fixtures::writeScannedPdf(
        scan, {QStringLiteral("Typed text"), QStringLiteral("THE SCANNED PAGE")}, {1});
    const Finished done = runBatch({"--quiet", "--ocr", "auto", "--json-lines", "-o", "-", scan});
    if (done.status != 0 && done.errors.contains(QStringLiteral("tesseract")))
        QSKIP("tesseract or its English data is not installed");
    QString error;
    const QList<QJsonObject> lines = linesOf(done.output, error);
    QVERIFY2(error.isEmpty() && lines.size() == 3, qPrintable(error + done.errors));
    QCOMPARE(lines.at(1).value("ocr").toBool(), false);
    QCOMPARE(lines.at(2).value("ocr").toBool(), true);
    QVERIFY2(lines.at(2).value("ocr_confidence").toDouble() > 50, qPrintable(done.output));
    QVERIFY(lines.at(2).value("text").toString().contains(QStringLiteral("SCANNED")));
}

// The path is written as the report writes it; a PDF that is missing still has its first line.
void TestJsonLines::nameThatIsNotUtf8()
{
    const QString folder = m_place.path(QStringLiteral("raw"));
    QDir().mkpath(folder);
    const QString pdf = rawnames::under(folder, rawnames::Cafe + ".pdf");
    QVERIFY(QFile::copy(m_short, pdf));
    const QString missing = folder + QStringLiteral("/missing.pdf");
    const QString report = folder + QStringLiteral("/report.jsonl");
    const Finished done =
        runBatch({"--quiet", "--json-lines", "-o", "-", "--report", report, pdf, missing});
    QCOMPARE(done.status, 1);
    QString error;
    const QList<QJsonObject> lines = linesOf(done.output, error);
    QVERIFY2(error.isEmpty() && lines.size() == 4, qPrintable(error + done.output));
    const QList<QJsonObject> rows = linesOf(contentOf(report), error);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(lines.at(0).value("path"), rows.at(0).value("path"));
    QCOMPARE(lines.at(3).value("path").toString(), missing);
    QCOMPARE(lines.at(3).value("outcome"), rows.at(1).value("outcome"));
}

// A PDF on standard input is converted from a copy; its lines name it "-", as the report does.
void TestJsonLines::standardInputIsNamedDash()
{
    ReportRow row;
    row.pdf = QStringLiteral("/tmp/a \"b\".pdf");
    const QByteArray line = jsonlines::fileLine(row, QByteArray());
    QCOMPARE(jsonlines::withPath(line, QStringLiteral("-")),
             QByteArray("{\"type\":\"file\",\"path\":\"-\",\"outcome\":\"\",\"reason\":\"\"}\n"));
    QProcess batch;
    batch.start(QStringLiteral(MORWENDA_BATCH), {"--quiet", "--json-lines", "-o", "-", "-"});
    QFile pdf(m_short);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    batch.write(pdf.readAll());
    batch.closeWriteChannel();
    QVERIFY(batch.waitForFinished(60000));
    QString error;
    const QList<QJsonObject> lines = linesOf(batch.readAllStandardOutput(), error);
    QVERIFY2(error.isEmpty() && lines.size() == 3, qPrintable(error));
    QCOMPARE(lines.first().value("path").toString(), QStringLiteral("-"));
    QCOMPARE(lines.first().value("metadata").toObject().value("pages").toInt(), 2);
}

// A listed file named as the lines beside a text would be is refused, and stays as it was.
void TestJsonLines::listedFileIsNeverReplaced()
{
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("in/notes.pdf"));
    const QString listed = place.path(QStringLiteral("in/notes.jsonl"));
    QDir().mkpath(QFileInfo(pdf).absolutePath());
    QVERIFY(QFile::copy(m_short, pdf) && QFile::copy(m_short, listed));
    const Finished done = runBatch({"--json-lines-beside", pdf, listed});
    QCOMPARE(done.status, 2);
    QVERIFY2(done.errors.contains(listed + QStringLiteral(" is a listed file")),
             qPrintable(done.errors));
    QCOMPARE(contentOf(listed), contentOf(m_short));
}

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv); // the PDF writer of the fixtures
    TestJsonLines test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_jsonlines.moc"
