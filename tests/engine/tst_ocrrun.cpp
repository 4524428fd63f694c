// SPDX-License-Identifier: GPL-3.0-or-later
// Scanned pages read by OCR through the engine and the real converter service: the text pages
// keep pdftotext's text byte for byte, the scanned ones give their text back, the outcomes say
// how, and the limits and Stop hold while tesseract reads.
#include "ConverterTesting.h"
#include "engine/OcrChoice.h"
#include "engine/ServiceConverter.h"
#include "EngineTesting.h"
#include "PdfFixtures.h"
#include "TestConfig.h"
#include "TestPlace.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <vector>

namespace {

const QString Real = QStringLiteral(MORWENDA_PDFTOTEXT);

const QString Minutes =
    QStringLiteral("The committee met on Tuesday in the library of the old school.\n"
                   "Seven members were present and two had sent their apologies.\n"
                   "The treasurer reported that the roof repairs had cost less than\n"
                   "expected, and that the reserve now stands at a comfortable level.");
const QString Cover = QStringLiteral("Annual report of the village society\nPrinted text page");
const QString Closing = QStringLiteral("Signed by the secretary\nOn behalf of the committee");

// Character error rate with whitespace folded: the edit distance over the reference's length.
double characterErrorRate(const QString &reference, const QString &read)
{
    const QList<uint> a = reference.simplified().toUcs4();
    const QList<uint> b = read.simplified().toUcs4();
    std::vector<qsizetype> previous(b.size() + 1);
    std::vector<qsizetype> current(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j)
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1,
                                   previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        std::swap(previous, current);
    }
    return a.isEmpty() ? 1.0 : double(previous[b.size()]) / a.size();
}

ConversionLimits ocrLimits(OcrChoice::Mode mode, int dpi = 300, int memory = 0, int idle = 0)
{
    ConversionLimits limits = limitsOf(1, memory, idle);
    limits.ocr.mode = mode;
    limits.ocr.dpi = dpi;
    return limits;
}

std::unique_ptr<ServiceConverter> service()
{
    return std::make_unique<ServiceConverter>(ServiceProgram,
                                              std::make_unique<PdftotextConverter>(Real));
}

// The PDFs converted by the converter service into `folder`, to the run's end.
FinishedRun readWithService(const QStringList &pdfs, const QString &folder,
                            const ConversionLimits &limits)
{
    const auto converter = service();
    ConversionRun run(*converter);
    return runToEnd(run, pdfs, intoFolder(folder), limits);
}

QList<int> childrenOf(qint64 parent)
{
    QList<int> children;
    QFile list(QStringLiteral("/proc/%1/task/%1/children").arg(parent));
    if (list.open(QIODevice::ReadOnly))
        for (const QByteArray &pid : list.readAll().split(' '))
            if (!pid.trimmed().isEmpty())
                children << pid.trimmed().toInt();
    return children;
}

} // namespace

class TestOcrRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void scannedPagesGiveTheirText_data();
    void scannedPagesGiveTheirText();
    void scannedPageWithoutPageBreaks();
    void realScansWithAndWithoutOcr_data();
    void realScansWithAndWithoutOcr();
    void lowConfidenceIsNamed();
    void stampedScanIsReadOnce();
    void turnedAndStraightenedPagesAreSaid();
    void doubtfulPagesAreNotConverted();
    void aScanIsSpreadOverTheConverters_data();
    void aScanIsSpreadOverTheConverters();
    void pageOverALimitThenTheNextFile_data();
    void pageOverALimitThenTheNextFile();
    void stopDuringOcrLeavesNoProcess();
    void missingLanguageIsOneMessage();
};

void TestOcrRun::initTestCase()
{
    if (OcrChoice::installedLanguages().isEmpty())
        QSKIP("tesseract or its English data is not installed");
}

void TestOcrRun::scannedPagesGiveTheirText_data()
{
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<QList<int>>("scanned");
    QTest::addColumn<OcrChoice::Mode>("mode");
    QTest::addColumn<int>("ocrPages");
    QTest::newRow("one scanned page")
        << QStringList{Minutes} << QList<int>{0} << OcrChoice::Mode::Auto << 1;
    QTest::newRow("text, scanned, text")
        << QStringList{Cover, Minutes, Closing} << QList<int>{1} << OcrChoice::Mode::Auto << 1;
    QTest::newRow("always: every page")
        << QStringList{Cover, Minutes} << QList<int>{1} << OcrChoice::Mode::Always << 2;
}

void TestOcrRun::scannedPagesGiveTheirText()
{
    QFETCH(QStringList, pages);
    QFETCH(QList<int>, scanned);
    QFETCH(OcrChoice::Mode, mode);
    QFETCH(int, ocrPages);
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("scan.pdf"));
    fixtures::writeScannedPdf(pdf, pages, scanned);
    const QList<QByteArray> plain = fixtures::convertDirectly(pdf).split('\f');

    const auto converter = service();
    ConversionRun run(*converter);
    QList<int> pagesSeen;
    connect(&run, &ConversionRun::pagesDone, this, [&](int, int done, int) { pagesSeen << done; });
    const FinishedRun done = runToEnd(run, {pdf}, intoFolder(place.root()), ocrLimits(mode));
    const FileOutcome &file = done.outcomes.at(0);
    QVERIFY2(file.outcome == Outcome::Converted, qPrintable(file.reason));
    QCOMPARE(file.pages, pages.size());
    QCOMPARE(file.ocrPages, ocrPages);
    QVERIFY(file.ocrConfidence > OcrChoice::LowConfidence);
    // Progress came page by page.
    QVERIFY2(pagesSeen.endsWith(int(pages.size())) && pagesSeen.size() >= pages.size(),
             qPrintable(QString::number(pagesSeen.size())));

    const QList<QByteArray> text = contentOf(file.output).split('\f');
    QCOMPARE(text.size(), pages.size() + 1);
    for (int i = 0; i < pages.size(); ++i) {
        if (scanned.contains(i) || mode == OcrChoice::Mode::Always) {
            const double rate = characterErrorRate(pages.at(i), QString::fromUtf8(text.at(i)));
            QVERIFY2(rate <= 0.02, qPrintable(QStringLiteral("page %1, error rate %2: %3")
                                                  .arg(i + 1)
                                                  .arg(rate)
                                                  .arg(QString::fromUtf8(text.at(i)))));
        } else {
            QCOMPARE(text.at(i), plain.at(i)); // pdftotext's own text, byte for byte
        }
    }
    QVERIFY2(done.message.contains(pdf + QStringLiteral("  - %1 of %2 pages read by OCR, mean word "
                                                        "confidence ")
                                             .arg(ocrPages)
                                             .arg(pages.size())),
             qPrintable(done.message));
}

// Without page breaks a page's text has no form feed to be judged by: a scanned page is still
// read, and the text is pdftotext's for the text page followed by what OCR read.
void TestOcrRun::scannedPageWithoutPageBreaks()
{
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("scan.pdf"));
    fixtures::writeScannedPdf(pdf, {Cover, Minutes}, {1});
    ConversionLimits limits = ocrLimits(OcrChoice::Mode::Auto);
    limits.text.pageBreaks = false;
    const FinishedRun done = readWithService({pdf}, place.root(), limits);
    const FileOutcome &file = done.outcomes.at(0);
    QVERIFY2(file.outcome == Outcome::Converted, qPrintable(file.reason));
    QCOMPARE(file.ocrPages, 1);
    QCOMPARE(file.pages, -1);
    const QByteArray text = contentOf(file.output);
    const QByteArray plain = fixtures::convertDirectly(pdf, {QStringLiteral("-nopgbrk")});
    QVERIFY(!text.contains('\f'));
    QVERIFY2(text.startsWith(plain), text.constData());
    const double rate = characterErrorRate(Minutes, QString::fromUtf8(text.mid(plain.size())));
    QVERIFY2(rate <= 0.02, text.constData());
}

void TestOcrRun::realScansWithAndWithoutOcr_data()
{
    QTest::addColumn<QString>("pdf");
    QTest::addColumn<QString>("holds"); // "" for a picture without text
    const QString samples = QFileInfo(ServiceProgram).absolutePath() + QStringLiteral("/Samples/");
    QTest::newRow("sample: scanned page")
        << samples + QStringLiteral("Scanned page - no text.pdf") << QStringLiteral("two scripts");
    QTest::newRow("corpus: JBIG2")
        << fixtures::corpusFile(QStringLiteral("pdf-with-jbig2.pdf")) << QStringLiteral("Doesn't");
    QTest::newRow("corpus: 1-bit gray")
        << fixtures::corpusFile(QStringLiteral("images_1bit_grayscale.pdf"))
        << QStringLiteral("Uncompressed");
    QTest::newRow("corpus: pictures without words")
        << fixtures::corpusFile(QStringLiteral("imagemagick-images.pdf")) << QString();
    QTest::newRow("corpus: fax picture")
        << fixtures::corpusFile(QStringLiteral("imagemagick-CCITTFaxDecode.pdf")) << QString();
}

void TestOcrRun::realScansWithAndWithoutOcr()
{
    QFETCH(QString, pdf);
    QFETCH(QString, holds);
    if (!QFileInfo::exists(pdf))
        QSKIP("the file is not there");
    TestPlace place;
    const auto converter = service();
    for (const OcrChoice::Mode mode : {OcrChoice::Mode::Off, OcrChoice::Mode::Auto}) {
        ConversionRun run(*converter);
        const FinishedRun done = runToEnd(run, {pdf}, intoFolder(place.root()), ocrLimits(mode));
        const FileOutcome &file = done.outcomes.at(0);
        const QString text = QString::fromUtf8(contentOf(file.output));
        if (mode == OcrChoice::Mode::Off || file.ocrPages == 0) {
            QVERIFY2(mode == OcrChoice::Mode::Off || holds.isEmpty(), qPrintable(text));
            QCOMPARE(file.outcome, Outcome::NoUsableText);
            QCOMPARE(file.reason, reasons::Unreadable);
        } else {
            QVERIFY2(file.outcome == Outcome::Converted || file.outcome == Outcome::LowConfidence,
                     qPrintable(file.reason));
            QVERIFY2(text.contains(holds, Qt::CaseInsensitive), qPrintable(text));
        }
    }
}

void TestOcrRun::aScanIsSpreadOverTheConverters_data()
{
    QTest::addColumn<int>("dpi"); // of the scan and of OCR's drawing; 0: a clear scan
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("a clear scan") << 0 << Outcome::Converted;
    QTest::newRow("a faint scan, read with low confidence") << 50 << Outcome::LowConfidence;
}

// A scan of a dozen pages is read in page ranges on both converters, and its text and outcome are
// the ones a single converter gives. A split file shows no page progress of its own (its ranges
// end whole), which tells the two runs apart.
void TestOcrRun::aScanIsSpreadOverTheConverters()
{
    QFETCH(int, dpi);
    QFETCH(Outcome, outcome);
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("scan.pdf"));
    QStringList pages;
    QList<int> scanned;
    for (int i = 0; i < 12; ++i) {
        pages << (dpi ? Minutes : QStringLiteral("Page %1 of the minutes.").arg(i + 1));
        scanned << i;
    }
    fixtures::Scan faint;
    faint.dpi = dpi;
    if (dpi)
        fixtures::writeScanPdf(pdf, pages, faint);
    else
        fixtures::writeScannedPdf(pdf, pages, scanned);
    const auto convertWith = [&](int converters, const QString &folder, int &pagesSeen) {
        const auto converter = service();
        ConversionRun run(*converter);
        pagesSeen = 0;
        connect(&run, &ConversionRun::pagesDone, this, [&](int, int, int) { ++pagesSeen; });
        ConversionLimits limits = ocrLimits(OcrChoice::Mode::Auto, dpi ? dpi : 300);
        limits.converters = converters;
        const QString out = place.path(folder);
        QDir().mkpath(out);
        return runToEnd(run, {pdf}, intoFolder(out), limits);
    };
    int wholePages = 0;
    int splitPages = 0;
    const FinishedRun whole = convertWith(1, QStringLiteral("one"), wholePages);
    const FinishedRun split = convertWith(2, QStringLiteral("two"), splitPages);
    const FileOutcome &one = whole.outcomes.at(0);
    const FileOutcome &two = split.outcomes.at(0);
    if (!dpi)
        QVERIFY2(contentOf(one.output).contains("Page 12 of the minutes."),
                 qPrintable(whole.message));
    QCOMPARE(contentOf(two.output), contentOf(one.output));
    // The number of converters changes nothing of what the file is said to be.
    QCOMPARE(outcomeName(one.outcome), outcomeName(outcome));
    QCOMPARE(outcomeName(two.outcome), outcomeName(one.outcome));
    QCOMPARE(one.pages, 12);
    QCOMPARE(two.pages, 12);
    QCOMPARE(two.ocrPages, one.ocrPages);
    QVERIFY(wholePages >= 12);
    QCOMPARE(splitPages, 3); // once per range as it ends, not page by page
}

void TestOcrRun::lowConfidenceIsNamed()
{
    // Small print scanned at 50 dpi: tesseract guesses, and says so.
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("faint.pdf"));
    fixtures::Scan faint;
    faint.dpi = 50;
    fixtures::writeScanPdf(pdf, {Minutes}, faint);
    const FinishedRun done =
        readWithService({pdf}, place.root(), ocrLimits(OcrChoice::Mode::Auto, 50));
    const FileOutcome &file = done.outcomes.at(0);
    if (file.ocrPages == 0)
        QSKIP("tesseract read nothing at 50 dpi");
    QVERIFY(file.ocrConfidence >= 0);
    if (file.ocrConfidence >= OcrChoice::LowConfidence) {
        QCOMPARE(file.outcome, Outcome::Converted);
        QSKIP("tesseract was sure of itself at 50 dpi");
    }
    QCOMPARE(file.outcome, Outcome::LowConfidence);
    QVERIFY(QFileInfo::exists(file.output)); // the text is kept
    QVERIFY2(done.message.contains(pdf + QStringLiteral("  - text read by OCR with low confidence "
                                                        "(1 of 1 pages, mean word confidence")),
             qPrintable(done.message));
}

// A scan with a line of text stamped on it has text enough for pdftotext, and is still read by OCR
// in mode auto; the stamp's words come once.
void TestOcrRun::stampedScanIsReadOnce()
{
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("stamped.pdf"));
    fixtures::Scan stamped;
    stamped.stamp = QStringLiteral("Scanned by Copier 0042");
    fixtures::writeScanPdf(pdf, {Minutes}, stamped);
    QVERIFY(fixtures::convertDirectly(pdf).contains("Copier 0042"));

    const FinishedRun done = readWithService({pdf}, place.root(), ocrLimits(OcrChoice::Mode::Auto));
    const FileOutcome &file = done.outcomes.at(0);
    QVERIFY2(file.outcome == Outcome::Converted, qPrintable(file.reason));
    QCOMPARE(file.ocrPages, 1);
    const QString text = QString::fromUtf8(contentOf(file.output));
    const QString minutes = text.left(text.indexOf(QStringLiteral("Scanned")));
    QVERIFY2(characterErrorRate(Minutes, minutes) <= 0.02, qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("0042")), 1);
}

// What OCR did to the pages is said in the final message's OCR section.
void TestOcrRun::turnedAndStraightenedPagesAreSaid()
{
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("fed wrongly.pdf"));
    fixtures::Scan wrongWay;
    wrongWay.turnDegrees = 182;
    fixtures::writeScanPdf(pdf, {Minutes, Closing}, wrongWay);
    const FinishedRun done = readWithService({pdf}, place.root(), ocrLimits(OcrChoice::Mode::Auto));
    const FileOutcome &file = done.outcomes.at(0);
    QVERIFY2(file.outcome == Outcome::Converted, qPrintable(file.reason));
    QCOMPARE(file.ocr.turned, (QList<int>{1, 2}));
    QCOMPARE(file.ocr.deskewed, (QList<int>{1, 2}));
    QVERIFY(file.ocr.doubtful.isEmpty());
    const QList<QByteArray> pages = contentOf(file.output).split('\f');
    QVERIFY2(characterErrorRate(Minutes, QString::fromUtf8(pages.at(0))) <= 0.02, pages.at(0));
    QVERIFY2(done.message.contains(QStringLiteral(" Turned upright: pages 1-2. Straightened: "
                                                  "pages 1-2.")),
             qPrintable(done.message));
}

// Noise so thick that the words are lost: the text stays, but the file is not called converted.
void TestOcrRun::doubtfulPagesAreNotConverted()
{
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("noise.pdf"));
    fixtures::Scan noise;
    noise.speckles = 0.45;
    fixtures::writeScanPdf(pdf, {Minutes}, noise);
    const FinishedRun done = readWithService({pdf}, place.root(), ocrLimits(OcrChoice::Mode::Auto));
    const FileOutcome &file = done.outcomes.at(0);
    // Its words are read with low confidence too, which names the file first.
    QCOMPARE(outcomeName(file.outcome), outcomeName(Outcome::LowConfidence));
    QCOMPARE(file.ocr.doubtful, QList<int>{1});
    QVERIFY(QFileInfo::exists(file.output)); // the text is kept
    QVERIFY2(done.message.contains(pdf + file.reason), qPrintable(done.message));
}

void TestOcrRun::pageOverALimitThenTheNextFile_data()
{
    QTest::addColumn<int>("memory");
    QTest::addColumn<int>("idle");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("reason");
    // A page drawn at 1200 dpi is a picture of some 140 million pixels.
    QTest::newRow("memory limit") << 100 << 0 << Outcome::MemoryLimit
                                  << reasons::memoryLimit(100, 1);
    QTest::newRow("time limit") << 0 << 1 << Outcome::TimeLimit << reasons::timeLimit(1);
}

void TestOcrRun::pageOverALimitThenTheNextFile()
{
    QFETCH(int, memory);
    QFETCH(int, idle);
    QFETCH(Outcome, outcome);
    QFETCH(QString, reason);
    TestPlace place;
    const QString big = place.path(QStringLiteral("big.pdf"));
    const QString text = place.path(QStringLiteral("text.pdf"));
    fixtures::writeScannedPdf(big, {Minutes}, {0});
    fixtures::writeTextPdf(text, {Cover});
    const FinishedRun done = readWithService({big, text}, place.root(),
                                             ocrLimits(OcrChoice::Mode::Auto, 1200, memory, idle));
    QVERIFY2(done.outcomes.at(0).outcome == outcome, qPrintable(done.outcomes.at(0).reason));
    QCOMPARE(done.outcomes.at(0).reason, reason);
    QVERIFY(!QFileInfo::exists(done.outcomes.at(0).output));
    QCOMPARE(done.outcomes.at(1).outcome, Outcome::Converted);
}

void TestOcrRun::stopDuringOcrLeavesNoProcess()
{
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("scans.pdf"));
    fixtures::writeScannedPdf(pdf, {Minutes, Minutes, Minutes, Minutes}, {0, 1, 2, 3});
    const auto converter = service();
    ConversionRun run(*converter);
    QList<int> children;
    connect(&run, &ConversionRun::pagesDone, this, [&](int, int done, int) {
        if (done != 1 || !children.isEmpty())
            return;
        // The first page is read and the child is on the second: tesseract is at work.
        for (const qint64 service : converter->serviceProcessIds())
            children << childrenOf(service);
        run.stop();
    });
    const FinishedRun done =
        runToEnd(run, {pdf}, intoFolder(place.root()), ocrLimits(OcrChoice::Mode::Auto));
    QVERIFY(!children.isEmpty());
    QCOMPARE(done.outcomes.at(0).outcome, Outcome::Stopped);
    QVERIFY(!QFileInfo::exists(done.outcomes.at(0).output));
    for (const int child : children)
        QTRY_VERIFY2(!processAlive(child), qPrintable(QString::number(child)));
}

void TestOcrRun::missingLanguageIsOneMessage()
{
    OcrChoice choice;
    choice.mode = OcrChoice::Mode::Auto;
    choice.languages = QStringLiteral("eng+xyz+qqq");
    QCOMPARE(choice.missingLanguagesMessage(),
             QStringLiteral("OCR can not read the language \"xyz\", \"qqq\": it is not installed. "
                            "Install the Debian package tesseract-ocr-xyz, tesseract-ocr-qqq, or "
                            "choose an installed language (%1).")
                 .arg(OcrChoice::installedLanguages().join(QStringLiteral(", "))));
    choice.languages = QStringLiteral("eng");
    QCOMPARE(choice.missingLanguagesMessage(), QString());
    choice.mode = OcrChoice::Mode::Off;
    choice.languages = QStringLiteral("xyz");
    QCOMPARE(choice.missingLanguagesMessage(), QString()); // off asks for nothing
}

QTEST_MAIN(TestOcrRun)
#include "tst_ocrrun.moc"
