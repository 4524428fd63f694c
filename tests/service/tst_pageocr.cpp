// SPDX-License-Identifier: GPL-3.0-or-later
// Reading pages by OCR in the way the converter service's child does: poppler opens the PDF and
// draws the page, tesseract's library reads it. The scanned pages are pictures of known text.
#include "PdfFixtures.h"
#include "service/ChildConversion.h"
#include "service/OcrSupport.h"
#include "service/PageOcr.h"

#include <goo/GooString.h>
#include <PDFDoc.h>

#include <QElapsedTimer>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

Q_DECLARE_METATYPE(fixtures::Scan)

namespace {

const QString Minutes =
    QStringLiteral("The committee met on Tuesday in the library of the old school.\n"
                   "Seven members were present and two had sent their apologies.\n"
                   "The treasurer reported that the roof repairs had cost less than\n"
                   "expected, and that the reserve now stands at a comfortable level.\n"
                   "A proposal to open the reading room on Saturday mornings was\n"
                   "discussed at length and carried by five votes to two.\n"
                   "The next meeting will be held in the same place in the autumn.");

const QString Figures = QStringLiteral("Order 4471-B, dated 2026-03-14, was shipped on 17 March.\n"
                                       "Quantity: 250 units at 3.75 each, total 937.50 (VAT 19%).\n"
                                       "Contact: orders@example.org or +49 30 1234 5678.\n"
                                       "Items 12, 48 and 96 are back-ordered until week 22.");

const QString Notice = QStringLiteral("Please keep this notice with your records.\n"
                                      "Questions about your account may be sent by post.");

// A book's page: three paragraphs of prose, a blank line between them.
const QString BookPage = QStringLiteral(
    "The village lies where the river leaves the hills, and for most of its history\n"
    "it lived from the mill, the ferry and the market held on the first Monday of\n"
    "each month. The mill burned down twice and was rebuilt each time a little\n"
    "larger, until the railway came and the grain went elsewhere to be ground.\n"
    "\n"
    "The ferry outlasted the mill by forty years. It carried carts, cattle and the\n"
    "post, and the ferryman kept a book in which every crossing was entered with\n"
    "the weather, the height of the water and the fare that was paid for it. The\n"
    "book survives in the parish archive and is the source of most of what follows.\n"
    "\n"
    "When the bridge was opened in the spring of the last year of the century, the\n"
    "ferryman was given a pension and a small house by the water, where he lived\n"
    "until his death. His book records that the last crossing carried a doctor, two\n"
    "sheep and a barrel of apples, and that the river was calm and the fare unpaid.");

// A German page, read with German beside English.
const QString GermanPage =
    QStringLiteral("Die Räume über der Küche wurden im Frühjahr größer gebaut.\n"
                   "Für die Tür zum Hof mussten wir die Mauer öffnen und stützen.\n"
                   "Äpfel, Birnen und Nüsse lagern jetzt im kühlen Gewölbe.");

fixtures::Scan scanOf(int dpi, double turnDegrees = 0, double speckles = 0)
{
    fixtures::Scan scan;
    scan.dpi = dpi;
    scan.turnDegrees = turnDegrees;
    scan.speckles = speckles;
    return scan;
}

// Whitespace runs become one space; nothing before or after.
QString folded(const QString &text)
{
    return text.simplified();
}

// Character error rate: the edit distance over the reference's length.
double characterErrorRate(const QString &reference, const QString &read)
{
    const QList<uint> a = reference.toUcs4();
    const QList<uint> b = read.toUcs4();
    std::vector<qsizetype> previous(b.size() + 1);
    std::vector<qsizetype> current(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
        }
        std::swap(previous, current);
    }
    return a.isEmpty() ? (b.isEmpty() ? 0.0 : 1.0) : double(previous[b.size()]) / a.size();
}

std::unique_ptr<PDFDoc> openPdf(const QString &path)
{
    auto doc = std::make_unique<PDFDoc>(std::make_unique<GooString>(path.toStdString()));
    if (!doc->isOk())
        qFatal("poppler could not open %s", qPrintable(path));
    return doc;
}

} // namespace

class PageOcrTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsScannedPage_data();
    void readsScannedPage();
    void readsEveryPageWithOneEngine();
    void refusesWhatItCannotRead_data();
    void refusesWhatItCannotRead();
    void drawsAnOversizedPageSmaller();
    void readsDamagedScans_data();
    void readsDamagedScans();
    void keepsUmlautsOfAStoredScan();
    void aPageThatCannotBeReadIsDoubtful();
    void readsUnturnedWithoutOrientationData();
    void listsInstalledLanguages();
    void namesMissingLanguages_data();
    void namesMissingLanguages();

private:
    QTemporaryDir m_dir;
};

void PageOcrTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    childconversion::loadLibrary();
}

void PageOcrTest::readsScannedPage_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("prose") << Minutes;
    QTest::newRow("figures and punctuation") << Figures;
}

void PageOcrTest::readsScannedPage()
{
    QFETCH(QString, text);
    const QString pdf =
        m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".pdf"));
    fixtures::writeScannedPdf(pdf, {text}, {0});
    // The page is a picture only: pdftotext finds nothing on it.
    QCOMPARE(fixtures::convertDirectly(pdf), QByteArray("\f"));

    const auto doc = openPdf(pdf);
    PageOcr ocr("eng");
    QElapsedTimer timer;
    timer.start();
    const PageOcr::PageText page = ocr.read(doc.get(), 1);
    const qint64 ms = timer.elapsed();
    QVERIFY2(page.read, page.failure.c_str());
    QCOMPARE(page.dpi, PageOcr::DefaultDpi);

    const QString read = QString::fromStdString(page.text);
    const double cer = characterErrorRate(folded(text), folded(read));
    qInfo("%s: CER %.4f, %lld ms for the page (engine loaded on it), %d words, mean confidence "
          "%.1f",
          QTest::currentDataTag(), cer, ms, page.words, page.confidence);
    QVERIFY2(cer <= 0.02, qPrintable(QStringLiteral("read:\n") + read));
    QVERIFY(!read.contains(u'\f'));
    QVERIFY(read.endsWith(u'\n') && !read.endsWith(u"\n\n"));
    QVERIFY(page.words > 0);
    QVERIFY(page.confidence > 0 && page.confidence <= 100);
}

// One engine for the document, loaded once: a scanned page between two text pages, then the text
// pages, read in any order.
void PageOcrTest::readsEveryPageWithOneEngine()
{
    const QStringList pages{Notice, Minutes, Figures};
    const QString pdf = m_dir.filePath(QStringLiteral("mixed.pdf"));
    fixtures::writeScannedPdf(pdf, pages, {1});
    const auto doc = openPdf(pdf);
    PageOcr ocr("eng");
    for (const int page : {2, 1, 3}) {
        QElapsedTimer timer;
        timer.start();
        const PageOcr::PageText read = ocr.read(doc.get(), page);
        const qint64 ms = timer.elapsed();
        QVERIFY2(read.read, read.failure.c_str());
        const double cer = characterErrorRate(folded(pages.at(page - 1)),
                                              folded(QString::fromStdString(read.text)));
        qInfo("page %d: CER %.4f, %lld ms, mean confidence %.1f", page, cer, ms, read.confidence);
        QVERIFY2(cer <= 0.02, read.text.c_str());
    }
}

void PageOcrTest::refusesWhatItCannotRead_data()
{
    QTest::addColumn<QString>("languages");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QString>("failure");
    QTest::newRow("page 0") << "eng" << 0 << 300 << "OCR was asked for page 0 of 1";
    QTest::newRow("page after the last") << "eng" << 2 << 300 << "OCR was asked for page 2 of 1";
    QTest::newRow("no resolution") << "eng" << 1 << 0 << "OCR was asked for 0 dpi";
    const QString from = QStringLiteral(" from ") + QString::fromStdString(PageOcr::dataFolder());
    QTest::newRow("language not installed")
        << "qqq" << 1 << 300 << QStringLiteral("OCR could not load the language \"qqq\"") + from;
    // tesseract itself would read on in English alone.
    QTest::newRow("one of two languages not installed")
        << "eng+qqq" << 1 << 300
        << QStringLiteral("OCR could not load the language \"qqq\"") + from;
    QTest::newRow("orientation data is no language")
        << "osd" << 1 << 300 << QStringLiteral("OCR could not load the language \"osd\"") + from;
}

void PageOcrTest::refusesWhatItCannotRead()
{
    QFETCH(QString, languages);
    QFETCH(int, page);
    QFETCH(int, dpi);
    QFETCH(QString, failure);
    const QString pdf = m_dir.filePath(QStringLiteral("refused.pdf"));
    fixtures::writeScannedPdf(pdf, {Notice}, {0});
    const auto doc = openPdf(pdf);
    PageOcr ocr(languages.toStdString());
    // Asked twice: a language that did not load is not tried again, and says so again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const PageOcr::PageText read = ocr.read(doc.get(), page, dpi);
        QVERIFY(!read.read);
        QCOMPARE(QString::fromStdString(read.failure), failure);
        QVERIFY(read.text.empty());
    }
}

// A banner 8000 points wide is 33,334 pixels at 300 dpi, more than tesseract takes: it is read at
// the resolution that fits.
void PageOcrTest::drawsAnOversizedPageSmaller()
{
    const QString pdf = m_dir.filePath(QStringLiteral("banner.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(72);
        writer.setPageSize(QPageSize(QSizeF(8000, 200), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QImage scan(QSize(8000, 200) * 2, QImage::Format_Grayscale8);
        scan.fill(Qt::white);
        {
            QPainter on(&scan);
            QFont font(QStringLiteral("Liberation Sans"));
            font.setPixelSize(120);
            on.setFont(font);
            on.drawText(200, 260, QStringLiteral("Closing down sale this weekend"));
        }
        QPainter painter(&writer);
        painter.drawImage(QRectF(0, 0, 8000, 200), scan);
    }
    const auto doc = openPdf(pdf);
    PageOcr ocr("eng");
    const PageOcr::PageText read = ocr.read(doc.get(), 1);
    QVERIFY2(read.read, read.failure.c_str());
    QVERIFY(read.dpi < PageOcr::DefaultDpi);
    QVERIFY(8000.0 * read.dpi / 72 <= PageOcr::MaxSidePixels);
    QCOMPARE(folded(QString::fromStdString(read.text)),
             QStringLiteral("Closing down sale this weekend"));
}

// Sheets as scanners give them: each kind of damage is read within its error bound, and what was
// done to the picture is said.
void PageOcrTest::readsDamagedScans_data()
{
    QTest::addColumn<fixtures::Scan>("scan");
    QTest::addColumn<double>("bound");
    QTest::addColumn<int>("turned");
    QTest::addColumn<bool>("straightened");
    QTest::addColumn<bool>("despeckled");
    QTest::newRow("clean") << scanOf(300) << 0.01 << 0 << false << false;
    QTest::newRow("upside down") << scanOf(300, 180) << 0.01 << 180 << false << false;
    QTest::newRow("a quarter turn clockwise") << scanOf(300, 90) << 0.01 << 270 << false << false;
    QTest::newRow("a quarter turn anticlockwise")
        << scanOf(300, -90) << 0.01 << 90 << false << false;
    QTest::newRow("skewed 2 degrees") << scanOf(300, 2) << 0.01 << 0 << true << false;
    QTest::newRow("skewed 2 degrees the other way")
        << scanOf(300, -2) << 0.01 << 0 << true << false;
    QTest::newRow("upside down and skewed") << scanOf(300, 181.5) << 0.01 << 180 << true << false;
    QTest::newRow("speckled") << scanOf(300, 0, 0.03) << 0.05 << 0 << false << true;
    QTest::newRow("200 dpi, raised to 300") << scanOf(200) << 0.01 << 0 << false << false;
}

void PageOcrTest::readsDamagedScans()
{
    QFETCH(fixtures::Scan, scan);
    QFETCH(double, bound);
    QFETCH(int, turned);
    QFETCH(bool, straightened);
    QFETCH(bool, despeckled);
    const QString pdf = m_dir.filePath(QStringLiteral("damaged.pdf"));
    fixtures::writeScanPdf(pdf, {BookPage}, scan);
    const auto doc = openPdf(pdf);
    PageOcr ocr("eng");
    const PageOcr::PageText page = ocr.read(doc.get(), 1);
    QVERIFY2(page.read, page.failure.c_str());
    const QString read = QString::fromStdString(page.text);
    const double cer = characterErrorRate(folded(BookPage), folded(read));
    qInfo("%s: CER %.4f, turned %d, skew %.2f, despeckled %d, %d of %d words low, %d of %d "
          "letters unread",
          QTest::currentDataTag(), cer, page.turnedDegrees, page.skewDegrees, page.despeckled,
          page.lowWords, page.words, page.unreadLetters, page.letters);
    QVERIFY2(cer <= bound, qPrintable(QStringLiteral("read:\n") + read));
    // Each paragraph is there, the last line of each too.
    for (const QString &line : BookPage.split(u'\n'))
        if (line.endsWith(u'.'))
            QVERIFY2(read.contains(line.right(20)), qPrintable(line));
    QVERIFY(page.storedPicture);
    QCOMPARE(page.dpi, PageOcr::DefaultDpi);
    QCOMPARE(page.turnedDegrees, turned);
    QCOMPARE(page.skewDegrees != 0, straightened);
    QCOMPARE(page.despeckled, despeckled);
    QVERIFY(!page.doubtful);
}

// The picture is read as stored, not redrawn: the umlauts of a 200 dpi scan stay.
void PageOcrTest::keepsUmlautsOfAStoredScan()
{
    const std::vector<std::string> installed = PageOcr::installedLanguages();
    if (std::ranges::find(installed, "deu") == installed.end())
        QSKIP("German is not installed for tesseract (tesseract-ocr-deu)");
    const QString pdf = m_dir.filePath(QStringLiteral("deutsch.pdf"));
    fixtures::writeScanPdf(pdf, {GermanPage}, scanOf(200));
    const auto doc = openPdf(pdf);
    PageOcr ocr("deu+eng");
    const PageOcr::PageText page = ocr.read(doc.get(), 1);
    QVERIFY2(page.read, page.failure.c_str());
    QCOMPARE(folded(QString::fromStdString(page.text)), folded(GermanPage));
}

// Noise so thick that no word can be told: the letters are there, the words are not.
void PageOcrTest::aPageThatCannotBeReadIsDoubtful()
{
    const QString pdf = m_dir.filePath(QStringLiteral("unreadable.pdf"));
    fixtures::writeScanPdf(pdf, {BookPage}, scanOf(300, 0, 0.45));
    const auto doc = openPdf(pdf);
    PageOcr ocr("eng");
    const PageOcr::PageText page = ocr.read(doc.get(), 1);
    QVERIFY2(page.read, page.failure.c_str());
    qInfo("%d of %d words low, %d of %d letters unread, CER %.3f", page.lowWords, page.words,
          page.unreadLetters, page.letters,
          characterErrorRate(folded(BookPage), folded(QString::fromStdString(page.text))));
    QVERIFY(page.doubtful);
    QVERIFY(PageOcr::isDoubtful(page));
}

// Where tesseract's orientation data is missing the page is read as it lies, and said so.
void PageOcrTest::readsUnturnedWithoutOrientationData()
{
    QTemporaryDir data;
    QVERIFY(QFile::link(QString::fromStdString(PageOcr::dataFolder()) +
                            QStringLiteral("/eng.traineddata"),
                        data.filePath(QStringLiteral("eng.traineddata"))));
    qputenv("TESSDATA_PREFIX", data.path().toUtf8());
    const QString pdf = m_dir.filePath(QStringLiteral("upside-down.pdf"));
    fixtures::writeScanPdf(pdf, {Notice}, scanOf(300, 180));
    const auto doc = openPdf(pdf);
    PageOcr::PageText page;
    {
        PageOcr ocr("eng");
        page = ocr.read(doc.get(), 1);
    }
    qunsetenv("TESSDATA_PREFIX");
    QVERIFY2(page.read, page.failure.c_str());
    QVERIFY(page.orientationUnknown);
    QCOMPARE(page.turnedDegrees, 0);
}

void PageOcrTest::listsInstalledLanguages()
{
    const std::vector<std::string> installed = PageOcr::installedLanguages();
    QVERIFY(std::ranges::find(installed, "eng") != installed.end());
    // Present beside English in tesseract's data, but not a language to read text in.
    QVERIFY(std::ranges::find(installed, "osd") == installed.end());
    QVERIFY(std::ranges::is_sorted(installed));
    QVERIFY(!PageOcr::dataFolder().empty());
}

void PageOcrTest::namesMissingLanguages_data()
{
    QTest::addColumn<QString>("languages");
    QTest::addColumn<QStringList>("missing");
    QTest::newRow("one installed") << "eng" << QStringList{};
    QTest::newRow("two installed") << "eng+deu" << QStringList{};
    QTest::newRow("second missing") << "eng+fra" << QStringList{"fra"};
    QTest::newRow("all missing, in order") << "spa+fra" << QStringList{"spa", "fra"};
    QTest::newRow("sub-folder language") << "script/Latin" << QStringList{};
    QTest::newRow("empty") << "" << QStringList{""};
    QTest::newRow("empty name after plus") << "eng+" << QStringList{""};
    QTest::newRow("not a language") << "osd" << QStringList{"osd"};
    QTest::newRow("case matters") << "ENG" << QStringList{"ENG"};
    QTest::newRow("a path is no name") << "../eng" << QStringList{"../eng"};
}

void PageOcrTest::namesMissingLanguages()
{
    QFETCH(QString, languages);
    QFETCH(QStringList, missing);
    const std::vector<std::string> installed{"deu", "eng", "script/Latin"};
    QStringList named;
    for (const std::string &name : ocrsupport::missingLanguages(languages.toStdString(), installed))
        named << QString::fromStdString(name);
    QCOMPARE(named, missing);
}

QTEST_MAIN(PageOcrTest)
#include "tst_pageocr.moc"
