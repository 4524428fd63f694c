// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// pdftotext itself as the reference of the converters' bytes, the corpus of real PDFs and the
// converters by their names, for the tests that hold the engine's output to pdftotext's.
#include "engine/PdftotextConverter.h"
#include "engine/ServiceConverter.h"
#include "EngineTesting.h"
#include "PdfFixtures.h"
#include "TestConfig.h"

#include <memory>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTextStream>

inline const QString Real = QStringLiteral(MORWENDA_PDFTOTEXT);

struct Reference
{
    int exitCode = -1;
    QByteArray text;
    QByteArray errors;
};

// pdftotext itself with `arguments`, a password tried as the owner's and then as the user's, as
// the engine offers it.
inline Reference pdftotextOf(const QString &pdf, const QStringList &arguments,
                             const QString &password)
{
    Reference reference;
    const QList<QStringList> attempts =
        password.isEmpty() ? QList<QStringList>{{}}
                           : QList<QStringList>{{QStringLiteral("-opw"), password},
                                                {QStringLiteral("-upw"), password}};
    for (const QStringList &passwordArguments : attempts) {
        QProcess converter;
        converter.start(Real,
                        passwordArguments + arguments + QStringList{pdf, QStringLiteral("-")});
        converter.waitForFinished(120000);
        reference.exitCode = converter.exitCode();
        reference.text = converter.readAllStandardOutput();
        reference.errors = converter.readAllStandardError();
        if (reference.exitCode == 0)
            break;
    }
    return reference;
}

inline std::unique_ptr<ConverterKind> converterNamed(const QString &name)
{
    if (name == QLatin1String("service"))
        return std::make_unique<ServiceConverter>(QStringLiteral(MORWENDA_BINARY),
                                                  std::make_unique<PdftotextConverter>(Real));
    return std::make_unique<PdftotextConverter>(Real);
}

struct CorpusFile
{
    QString pdf;
    QString password;
    QString category; // MANIFEST.tsv's: "text-1page", "image-only" ...
};

inline QList<CorpusFile> corpusFiles()
{
    QList<CorpusFile> files;
    QFile manifest(fixtures::corpusFile(QStringLiteral("MANIFEST.tsv")));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text))
        return files;
    QTextStream lines(&manifest);
    lines.readLine();
    while (!lines.atEnd()) {
        const QStringList fields = lines.readLine().split(u'\t');
        if (fields.size() >= 5)
            files.append({fixtures::corpusFile(fields[0]),
                          !fields[3].isEmpty() ? fields[3] : fields[4], fields[1]});
    }
    return files;
}

// The files converted into the folder `out` in one run of the engine with two converters (so the
// service splits the books of over a hundred pages into ranges), each with its password.
inline FinishedRun convertFiles(const QString &converter, const QList<CorpusFile> &files,
                                const TextOptions &options, const QString &out)
{
    QDir().mkpath(out);
    QStringList rows;
    QHash<QString, QString> passwords;
    for (const CorpusFile &file : files) {
        rows << file.pdf;
        passwords.insert(file.pdf, file.password);
    }
    std::unique_ptr<ConverterKind> kind = converterNamed(converter);
    ConversionRun run(*kind);
    run.setPasswordProvider([&](const QString &pdf) { return passwords.value(pdf); });
    ConversionLimits limits = limitsOf(2, 1024, 60);
    limits.text = options;
    return runToEnd(run, rows, intoFolder(out, true), limits);
}

// The password of `pdf` among `files`; "" for none.
inline QString passwordOf(const QList<CorpusFile> &files, const QString &pdf)
{
    for (const CorpusFile &file : files)
        if (file.pdf == pdf)
            return file.password;
    return QString();
}

// What a failed comparison of `file` with pdftotext's `reference` shows.
inline QByteArray evidenceOf(const FileOutcome &file, const Reference &reference)
{
    return QFileInfo(file.pdf).fileName().toUtf8() + ": " + outcomeName(file.outcome).toUtf8() +
           ' ' + file.reason.toUtf8() + "; pdftotext ended with " +
           QByteArray::number(reference.exitCode) + ": " + reference.errors.left(300);
}
