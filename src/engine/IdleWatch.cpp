// SPDX-License-Identifier: GPL-3.0-or-later
#include "IdleWatch.h"

#include <algorithm>
#include <climits>
#include <utility>

IdleWatch::IdleWatch(QObject *parent, IdleDeadline::Now now)
    : QObject(parent), m_now(std::move(now))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &IdleWatch::check);
}

void IdleWatch::start(std::chrono::milliseconds limit)
{
    stop();
    if (limit.count() <= 0)
        return;
    m_deadline.emplace(limit, m_now);
    check();
}

void IdleWatch::textArrived()
{
    if (m_deadline)
        m_deadline->textArrived();
}

void IdleWatch::pagesDone(int done)
{
    if (m_deadline)
        m_deadline->pagesDone(done);
}

void IdleWatch::stop()
{
    m_deadline.reset();
    m_timer.stop();
}

void IdleWatch::check()
{
    if (!m_deadline)
        return;
    if (m_deadline->passed()) {
        stop();
        emit expired();
        return;
    }
    // Woken at the due time as the clock then stands; progress since moves it later, and the
    // next wake waits for the rest.
    using std::chrono::milliseconds;
    const auto left = std::chrono::ceil<milliseconds>(*m_deadline->due() - m_now()).count();
    m_timer.start(int(std::clamp<long long>(left, 1, INT_MAX)));
}
