// SPDX-License-Identifier: GPL-3.0-or-later
// Times reading scanned pages by OCR through the engine (the converter service's children draw
// each page with poppler and read it with tesseract's library) against, in the same run, a
// sequential loop of the `tesseract` command over the same pages drawn beforehand with
// `pdftoppm -r 300 -gray`, and `ocrmypdf --skip-text --sidecar -j <workers>` where it is
// installed. Prints the times, their ratios, pages per second and each way's character error
// rate against the text the pages were made from (whitespace folded).
//
//   bench_ocr [pages] [workers]     (default 8 and the number of cores)

#include "engine/ConversionRun.h"
#include "engine/OcrChoice.h"
#include "engine/PdftotextConverter.h"
#include "engine/ServiceConverter.h"
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
    return 0;
}
