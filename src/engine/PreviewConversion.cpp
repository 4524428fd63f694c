// SPDX-License-Identifier: GPL-3.0-or-later
#include "PreviewConversion.h"

#include "ConversionJob.h"
#include "ConverterKind.h"
#include "platform/TemporaryFolder.h"
#include "TextCheck.h"

PreviewConversion::PreviewConversion(ConverterKind &converter, QObject *parent)
    : QObject(parent), m_converter(converter)
{
}

PreviewConversion::~PreviewConversion()
{
    dropJob();
}

void PreviewConversion::dropJob()
{
    if (m_job) {
        m_job->disconnect(this);
        m_job.reset(); // kills its converter
    }
    m_scratch.reset();
}

void PreviewConversion::start(const QString &pdf, const QString &password,
                              const ConversionLimits &limits)
{
    dropJob();
    m_pdf = pdf;
    m_lines.clear();
    m_reason.clear();
    m_readError.clear();
    m_outcome = Outcome::Stopped;
    m_scratch = std::make_unique<TemporaryFolder>();
    JobOrder order;
    order.pdf = pdf;
    order.password = password;
    order.firstHundredPages = true;
    // With no scratch folder the job's own write failure says why.
    order.textPath = m_scratch->isValid() ? m_scratch->filePath(QStringLiteral("preview.txt"))
                                          : QStringLiteral("/nonexistent/preview.txt");
    m_textPath = order.textPath;
    m_job = m_converter.makeJob(order, limits);
    connect(m_job.get(), &ConversionJob::finished, this, &PreviewConversion::onJobFinished);
    m_job->start();
}

void PreviewConversion::stop()
{
    if (m_job)
        m_job->stop();
}

void PreviewConversion::onJobFinished()
{
    m_outcome = m_job->result().outcome;
    m_reason = m_job->result().reason;
    // Not opened with its password because the service did not start: the preview says that,
    // not that the file is password protected.
    if (m_outcome == Outcome::Protected && m_reason != reasons::Protected)
        m_outcome = Outcome::CannotStart;
    if (m_outcome == Outcome::Converted || m_outcome == Outcome::LowConfidence ||
        m_outcome == Outcome::OcrDoubtful)
        // A text that cannot be read back shows as far as it was read, and why it stops there.
        m_lines = readTextLines(
            m_textPath,
            [this](const QString &, int, const QString &description) { m_readError = description; },
            LineLimit);
    ConversionJob *job = m_job.release();
    job->disconnect(this);
    job->deleteLater();
    m_scratch.reset(); // the text file goes with its folder
    emit finished();
}
