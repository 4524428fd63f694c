// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's own cost per file as the list grows: ConversionRun over 10,000 and 100,000 listed
// files (hard links to one made PDF) with an in-process converter that writes a one-page text at
// once, so what is timed is the run itself: the snapshot, the output names, the dispatch, the
// progress asked on every page signal, the staging file and the rename. Prints the time per file
// and the memory per row for each size, quiet and with a noisy converter (64 KB of error output
// per file, as poppler gives for a PDF full of syntax errors).

#include "BenchDocuments.h"
#include "engine/ConversionJob.h"
#include "engine/ConversionRun.h"
#include "engine/ConverterKind.h"

#include <cstdio>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <unistd.h>

namespace {

// Ends each file at once with one page of text, from the event loop as a converter would.
class InstantJob : public ConversionJob
{
public:
    InstantJob(const JobOrder &order, bool noisy) : m_order(order), m_noisy(noisy) {}

    void start() override
    {
        QMetaObject::invokeMethod(
            this, [this] { convert(); }, Qt::QueuedConnection);
    }

    void stop() override {}

private:
    void convert()
    {
        expectText(m_order.text);
        QFile text(m_order.textPath);
        const bool written = text.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                             keepText(text, QByteArrayLiteral("Words of one page\n\f"));
        emit pagesDone(1, 1);
        if (m_noisy)
            m_result.errorOutput = QString(64 * 1024, u'x');
        const Ending ending =
            written ? settleCompleteText(text) : Ending{Outcome::WriteFailed, QString()};
        m_result.outcome = ending.outcome;
        m_result.reason = ending.reason;
        emit finished();
    }

    JobOrder m_order;
    bool m_noisy;
};

class InstantConverter : public ConverterKind
{
public:
    explicit InstantConverter(bool noisy) : m_noisy(noisy) {}
    std::unique_ptr<ConversionJob> makeJob(const JobOrder &order, const ConversionLimits &) override
    {
        return std::make_unique<InstantJob>(order, m_noisy);
    }

private:
    bool m_noisy;
};

// `count` names for the one PDF in `folder`: hard links to a copy of it per 50,000 (a file
// system allows some 65,000 links to one file).
QStringList linkedPdfs(const QString &pdf, const QString &folder, int count)
{
    QDir().mkpath(folder);
    QStringList rows;
    rows.reserve(count);
    QString source;
    for (int i = 0; i < count; ++i) {
        if (i % 50000 == 0) {
            source = folder + QStringLiteral("/source %1.pdf").arg(i);
            QFile::copy(pdf, source);
        }
        rows << folder + QStringLiteral("/file %1.pdf").arg(i, 7, 10, QLatin1Char('0'));
        if (::link(QFile::encodeName(source).constData(),
                   QFile::encodeName(rows.last()).constData()))
            qFatal("cannot link %s", qPrintable(rows.last()));
    }
    return rows;
}

struct Measure
{
    double microsecondsPerFile = 0;
    double bytesPerRow = 0;
    int converted = 0;
};

Measure runOnce(const QStringList &rows, const QString &out, bool noisy)
{
    QDir().mkpath(out);
    InstantConverter converter(noisy);
    ConversionRun run(converter);
    double progress = 0;
    QObject::connect(&run, &ConversionRun::pagesDone,
                     [&] { progress = std::max(progress, run.filesDone()); });
    QEventLoop loop;
    QObject::connect(&run, &ConversionRun::finished, &loop, &QEventLoop::quit);
    ConversionLimits limits;
    limits.converters = 2;
    const long before = benchdocs::residentKilobytes();
    QElapsedTimer clock;
    clock.start();
    run.start(rows, {OutputChoice::Mode::Folder, out, false}, limits);
    loop.exec();
    Measure measure;
    measure.microsecondsPerFile = double(clock.nsecsElapsed()) / 1000.0 / double(rows.size());
    measure.bytesPerRow =
        double(benchdocs::residentKilobytes() - before) * 1024.0 / double(rows.size());
    for (const FileOutcome &file : run.outcomes())
        measure.converted += file.outcome == Outcome::Converted ? 1 : 0;
    if (measure.converted < rows.size())
        std::printf("not converted: %s%s\n", qPrintable(outcomeName(run.outcomes().at(0).outcome)),
                    qPrintable(run.outcomes().at(0).reason));
    return measure;
}

// One measure in this process: `count` files, quiet or noisy. Prints its line.
int measureOne(int count, bool noisy, double baseline)
{
    QTemporaryDir place;
    const QString pdf = benchdocs::makePdfs(place.filePath(QStringLiteral("made")), 1, 1).first();
    const QString folder = place.filePath(QStringLiteral("run"));
    const QStringList rows = linkedPdfs(pdf, folder + QStringLiteral("/in"), count);
    const Measure measure = runOnce(rows, folder + QStringLiteral("/out"), noisy);
    std::printf("%-9d %-6s %12.1f %14.0f %10d", count, noisy ? "noisy" : "quiet",
                measure.microsecondsPerFile, measure.bytesPerRow, measure.converted);
    if (baseline > 0)
        std::printf("   %.2fx the time per file of the smaller list",
                    measure.microsecondsPerFile / baseline);
    std::printf("\n");
    std::fflush(stdout);
    return 0;
}

// Each measure in a fresh process of its own, so that one run's freed memory never hides the
// next one's rows.
double measureApart(int count, bool noisy, double baseline)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--one"), QString::number(count),
                 noisy ? QStringLiteral("noisy") : QStringLiteral("quiet"),
                 QString::number(baseline)});
    child.waitForFinished(-1);
    const QByteArray line = child.readAllStandardOutput();
    std::fputs(line.constData(), stdout);
    std::fflush(stdout);
    const QList<QByteArray> fields = line.simplified().split(' ');
    return fields.size() > 2 ? fields.at(2).toDouble() : 0;
}

} // namespace

int main(int argc, char **argv)
{
    // The made PDF is drawn with Qt's PDF writer, which needs fonts.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 5 && arguments.at(1) == QLatin1String("--one"))
        return measureOne(arguments.at(2).toInt(), arguments.at(3) == QLatin1String("noisy"),
                          arguments.at(4).toDouble());
    const int small = arguments.size() > 1 ? arguments.at(1).toInt() : 10000;
    const int large = arguments.size() > 2 ? arguments.at(2).toInt() : 100000;
    std::printf("%-9s %-6s %12s %14s %10s\n", "files", "kind", "us/file", "bytes/row", "converted");
    std::fflush(stdout);
    for (const bool noisy : {false, true}) {
        const double baseline = measureApart(small, noisy, 0);
        measureApart(large, noisy, baseline);
    }
    return 0;
}
