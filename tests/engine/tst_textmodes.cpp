// SPDX-License-Identifier: GPL-3.0-or-later
// pdftotext's text modes through both converters, byte for byte against pdftotext itself, and a
// big document converted in page ranges side by side, joined into the whole document's text.
#include "engine/ServiceConverter.h"
#include "EngineTesting.h"
#include "PdfFixtures.h"
#include "PdftotextReference.h"
#include "TestConfig.h"
#include "TestPlace.h"

#include <memory>
#include <QDir>
#include <QGuiApplication>
#include <QHash>
#include <QProcess>
#include <QTextStream>

Q_DECLARE_METATYPE(TextOptions)

namespace {

// `pages` pages of made-up lines that name their page, so a page lost or doubled shows.
QStringList bookPages(int pages)
{
    QStringList book;
    for (int page = 1; page <= pages; ++page) {
        QString text;
        for (int line = 1; line <= 12; ++line)
            text +=
                QStringLiteral("Page %1, line %2: the quick brown fox jumps over the lazy dog.\n")
                    .arg(page)
                    .arg(line);
        book << text.chopped(1);
    }
    return book;
}

// A document of `pages` pages of text whose page `hostile` draws a form ten times, which draws
// the next ten times, nine levels deep: the converter works on it for minutes without new text.
QByteArray bookWithEndlessPage(int pages, int hostile)
{
    constexpr int depth = 9;
    QList<QByteArray> objects;
    QByteArray kids;
    const int firstPage = 4 + depth;
    for (int page = 0; page < pages; ++page)
        kids += QByteArray::number(firstPage + 2 * page) + " 0 R ";
    objects << "<< /Type /Catalog /Pages 2 0 R >>"
            << "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>"
            << "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
    for (int level = 0; level < depth; ++level) {
        QByteArray body = "0 0 1 1 re f";
        QByteArray resources = "<< >>";
        if (level + 1 < depth) {
            const QByteArray next = QByteArray::number(level + 1);
            body = ("/F" + next + " Do 1 0 0 1 0.37 0.23 cm\n").repeated(10);
            resources =
                "<< /XObject << /F" + next + ' ' + QByteArray::number(4 + level + 1) + " 0 R >> >>";
        }
        objects << "<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] /Resources " + resources +
                       " /Length " + QByteArray::number(body.size()) + " >>\nstream\n" + body +
                       "\nendstream";
    }
    for (int page = 1; page <= pages; ++page) {
        const QByteArray content = page == hostile
                                       ? QByteArray("/F0 Do\n")
                                       : "BT /H 12 Tf 72 720 Td (Page " + QByteArray::number(page) +
                                             " of the book.) Tj ET\n";
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << "
                   "/H 3 0 R >> /XObject << /F0 4 0 R >> >> /Contents " +
                       QByteArray::number(firstPage + 2 * (page - 1) + 1) + " 0 R >>"
                << "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
                       "\nendstream";
    }
    return fixtures::pdfOfObjects(objects);
}

// The options and the pdftotext arguments of a text mode.
struct Mode
{
    const char *name;
    QStringList arguments;
    TextOptions options;
};

QList<Mode> textModes()
{
    const auto with = [](auto change) {
        TextOptions options;
        change(options);
        return options;
    };
    using M = TextOptions::Mode;
    using E = TextOptions::EndOfLine;
    return {
        {"layout", {QStringLiteral("-layout")}, with([](TextOptions &o) { o.mode = M::Layout; })},
        {"raw", {QStringLiteral("-raw")}, with([](TextOptions &o) { o.mode = M::Raw; })},
        {"pages 2-3, no page breaks, dos",
         QStringLiteral("-f 2 -l 3 -eol dos -nopgbrk").split(u' '), with([](TextOptions &o) {
             o.firstPage = 2;
             o.lastPage = 3;
             o.endOfLine = E::Dos;
             o.pageBreaks = false;
         })},
        {"layout, mac, from page 2", QStringLiteral("-layout -f 2 -eol mac").split(u' '),
         with([](TextOptions &o) {
             o.mode = M::Layout;
             o.firstPage = 2;
             o.endOfLine = E::Mac;
         })},
        {"Latin1", QStringLiteral("-enc Latin1").split(u' '),
         with([](TextOptions &o) { o.encoding = QStringLiteral("Latin1"); })},
        {"ASCII7, raw", QStringLiteral("-raw -enc ASCII7").split(u' '), with([](TextOptions &o) {
             o.mode = M::Raw;
             o.encoding = QStringLiteral("ASCII7");
         })},
        {"UTF-16, up to page 5", QStringLiteral("-l 5 -enc UTF-16").split(u' '),
         with([](TextOptions &o) {
             o.lastPage = 5;
             o.encoding = QStringLiteral("UTF-16");
         })},
        {"Shift-JIS", QStringLiteral("-enc Shift-JIS").split(u' '),
         with([](TextOptions &o) { o.encoding = QStringLiteral("Shift-JIS"); })},
    };
}

} // namespace

class TestTextModes : public QObject
{
    Q_OBJECT

private slots:
    void encodingsArePdftotexts();
    void sameTextAsPdftotext_data();
    void sameTextAsPdftotext();
    void splitIsTheWholeText_data();
    void splitIsTheWholeText();
    void failingRangeFailsTheFile();
    void stopDuringRanges();
    void unknownEncodingIsNamed_data();
    void unknownEncodingIsNamed();

private:
    QHash<QString, Reference> m_references; // by mode and file, for both converters' rows
};

// The names the command line accepts are those pdftotext lists.
void TestTextModes::encodingsArePdftotexts()
{
    QProcess converter;
    converter.start(Real, {QStringLiteral("-listenc")});
    QVERIFY(converter.waitForFinished(30000));
    QStringList listed =
        QString::fromLatin1(converter.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(!listed.isEmpty());
    listed.removeFirst(); // "Available encodings are:"
    QCOMPARE(textoptions::encodingNames(), listed);
}

void TestTextModes::sameTextAsPdftotext_data()
{
    QTest::addColumn<QString>("converter");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<TextOptions>("options");
    for (const Mode &mode : textModes())
        for (const char *converter : {"service", "pdftotext"})
            QTest::addRow("%s | %s", converter, mode.name)
                << QString::fromLatin1(converter) << mode.arguments << mode.options;
}

// Every file of the corpus in the mode, in one run of the engine with two converters (so the
// service splits the long books), against pdftotext with the same options: the same bytes, and a
// failure exactly where pdftotext fails.
void TestTextModes::sameTextAsPdftotext()
{
    QFETCH(QString, converter);
    QFETCH(QStringList, arguments);
    QFETCH(TextOptions, options);
    const QList<CorpusFile> files = corpusFiles();
    if (files.isEmpty())
        QSKIP("the corpus is not beside the project");

    TestPlace place;
    const FinishedRun done =
        convertFiles(converter, files, options, place.path(QStringLiteral("out")));
    QCOMPARE(done.outcomes.size(), files.size());

    for (const FileOutcome &file : done.outcomes) {
        const QString key = arguments.join(u' ') + u'|' + file.pdf;
        if (!m_references.contains(key))
            m_references.insert(key, pdftotextOf(file.pdf, arguments, passwordOf(files, file.pdf)));
        const Reference &reference = m_references.value(key);
        const QByteArray evidence = evidenceOf(file, reference);
        QVERIFY2(leftText(file.outcome) == (reference.exitCode == 0), evidence.constData());
        if (reference.exitCode == 0)
            QVERIFY2(contentOf(file.output) == reference.text, evidence.constData());
        else
            QVERIFY2(!QFile::exists(file.output), evidence.constData());
        if (reference.errors.contains("Wrong page range given") &&
            !reference.errors.contains("last page (0)"))
            QVERIFY2(file.outcome == Outcome::PageRange, evidence.constData());
    }
}

void TestTextModes::splitIsTheWholeText_data()
{
    QTest::addColumn<int>("converters");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<TextOptions>("options");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("services"); // one per range at once

    const auto with = [](auto change) {
        TextOptions options;
        change(options);
        return options;
    };
    QTest::newRow("two converters, three ranges")
        << 2 << QStringList() << TextOptions() << false << 150 << 2;
    QTest::newRow("three converters, three ranges")
        << 3 << QStringList() << TextOptions() << false << 150 << 3;
    QTest::newRow("pages 7-131") << 2 << QStringLiteral("-f 7 -l 131").split(u' ')
                                 << with([](TextOptions &o) {
                                        o.firstPage = 7;
                                        o.lastPage = 131;
                                    })
                                 << false << 125 << 2;
    QTest::newRow("from page 10, layout: two ranges for three converters")
        << 3 << QStringLiteral("-layout -f 10").split(u' ') << with([](TextOptions &o) {
               o.mode = TextOptions::Mode::Layout;
               o.firstPage = 10;
           })
        << false << 141 << 2;
    QTest::newRow("pages 3 to past the end, raw, UTF-16")
        << 2 << QStringLiteral("-raw -f 3 -l 900 -enc UTF-16").split(u' ')
        << with([](TextOptions &o) {
               o.mode = TextOptions::Mode::Raw;
               o.firstPage = 3;
               o.lastPage = 900;
               o.encoding = QStringLiteral("UTF-16");
           })
        << false << 148 << 2;
    QTest::newRow("up to page 100, no page breaks, dos")
        << 2 << QStringLiteral("-l 100 -nopgbrk -eol dos").split(u' ') << with([](TextOptions &o) {
               o.lastPage = 100;
               o.pageBreaks = false;
               o.endOfLine = TextOptions::EndOfLine::Dos;
           })
        << false << -1 << 2;
    QTest::newRow("pages 51-146: too few pages to split")
        << 2 << QStringLiteral("-f 51 -l 146").split(u' ') << with([](TextOptions &o) {
               o.firstPage = 51;
               o.lastPage = 146;
           })
        << false << 96 << 1;
    QTest::newRow("locked with a password")
        << 2 << QStringList() << TextOptions() << true << 150 << 2;
}

// A 150-page book converted in ranges side by side (a service per converter) gives pdftotext's text
// of the whole range, page breaks and all, and the password is asked once.
void TestTextModes::splitIsTheWholeText()
{
    QFETCH(int, converters);
    QFETCH(QStringList, arguments);
    QFETCH(TextOptions, options);
    QFETCH(bool, locked);
    QFETCH(int, pages);
    QFETCH(int, services);

    TestPlace place;
    QString book = place.path(QStringLiteral("in/book.pdf"));
    fixtures::writeTextPdf(book, bookPages(150));
    const QString password = QStringLiteral("side by side");
    if (locked) {
        const QString open = book;
        book = place.path(QStringLiteral("in/locked book.pdf"));
        fixtures::encryptPdf(open, book, password, QStringLiteral("owner only"));
    }
    const QString out = place.path(QStringLiteral("out"));
    QDir().mkpath(out);

    ServiceConverter converter(QStringLiteral(MORWENDA_BINARY),
                               std::make_unique<PdftotextConverter>(Real));
    ConversionRun run(converter);
    int asked = 0;
    run.setPasswordProvider([&](const QString &) {
        ++asked;
        return locked ? password : QString();
    });
    ConversionLimits limits = limitsOf(converters, 1024, 60);
    limits.text = options;
    const FinishedRun done = runToEnd(run, {book}, intoFolder(out, true), limits);

    const Reference reference = pdftotextOf(book, arguments, locked ? password : QString());
    QCOMPARE(reference.exitCode, 0);
    QCOMPARE(done.outcomes.size(), 1);
    const FileOutcome &file = done.outcomes.first();
    QVERIFY2(file.outcome == Outcome::Converted, qPrintable(file.reason));
    QVERIFY(contentOf(file.output) == reference.text);
    QCOMPARE(file.pages, pages);
    QCOMPARE(asked, 1);
    QCOMPARE(done.converting, QStringList{book});
    // One service per range, and nothing left in the output folder but the text.
    QCOMPARE(converter.serviceProcessIds().size(), services);
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("book.txt")}.replaceInStrings(
                 QStringLiteral("book"), QFileInfo(book).completeBaseName()));
}

// A range that goes the time limit without new text fails the whole file with its reason, while
// the other range converted well: no text is put in place, the old one stays, and the file after
// it still converts.
void TestTextModes::failingRangeFailsTheFile()
{
    TestPlace place;
    const QString book = place.path(QStringLiteral("in/book.pdf"));
    QVERIFY(writeFile(book, bookWithEndlessPage(120, 100)));
    const QString next = place.path(QStringLiteral("in/next.pdf"));
    fixtures::writeTextPdf(next, {QStringLiteral("The file after the book.")});
    const QString out = place.path(QStringLiteral("out"));
    QDir().mkpath(out);
    const QByteArray old = "The text of an earlier run.\n";
    QVERIFY(writeFile(out + QStringLiteral("/book.txt"), old));

    ServiceConverter converter(QStringLiteral(MORWENDA_BINARY),
                               std::make_unique<PdftotextConverter>(Real));
    ConversionRun run(converter);
    const FinishedRun done = runToEnd(run, {book, next}, intoFolder(out), limitsOf(2, 1024, 2));

    QCOMPARE(done.outcomes.size(), 2);
    QCOMPARE(done.outcomes.at(0).outcome, Outcome::TimeLimit);
    QCOMPARE(done.outcomes.at(0).reason, reasons::timeLimit(2));
    QCOMPARE(contentOf(out + QStringLiteral("/book.txt")), old);
    QCOMPARE(done.outcomes.at(1).outcome, Outcome::Converted);
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{QStringLiteral("book.txt"), QStringLiteral("next.txt")}));
}

// The children the converter service `pid` has forked, from /proc.
static int childCount(qint64 pid)
{
    int count = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks.filePath(task + QStringLiteral("/children")));
        if (children.open(QIODevice::ReadOnly))
            count +=
                int(QString::fromLatin1(children.readAll()).split(u' ', Qt::SkipEmptyParts).size());
    }
    return count;
}

// Stop while the ranges of a long document convert: the file is named as stopped, no text is put
// in place, every range's converter child is gone, and nothing of the run is left.
void TestTextModes::stopDuringRanges()
{
    TestPlace place;
    const QString book = place.path(QStringLiteral("in/book.pdf"));
    QVERIFY(writeFile(book, bookWithEndlessPage(120, 100)));
    const QString out = place.path(QStringLiteral("out"));
    QDir().mkpath(out);

    ServiceConverter converter(QStringLiteral(MORWENDA_BINARY),
                               std::make_unique<PdftotextConverter>(Real));
    ConversionRun run(converter);
    const FinishedRun done =
        runToEnd(run, {book}, intoFolder(out), limitsOf(2, 1024, 0), [&](ConversionRun &running) {
            // The second range runs on a second service.
            QTRY_COMPARE_WITH_TIMEOUT(converter.serviceProcessIds().size(), 2, 30000);
            running.stop();
        });
    QCOMPARE(done.outcomes.size(), 1);
    QCOMPARE(done.outcomes.first().outcome, Outcome::Stopped);
    QCOMPARE(done.outcomes.first().reason, reasons::Stopped);
    QVERIFY(QDir(out).isEmpty());
    for (const qint64 service : converter.serviceProcessIds())
        QTRY_COMPARE(childCount(service), 0);
}

void TestTextModes::unknownEncodingIsNamed_data()
{
    QTest::addColumn<QString>("converter");
    QTest::newRow("service") << QStringLiteral("service");
    QTest::newRow("pdftotext") << QStringLiteral("pdftotext");
}

// A text encoding that poppler does not have (a hand-written setting) fails each file with that
// reason, never with another encoding's text or a word of damage.
void TestTextModes::unknownEncodingIsNamed()
{
    QFETCH(QString, converter);
    TestPlace place;
    const QString pdf = place.path(QStringLiteral("in/text.pdf"));
    fixtures::writeTextPdf(pdf, {QStringLiteral("Some text of the page.")});
    const QString out = place.path(QStringLiteral("out"));
    QDir().mkpath(out);
    std::unique_ptr<ConverterKind> kind = converterNamed(converter);
    ConversionRun run(*kind);
    ConversionLimits limits = limitsOf(1, 1024, 60);
    limits.text.encoding = QStringLiteral("Latin9");
    const FinishedRun done = runToEnd(run, {pdf}, intoFolder(out), limits);
    QCOMPARE(done.outcomes.first().outcome, Outcome::CannotStart);
    QCOMPARE(done.outcomes.first().reason, reasons::noTextEncoding(QStringLiteral("Latin9")));
    QVERIFY(QDir(out).isEmpty());
}

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv); // the PDF writer of the fixtures
    TestTextModes test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_textmodes.moc"
