// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionLimits.h"
#include "Outcome.h"

#include <memory>
#include <QObject>
#include <QStringList>

class ConversionJob;
class ConverterKind;
class TemporaryFolder;

// The preview's conversion: pages 1 to 100 of one PDF into a private temporary file (never beside
// the PDF), its first lines read, the file removed. It runs beside a batch run, never under it.
class PreviewConversion : public QObject
{
    Q_OBJECT

public:
    static constexpr int LineLimit = 100;

    explicit PreviewConversion(ConverterKind &converter, QObject *parent = nullptr);
    ~PreviewConversion() override;

    // Starts converting and returns at once; finished() follows. A preview still running is
    // stopped first (without its finished()).
    void start(const QString &pdf, const QString &password, const ConversionLimits &limits);

    // Kills the converter; finished() follows with Outcome::Stopped.
    void stop();

    bool isRunning() const { return m_job != nullptr; }
    const QString &pdf() const { return m_pdf; }
    // A file that was not opened with its password because the converter service could not
    // start is Outcome::CannotStart here, with that reason.
    Outcome outcome() const { return m_outcome; }
    const QString &reason() const { return m_reason; }
    // Up to LineLimit lines of the text, for Outcome::Converted.
    const QStringList &lines() const { return m_lines; }
    // Why the text could not be read back whole, for Outcome::Converted; "" when it was.
    const QString &readError() const { return m_readError; }

signals:
    void finished();

private:
    void onJobFinished();
    void dropJob();

    ConverterKind &m_converter;
    std::unique_ptr<TemporaryFolder> m_scratch;
    std::unique_ptr<ConversionJob> m_job;
    QString m_pdf;
    QString m_textPath;
    Outcome m_outcome = Outcome::Stopped;
    QString m_reason;
    QString m_readError;
    QStringList m_lines;
};
