// SPDX-License-Identifier: GPL-3.0-or-later
// morwenda-batch writing plain text against --json-lines over the same one-page PDFs, in
// interleaved passes of the same run; see README.md.
#include "BenchDocuments.h"
#include "PdfFixtures.h"

#include <cstdio>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <vector>

namespace {

// One run of morwenda-batch into a fresh folder; its wall-clock milliseconds.
double timedRun(const QString &folder, const QString &out, const QStringList &options)
{
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(MORWENDA_BATCH),
                  QStringList{QStringLiteral("--quiet"), QStringLiteral("--out"), out} + options +
                      QStringList{folder});
    process.waitForFinished(-1);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        std::printf("warning: morwenda-batch ended with %d\n", process.exitCode());
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv); // the PDF writer of the documents
    const int files = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;
    const int passes = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 3;
    QTemporaryDir place;
    const QString folder = place.filePath(QStringLiteral("pdfs"));
    QDir().mkpath(folder);
    benchdocs::makePdfs(folder, files, 1);
    const QString out = place.filePath(QStringLiteral("out"));
    std::vector<double> text;
    std::vector<double> lines;
    timedRun(folder, out, {}); // the caches warm, the converter's files read once
    for (int pass = 0; pass < passes; ++pass) {
        text.push_back(timedRun(folder, out, {}));
        lines.push_back(timedRun(folder, out, {QStringLiteral("--json-lines")}));
    }
    const double textMs = benchdocs::median(text);
    const double linesMs = benchdocs::median(lines);
    std::printf("%d one-page PDFs, %d passes (median)\n", files, passes);
    std::printf("  text         %9.0f ms\n", textMs);
    std::printf("  --json-lines %9.0f ms\n", linesMs);
    std::printf("  ratio        %9.3f (target: at most 1.10)\n", linesMs / textMs);
    return 0;
}
