// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServicePool.h"

#include "ConverterServiceClient.h"

#include <algorithm>

ServicePool::ServicePool(QString program, QObject *parent)
    : QObject(parent), m_program(std::move(program))
{
}

ServicePool::~ServicePool()
{
    // The clients are children of the pool: each kills its service as it goes.
}

ConverterServiceClient *ServicePool::take()
{
    ConverterServiceClient *service = nullptr;
    if (!m_idle.empty()) {
        service = m_idle.back();
        m_idle.pop_back();
    } else {
        service = new ConverterServiceClient(m_program, this);
    }
    m_busy.push_back(service);
    return service;
}

void ServicePool::giveBack(ConverterServiceClient *service, int keepIdle)
{
    const auto busy = std::find(m_busy.begin(), m_busy.end(), service);
    if (busy == m_busy.end())
        return;
    m_busy.erase(busy);
    if (int(m_idle.size()) >= std::max(0, keepIdle)) {
        // Its input closes: the service ends by itself once its last child is gone.
        service->stop();
        service->deleteLater();
        return;
    }
    m_idle.push_back(service);
}

void ServicePool::markUnavailable(const QString &why)
{
    if (m_unavailable.isEmpty())
        m_unavailable = why.isEmpty() ? QStringLiteral("the converter service did not start") : why;
}

QList<qint64> ServicePool::processIds() const
{
    QList<qint64> ids;
    for (const auto *list : {&m_idle, &m_busy})
        for (const ConverterServiceClient *service : *list)
            if (service->processId() > 0)
                ids << service->processId();
    return ids;
}
