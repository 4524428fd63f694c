// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/ConversionRun.h"
#include "engine/PdftotextConverter.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

// Runs the engine to its end as the window would: the test's event loop drives the converters.
struct FinishedRun
{
    QList<FileOutcome> outcomes;
    QString message;
    QStringList converting;
    QList<int> progress;
};

inline ConversionLimits limitsOf(int converters, int memoryMegabytes = 0, int idleSeconds = 0)
{
    ConversionLimits limits;
    limits.converters = converters;
    limits.memoryMegabytes = memoryMegabytes;
    limits.idleSeconds = idleSeconds;
    return limits;
}

inline OutputChoice intoFolder(const QString &folder, bool askPassword = false)
{
    return {OutputChoice::Mode::Folder, folder, askPassword};
}

inline FinishedRun runToEnd(ConversionRun &run, const QStringList &rows, const OutputChoice &choice,
                            const ConversionLimits &limits,
                            const std::function<void(ConversionRun &)> &whileRunning = {})
{
    FinishedRun done;
    QObject::connect(&run, &ConversionRun::converting,
                     [&](const QString &pdf) { done.converting << pdf; });
    QObject::connect(&run, &ConversionRun::progressed,
                     [&](int finished, int) { done.progress << finished; });
    QSignalSpy finished(&run, &ConversionRun::finished);
    run.start(rows, choice, limits);
    if (whileRunning)
        whileRunning(run);
    // A ceiling for a machine shared with builds: the wait ends with the run's own signal.
    if (finished.isEmpty() && !finished.wait(600000))
        qWarning("the run did not finish within ten minutes");
    done.outcomes = run.outcomes();
    done.message = run.finalMessage();
    QObject::disconnect(&run, nullptr, nullptr, nullptr);
    return done;
}

inline FinishedRun convertAll(const QString &program, const QStringList &rows,
                              const OutputChoice &choice, const ConversionLimits &limits)
{
    PdftotextConverter converter(program);
    ConversionRun run(converter);
    return runToEnd(run, rows, choice, limits);
}

inline QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
