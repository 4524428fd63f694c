// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/ConverterChoice.h"
#include "engine/ServiceConverter.h"
#include "EngineTesting.h"
#include "platform/NativePath.h"
#include "TestConfig.h"
#include "TestPlace.h"

#include <functional>
#include <memory>
#include <QDir>
#include <QFile>
#include <QTest>
#include <unistd.h>

// The real converters as the engine tests run them, and what the tests look at around them: the
// processes they leave and the command lines that would show a secret.

inline const QString RealPdftotext = QStringLiteral(MORWENDA_PDFTOTEXT);
inline const QString ServiceProgram = QStringLiteral(MORWENDA_BINARY);

// pdftotext, or the program's own service (`service`, started with --converter-service) with
// pdftotext behind it.
inline std::unique_ptr<ConverterKind> converterOfKind(const QString &kind,
                                                      const QString &service = ServiceProgram)
{
    if (kind == converterchoice::Service)
        return std::make_unique<ServiceConverter>(
            service, std::make_unique<PdftotextConverter>(RealPdftotext));
    return std::make_unique<PdftotextConverter>(RealPdftotext);
}

inline FinishedRun convertWith(const QString &kind, const QStringList &rows,
                               const OutputChoice &choice, const ConversionLimits &limits)
{
    const std::unique_ptr<ConverterKind> converter = converterOfKind(kind);
    ConversionRun run(*converter);
    return runToEnd(run, rows, choice, limits);
}

// A row per converter this build has; each row's name is prefixed with its kind.
inline void addKindRows(const std::function<void(const char *kind, const QByteArray &prefix)> &rows)
{
    rows("pdftotext", "pdftotext: ");
    if (converterchoice::serviceBuilt())
        rows("service", "service: ");
}

// A data column "kind" with a row per converter.
inline void addKindColumn()
{
    QTest::addColumn<QString>("kind");
    addKindRows([](const char *kind, const QByteArray &) { QTest::newRow(kind) << QString(kind); });
}

// The run's message and every file's outcome, for a failing test to show.
inline QString describe(const FinishedRun &run)
{
    QString text = nativepath::display(run.message) + QStringLiteral("\n--");
    for (const FileOutcome &file : run.outcomes)
        text += QStringLiteral("\n%1 -> %2 [%3]%4")
                    .arg(nativepath::display(file.pdf), nativepath::display(file.output),
                         outcomeName(file.outcome), file.reason);
    return text;
}

inline QString madeFolder(const TestPlace &place, const QString &name)
{
    const QString folder = place.path(name);
    QDir().mkpath(folder);
    return folder;
}

// The processes whose parent is `parent` (this test by default).
inline QList<int> childProcesses(int parent = int(getpid()))
{
    QList<int> children;
    const QByteArray me = QByteArray::number(parent);
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("PPid:") && line.mid(5).trimmed() == me)
                children << pid.toInt();
    }
    return children;
}

// The process is there and not a zombie.
inline bool processAlive(int pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close > 0 && text.mid(close + 2, 1) != "Z";
}

// A process and all of its descendants.
inline QList<int> familyOf(int pid)
{
    QList<int> family = {pid};
    for (qsizetype i = 0; i < family.size(); ++i)
        family << childProcesses(family.at(i));
    return family;
}

// The processes whose command line holds `secret`, each as "pid:command line".
inline QStringList commandLinesShowing(const QByteArray &secret)
{
    QStringList showing;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = cmdline.readAll();
        if (line.contains(secret))
            showing << pid + u':' + QString::fromLocal8Bit(line).replace(u'\0', u' ');
    }
    return showing;
}
