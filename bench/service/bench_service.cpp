// SPDX-License-Identifier: GPL-3.0-or-later
// Times the converter service against pdftotext over the same PDFs, in the same run: a
// sequential loop of `pdftotext`, `xargs -P <workers>`, and the service used three ways (one
// request at a time; one service per worker; one service with a child per worker). The service
// ways write each text file themselves from the streamed text, with checked writes, as the
// program does. Every way's texts are compared with the sequential loop's, byte for byte.
//
//   bench_service [files] [pages per file] [workers]     (default 2000 1 2)

#include "service/ConverterServiceClient.h"
#include "PdfFixtures.h"
#include "TestConfig.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <utility>
#include <vector>

namespace {

QStringList pageTexts(int pages)
{
    QStringList texts;
    for (int page = 0; page < pages; ++page) {
        QStringList lines;
        for (int line = 0; line < 40; ++line)
            lines << QStringLiteral("Page %1, line %2: the quarterly figures of the account, "
                                    "balance and delivery notes")
                         .arg(page + 1)
                         .arg(line + 1);
        texts << lines.join(u'\n');
    }
    return texts;
}

double secondsOf(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e9;
}

void runShell(const QString &script, const QString &folder)
{
    QProcess shell;
    shell.setWorkingDirectory(folder);
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    shell.waitForFinished(-1);
    if (shell.exitCode() != 0)
        std::fprintf(stderr, "warning: %s ended with %d: %s\n", qPrintable(script),
                     shell.exitCode(), shell.readAllStandardError().constData());
}

// Converts every file through `services` clients with `perService` requests in flight on each,
// and writes each text into `outFolder` once its request has ended well.
class ServiceRun
{
public:
    ServiceRun(const QStringList &pdfs, const QString &outFolder, int services, int perService)
        : m_pdfs(pdfs), m_outFolder(outFolder), m_perService(perService)
    {
        for (int i = 0; i < services; ++i) {
            auto client = std::make_unique<ConverterServiceClient>(QStringLiteral(MORWENDA_BINARY));
            ConverterServiceClient *raw = client.get();
            QObject::connect(raw, &ConverterServiceClient::textArrived,
                             [this, raw](quint32 id, const QByteArray &text) {
                                 m_texts[{raw, id}] += text;
                             });
            QObject::connect(raw, &ConverterServiceClient::finished,
                             [this, raw](quint32 id, const serviceprotocol::Outcome &outcome) {
                                 finish(raw, id, outcome);
                             });
            QObject::connect(raw, &ConverterServiceClient::failed, [](const QString &reason) {
                std::fprintf(stderr, "service failed: %s\n", qPrintable(reason));
            });
            m_clients.push_back(std::move(client));
        }
    }

    // Starts the services and waits until each has loaded its library.
    void startServices()
    {
        for (auto &client : m_clients) {
            QEventLoop loop;
            QObject::connect(client.get(), &ConverterServiceClient::ready, &loop,
                             &QEventLoop::quit);
            client->start();
            loop.exec();
        }
    }

    void run()
    {
        for (auto &client : m_clients) {
            for (int i = 0; i < m_perService; ++i)
                sendNext(client.get());
        }
        if (m_done < m_pdfs.size())
            m_loop.exec();
    }

    int failures() const { return m_failures; }
    double writeSeconds() const { return m_writeNanoseconds / 1e9; }

private:
    void sendNext(ConverterServiceClient *client)
    {
        if (m_next >= m_pdfs.size())
            return;
        const int index = m_next++;
        serviceprotocol::ConvertRequest request;
        request.pdfPath = ConverterServiceClient::pathBytes(m_pdfs[index]);
        request.memoryLimit = 2ull << 30;
        request.idleLimitMs = 60000;
        m_fileOf.insert({client, client->convert(request)}, index);
    }

    void finish(ConverterServiceClient *client, quint32 id, const serviceprotocol::Outcome &outcome)
    {
        const Key key{client, id};
        const int index = m_fileOf.take(key);
        const QByteArray text = m_texts.take(key);
        if (outcome.kind == serviceprotocol::OutcomeKind::Converted) {
            QElapsedTimer clock;
            clock.start();
            const QString name = QFileInfo(m_pdfs[index]).completeBaseName();
            QFile file(m_outFolder + u'/' + name + QStringLiteral(".txt"));
            if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() ||
                !file.flush())
                ++m_failures;
            file.close();
            m_writeNanoseconds += clock.nsecsElapsed();
        } else {
            ++m_failures;
        }
        if (++m_done == m_pdfs.size())
            m_loop.quit();
        else
            sendNext(client);
    }

    QStringList m_pdfs;
    QString m_outFolder;
    int m_perService;
    std::vector<std::unique_ptr<ConverterServiceClient>> m_clients;
    // Request ids are per client.
    using Key = std::pair<ConverterServiceClient *, quint32>;
    QHash<Key, int> m_fileOf;
    QHash<Key, QByteArray> m_texts;
    QEventLoop m_loop;
    int m_next = 0;
    int m_done = 0;
    int m_failures = 0;
    qint64 m_writeNanoseconds = 0;
};

int differingFiles(const QString &folder, const QString &reference, const QStringList &names)
{
    int differing = 0;
    for (const QString &name : names) {
        QFile a(folder + u'/' + name);
        QFile b(reference + u'/' + name);
        if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) ||
            a.readAll() != b.readAll())
            ++differing;
    }
    return differing;
}

// The round trip of a request that does no conversion: message, fork, child's answer, reaping.
double emptyRequestMilliseconds(int requests)
{
    ConverterServiceClient client{QStringLiteral(MORWENDA_BINARY)};
    QEventLoop loop;
    QObject::connect(&client, &ConverterServiceClient::ready, &loop, &QEventLoop::quit);
    client.start();
    loop.exec();
    int done = 0;
    serviceprotocol::ConvertRequest request;
    request.pdfPath = "/nonexistent/empty-request.pdf";
    QObject::connect(&client, &ConverterServiceClient::finished, [&] {
        if (++done == requests)
            loop.quit();
        else
            client.convert(request);
    });
    const double seconds = secondsOf([&] {
        client.convert(request);
        loop.exec();
    });
    return seconds * 1000 / requests;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int pages = argc > 2 ? std::atoi(argv[2]) : 1;
    const int workers = argc > 3 ? std::atoi(argv[3]) : QThread::idealThreadCount();

    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    QDir().mkpath(in);
    const QString model = dir.filePath(QStringLiteral("model.pdf"));
    fixtures::writeTextPdf(model, pageTexts(pages));
    QStringList pdfs;
    QStringList textNames;
    for (int i = 0; i < files; ++i) {
        const QString name = QStringLiteral("file-%1").arg(i, 5, 10, QLatin1Char('0'));
        pdfs << in + u'/' + name + QStringLiteral(".pdf");
        textNames << name + QStringLiteral(".txt");
        QFile::copy(model, pdfs.last());
    }
    std::printf("%d PDFs of %d page(s), %d workers, poppler's pdftotext at %s\n", files, pages,
                workers, MORWENDA_PDFTOTEXT);

    const auto outFolder = [&](const char *name) {
        const QString folder = dir.filePath(QString::fromLatin1(name));
        QDir().mkpath(folder);
        return folder;
    };
    const QString sequentialOut = outFolder("sequential");
    const double sequential = secondsOf([&] {
        runShell(QStringLiteral("for f in in/*.pdf; do n=${f##*/}; pdftotext \"$f\" "
                                "sequential/\"${n%.pdf}.txt\"; done"),
                 dir.path());
    });
    const QString xargsOut = outFolder("xargs");
    const double xargs = secondsOf([&] {
        runShell(
            QStringLiteral("cd in && ls | sed 's/\\.pdf$//' | xargs -P%1 -I{} pdftotext {}.pdf "
                           "../xargs/{}.txt")
                .arg(workers),
            dir.path());
    });

    struct Way
    {
        const char *name;
        int services;
        int perService;
        double seconds = 0;
        double writeSeconds = 0;
        int failures = 0;
        int differing = 0;
    };
    std::vector<Way> ways = {{"service, one request at a time", 1, 1},
                             {"one service per worker", workers, 1},
                             {"one service, a child per worker", 1, workers}};
    for (Way &way : ways) {
        const QString out = outFolder(way.name);
        ServiceRun run(pdfs, out, way.services, way.perService);
        run.startServices();
        way.seconds = secondsOf([&] { run.run(); });
        way.writeSeconds = run.writeSeconds();
        way.failures = run.failures();
        way.differing = differingFiles(out, sequentialOut, textNames);
    }
    const double emptyRequest = emptyRequestMilliseconds(std::min(files, 500));

    const auto perFile = [&](double seconds) { return seconds * 1000 / files; };
    std::printf("\n%-34s %9s %10s %9s %9s\n", "", "seconds", "ms/file", "/ seq", "/ xargs");
    std::printf("%-34s %9.2f %10.3f %9.2f %9.2f\n", "pdftotext, sequential loop", sequential,
                perFile(sequential), 1.0, sequential / xargs);
    std::printf("%-34s %9.2f %10.3f %9.2f %9.2f\n",
                qPrintable(QStringLiteral("xargs -P%1 pdftotext").arg(workers)), xargs,
                perFile(xargs), xargs / sequential, 1.0);
    for (const Way &way : ways) {
        std::printf("%-34s %9.2f %10.3f %9.2f %9.2f", way.name, way.seconds, perFile(way.seconds),
                    way.seconds / sequential, way.seconds / xargs);
        if (way.failures != 0 || way.differing != 0)
            std::printf("   %d failed, %d differ from pdftotext", way.failures, way.differing);
        std::printf("\n");
    }
    std::printf("\nper-file overhead, ms:\n");
    std::printf("  pdftotext start (sequential loop minus one request at a time): %.3f\n",
                perFile(sequential) - perFile(ways[0].seconds));
    std::printf("  service round trip with fork and reaping, no conversion:     %.3f\n",
                emptyRequest);
    std::printf("  writing the text file from the stream (client side):         %.3f\n",
                perFile(ways[0].writeSeconds));
    return 0;
}
