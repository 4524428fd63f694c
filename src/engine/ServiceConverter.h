// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConverterKind.h"

#include <memory>
#include <QList>
#include <QString>

class ServicePool;

// The converter service as the converter: poppler stays loaded in one service per worker, started
// at the first conversion and kept for the session, and each file is converted in a child the
// service forks for it. When the service cannot start, every job goes to `fallback` (pdftotext).
class ServiceConverter : public ConverterKind
{
public:
    // `serviceProgram` serves with `--converter-service` (the running program itself).
    ServiceConverter(const QString &serviceProgram, std::unique_ptr<ConverterKind> fallback);
    ~ServiceConverter() override;

    std::unique_ptr<ConversionJob> makeJob(const JobOrder &order,
                                           const ConversionLimits &limits) override;

    // The service could not start; jobs go to the fallback. Empty while the service is in use.
    QString unavailableReason() const;
    // The process ids of the services running now.
    QList<qint64> serviceProcessIds() const;

private:
    std::unique_ptr<ServicePool> m_pool;
    std::unique_ptr<ConverterKind> m_fallback;
};
