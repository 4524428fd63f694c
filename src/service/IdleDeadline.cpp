// SPDX-License-Identifier: GPL-3.0-or-later
#include "IdleDeadline.h"

#include <utility>

IdleDeadline::IdleDeadline(std::chrono::milliseconds limit, Now now)
    : m_limit(limit), m_now(std::move(now))
{
    if (m_limit.count() > 0)
        m_due = m_now() + m_limit;
}

void IdleDeadline::restart()
{
    if (m_due)
        m_due = m_now() + m_limit;
}

void IdleDeadline::textArrived()
{
    restart();
}

void IdleDeadline::pagesDone(int done)
{
    if (done > 0)
        restart();
}

bool IdleDeadline::passed() const
{
    return m_due && *m_due <= m_now();
}
