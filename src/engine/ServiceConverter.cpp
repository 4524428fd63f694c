// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServiceConverter.h"

#include "ConversionJob.h"
#include "ServiceJob.h"
#include "service/ServicePool.h"

ServiceConverter::ServiceConverter(const QString &serviceProgram,
                                   std::unique_ptr<ConverterKind> fallback)
    : m_pool(std::make_unique<ServicePool>(serviceProgram)), m_fallback(std::move(fallback))
{
}

ServiceConverter::~ServiceConverter() = default;

std::unique_ptr<ConversionJob> ServiceConverter::makeJob(const JobOrder &order,
                                                         const ConversionLimits &limits)
{
    // A file with a password never goes to pdftotext: the service job refuses it with a reason.
    if (m_pool->isUnavailable() && order.password.isEmpty())
        return m_fallback->makeJob(order, limits);
    return std::make_unique<ServiceJob>(*m_pool, *m_fallback, order, limits);
}

QString ServiceConverter::unavailableReason() const
{
    return m_pool->unavailableReason();
}

QList<qint64> ServiceConverter::serviceProcessIds() const
{
    return m_pool->processIds();
}
