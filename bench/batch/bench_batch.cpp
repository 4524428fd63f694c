// SPDX-License-Identifier: GPL-3.0-or-later
// Times the batch run of the real main window (offscreen) against a bare loop that starts the
// converter once per file and waits for it, and against xargs -P <cores>, over the same PDFs, in
// the same run: N one-page files and N many-page files. Prints the median of a few interleaved
// passes of each and their ratios, checks that every way writes the same bytes, and prints the
// process's peak memory and the converters' own peak.

#include "batch/BatchController.h"
#include "BenchDocuments.h"
#include "engine/ConversionRun.h"
#include "engine/PdftotextConverter.h"
#include "engine/ServiceConverter.h"
#include "PdfFixtures.h"
#include "platform/RowListModel.h"
#include "platform/widgets/CaptionProgressBar.h"
#include "TestConfig.h"
#include "WindowControls.h"
#include "WindowFixture.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using benchdocs::differences;
using benchdocs::makePdfs;
using benchdocs::median;
using benchdocs::textName;

double megabytes(long kilobytes)
{
    return double(kilobytes) / 1024.0;
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double cpuMilliseconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// One timed pass: wall-clock time, and the processor time of this process and of the converters
// it waited for, in milliseconds.
struct Sample
{
    double wall = 0;
    double self = 0;
    double children = 0;
};

Sample measure(const std::function<void()> &pass)
{
    const double self = cpuMilliseconds(RUSAGE_SELF);
    const double children = cpuMilliseconds(RUSAGE_CHILDREN);
    QElapsedTimer timer;
    timer.start();
    pass();
    Sample s;
    s.wall = timer.nsecsElapsed() / 1e6;
    s.self = cpuMilliseconds(RUSAGE_SELF) - self;
    s.children = cpuMilliseconds(RUSAGE_CHILDREN) - children;
    return s;
}

struct Samples
{
    std::vector<Sample> all;

    double wall() const { return pick(&Sample::wall); }
    double self() const { return pick(&Sample::self); }
    double children() const { return pick(&Sample::children); }
    QString walls() const
    {
        QString text;
        for (const Sample &s : all)
            text += (text.isEmpty() ? QString() : QStringLiteral(" ")) +
                    QString::number(s.wall, 'f', 0);
        return text;
    }

private:
    double pick(double Sample::*field) const
    {
        std::vector<double> values;
        for (const Sample &s : all)
            values.push_back(s.*field);
        return median(values);
    }
};

// One batch run of the window over the files in its list, into `out`, as the user starts it.
void runWindow(WindowFixture &fx, const QString &out, int expected)
{
    QDir().mkpath(out);
    WindowControls &ui = fx.ui();
    ui.outputFolderEdit->setText(out);
    fx.services.expectMessage();
    // The run goes on in an event loop of its own, as under QApplication::exec (QTest::qWaitFor
    // would sleep 10 ms between its rounds of events and hold the converters' signals back).
    QEventLoop loop;
    const QMetaObject::Connection ended = QObject::connect(
        &fx.window().batch(), &BatchController::runningChanged, &loop, [&](bool running) {
            if (!running)
                loop.quit();
        });
    QTest::mouseClick(ui.startButton, Qt::LeftButton);
    if (fx.window().batch().isRunning())
        loop.exec();
    QObject::disconnect(ended);
    const QList<FakeServices::Box> boxes = fx.services.takeBoxes();
    if (boxes.size() != 1 || boxes.first().text != QStringLiteral("Done.")) {
        std::printf("warning: the window's run ended with %d boxes:\n", int(boxes.size()));
        for (const FakeServices::Box &box : boxes)
            std::printf("  %s\n", qPrintable(box.text));
    }
    const int written = int(QDir(out).entryList(QDir::Files).size());
    if (written != expected)
        std::printf("warning: the window wrote %d text files of %d\n", written, expected);
}

// The bare loop: the converter started for each file in turn and waited for, its output going
// nowhere as the program's does.
void runBare(const QStringList &pdfs, const QString &out,
             const QString &program = QStringLiteral(MORWENDA_PDFTOTEXT))
{
    QDir().mkpath(out);
    for (const QString &pdf : pdfs) {
        QProcess child;
        child.setStandardInputFile(QProcess::nullDevice());
        child.setStandardOutputFile(QProcess::nullDevice());
        child.setStandardErrorFile(QProcess::nullDevice());
        child.start(program, {pdf, out + u'/' + textName(pdf)});
        if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
            child.exitCode() != 0)
            std::printf("warning: the converter failed on %s\n", qPrintable(pdf));
    }
}

// The converters' own peak: a child inherits its parent's ru_maxrss across fork and exec, so the
// children's ru_maxrss is the window's peak, not theirs. A thread reads the peak resident size
// (VmHWM) of every child of this process and of their children (xargs') every 2 ms; a converter
// that lives shorter than that can be missed.
class ConverterPeak
{
public:
    ConverterPeak() : m_thread([this] { sample(); }) {}
    ~ConverterPeak()
    {
        m_stop = true;
        m_thread.join();
    }
    long kilobytes() const { return m_peak; }

private:
    static long field(const QByteArray &status, const char *name)
    {
        for (const QByteArray &line : status.split('\n'))
            if (line.startsWith(name))
                return line.mid(qstrlen(name)).trimmed().split(' ').first().toLong();
        return 0;
    }

    // The children of a process, from the kernel's list per thread.
    static std::vector<long> childrenOf(long pid)
    {
        std::vector<long> children;
        const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
        for (const QString &tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile file(tasks + u'/' + tid + QStringLiteral("/children"));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            for (const QByteArray &child : file.readAll().split(' '))
                if (!child.trimmed().isEmpty())
                    children.push_back(child.trimmed().toLong());
        }
        return children;
    }

    void sample()
    {
        const long self = long(getpid());
        while (!m_stop) {
            for (const long child : childrenOf(self)) {
                std::vector<long> family = childrenOf(child); // what xargs started
                family.push_back(child);
                for (const long pid : family) {
                    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
                    if (file.open(QIODevice::ReadOnly))
                        m_peak = std::max<long>(m_peak, field(file.readAll(), "VmHWM:"));
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    std::atomic<bool> m_stop{false};
    std::atomic<long> m_peak{0};
    std::thread m_thread;
};

// The other baseline: `xargs -P <cores>` running the converter on every file, as many at once as
// there are cores.
void runXargs(const QStringList &pdfs, const QString &out, int cores)
{
    QDir().mkpath(out);
    QByteArray list;
    for (const QString &pdf : pdfs)
        list +=
            QFile::encodeName(pdf) + '\0' + QFile::encodeName(out + u'/' + textName(pdf)) + '\0';
    QProcess xargs;
    xargs.setStandardOutputFile(QProcess::nullDevice());
    xargs.setStandardErrorFile(QProcess::nullDevice());
    xargs.start(QStringLiteral("xargs"),
                {QStringLiteral("-0"), QStringLiteral("-n"), QStringLiteral("2"),
                 QStringLiteral("-P"), QString::number(cores), QStringLiteral(MORWENDA_PDFTOTEXT)});
    xargs.write(list);
    xargs.closeWriteChannel();
    if (!xargs.waitForFinished(-1) || xargs.exitCode() != 0)
        std::printf("warning: xargs ended with %d\n", xargs.exitCode());
}

// The conversion engine on its own (what the window will run): `converters` at once.
void runEngine(const QStringList &pdfs, const QString &out, int converters)
{
    QDir().mkpath(out);
    PdftotextConverter converter(QStringLiteral(MORWENDA_PDFTOTEXT));
    ConversionRun run(converter);
    QSignalSpy finished(&run, &ConversionRun::finished);
    ConversionLimits limits;
    limits.converters = converters;
    run.start(pdfs, {OutputChoice::Mode::Folder, out, false}, limits);
    if (!finished.wait(3600 * 1000) || run.finalMessage() != QStringLiteral("Done."))
        std::printf("warning: the engine's run ended with: %s\n", qPrintable(run.finalMessage()));
}

struct SizeResult
{
    int pages = 0;
    int count = 0;
    Samples window, bare, xargs, engine;
    long converterPeak = 0;
};

// The window against the bare loop over one set of files, interleaved pass by pass.
SizeResult compare(WindowFixture &fx, const QStringList &pdfs, int pages, const QString &folder,
                   int passes, int *mismatched)
{
    SizeResult r;
    r.pages = pages;
    const int count = int(pdfs.size());
    r.count = count;
    const int cores = QThread::idealThreadCount();
    fx.ui().fileRows->clear();
    fx.ui().fileRows->appendAll(pdfs);
    // Untimed: brings the files, the converter and its libraries into memory.
    runBare(pdfs, folder + QStringLiteral("/warm-up"));
    ConverterPeak peak;
    for (int p = 0; p < passes; ++p) {
        const QString a = folder + QStringLiteral("/window-%1").arg(p);
        const QString b = folder + QStringLiteral("/bare-%1").arg(p);
        const QString x = folder + QStringLiteral("/xargs-%1").arg(p);
        const QString e = folder + QStringLiteral("/engine-%1").arg(p);
        r.window.all.push_back(measure([&] { runWindow(fx, a, count); }));
        r.bare.all.push_back(measure([&] { runBare(pdfs, b); }));
        r.xargs.all.push_back(measure([&] { runXargs(pdfs, x, cores); }));
        r.engine.all.push_back(measure([&] { runEngine(pdfs, e, cores); }));
        *mismatched += differences(pdfs, a, b) + differences(pdfs, e, b) + differences(pdfs, x, b);
    }
    r.converterPeak = peak.kilobytes();
    return r;
}

// The processor time of a process and of the children it has reaped, in ms (from /proc).
double processCpuMilliseconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 15)
        return 0;
    // utime, stime, cutime, cstime are fields 14 to 17 of the line, 12 to 15 after the name.
    double ticks = 0;
    for (int i = 11; i <= 14; ++i)
        ticks += fields.at(i).toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

double servicesCpuMilliseconds(const ServiceConverter &converter)
{
    double sum = 0;
    for (const qint64 pid : converter.serviceProcessIds())
        sum += processCpuMilliseconds(pid);
    return sum;
}

// One run of the engine with `converter` over `pdfs` into `out`; false when a file failed.
bool runEngineWith(ConverterKind &converter, const QStringList &pdfs, const QString &out,
                   int converters)
{
    QDir().mkpath(out);
    ConversionRun run(converter);
    QSignalSpy finished(&run, &ConversionRun::finished);
    ConversionLimits limits;
    limits.converters = converters;
    run.start(pdfs, {OutputChoice::Mode::Folder, out, false}, limits);
    return finished.wait(3600 * 1000) && run.finalMessage() == QStringLiteral("Done.");
}

// The engine with the converter service (one per worker, started by an untimed first run and
// kept, as for a session) against the engine with pdftotext, the sequential loop and
// `xargs -P<cores>`, interleaved pass by pass over the same files; then what one file costs
// each converter beyond converting it.
void serviceSection(const std::vector<std::pair<int, QStringList>> &sets, const QString &folder,
                    int passes)
{
    const int cores = QThread::idealThreadCount();
    PdftotextConverter pdftotext(QStringLiteral(MORWENDA_PDFTOTEXT));
    ServiceConverter service(QStringLiteral(MORWENDA_BINARY),
                             std::make_unique<PdftotextConverter>(MORWENDA_PDFTOTEXT));
    std::printf("\nThe converter service (%d services, kept between runs) beside pdftotext:\n",
                cores);
    std::printf("%-9s %10s %10s %10s %10s %12s %13s %13s %13s\n", "size", "service ms", "engine ms",
                "xargs ms", "bare ms", "service/bare", "service/xargs", "service/engine",
                "same text");
    int set = 0;
    for (const auto &[pages, pdfs] : sets) {
        const QString base = QStringLiteral("%1/service-%2").arg(folder).arg(set++);
        runBare(pdfs, base + QStringLiteral("/warm-up"));
        if (!runEngineWith(service, pdfs, base + QStringLiteral("/service-warm-up"), cores))
            std::printf("warning: the service's first run failed\n");
        if (!service.unavailableReason().isEmpty())
            std::printf("warning: the service did not start (%s); pdftotext ran instead\n",
                        qPrintable(service.unavailableReason()));
        Samples bare, xargs, engine, served;
        int differ = 0;
        double serviceCpu = 0;
        for (int p = 0; p < passes; ++p) {
            const QString b = base + QStringLiteral("/bare-%1").arg(p);
            const QString x = base + QStringLiteral("/xargs-%1").arg(p);
            const QString e = base + QStringLiteral("/engine-%1").arg(p);
            const QString s = base + QStringLiteral("/service-%1").arg(p);
            bare.all.push_back(measure([&] { runBare(pdfs, b); }));
            xargs.all.push_back(measure([&] { runXargs(pdfs, x, cores); }));
            engine.all.push_back(measure([&] { runEngineWith(pdftotext, pdfs, e, cores); }));
            const double before = servicesCpuMilliseconds(service);
            served.all.push_back(measure([&] {
                if (!runEngineWith(service, pdfs, s, cores))
                    std::printf("warning: a file of the service's run failed\n");
            }));
            serviceCpu += servicesCpuMilliseconds(service) - before;
            differ += differences(pdfs, s, b) + differences(pdfs, e, b);
        }
        const QString size = QStringLiteral("%1 page%2").arg(pages).arg(pages > 1 ? "s" : "");
        std::printf("%-9s %10.1f %10.1f %10.1f %10.1f %11.3fx %12.3fx %13.3fx %13s\n",
                    qPrintable(size), served.wall(), engine.wall(), xargs.wall(), bare.wall(),
                    served.wall() / bare.wall(), served.wall() / xargs.wall(),
                    served.wall() / engine.wall(), differ ? "NO" : "yes");
        const double n = double(pdfs.size());
        std::printf("          processor ms per file: the program %.2f with the service, %.2f "
                    "with pdftotext; the services and their children %.2f, pdftotext %.2f\n",
                    served.self() / n, engine.self() / n, serviceCpu / passes / n,
                    engine.children() / n);
        std::printf("          passes (ms): service %s | engine %s | xargs %s | bare %s\n",
                    qPrintable(served.walls()), qPrintable(engine.walls()),
                    qPrintable(xargs.walls()), qPrintable(bare.walls()));
    }

    // What a file costs beyond its conversion: runs over files that are not there, one converter
    // at a time, so every millisecond is the way to and from the converter (the engine's
    // staging, the request, the fork or exec, the answer, the outcome).
    QStringList missing;
    for (int i = 0; i < 500; ++i)
        missing << QStringLiteral("%1/missing/%2.pdf").arg(folder).arg(i);
    const auto perFile = [&](ConverterKind &converter) {
        std::vector<double> walls;
        for (int p = 0; p < 3; ++p)
            walls.push_back(measure([&] {
                                runEngineWith(converter, missing,
                                              folder + QStringLiteral("/missing-out"), 1);
                            }).wall /
                            double(missing.size()));
        return median(walls);
    };
    const double servedEach = perFile(service);
    const double pdftotextEach = perFile(pdftotext);
    std::printf("per-file overhead (one converter, %d files that are not there): service %.2f ms, "
                "pdftotext %.2f ms\n",
                int(missing.size()), servedEach, pdftotextEach);
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = std::max(1, argc > 1 ? QByteArray(argv[1]).toInt() : 50);
    const int passes = std::max(1, argc > 2 ? QByteArray(argv[2]).toInt() : 3);
    const int longCount = std::max(1, argc > 3 ? QByteArray(argv[3]).toInt() : count);
    const int longPages = std::max(1, argc > 4 ? QByteArray(argv[4]).toInt() : 20);
    // "service": only the converter service beside pdftotext, without the window.
    const bool serviceOnly = argc > 6 && QByteArray(argv[6]) == "service";

    QTemporaryDir work;
    std::printf("%d one-page and %d %d-page PDFs in %s, %d passes each way, converter %s, "
                "%d cores\n",
                count, longCount, longPages, qPrintable(work.path()), passes, MORWENDA_PDFTOTEXT,
                QThread::idealThreadCount());
    std::fflush(stdout);
    const QStringList onePage = makePdfs(work.filePath(QStringLiteral("pdf-1")), count, 1);
    const QStringList twentyPages =
        makePdfs(work.filePath(QStringLiteral("pdf-%1").arg(longPages)), longCount, longPages);

    if (serviceOnly) {
        serviceSection({{1, onePage}, {longPages, twentyPages}}, work.path(), passes);
        return 0;
    }
    const long peakWithPdfs = peakKilobytes();
    long peakBefore = 0, peakAfter = 0, residentBefore = 0, residentAfter = 0;
    int mismatched = 0;
    std::vector<SizeResult> results;
    WindowFixture fx;
    fx.open();
    QTest::mouseClick(fx.ui().saveToFolderOption, Qt::LeftButton, {},
                      QPoint(5, fx.ui().saveToFolderOption->height() / 2));
    peakBefore = peakKilobytes();
    residentBefore = benchdocs::residentKilobytes();
    results.push_back(
        compare(fx, onePage, 1, work.filePath(QStringLiteral("out-1")), passes, &mismatched));
    results.push_back(compare(fx, twentyPages, longPages, work.filePath(QStringLiteral("out-long")),
                              passes, &mismatched));
    peakAfter = peakKilobytes();
    residentAfter = benchdocs::residentKilobytes();

    std::printf("\n%-9s %10s %10s %8s %13s %14s %14s   %s\n", "size", "window ms", "bare ms",
                "ratio", "added ms/file", "own cpu/file", "converter/file",
                "passes: window | bare (ms)");
    for (const SizeResult &r : results) {
        const QString size = QStringLiteral("%1 page%2").arg(r.pages).arg(r.pages > 1 ? "s" : "");
        const int n = r.count;
        std::printf("%-9s %10.1f %10.1f %7.3fx %13.2f %7.2f |%5.2f %7.1f |%5.1f   %s | %s\n",
                    qPrintable(size), r.window.wall(), r.bare.wall(),
                    r.window.wall() / r.bare.wall(), (r.window.wall() - r.bare.wall()) / n,
                    r.window.self() / n, r.bare.self() / n, r.window.children() / n,
                    r.bare.children() / n, qPrintable(r.window.walls()),
                    qPrintable(r.bare.walls()));
    }
    std::printf("\n%-9s %10s %10s %10s %12s %12s %14s %16s\n", "size", "engine ms", "xargs ms",
                "bare ms", "engine/bare", "engine/xargs", "engine cpu/file", "largest converter");
    for (const SizeResult &r : results) {
        const QString size = QStringLiteral("%1 page%2").arg(r.pages).arg(r.pages > 1 ? "s" : "");
        std::printf("%-9s %10.1f %10.1f %10.1f %11.3fx %11.3fx %14.2f %13.1f MB\n",
                    qPrintable(size), r.engine.wall(), r.xargs.wall(), r.bare.wall(),
                    r.engine.wall() / r.bare.wall(), r.engine.wall() / r.xargs.wall(),
                    r.engine.self() / r.count, megabytes(r.converterPeak));
    }
    std::printf("(own cpu and converter: processor ms per file of this process and of the "
                "converters, window | bare)\n");
    if (mismatched)
        std::printf("warning: %d text files differ from the bare loop's\n", mismatched);
    else
        std::printf("text files: the window's, the engine's, xargs' and the bare loop's are "
                    "identical\n");

    std::printf("\npeak memory (ru_maxrss): %.1f MB with the PDFs made, %.1f MB with the window "
                "built, %.1f MB after its runs (+%.1f MB during the runs)\n",
                megabytes(peakWithPdfs), megabytes(peakBefore), megabytes(peakAfter),
                megabytes(peakAfter - peakBefore));
    std::printf("resident (VmRSS): %.1f MB before the runs, %.1f MB after them\n",
                megabytes(residentBefore), megabytes(residentAfter));
    std::printf("largest converter: in the table above (VmHWM of the converters, sampled)\n");
    std::fflush(stdout);

    serviceSection({{1, onePage}, {longPages, twentyPages}}, work.path(), passes);
    std::fflush(stdout);
    return 0;
}
