// SPDX-License-Identifier: GPL-3.0-or-later
// morwenda-batch against `xargs -P <cores> pdftotext` over the same PDFs in the same run; see
// README.md.
#include "BenchDocuments.h"
#include "PdfFixtures.h"
#include "TestConfig.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <sys/resource.h>
#include <vector>

namespace {

using benchdocs::differences;
using benchdocs::makePdfs;
using benchdocs::median;
using benchdocs::textName;

struct Measure
{
    double ms = 0;
    double cpuMs = 0; // processor time of the command and everything it started
};

// Runs one command to its end with wait4, for its own and its children's processor time.
Measure timed(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    rusage before = {};
    ::getrusage(RUSAGE_CHILDREN, &before);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    Measure m;
    m.ms = double(clock.nsecsElapsed()) / 1e6;
    rusage after = {};
    ::getrusage(RUSAGE_CHILDREN, &after);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    m.cpuMs = ms(after.ru_utime) - ms(before.ru_utime) + ms(after.ru_stime) - ms(before.ru_stime);
    if (process.exitStatus() != QProcess::NormalExit ||
        (process.exitCode() != 0 && program != QStringLiteral("xargs")))
        std::printf("warning: %s ended with %d\n", qPrintable(program), process.exitCode());
    return m;
}

Measure runBatch(const QString &folder, const QString &out, int cores)
{
    QDir().mkpath(out);
    return timed(QStringLiteral(MORWENDA_BATCH),
                 {QStringLiteral("--quiet"), QStringLiteral("--jobs"), QString::number(cores),
                  QStringLiteral("--out"), out, folder});
}

// One morwenda-batch run on one PDF with `jobs` converters.
Measure runBatchOn(const QString &pdf, const QString &out, int jobs)
{
    QDir().mkpath(out);
    return timed(QStringLiteral(MORWENDA_BATCH),
                 {QStringLiteral("--quiet"), QStringLiteral("--jobs"), QString::number(jobs),
                  QStringLiteral("--out"), out, pdf});
}

Measure runPdftotext(const QString &pdf, const QString &out)
{
    QDir().mkpath(out);
    return timed(QStringLiteral(MORWENDA_PDFTOTEXT), {pdf, out + u'/' + textName(pdf)});
}

// One PDF of each page count: morwenda-batch with a converter per core (a long document is
// converted in page ranges side by side), with one converter, and one pdftotext run.
void compareOneDocument(const QString &work, const QList<int> &pageCounts, int passes, int cores)
{
    std::printf("\n%-10s %10s %10s %12s %9s %9s %10s %10s %6s\n", "one PDF", "batch ms",
                "1 conv ms", "pdftotext ms", "batch/pt", "1conv/pt", "batch cpu", "1conv cpu",
                "diffs");
    for (const int pages : pageCounts) {
        const QString folder = work + QStringLiteral("/one-%1").arg(pages);
        const QString pdf = makePdfs(folder, 1, pages).constFirst();
        std::vector<double> batch, single, pdftotext, batchCpu, singleCpu;
        int diffs = 0;
        for (int p = 0; p < passes; ++p) {
            const QString b = work + QStringLiteral("/one-batch-%1").arg(p);
            const QString s = work + QStringLiteral("/one-single-%1").arg(p);
            const QString x = work + QStringLiteral("/one-pdftotext-%1").arg(p);
            // Interleaved, the order turned every pass.
            const auto runs = std::vector<std::function<void()>>{
                [&] {
                    const Measure m = runBatchOn(pdf, b, cores);
                    batch.push_back(m.ms);
                    batchCpu.push_back(m.cpuMs);
                },
                [&] {
                    const Measure m = runBatchOn(pdf, s, 1);
                    single.push_back(m.ms);
                    singleCpu.push_back(m.cpuMs);
                },
                [&] { pdftotext.push_back(runPdftotext(pdf, x).ms); }};
            for (size_t r = 0; r < runs.size(); ++r)
                runs[(r + size_t(p)) % runs.size()]();
            diffs += differences({pdf}, b, x) + differences({pdf}, s, x);
            for (const QString &out : {b, s, x})
                QDir(out).removeRecursively();
        }
        std::printf("%4d pages %10.1f %10.1f %12.1f %8.3fx %8.3fx %10.1f %10.1f %6d\n", pages,
                    median(batch), median(single), median(pdftotext),
                    median(batch) / median(pdftotext), median(single) / median(pdftotext),
                    median(batchCpu), median(singleCpu), diffs);
        std::fflush(stdout);
        QDir(folder).removeRecursively();
    }
    std::printf("\nbatch: --jobs %d; 1 conv: --jobs 1; pt: one pdftotext run; cpu: processor ms "
                "of the program and its converters. Target for the longest: batch / pdftotext at "
                "most 0.6.\n",
                cores);
}

Measure runXargs(const QStringList &pdfs, const QString &out, int cores)
{
    QDir().mkpath(out);
    QByteArray list;
    for (const QString &pdf : pdfs)
        list +=
            QFile::encodeName(pdf) + '\0' + QFile::encodeName(out + u'/' + textName(pdf)) + '\0';
    return timed(QStringLiteral("xargs"),
                 {QStringLiteral("-0"), QStringLiteral("-n"), QStringLiteral("2"),
                  QStringLiteral("-P"), QString::number(cores), QStringLiteral(MORWENDA_PDFTOTEXT)},
                 list);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the PDF writer needs fonts
    const QStringList args = QCoreApplication::arguments();
    const int count = args.size() > 1 ? args.at(1).toInt() : 200;
    const int passes = std::max(1, args.size() > 2 ? args.at(2).toInt() : 3);
    const int longCount = args.size() > 3 ? args.at(3).toInt() : 10;
    const int longPages = args.size() > 4 ? args.at(4).toInt() : 200;
    const int bookPages = args.size() > 5 ? args.at(5).toInt() : 1000;
    const int cores = std::max(1, QThread::idealThreadCount());

    QTemporaryDir work;
    qputenv("TEMP", QFile::encodeName(work.filePath(QStringLiteral("tmp"))));
    QDir().mkpath(work.filePath(QStringLiteral("tmp")));
    std::printf("making %d one-page PDFs and %d of %d pages...\n", count, longCount, longPages);
    std::fflush(stdout);
    struct Size
    {
        QString name;
        QString folder;
        QStringList pdfs;
    };
    std::vector<Size> sizes;
    sizes.push_back({QStringLiteral("1 page"), work.filePath(QStringLiteral("pdf-1")), {}});
    sizes.back().pdfs = makePdfs(sizes.back().folder, count, 1);
    sizes.push_back({QStringLiteral("%1 pages").arg(longPages),
                     work.filePath(QStringLiteral("pdf-%1").arg(longPages)),
                     {}});
    sizes.back().pdfs = makePdfs(sizes.back().folder, longCount, longPages);

    std::printf("\n%-10s %6s %12s %12s %8s %14s %14s %6s\n", "size", "files", "batch ms",
                "xargs ms", "ratio", "batch cpu/file", "xargs cpu/file", "diffs");
    for (const Size &size : sizes) {
        if (size.pdfs.isEmpty())
            continue;
        std::vector<double> batch, xargs, batchCpu, xargsCpu;
        int diffs = 0;
        for (int p = 0; p < passes; ++p) {
            const QString b = work.filePath(QStringLiteral("batch-%1").arg(p));
            const QString x = work.filePath(QStringLiteral("xargs-%1").arg(p));
            // Interleaved, the order swapped every pass, so neither way always runs first.
            Measure mb, mx;
            if (p % 2 == 0) {
                mb = runBatch(size.folder, b, cores);
                mx = runXargs(size.pdfs, x, cores);
            } else {
                mx = runXargs(size.pdfs, x, cores);
                mb = runBatch(size.folder, b, cores);
            }
            batch.push_back(mb.ms);
            xargs.push_back(mx.ms);
            batchCpu.push_back(mb.cpuMs / size.pdfs.size());
            xargsCpu.push_back(mx.cpuMs / size.pdfs.size());
            diffs += differences(size.pdfs, b, x);
            QDir(b).removeRecursively();
            QDir(x).removeRecursively();
        }
        std::printf("%-10s %6lld %12.1f %12.1f %7.3fx %14.2f %14.2f %6d\n", qPrintable(size.name),
                    qlonglong(size.pdfs.size()), median(batch), median(xargs),
                    median(batch) / median(xargs), median(batchCpu), median(xargsCpu), diffs);
    }
    std::printf("\n%d converters at once (one per core), median of %d interleaved passes; "
                "target: batch / xargs at most 1.05. diffs: text files that differ.\n",
                cores, passes);
    if (bookPages > 0) {
        QList<int> pageCounts = {24, 48, 64, 96, 192};
        pageCounts.removeIf([bookPages](int pages) { return pages >= bookPages; });
        compareOneDocument(work.path(), pageCounts << bookPages, passes, cores);
    }
    return 0;
}
