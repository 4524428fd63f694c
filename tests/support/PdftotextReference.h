// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// pdftotext itself as the reference of the converters' bytes, the corpus of real PDFs and the
// converters by their names, for the tests that hold the engine's output to pdftotext's.
#include "engine/PdftotextConverter.h"
#include "engine/ServiceConverter.h"
#include "PdfFixtures.h"
#include "TestConfig.h"

#include <memory>
#include <QFile>
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
inline Reference pdftotextOf(const QString &pdf, const QStringList &arguments, const QString &password)
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

