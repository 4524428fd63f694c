#include "app/ErrorReport.h"
#include "convert/Converter.h"
#include "convert/RunAndWait.h"
#include "convert/RunConverter.h"
#include "convert/TextCheck.h"
#include "PdfFixtures.h"
#include "RecordingProgress.h"
#include "TestPlace.h"

#include <memory>
#include <QDir>
#include <QFile>
#include <QTest>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const ReportFn Unexpected = [](const QString &tag, int line, const QString &description) {
    QFAIL(qPrintable(
        QStringLiteral("unexpected report: %1%2: %3").arg(tag).arg(line).arg(description)));
};

const QString UserPassword = QStringLiteral("open sesame");
const QString OwnerPassword = QStringLiteral("master key");
// Blanks, double quotes and letters beyond ASCII, within the converter's 32 bytes.
const QString AwkwardPassword = QStringLiteral("pa\"ss wörd\" ñ");

enum class Protection
{
    None,
    OpenPassword,    // a user password (and an owner password)
    OwnerOnly,       // opens without a password
    AwkwardOpen,     // the awkward password as the user password
    AwkwardOwnerOnly // the awkward password as the only (owner) password
};

} // namespace

class TestConversion : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everyPageIsConverted();
    void imageOnlyPagesGivePageBreaksOnly();
    void passwords_data();
    void passwords();
    void staleOutputDoesNotHideTheSecondTry();
    void failedRunLeavesAnEarlierOutputAsItWas();
    void previewStopsAfterPage100();
    void awkwardPaths_data();
    void awkwardPaths();
    void pathsThatLookLikeOptions_data();
    void pathsThatLookLikeOptions();
    void sameTextAsTheConverterRunDirectly_data();
    void sameTextAsTheConverterRunDirectly();
    void missingConverterFailsAtOnce();

private:
    QString pdfWith(Protection protection);
    int convert(const QString &pdf, const QString &output, const QString &password = {},
                bool preview = false);

    std::unique_ptr<TestPlace> m_place;
    QString m_startFolder;
};

void TestConversion::init()
{
    m_place = std::make_unique<TestPlace>();
    m_startFolder = QDir::currentPath();
    Procedure proc(Unexpected, tags::FormLoad);
    converter::Deploy(proc);
    QVERIFY(!converter::ProgramToRun().isEmpty());
}

void TestConversion::cleanup()
{
    QDir::setCurrent(m_startFolder);
    converter::RemoveAtShutdown();
    m_place.reset();
}

QString TestConversion::pdfWith(Protection protection)
{
    const QString plain = m_place->path(QStringLiteral("plain.pdf"));
    if (!QFile::exists(plain))
        fixtures::writeTextPdf(plain, {QStringLiteral("Quarterly figures\nRevenue grew")});
    const QString protectedPdf = m_place->path(QStringLiteral("protected.pdf"));
    QFile::remove(protectedPdf);
    switch (protection) {
    case Protection::None:
        return plain;
    case Protection::OpenPassword:
        fixtures::encryptPdf(plain, protectedPdf, UserPassword, OwnerPassword);
        break;
    case Protection::OwnerOnly:
        fixtures::encryptPdf(plain, protectedPdf, QString(), OwnerPassword);
        break;
    case Protection::AwkwardOpen:
        fixtures::encryptPdf(plain, protectedPdf, AwkwardPassword, OwnerPassword);
        break;
    case Protection::AwkwardOwnerOnly:
        fixtures::encryptPdf(plain, protectedPdf, QString(), AwkwardPassword);
        break;
    }
    return protectedPdf;
}

int TestConversion::convert(const QString &pdf, const QString &output, const QString &password,
                            bool preview)
{
    RecordingProgress progress(QStringLiteral("Processing: x.pdf"), 50);
    const int result =
        RunConverter(pdf, output, password, preview, &progress, progress.text(), 50, 2);
    if (progress.text() != QStringLiteral("Processing: x.pdf"))
        qWarning("the caption was not restored: %s", qPrintable(progress.text()));
    return result;
}

void TestConversion::everyPageIsConverted()
{
    const QString pdf = m_place->path(QStringLiteral("three.pdf"));
    fixtures::writeTextPdf(pdf,
                           {QStringLiteral("First page text"), QStringLiteral("Second page text"),
                            QStringLiteral("Third page text")});
    const QString out = m_place->path(QStringLiteral("out/three.txt"));
    QCOMPARE(convert(pdf, out), 0);
    const QString text = QString::fromUtf8(bytesOf(out));
    QCOMPARE(text.count(u'\f'), 3);
    for (const char *page : {"First page text", "Second page text", "Third page text"})
        QVERIFY2(text.contains(QLatin1String(page)), qPrintable(text));
    QCOMPARE(NoTextPDF(out, Unexpected), false);
    QVERIFY(ReadFileToStringFSOLine(out, Unexpected).contains(QStringLiteral("First page text")));
}

void TestConversion::imageOnlyPagesGivePageBreaksOnly()
{
    const QString pdf = m_place->path(QStringLiteral("scan.pdf"));
    fixtures::writeImagePdf(pdf, 3);
    const QString out = m_place->path(QStringLiteral("scan.txt"));
    QCOMPARE(convert(pdf, out), 0);
    QCOMPARE(bytesOf(out), QByteArray("\f\f\f"));
    QCOMPARE(NoTextPDF(out, Unexpected), true);
}

void TestConversion::passwords_data()
{
    QTest::addColumn<Protection>("protection");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("converted");

    QTest::newRow("open password, none typed") << Protection::OpenPassword << QString() << false;
    QTest::newRow("open password typed: the second try as user password succeeds")
        << Protection::OpenPassword << UserPassword << true;
    QTest::newRow("open password, owner password typed")
        << Protection::OpenPassword << OwnerPassword << true;
    QTest::newRow("open password, wrong password typed")
        << Protection::OpenPassword << QStringLiteral("guess") << false;
    QTest::newRow("owner password only, none typed") << Protection::OwnerOnly << QString() << true;
    QTest::newRow("owner password only, owner password typed")
        << Protection::OwnerOnly << OwnerPassword << true;
    QTest::newRow("awkward open password reaches the converter intact")
        << Protection::AwkwardOpen << AwkwardPassword << true;
    QTest::newRow("awkward owner password reaches the converter intact")
        << Protection::AwkwardOwnerOnly << AwkwardPassword << true;
    QTest::newRow("awkward open password, a near miss")
        << Protection::AwkwardOpen << QStringLiteral("pa\"ss wörd ñ") << false;
}

void TestConversion::passwords()
{
    QFETCH(Protection, protection);
    QFETCH(QString, password);
    QFETCH(bool, converted);
    const QString pdf = pdfWith(protection);
    const QString out = m_place->path(QStringLiteral("protected.txt"));
    convert(pdf, out, password);
    QCOMPARE(QFile::exists(out), converted);
    if (converted)
        QVERIFY(bytesOf(out).contains("Quarterly figures"));
}

void TestConversion::staleOutputDoesNotHideTheSecondTry()
{
    const QString pdf = pdfWith(Protection::OpenPassword);
    const QString out = m_place->path(QStringLiteral("protected.txt"));
    writeBytes(out, "text of an earlier run");
    convert(pdf, out, UserPassword);
    QVERIFY2(bytesOf(out).contains("Quarterly figures"), bytesOf(out).constData());
}

void TestConversion::failedRunLeavesAnEarlierOutputAsItWas()
{
    const QString pdf = pdfWith(Protection::OpenPassword);
    const QString out = m_place->path(QStringLiteral("protected.txt"));
    writeBytes(out, "text of an earlier run");
    QCOMPARE(convert(pdf, out, QStringLiteral("guess")), 1);
    QCOMPARE(bytesOf(out), QByteArray("text of an earlier run"));
}

void TestConversion::previewStopsAfterPage100()
{
    QStringList pages;
    for (int i = 1; i <= 102; ++i)
        pages.append(QStringLiteral("Page number %1 end").arg(i));
    const QString pdf = m_place->path(QStringLiteral("long.pdf"));
    fixtures::writeTextPdf(pdf, pages);
    const QString out = m_place->path(QStringLiteral("preview.txt"));
    QCOMPARE(convert(pdf, out, QString(), true), 0);
    const QString text = QString::fromUtf8(bytesOf(out));
    QCOMPARE(text.count(u'\f'), 100);
    QVERIFY(text.contains(QStringLiteral("Page number 100 end")));
    QVERIFY(!text.contains(QStringLiteral("Page number 101 end")));

    // With a password as well.
    const QString protectedPdf = m_place->path(QStringLiteral("long-protected.pdf"));
    fixtures::encryptPdf(pdf, protectedPdf, UserPassword, OwnerPassword);
    QFile::remove(out);
    QCOMPARE(convert(protectedPdf, out, UserPassword, true), 0);
    QCOMPARE(QString::fromUtf8(bytesOf(out)).count(u'\f'), 100);
}

void TestConversion::awkwardPaths_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks") << QStringLiteral("a folder with blanks")
                            << QStringLiteral("my file.pdf");
    QTest::newRow("quotes") << QStringLiteral("it's \"quoted\"")
                            << QStringLiteral("say \"hi\".pdf");
    QTest::newRow("letters beyond ASCII")
        << QStringLiteral("Übersicht ünïcödé") << QStringLiteral("日本語 Ελληνικά.pdf");
    QTest::newRow("shell characters")
        << QStringLiteral("$HOME `id` & more") << QStringLiteral("a;b|c>d*.pdf");
    QTest::newRow("hash and percent") << QStringLiteral("100% #1") << QStringLiteral("%p #.pdf");
}

void TestConversion::awkwardPaths()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    const QString pdf = m_place->path(folder + u'/' + name);
    QVERIFY(QFile::copy(pdfWith(Protection::None), pdf));
    const QString out = m_place->path(folder + QStringLiteral(" out/") + name + ".txt");
    QCOMPARE(convert(pdf, out), 0);
    QVERIFY(bytesOf(out).contains("Quarterly figures"));
}

void TestConversion::pathsThatLookLikeOptions_data()
{
    QTest::addColumn<QString>("source"); // a corpus file, or "" for a made one
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("the corpus file -leading-dash.pdf")
        << QStringLiteral("-leading-dash.pdf") << QStringLiteral("-leading-dash.pdf")
        << QByteArray("Hello");
    QTest::newRow("a file named like an option")
        << QString() << QStringLiteral("-raw") << QByteArray("Quarterly figures");
    QTest::newRow("a file named like the end of options")
        << QString() << QStringLiteral("--") << QByteArray("Quarterly figures");
}

void TestConversion::pathsThatLookLikeOptions()
{
    QFETCH(QString, source);
    QFETCH(QString, name);
    QFETCH(QByteArray, expected);
    const QString folder = m_place->path(QStringLiteral("dashes/"));
    const QString from =
        source.isEmpty() ? pdfWith(Protection::None) : fixtures::corpusFile(source);
    QVERIFY(QFile::copy(from, folder + name));
    // Relative paths, as a list row may hold them; the preview's output "-" is not the console.
    QVERIFY(QDir::setCurrent(folder));
    QCOMPARE(convert(name, QStringLiteral("-out.txt")), 0);
    QVERIFY2(bytesOf(folder + QStringLiteral("-out.txt")).contains(expected),
             bytesOf(folder + QStringLiteral("-out.txt")).constData());
    QCOMPARE(convert(name, QStringLiteral("-"), QString(), true), 0);
    QVERIFY(bytesOf(folder + QStringLiteral("-")).contains(expected));
}

void TestConversion::sameTextAsTheConverterRunDirectly_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("password");
    QTest::newRow("text, several pages") << QStringLiteral("pdflatex-4-pages.pdf") << QString();
    QTest::newRow("mixed languages") << QStringLiteral("multilang.pdf") << QString();
    QTest::newRow("Arabic") << QStringLiteral("ArabicCIDTrueType.pdf") << QString();
    QTest::newRow("image only") << QStringLiteral("imagemagick-images.pdf") << QString();
    QTest::newRow("open password")
        << QStringLiteral("r6-user-password.pdf") << QStringLiteral("asdfzxcv");
}

void TestConversion::sameTextAsTheConverterRunDirectly()
{
    QFETCH(QString, file);
    QFETCH(QString, password);
    const QString pdf = fixtures::corpusFile(file);
    if (!QFile::exists(pdf))
        QSKIP("corpus file missing");
    const QString out = m_place->path(QStringLiteral("corpus.txt"));
    convert(pdf, out, password);
    const QByteArray direct = fixtures::convertDirectly(
        pdf, password.isEmpty() ? QStringList() : QStringList{QStringLiteral("-upw"), password});
    QVERIFY(!direct.isNull());
    QCOMPARE(bytesOf(out), direct);
}

void TestConversion::missingConverterFailsAtOnce()
{
    QVERIFY(QFile::remove(converter::ConverterPath()));
    const QString out = m_place->path(QStringLiteral("none.txt"));
    RecordingProgress progress(QStringLiteral("Processing: a.pdf"), 30);
    const int result = RunConverter(pdfWith(Protection::None), out, UserPassword, false, &progress,
                                    progress.text(), 30, 3);
    QCOMPARE(result, StartFailureBase + ErrorFileNotFound);
    QVERIFY(!QFile::exists(out));
    QVERIFY(progress.texts.isEmpty());
    QVERIFY(progress.values.isEmpty());
}

QTEST_MAIN(TestConversion)
#include "tst_conversion.moc"
