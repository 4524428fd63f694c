// SPDX-License-Identifier: GPL-3.0-or-later
// Times reading scanned pages by OCR through the engine (the converter service's children read
// each scan's picture with tesseract's library) against, in the same run, a sequential loop of
// the `tesseract` command over the same pages drawn beforehand with `pdftoppm -r 300 -gray`, and
// `ocrmypdf --skip-text --sidecar -j <workers>` where it is installed. Prints the times, their
// ratios, pages per second and each way's character error rate against the text the pages were
// made from (whitespace folded).
//
// Then the damaged scans: the same prose scanned clean, upside down, skewed 2 degrees, speckled
// and at 200 dpi, each kind read by the engine, the tesseract loop and `ocrmypdf --rotate-pages
// --deskew` where installed; and each step the reader takes before tesseract reads (the picture
// as stored, despeckling, turning, straightening) weighed by reading every kind without it.
//
//   bench_ocr [pages] [workers] [damaged pages]     (default 8, the number of cores, 3)

#include "engine/ConversionRun.h"
#include "engine/OcrChoice.h"
#include "engine/PdftotextConverter.h"
#include "engine/ServiceConverter.h"
#ifdef MORWENDA_OCR
#include "service/ChildConversion.h"
#include "service/PageOcr.h"

#include <goo/GooString.h>
#include <PDFDoc.h>
#endif
#include "PdfFixtures.h"
#include "TestConfig.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <vector>

namespace {

const QStringList Words = {"account", "balance",   "committee", "delivery", "evening", "figures",
                           "garden",  "harbour",   "invoice",   "journey",  "kitchen", "library",
                           "meeting", "notice",    "orchard",   "payment",  "quarter", "railway",
                           "station", "treasurer", "village",   "weather",  "yearly",  "members",
                           "the",     "and",       "of",        "to",       "was",     "for",
                           "on",      "with",      "that",      "by",       "from",    "in"};

QStringList pageTexts(int pages)
{
    QRandomGenerator random(1234);
    QStringList texts;
    for (int page = 0; page < pages; ++page) {
        QStringList lines;
        for (int line = 0; line < 45; ++line) {
            QStringList words;
            for (int word = 0; word < 11; ++word)
                words << Words.at(int(random.bounded(Words.size())));
            words.first()[0] = words.first()[0].toUpper();
            lines << words.join(u' ') + (line % 3 == 2 ? u'.' : u',');
        }
        texts << lines.join(u'\n');
    }
    return texts;
}

double errorRate(const QString &reference, const QString &read)
{
    const QList<uint> a = reference.simplified().toUcs4();
    const QList<uint> b = read.simplified().toUcs4();
    std::vector<qsizetype> previous(b.size() + 1), current(b.size() + 1);
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

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

double secondsOf(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e9;
}

bool runShell(const QString &script, const QString &folder)
{
    QProcess shell;
    shell.setWorkingDirectory(folder);
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    shell.waitForFinished(-1);
    if (shell.exitCode() != 0)
        std::fprintf(stderr, "warning: %s ended with %d: %s\n", qPrintable(script),
                     shell.exitCode(), shell.readAllStandardError().constData());
    return shell.exitCode() == 0;
}

// Converts `pdfs` into `out` through the engine with `workers` converters, OCR for pages without
// text; true when every file converted.
bool engineRun(ConverterKind &converter, const QStringList &pdfs, const QString &out, int workers)
{
    ConversionLimits limits;
    limits.converters = workers;
    limits.idleSeconds = 0;
    limits.ocr.mode = OcrChoice::Mode::Auto;
    ConversionRun run(converter);
    QEventLoop loop;
    QObject::connect(&run, &ConversionRun::finished, &loop, &QEventLoop::quit);
    run.start(pdfs, {OutputChoice::Mode::Folder, out, false}, limits);
    loop.exec();
    bool all = true;
    for (const FileOutcome &file : run.outcomes()) {
        if (file.outcome != Outcome::Converted) {
            std::printf("  %s: %s\n", qPrintable(file.pdf), qPrintable(file.reason));
            all = false;
        }
    }
    return all;
}

struct Damage
{
    const char *name;
    fixtures::Scan scan;
};

QList<Damage> damages()
{
    const auto scan = [](int dpi, double turn, double speckles) {
        fixtures::Scan made;
        made.dpi = dpi;
        made.turnDegrees = turn;
        made.speckles = speckles;
        return made;
    };
    return {{"clean", scan(300, 0, 0)},
            {"upside down", scan(300, 180, 0)},
            {"skewed 2 degrees", scan(300, 2, 0)},
            {"speckled 3 %", scan(300, 0, 0.03)},
            {"200 dpi", scan(200, 0, 0)}};
}

double pagesErrors(const QStringList &texts, const QStringList &read)
{
    double errors = 0;
    for (int page = 0; page < texts.size(); ++page)
        errors += errorRate(texts.at(page), read.value(page));
    return errors;
}

#ifdef MORWENDA_OCR
// Reads every page of every kind in this process with the reader's steps as given: seconds and
// the error summed over the pages.
void weighStep(const char *name, PageOcr::Steps steps, const QStringList &pdfs,
               const QStringList &texts)
{
    PageOcr ocr("eng", steps);
    std::printf("  %-24s", name);
    for (const QString &pdf : pdfs) {
        PDFDoc doc(std::make_unique<GooString>(pdf.toStdString()));
        double errors = 0;
        const double seconds = secondsOf([&] {
            for (int page = 1; page <= doc.getNumPages(); ++page)
                errors += errorRate(texts.at(page - 1),
                                    QString::fromStdString(ocr.read(&doc, page).text));
        });
        std::printf(" %6.2f s %6.2f%%", seconds / doc.getNumPages(),
                    100.0 * errors / doc.getNumPages());
    }
    std::printf("\n");
    std::fflush(stdout);
}
#endif

// The damaged scans, each kind one PDF of the same pages, read every way.
void benchDamage(const QDir &root, ConverterKind &converter, const QStringList &texts, int workers)
{
    const bool withOcrmypdf = !QStandardPaths::findExecutable(QStringLiteral("ocrmypdf")).isEmpty();
    std::printf("\ndamaged scans: %lld pages of 45 lines per kind, %d workers\n",
                static_cast<long long>(texts.size()), workers);
    std::printf("%-18s %24s %24s %24s\n", "kind", "engine s / CER", "tesseract loop s / CER",
                withOcrmypdf ? "ocrmypdf s / CER" : "(no ocrmypdf)");
    double engineTotal = 0, loopTotal = 0, ocrmypdfTotal = 0;
    QStringList pdfs;
    for (const Damage &damage : damages()) {
        const QString name = QString::fromLatin1(damage.name).replace(u' ', u'-');
        const QString folder = root.filePath(QStringLiteral("damaged/") + name);
        QDir().mkpath(folder + QStringLiteral("/pgm"));
        QDir().mkpath(folder + QStringLiteral("/engine"));
        const QString pdf = folder + QStringLiteral("/scan.pdf");
        fixtures::writeScanPdf(pdf, texts, damage.scan);
        pdfs << pdf;

        const double engine = secondsOf(
            [&] { engineRun(converter, {pdf}, folder + QStringLiteral("/engine"), workers); });
        const double engineErrors =
            pagesErrors(texts, readText(folder + QStringLiteral("/engine/scan.txt")).split(u'\f'));

        runShell(QStringLiteral("pdftoppm -r 300 -gray scan.pdf pgm/page"), folder);
        const double loop = secondsOf([&] {
            runShell(QStringLiteral("for f in pgm/*.pgm; do tesseract \"$f\" \"${f%.pgm}\" "
                                    "2>/dev/null || exit 1; done"),
                     folder);
        });
        QStringList loopRead;
        for (const QString &picture :
             QDir(folder + QStringLiteral("/pgm"))
                 .entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
            loopRead << readText(folder + QStringLiteral("/pgm/") + picture);
        const double loopErrors = pagesErrors(texts, loopRead);

        double ocrmypdf = 0, ocrmypdfErrors = 0;
        if (withOcrmypdf) {
            ocrmypdf = secondsOf([&] {
                runShell(QStringLiteral("ocrmypdf -q --rotate-pages --deskew -j %1 --sidecar "
                                        "sidecar.txt scan.pdf ocrmypdf.pdf")
                             .arg(workers),
                         folder);
            });
            ocrmypdfErrors =
                pagesErrors(texts, readText(folder + QStringLiteral("/sidecar.txt")).split(u'\f'));
        }
        const double pages = texts.size();
        std::printf("%-18s %14.2f %8.2f%% %14.2f %8.2f%% %14.2f %8.2f%%\n", damage.name, engine,
                    100 * engineErrors / pages, loop, 100 * loopErrors / pages, ocrmypdf,
                    100 * ocrmypdfErrors / pages);
        std::fflush(stdout);
        engineTotal += engine;
        loopTotal += loop;
        ocrmypdfTotal += ocrmypdf;
    }
    const QString setOut = root.filePath(QStringLiteral("damaged/set"));
    QDir().mkpath(setOut);
    const double engineSet = secondsOf([&] { engineRun(converter, pdfs, setOut, workers); });
    std::printf("the set, one file after another: engine %.2f s, tesseract loop %.2f s",
                engineTotal, loopTotal);
    if (withOcrmypdf)
        std::printf(", ocrmypdf %.2f s", ocrmypdfTotal);
    std::printf("\nthe set in one engine run (files side by side): %.2f s; / tesseract loop "
                "%.3fx",
                engineSet, engineSet / loopTotal);
    if (withOcrmypdf)
        std::printf("; / ocrmypdf %.3fx (one file after another: %.3fx)", engineSet / ocrmypdfTotal,
                    engineTotal / ocrmypdfTotal);
    std::printf("\n");

#ifdef MORWENDA_OCR
    // In this process, one page after another: seconds a page and CER for each kind.
    childconversion::loadLibrary();
    std::printf("\neach step weighed: seconds a page / CER per kind (");
    const QList<Damage> kinds = damages();
    for (qsizetype i = 0; i < kinds.size(); ++i)
        std::printf("%s%s", kinds.at(i).name, i + 1 == kinds.size() ? ")\n" : ", ");
    weighStep("all steps", {}, pdfs, texts);
    weighStep("page drawn, not stored", {false, true, true, true}, pdfs, texts);
    weighStep("without despeckling", {true, false, true, true}, pdfs, texts);
    weighStep("without turning", {true, true, false, true}, pdfs, texts);
    weighStep("without straightening", {true, true, true, false}, pdfs, texts);
    weighStep("no step", {false, false, false, false}, pdfs, texts);
#endif
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int pages = arguments.size() > 1 ? arguments.at(1).toInt() : 8;
    const int workers =
        arguments.size() > 2 ? arguments.at(2).toInt() : std::max(1, QThread::idealThreadCount());
    if (OcrChoice::installedLanguages().isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("tesseract")).isEmpty()) {
        std::fprintf(stderr, "bench_ocr needs tesseract (packages tesseract-ocr, "
                             "tesseract-ocr-eng)\n");
        return 1;
    }
    QTemporaryDir place;
    const QDir root(place.path());
    for (const char *folder : {"scans", "book", "pgm", "engine", "engine-book", "ocrmypdf"})
        root.mkpath(QString::fromLatin1(folder));

    const QStringList texts = pageTexts(pages);
    QStringList scans;
    QList<int> all;
    for (int page = 0; page < pages; ++page) {
        scans << root.filePath(
            QStringLiteral("scans/page %1.pdf").arg(page + 1, 3, 10, QChar(u'0')));
        fixtures::writeScannedPdf(scans.last(), {texts.at(page)}, {0});
        all << page;
    }
    const QString book = root.filePath(QStringLiteral("book/book.pdf"));
    fixtures::writeScannedPdf(book, texts, all);
    // The loop's pages are drawn beforehand, outside its time.
    runShell(QStringLiteral("pdftoppm -r 300 -gray book/book.pdf pgm/page"), root.path());
    const QStringList pictures = QDir(root.filePath(QStringLiteral("pgm")))
                                     .entryList({QStringLiteral("*.pgm")}, QDir::Files, QDir::Name);

    std::printf("%d scanned A4 pages of 45 lines, %d workers, 300 dpi, tesseract language eng\n",
                pages, workers);
    std::printf("%-44s %9s %9s %8s %8s\n", "way", "seconds", "pages/s", "CER", "ratio");

    // tesseract as installed (its own threads, one per core), and with one thread as the
    // engine's conversions run it; the faster of the two is the baseline.
    const auto tesseractLoop = [&](const QString &environment) {
        return secondsOf([&] {
            runShell(QStringLiteral("for f in pgm/*.pgm; do %1 tesseract \"$f\" \"${f%.pgm}\" "
                                    "2>/dev/null || exit 1; done")
                         .arg(environment),
                     root.path());
        });
    };
    const auto loopErrors = [&] {
        double errors = 0;
        for (int page = 0; page < pictures.size() && page < pages; ++page)
            errors += errorRate(texts.at(page),
                                readText(root.filePath(
                                    QStringLiteral("pgm/") +
                                    QString(pictures.at(page))
                                        .replace(QStringLiteral(".pgm"), QStringLiteral(".txt")))));
        return errors;
    };
    const auto line = [&](const char *way, double seconds, double errors, double baseline) {
        std::printf("%-44s %9.2f %9.3f %7.2f%% %7.3fx\n", way, seconds, pages / seconds,
                    100.0 * errors / pages, baseline > 0 ? seconds / baseline : 0.0);
        std::fflush(stdout);
    };
    const double ownThreads = tesseractLoop(QString());
    const double ownThreadsErrors = loopErrors();
    const double oneThread = tesseractLoop(QStringLiteral("OMP_THREAD_LIMIT=1"));
    const double oneThreadErrors = loopErrors();
    const double loop = std::min(ownThreads, oneThread);
    line("tesseract loop, its own threads", ownThreads, ownThreadsErrors, loop);
    line("tesseract loop, OMP_THREAD_LIMIT=1", oneThread, oneThreadErrors, loop);

    ServiceConverter converter(
        QStringLiteral(MORWENDA_BINARY),
        std::make_unique<PdftotextConverter>(QStringLiteral(MORWENDA_PDFTOTEXT)));
    const QString engineOut = root.filePath(QStringLiteral("engine"));
    const double engine = secondsOf([&] { engineRun(converter, scans, engineOut, workers); });
    double engineErrors = 0;
    for (int page = 0; page < pages; ++page)
        engineErrors +=
            errorRate(texts.at(page),
                      readText(engineOut + u'/' + QFileInfo(scans.at(page)).completeBaseName() +
                               QStringLiteral(".txt")));
    line("engine, one-page scans (drawing included)", engine, engineErrors, loop);

    const QString bookOut = root.filePath(QStringLiteral("engine-book"));
    const double engineBook = secondsOf([&] { engineRun(converter, {book}, bookOut, workers); });
    const QStringList bookPages = readText(bookOut + QStringLiteral("/book.txt")).split(u'\f');
    double bookErrors = 0;
    for (int page = 0; page < pages; ++page)
        bookErrors += errorRate(texts.at(page), bookPages.value(page));
    line("engine, one scan of all pages", engineBook, bookErrors, loop);

    if (!QStandardPaths::findExecutable(QStringLiteral("ocrmypdf")).isEmpty()) {
        const double ocrmypdf = secondsOf([&] {
            runShell(QStringLiteral("ocrmypdf -q --skip-text --sidecar ocrmypdf/book.txt -j %1 "
                                    "book/book.pdf ocrmypdf/book.pdf")
                         .arg(workers),
                     root.path());
        });
        const QStringList sidecar =
            readText(root.filePath(QStringLiteral("ocrmypdf/book.txt"))).split(u'\f');
        double errors = 0;
        for (int page = 0; page < pages; ++page)
            errors += errorRate(texts.at(page), sidecar.value(page));
        line("ocrmypdf --skip-text --sidecar", ocrmypdf, errors, loop);
        std::printf("engine (one-page scans) / ocrmypdf: %.3fx; engine (one scan) / ocrmypdf: "
                    "%.3fx\n",
                    engine / ocrmypdf, engineBook / ocrmypdf);
    } else {
        std::printf("ocrmypdf is not installed: no comparison with it\n");
    }
    const int damagedPages = arguments.size() > 3 ? arguments.at(3).toInt() : 3;
    if (damagedPages > 0)
        benchDamage(root, converter, texts.mid(0, damagedPages), workers);
    return 0;
}
