// SPDX-License-Identifier: GPL-3.0-or-later
// morwenda-batch against `xargs -P <cores> pdftotext` over the same PDFs in the same run; see
// README.md.
#include "BenchDocuments.h"
#include "PdfFixtures.h"
#include "TestConfig.h"

#include <algorithm>
#include <cstdio>
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
    return 0;
}
