// SPDX-License-Identifier: GPL-3.0-or-later
// Each of pdftotext's output forms and page options, written by the converter service, against
// pdftotext's own bytes with the same options.
#include "PdfFixtures.h"
#include "ServiceAnswer.h"
#include "service/ConverterServiceClient.h"
#include "service/OcrWords.h"
#include "TestConfig.h"

#include <memory>
#include <optional>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using serviceprotocol::ConvertRequest;
using serviceprotocol::Outcome;
using serviceprotocol::TextOutput;

namespace {

// The request pdftotext's `arguments` make.
ConvertRequest requestOf(const QString &pdf, const QStringList &arguments)
{
    ConvertRequest request;
    request.pdfPath = ConverterServiceClient::pathBytes(pdf);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &option = arguments[i];
        const auto takeInt = [&] { return arguments.value(++i).toInt(); };
        const auto takeDouble = [&] { return arguments.value(++i).toDouble(); };
        if (option == u"-f")
            request.firstPage = takeInt();
        else if (option == u"-l")
            request.lastPage = takeInt();
        else if (option == u"-r")
            request.resolution = takeDouble();
        else if (option == u"-x")
            request.cropX = takeInt();
        else if (option == u"-y")
            request.cropY = takeInt();
        else if (option == u"-W")
            request.cropWidth = takeInt();
        else if (option == u"-H")
            request.cropHeight = takeInt();
        else if (option == u"-fixed")
            request.fixedPitch = takeDouble();
        else if (option == u"-colspacing")
            request.columnSpacing = takeDouble();
        else if (option == u"-enc")
            request.textEncoding = arguments.value(++i).toStdString();
        else if (option == u"-eol")
            request.endOfLine = arguments.value(++i) == u"dos" ? serviceprotocol::EndOfLine::Dos
                                                               : serviceprotocol::EndOfLine::Mac;
        else if (option == u"-layout")
            request.textMode = serviceprotocol::TextMode::Layout;
        else if (option == u"-raw")
            request.textMode = serviceprotocol::TextMode::Raw;
        else if (option == u"-nopgbrk")
            request.pageBreaks = false;
        else if (option == u"-nodiag")
            request.discardDiagonal = true;
        else if (option == u"-cropbox")
            request.cropBox = true;
        else if (option == u"-htmlmeta")
            request.textOutput = TextOutput::HtmlMeta;
        else if (option == u"-tsv")
            request.textOutput = TextOutput::Tsv;
        else if (option == u"-bbox")
            request.textOutput = TextOutput::Bbox;
        else if (option == u"-bbox-layout")
            request.textOutput = TextOutput::BboxLayout;
        else
            qFatal("no such pdftotext option in the table: %s", qPrintable(option));
    }
    return request;
}

using Converted = ServiceAnswer;

} // namespace

class TestTextForms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void sameBytesAsPdftotext_data();
    void sameBytesAsPdftotext();
    void readWordsTurnBackWithThePicture_data();
    void readWordsTurnBackWithThePicture();
    void scannedPageGivesReadWords_data();
    void scannedPageGivesReadWords();

private:
    Converted convert(const ConvertRequest &request);

    QTemporaryDir m_dir;
    std::unique_ptr<ConverterServiceClient> m_client;
};

void TestTextForms::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_client = std::make_unique<ConverterServiceClient>(QStringLiteral(MORWENDA_BINARY));
    QSignalSpy ready(m_client.get(), &ConverterServiceClient::ready);
    QSignalSpy failed(m_client.get(), &ConverterServiceClient::failed);
    m_client->start();
    QTRY_VERIFY_WITH_TIMEOUT(!ready.isEmpty() || !failed.isEmpty(), 30000);
    QVERIFY2(failed.isEmpty(), qPrintable(failed.value(0).value(0).toString()));
}

void TestTextForms::cleanupTestCase()
{
    m_client->stop();
    QTRY_VERIFY(m_client->processId() == 0);
}

Converted TestTextForms::convert(const ConvertRequest &request)
{
    return answerOf(*m_client, request);
}

void TestTextForms::sameBytesAsPdftotext_data()
{
    QTest::addColumn<QString>("pdf");
    QTest::addColumn<QStringList>("arguments");

    const QString onePage = QStringLiteral("google-doc-document.pdf");
    const QString pages = QStringLiteral("pdflatex-4-pages.pdf");
    const QString columns = QStringLiteral("naacl06-shinyama.pdf");
    const QString book = QStringLiteral("The-War-of-the-Worlds.pdf");
    const auto row = [](const char *name, const QString &pdf, const QString &arguments) {
        QTest::newRow(name) << pdf << arguments.split(u' ', Qt::SkipEmptyParts);
    };
    row("resolution 144", pages, QStringLiteral("-r 144"));
    row("crop area cuts lines", columns, QStringLiteral("-x 60 -y 100 -W 250 -H 300"));
    row("crop area at 144 dpi", columns, QStringLiteral("-r 144 -x 200 -y 300 -W 500 -H 400"));
    row("crop area to the page's edge", pages, QStringLiteral("-x 100 -y 200"));
    row("fixed pitch implies layout", columns, QStringLiteral("-fixed 4"));
    row("no diagonal text", columns, QStringLiteral("-nodiag -layout"));
    row("crop box changes no text", QStringLiteral("i1040nr.pdf"), QStringLiteral("-cropbox -l 2"));
    row("column spacing", columns, QStringLiteral("-colspacing 0.2"));
    row("html head with information", book, QStringLiteral("-htmlmeta -f 3 -l 4"));
    row("html with one page", onePage, QStringLiteral("-htmlmeta"));
    row("html latin1 dos without breaks", book,
        QStringLiteral("-htmlmeta -enc Latin1 -eol dos -nopgbrk -l 2"));
    row("html layout", pages, QStringLiteral("-htmlmeta -layout"));
    row("tsv", pages, QStringLiteral("-tsv"));
    row("tsv pages 2 to 3", pages, QStringLiteral("-tsv -f 2 -l 3"));
    row("tsv raw at 144 dpi", columns, QStringLiteral("-tsv -raw -r 144 -l 2"));
    row("tsv ignores column spacing", columns, QStringLiteral("-tsv -colspacing 0.2 -l 1"));
    row("tsv crop box", QStringLiteral("i1040nr.pdf"), QStringLiteral("-tsv -cropbox -l 1"));
    row("tsv latin1", book, QStringLiteral("-tsv -enc Latin1 -f 5 -l 5"));
    row("tsv in two-byte characters", book, QStringLiteral("-tsv -enc UCS-2 -f 3 -l 3"));
    row("html in two-byte characters", book, QStringLiteral("-htmlmeta -enc UCS-2 -l 1"));
    row("bbox in ascii", book, QStringLiteral("-bbox -enc ASCII7 -l 2"));
    row("bbox", onePage, QStringLiteral("-bbox"));
    row("bbox without words", QStringLiteral("images_1bit_grayscale.pdf"), QStringLiteral("-bbox"));
    row("bbox crop box", QStringLiteral("i1040nr.pdf"), QStringLiteral("-bbox -cropbox -l 1"));
    row("bbox layout", pages, QStringLiteral("-bbox-layout -f 2"));
    row("bbox layout column spacing", columns, QStringLiteral("-bbox-layout -colspacing 0.2 -l 1"));
    row("bbox layout fixed pitch", columns, QStringLiteral("-bbox-layout -fixed 3 -l 1"));
    // Pages the tree names by missing objects, and pages it claims beyond those it holds.
    const QString tree = m_dir.filePath(QStringLiteral("tree.pdf"));
    fixtures::writePageTreePdf(tree, 6, 8, {3});
    row("tsv with unread pages", tree, QStringLiteral("-tsv"));
    row("bbox with unread pages", tree, QStringLiteral("-bbox -f 2"));
    row("bbox layout with unread pages", tree, QStringLiteral("-bbox-layout"));
    row("html with unread pages", tree, QStringLiteral("-htmlmeta -f 4 -l 8"));
}

// The service's bytes and exit code against pdftotext's run with the same options.
void TestTextForms::sameBytesAsPdftotext()
{
    QFETCH(QString, pdf);
    QFETCH(QStringList, arguments);
    const QString path = QFileInfo(pdf).isAbsolute() ? pdf : fixtures::corpusFile(pdf);
    if (!QFile::exists(path))
        QSKIP("the corpus is not beside the project");

    const QString output = m_dir.filePath(QStringLiteral("reference"));
    QFile::remove(output);
    QProcess pdftotext;
    pdftotext.start(QStringLiteral(MORWENDA_PDFTOTEXT), arguments + QStringList{path, output});
    QVERIFY(pdftotext.waitForFinished(120000));
    QFile reference(output);

    const Converted service = convert(requestOf(path, arguments));
    const QByteArray evidence =
        "pdftotext " + arguments.join(u' ').toUtf8() +
        "\npdftotext said: " + pdftotext.readAllStandardError().left(400) +
        "\nservice said: " + QByteArray::fromStdString(service.outcome.diagnostics).left(400);
    QVERIFY2(service.outcome.exitCode == pdftotext.exitCode(), evidence.constData());
    // A run that fails gives no text.
    const QByteArray expected = pdftotext.exitCode() == 0 && reference.open(QIODevice::ReadOnly)
                                    ? reference.readAll()
                                    : QByteArray();
    if (service.text != expected) {
        const QFileInfo mine(m_dir.filePath(QStringLiteral("service")));
        QFile file(mine.filePath());
        if (file.open(QIODevice::WriteOnly))
            file.write(service.text);
        QFAIL((evidence + "\nbytes differ; compare " + output.toUtf8() + " with " +
               mine.filePath().toUtf8())
                  .constData());
    }
    QCOMPARE(service.outcome.textBytes, quint64(service.text.size()));
}

void TestTextForms::readWordsTurnBackWithThePicture_data()
{
    QTest::addColumn<int>("turnedDegrees");
    QTest::addColumn<QRectF>("onPage");
    // A word at (10, 20)-(30, 40) of a picture read 100 by 200 pixels, on a page half its size.
    QTest::newRow("upright") << 0 << QRectF(QPointF(5, 10), QPointF(15, 20));
    QTest::newRow("turned a quarter") << 90 << QRectF(QPointF(10, 35), QPointF(20, 45));
    QTest::newRow("upside down") << 180 << QRectF(QPointF(35, 80), QPointF(45, 90));
    QTest::newRow("turned three quarters") << 270 << QRectF(QPointF(80, 5), QPointF(90, 15));
}

// A word's box in the picture tesseract read lands where the word is on the page as it lies.
void TestTextForms::readWordsTurnBackWithThePicture()
{
    QFETCH(int, turnedDegrees);
    QFETCH(QRectF, onPage);
    ocrwords::PictureWord word;
    word.left = 10;
    word.top = 20;
    word.right = 30;
    word.bottom = 40;
    const bool sideways = turnedDegrees % 180 != 0;
    const std::vector<ocrwords::Word> placed = ocrwords::placed(
        {word}, {100, 200, turnedDegrees}, sideways ? 100 : 50, sideways ? 50 : 100);
    QCOMPARE(placed.size(), std::size_t(1));
    QCOMPARE(
        QRectF(QPointF(placed[0].xMin, placed[0].yMin), QPointF(placed[0].xMax, placed[0].yMax)),
        onPage);
}

void TestTextForms::scannedPageGivesReadWords_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QByteArray>("readWord");
    QTest::newRow("tsv") << QStringLiteral("-tsv") << QByteArray("\tcommittee\n");
    QTest::newRow("bbox") << QStringLiteral("-bbox") << QByteArray(">committee</word>\n");
    QTest::newRow("bbox layout") << QStringLiteral("-bbox-layout")
                                 << QByteArray(">committee</word>\n");
}

// A text page keeps poppler's words, byte for byte pdftotext's; the scanned page after it gets
// the words OCR read, within the page, with tesseract's confidences in the table.
void TestTextForms::scannedPageGivesReadWords()
{
    QFETCH(QString, form);
    QFETCH(QByteArray, readWord);
#ifndef MORWENDA_OCR
    QSKIP("this build reads no page by OCR");
#endif
    const QString pdf = m_dir.filePath(QStringLiteral("scanned.pdf"));
    if (!QFile::exists(pdf))
        fixtures::writeScannedPdf(pdf,
                                  {QStringLiteral("Minutes of the meeting"),
                                   QStringLiteral("The committee met on Tuesday in the library.")},
                                  {1});
    ConvertRequest request = requestOf(pdf, {form});
    request.ocrMode = serviceprotocol::OcrMode::Auto;
    const Converted service = convert(request);
    QCOMPARE(service.outcome.kind, serviceprotocol::OutcomeKind::Converted);
    QCOMPARE(service.outcome.ocrPages, 1);
    QVERIFY2(service.text.contains(readWord), service.text.constData());

    ConvertRequest textPage = requestOf(pdf, {form, QStringLiteral("-l"), QStringLiteral("1")});
    const QByteArray firstPage = convert(textPage).text;
    const QByteArray pageEnd = form == u"-tsv" ? QByteArray("\n1\t2\t") : QByteArray("  </page>\n");
    QVERIFY(service.text.startsWith(firstPage.left(firstPage.indexOf(pageEnd) + 1)));
    if (form != u"-tsv")
        return;
    // Columns: level, page_num, ..., left, top, width, height, conf, text.
    int readWords = 0;
    for (const QByteArray &line : service.text.split('\n')) {
        const QList<QByteArray> cells = line.split('\t');
        if (cells.size() != 12 || cells[0] != "5" || cells[1] != "2")
            continue;
        ++readWords;
        const int confidence = cells[10].toInt();
        QVERIFY2(confidence >= 0 && confidence <= 100, line.constData());
        QVERIFY2(cells[6].toDouble() >= 0 && cells[6].toDouble() + cells[8].toDouble() <= 700 &&
                     cells[7].toDouble() >= 0 && cells[7].toDouble() + cells[9].toDouble() <= 900,
                 line.constData());
    }
    QCOMPARE(readWords, 8);
}

QTEST_MAIN(TestTextForms)
#include "tst_textforms.moc"
