// SPDX-License-Identifier: GPL-3.0-or-later
// pdftotext's command lines read by morwenda-batch and converted by the engine give pdftotext's
// own bytes, for every option of the output form and the page's geometry; a marked-up form made
// in page ranges joins into the whole range's output, and is judged by the words it carries.
#include "cli/BatchOptions.h"
#include "engine/FormText.h"
#include "engine/TextJoin.h"
#include "engine/TextJudge.h"
#include "EngineTesting.h"
#include "PdftotextReference.h"
#include "TestPlace.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace {

// The text PDFs of the corpus, and a real PDF that the project's packages install.
QList<CorpusFile> textPdfs()
{
    QList<CorpusFile> files;
    for (const CorpusFile &file : corpusFiles())
        if (file.category.startsWith(QLatin1String("text")))
            files << file;
    const QString installed = QStringLiteral("/usr/share/doc/parallel/parallel_options_map.pdf");
    if (QFile::exists(installed))
        files << CorpusFile{installed, QString(), QString()};
    return files;
}

// The text options morwenda-batch reads from pdftotext's `arguments`.
std::optional<TextOptions> readOptions(const QStringList &arguments)
{
    const ParsedCommandLine parsed = batchoptions::parse(
        QStringList{QStringLiteral("morwenda-batch")} + arguments + QStringList{"a.pdf"});
    if (!parsed.options)
        qWarning("%s", qPrintable(parsed.text));
    return parsed.options ? std::optional(parsed.options->text) : std::nullopt;
}

} // namespace

Q_DECLARE_METATYPE(TextOptions::Output)

class TestPdftotextModes : public QObject
{
    Q_OBJECT

private slots:
    void sameBytesAsPdftotext_data();
    void sameBytesAsPdftotext();
    void rangesJoinIntoTheWholeRange_data();
    void rangesJoinIntoTheWholeRange();
    void aSplitBookGivesPdftotextsBytes_data();
    void aSplitBookGivesPdftotextsBytes();
    void aRangeCutShortFailsTheJoin();
    void markedUpFormsAreJudgedByTheirWords_data();
    void markedUpFormsAreJudgedByTheirWords();

private:
    QHash<QString, Reference> m_references; // by arguments and file, for both converters' rows
};

void TestPdftotextModes::sameBytesAsPdftotext_data()
{
    QTest::addColumn<QString>("converter");
    QTest::addColumn<QString>("arguments");
    const char *optionSets[] = {
        "-tsv",
        "-tsv -f 2 -l 3 -enc Latin1 -raw",
        "-bbox",
        "-htmlmeta -bbox",
        "-bbox-layout -r 150 -cropbox -l 2",
        "-htmlmeta -eol dos -nopgbrk",
        "-htmlmeta -layout -f 2",
        "-x 50 -y 100 -W 400 -H 300",
        "-r 144 -x 100 -y 200 -W 0 -H 400 -layout",
        "-fixed 4",
        "-nodiag -colspacing 0.3",
        "-colspacing 1.5 -layout -eol mac",
    };
    for (const char *converter : {"service", "pdftotext"})
        for (const char *options : optionSets)
            QTest::addRow("%s | %s", converter, options)
                << QString::fromLatin1(converter) << QString::fromLatin1(options);
}

// Every text PDF in the options, in one run of the engine with two converters (so the service
// splits the books of over a hundred pages into ranges), against pdftotext with the same options:
// the same bytes, in a file of the form's extension.
void TestPdftotextModes::sameBytesAsPdftotext()
{
    QFETCH(QString, converter);
    QFETCH(QString, arguments);
    const QList<CorpusFile> files = textPdfs();
    if (files.isEmpty())
        QSKIP("neither the corpus nor an installed PDF is there");
    const QStringList pdftotextArguments = arguments.split(u' ');
    const std::optional<TextOptions> options = readOptions(pdftotextArguments);
    QVERIFY(options);

    TestPlace place;
    const FinishedRun done =
        convertFiles(converter, files, *options, place.path(QStringLiteral("out")));
    QCOMPARE(done.outcomes.size(), files.size());

    for (const FileOutcome &file : done.outcomes) {
        const QString key = arguments + u'|' + file.pdf;
        if (!m_references.contains(key))
            m_references.insert(
                key, pdftotextOf(file.pdf, pdftotextArguments, passwordOf(files, file.pdf)));
        const Reference &reference = m_references.value(key);
        const QByteArray evidence = evidenceOf(file, reference);
        QCOMPARE(QFileInfo(file.output).suffix(), textoptions::outputExtension(*options));
        QVERIFY2(leftText(file.outcome) == (reference.exitCode == 0), evidence.constData());
        if (reference.exitCode == 0)
            QVERIFY2(contentOf(file.output) == reference.text, evidence.constData());
    }
}

void TestPdftotextModes::aSplitBookGivesPdftotextsBytes_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::newRow("tsv") << QStringLiteral("-tsv");
    QTest::newRow("bbox-layout") << QStringLiteral("-bbox-layout");
    QTest::newRow("htmlmeta") << QStringLiteral("-htmlmeta");
}

// A book of 117 pages alone before two converters is converted in ranges side by side: each
// range after the first goes on from the page before it, so -tsv's page rows are a whole run's.
void TestPdftotextModes::aSplitBookGivesPdftotextsBytes()
{
    QFETCH(QString, arguments);
    QList<CorpusFile> book;
    for (const CorpusFile &file : corpusFiles())
        if (file.pdf.endsWith(QLatin1String("/GeoTopo-komprimiert.pdf")))
            book << file;
    if (book.isEmpty())
        QSKIP("the corpus is not there");
    const std::optional<TextOptions> options = readOptions(arguments.split(u' '));
    QVERIFY(options);
    TestPlace place;
    const FinishedRun done =
        convertFiles(QStringLiteral("service"), book, *options, place.path(QStringLiteral("out")));
    QCOMPARE(done.outcomes.size(), 1);
    const Reference reference = pdftotextOf(book.at(0).pdf, arguments.split(u' '), QString());
    QCOMPARE(reference.exitCode, 0);
    QVERIFY2(contentOf(done.outcomes.at(0).output) == reference.text,
             evidenceOf(done.outcomes.at(0), reference).constData());
}

void TestPdftotextModes::rangesJoinIntoTheWholeRange_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::newRow("htmlmeta, dos") << QStringLiteral("-htmlmeta -eol dos");
    QTest::newRow("htmlmeta, no page breaks") << QStringLiteral("-htmlmeta -nopgbrk");
    QTest::newRow("bbox") << QStringLiteral("-bbox");
    QTest::newRow("bbox-layout, Latin1") << QStringLiteral("-bbox-layout -enc Latin1");
    QTest::newRow("tsv") << QStringLiteral("-tsv");
}

// pdftotext's output of pages 2-3, 4-6 and 7-9 joined gives its output of pages 2-9, judged as
// one: the first range's head and the last one's tail are kept, the others' dropped.
void TestPdftotextModes::rangesJoinIntoTheWholeRange()
{
    QFETCH(QString, arguments);
    const std::optional<TextOptions> options = readOptions(arguments.split(u' '));
    QVERIFY(options);
    TestPlace place;
    const QString book = place.path(QStringLiteral("book.pdf"));
    QStringList pages;
    for (int page = 1; page <= 9; ++page)
        pages << QStringLiteral("Page %1 & <its> words.\nA second line.").arg(page);
    fixtures::writeTextPdf(book, pages);
    const auto pdftotext = [&](int first, int last) {
        return pdftotextOf(book,
                           arguments.split(u' ') +
                               QStringList{QStringLiteral("-f"), QString::number(first),
                                           QStringLiteral("-l"), QString::number(last)},
                           QString())
            .text;
    };
    QStringList parts;
    for (const auto &[first, last] : {std::pair{2, 3}, std::pair{4, 6}, std::pair{7, 9}}) {
        parts << place.path(QStringLiteral("part %1").arg(first));
        QVERIFY(writeFile(parts.last(), pdftotext(first, last)));
    }
    const JoinedText joined = joinTexts(parts.first(), parts.mid(1), *options);
    QVERIFY2(joined.written, qPrintable(joined.reason));
    QVERIFY(!joined.noUsableText);
    if (options->output == TextOptions::Output::Tsv)
        QEXPECT_FAIL("",
                     "pdftotext's page row carries the left and top of the page before's last "
                     "word, which a range that starts at that page cannot know",
                     Continue);
    QCOMPARE(contentOf(parts.first()), pdftotext(2, 9));
}

// A range's output that lacks its tail (or the next one its head) is not joined as if whole: the
// join fails with its reason, so the file keeps no text made of parts.
void TestPdftotextModes::aRangeCutShortFailsTheJoin()
{
    TestPlace place;
    const QByteArray head = "<html>\n<head>\n</head>\n<body>\n<doc>\n";
    const QByteArray page =
        "  <page width=\"1\" height=\"1\">\n    <word>Words</word>\n  </page>\n";
    const QByteArray tail = "</doc>\n</body>\n</html>\n";
    TextOptions bbox;
    bbox.output = TextOptions::Output::Bbox;
    for (const auto &[first, second] :
         {std::pair{head + page, head + page + tail}, std::pair{head + page + tail, page + tail}}) {
        const QString target = place.path(QStringLiteral("first"));
        const QString rest = place.path(QStringLiteral("second"));
        QVERIFY(writeFile(target, first) && writeFile(rest, second));
        const JoinedText joined = joinTexts(target, {rest}, bbox);
        QVERIFY(!joined.written);
        QVERIFY2(joined.reason.contains(QStringLiteral("not whole")), qPrintable(joined.reason));
    }
}

void TestPdftotextModes::markedUpFormsAreJudgedByTheirWords_data()
{
    QTest::addColumn<TextOptions::Output>("output");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("noText");
    QTest::addColumn<int>("pages"); // the form's page marks; -1: none (form feeds count)

    using O = TextOptions::Output;
    const QByteArray tsvHead = "level\tpage_num\tpar_num\tblock_num\tline_num\tword_num\tleft\ttop"
                               "\twidth\theight\tconf\ttext\n";
    const QByteArray tsvPage = "1\t1\t0\t0\t0\t0\t0.000000\t0.000000\t612.000000\t792.000000\t-1\t"
                               "###PAGE###\n";
    const QByteArray tsvWord = "5\t1\t0\t0\t0\t0\t72.00\t72.00\t30.00\t10.00\t100\t";
    QTest::newRow("TSV of two scanned pages") << O::Tsv << tsvHead + tsvPage + tsvPage << true << 2;
    QTest::newRow("TSV: a word of six letters")
        << O::Tsv << tsvHead + tsvPage + tsvWord + "Hello!\n"
        << false << 1;
    QTest::newRow("TSV: a word of five letters, no last line end")
        << O::Tsv << tsvHead + tsvPage + tsvWord + "Hello" << true << 1;
    const QByteArray htmlHead = "<!DOCTYPE html><html>\n<head>\n<title>A long title of a scan"
                                "</title>\n</head>\n<body>\n";
    const QByteArray bboxPage = "  <page width=\"612.000000\" height=\"792.000000\">\n  </page>\n";
    const QByteArray bboxTail = "</doc>\n</body>\n</html>\n";
    QTest::newRow("bbox of three scanned pages")
        << O::Bbox << htmlHead + "<doc>\n" + bboxPage.repeated(3) + bboxTail << true << 3;
    QTest::newRow("bbox-layout: entities are one character each")
        << O::BboxLayout
        << htmlHead +
               "<doc>\n  <page width=\"1\" height=\"1\">\n    <flow>\n      <word xMin=\"1\" "
               "yMin=\"1\" xMax=\"2\" yMax=\"2\">&amp;&lt;&gt;&quot;&#233;</word>\n"
               "    </flow>\n  </page>\n" +
               bboxTail
        << true << 1;
    QTest::newRow("bbox: two words of three letters")
        << O::Bbox
        << htmlHead +
               "<doc>\n  <page width=\"1\" height=\"1\">\n    <word xMin=\"1\">abc</word>\n"
               "    <word xMin=\"2\">def</word>\n  </page>\n" +
               bboxTail
        << false << 1;
    const QByteArray metaTail = "</pre>\n</body>\n</html>\n";
    QTest::newRow("htmlmeta of a scan: the title is no text")
        << O::HtmlMeta << htmlHead + "<pre>\n\f\f" + metaTail << true << -1;
    QTest::newRow("htmlmeta: its text is as written, '<' and all")
        << O::HtmlMeta << htmlHead + "<pre>\n\f<<<<<<\f" + metaTail << false << -1;
    QTest::newRow("htmlmeta: the tail is no text")
        << O::HtmlMeta << htmlHead + "<pre>\n<<\f" + metaTail << true << -1;
    QTest::newRow("htmlmeta: a line of text")
        << O::HtmlMeta << htmlHead + "<pre>\nHello world\n\f" + metaTail << false << -1;
}

// pdftotext's marked-up outputs are judged by the words they carry, fed whole or byte by byte,
// and their pages are counted from their own page marks.
void TestPdftotextModes::markedUpFormsAreJudgedByTheirWords()
{
    QFETCH(TextOptions::Output, output);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, noText);
    QFETCH(int, pages);
    TextOptions form;
    form.output = output;
    form.pageBreaks = false; // pdftotext applies -nopgbrk to none of these marks
    for (const qsizetype piece : {bytes.size(), qsizetype(1)}) {
        TextJudge judge(form);
        FormText marks(output);
        for (qsizetype at = 0; at < bytes.size(); at += piece) {
            judge.feed(QByteArrayView(bytes).sliced(at, std::min(piece, bytes.size() - at)));
            marks.take(QByteArrayView(bytes).sliced(at, std::min(piece, bytes.size() - at)));
        }
        judge.finish();
        QCOMPARE(judge.hasNoUsableText(), noText);
        if (pages >= 0)
            QCOMPARE(marks.pages(), pages);
    }
}

QTEST_MAIN(TestPdftotextModes)
#include "tst_pdftotextmodes.moc"
