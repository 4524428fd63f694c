// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasswordCheck.h"

#include "ConversionJob.h"
#include "ConverterKind.h"
#include "platform/TemporaryFolder.h"

#include <QFile>

PasswordCheck::PasswordCheck(ConverterKind &converter, const ConversionLimits &limits,
                             QObject *parent)
    : QObject(parent), m_converter(converter), m_limits(limits)
{
    // Nothing is read by OCR: no page is converted at all.
    m_limits.ocr = OcrChoice();
}

PasswordCheck::~PasswordCheck()
{
    dropJob();
}

void PasswordCheck::dropJob()
{
    if (m_job) {
        m_job->disconnect(this);
        m_job.reset(); // kills its converter
    }
}

bool PasswordCheck::needsPassword(Outcome opened)
{
    switch (opened) {
    case Outcome::Protected:
    case Outcome::WrongPassword:
    case Outcome::TimeLimit:
    case Outcome::MemoryLimit:
    case Outcome::Crashed:
    case Outcome::CannotStart:
    case Outcome::Stopped:
        return true;
    default:
        // Opened (the empty range refused), or no password would help: damaged, unreadable.
        return false;
    }
}

void PasswordCheck::start(const QString &pdf)
{
    dropJob();
    if (!m_scratch || !m_scratch->isValid())
        m_scratch = std::make_unique<TemporaryFolder>();
    JobOrder order;
    order.pdf = pdf;
    // A job writes into a new file; none is written here, as no page is converted.
    order.textPath = m_scratch->isValid()
                         ? m_scratch->filePath(QStringLiteral("check-%1.txt").arg(++m_checks))
                         : QStringLiteral("/nonexistent/check.txt");
    order.text.firstPage = 2;
    order.text.lastPage = 1;
    m_job = m_converter.makeJob(order, m_limits);
    connect(m_job.get(), &ConversionJob::finished, this, &PasswordCheck::onJobFinished);
    m_job->start();
}

void PasswordCheck::stop()
{
    if (m_job)
        m_job->stop();
}

void PasswordCheck::onJobFinished()
{
    const bool needed = needsPassword(m_job->result().outcome);
    ConversionJob *job = m_job.release();
    job->disconnect(this);
    job->deleteLater();
    if (m_scratch)
        QFile::remove(m_scratch->filePath(QStringLiteral("check-%1.txt").arg(m_checks)));
    emit finished(needed);
}
