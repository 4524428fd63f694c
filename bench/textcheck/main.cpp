// SPDX-License-Identifier: GPL-3.0-or-later
// Times the text check on large text files and reports the peak memory of each way of reading:
// hasNoUsableText streams the file and stops at the sixth printable character; the baseline reads
// the whole file into lines first and then judges the lines. Each measurement runs in a process of
// its own, so that one peak does not hide another.
//
//   bench_textcheck [megabytes] [folder]      (default 64 MB, in the temporary folder)

#include "engine/TextCheck.h"
#include "engine/TextJudge.h"

#include <cstdio>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

const ReportFn PrintReport = [](const QString &tag, int line, const QString &description) {
    std::fprintf(stderr, "report %s%d: %s\n", qPrintable(tag), line, qPrintable(description));
};

// The judgement over a list of lines read beforehand, as the check was made before it streamed.
bool noTextFromLines(const QStringList &lines)
{
    bool result = false;
    int printable = 0;
    for (const QString &line : lines) {
        for (qsizetype i = 0; i < line.size(); ++i) {
            char32_t c = line.at(i).unicode();
            if (line.at(i).isHighSurrogate() && i + 1 < line.size() &&
                line.at(i + 1).isLowSurrogate()) {
                c = QChar::surrogateToUcs4(line.at(i), line.at(i + 1));
                ++i;
            }
            if (!isPrintableCharacter(c)) {
                result = true;
            } else if (++printable == 6) {
                return false;
            }
        }
    }
    return result;
}

// Writes `bytes` bytes: `head`, then `filler` repeated, then `tail`.
void writeFile(const QString &path, qint64 bytes, const QByteArray &head, const QByteArray &filler,
               const QByteArray &tail)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    const QByteArray block = filler.repeated((1 << 20) / filler.size());
    qint64 left = bytes - head.size() - tail.size();
    file.write(head);
    while (left > 0) {
        const qint64 now = std::min<qint64>(left, block.size());
        file.write(block.constData(), now);
        left -= now;
    }
    file.write(tail);
}

// In the child: one measurement, printed as "answer microseconds peak-kB start-kB".
int measure(const QString &method, const QString &path)
{
    const long startPeak = peakKilobytes();
    QElapsedTimer clock;
    clock.start();
    const bool answer = method == QStringLiteral("stream")
                            ? hasNoUsableText(path, PrintReport)
                            : noTextFromLines(readTextLines(path, PrintReport));
    const qint64 us = clock.nsecsElapsed() / 1000;
    std::printf("%d %lld %ld %ld\n", answer ? 1 : 0, static_cast<long long>(us), peakKilobytes(),
                startPeak);
    return 0;
}

struct Result
{
    bool answer = false;
    qint64 us = 0;
    long peak = 0;
    long start = 0;
};

Result runMeasurement(const QString &method, const QString &path)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--measure"), method, path});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        qFatal("measurement %s failed", qPrintable(method));
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 4)
        qFatal("measurement %s gave no figures", qPrintable(method));
    return {fields[0] == "1", fields[1].toLongLong(), fields[2].toLong(), fields[3].toLong()};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QStringLiteral("--measure"))
        return measure(args.at(2), args.at(3));

    const qint64 megabytes = args.size() > 1 ? args.at(1).toLongLong() : 64;
    if (megabytes < 1) {
        std::fprintf(stderr, "usage: bench_textcheck [megabytes] [folder]\n");
        return 2;
    }
    QTemporaryDir place(args.size() > 2 ? args.at(2) + QStringLiteral("/textcheck-XXXXXX")
                                        : QString());
    if (!place.isValid())
        qFatal("cannot make a scratch folder");
    const qint64 bytes = megabytes << 20;

    struct Case
    {
        const char *name;
        QString path;
        bool expected;
    };
    const Case cases[] = {
        {"text from the start", place.filePath(QStringLiteral("text.txt")), false},
        {"page breaks, text at the end", place.filePath(QStringLiteral("breaks.txt")), false},
    };
    std::printf("Writing two files of %lld MB in %s\n", static_cast<long long>(megabytes),
                qPrintable(place.path()));
    writeFile(cases[0].path, bytes, "Quarterly report\n",
              "Revenue grew in every region this quarter.\n", "");
    writeFile(cases[1].path, bytes, "", "\f", "Page\n1234\n");
    std::fflush(stdout);

    std::printf("\n%-30s %-18s %8s %10s %12s %8s\n", "file", "method", "answer", "time us",
                "peak MB", "start MB");
    for (const Case &c : cases) {
        Result stream;
        for (const char *method : {"stream", "whole-list"}) {
            const Result r = runMeasurement(QString::fromLatin1(method), c.path);
            if (r.answer != c.expected)
                qFatal("%s judged %s wrongly", method, c.name);
            std::printf("%-30s %-18s %8s %10lld %12.1f %8.1f\n", c.name, method,
                        r.answer ? "no text" : "text", static_cast<long long>(r.us),
                        r.peak / 1024.0, r.start / 1024.0);
            if (std::string(method) == "stream")
                stream = r;
            else
                std::printf("%-30s %-18s %8s %10.1fx %11.1fx\n", "", "whole / stream", "",
                            double(r.us) / std::max<qint64>(1, stream.us),
                            double(r.peak) / std::max<long>(1, stream.peak));
        }
        std::fflush(stdout);
    }
    return 0;
}
