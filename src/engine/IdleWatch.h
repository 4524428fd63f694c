// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "service/IdleDeadline.h"

#include <chrono>
#include <optional>
#include <QObject>
#include <QTimer>

// A job's time limit on its converter: expired() once the limit has gone by without progress,
// counted from start(). What counts as progress and when the limit has passed is IdleDeadline's
// rule, the one the converter service holds its children to, on the clock given (the steady
// clock, or a test's). The timer only wakes the check when the deadline may have passed; a limit
// longer than a timer holds is waited for in several wakes.
class IdleWatch : public QObject
{
    Q_OBJECT

public:
    using Clock = IdleDeadline::Clock;

    explicit IdleWatch(QObject *parent = nullptr,
                       IdleDeadline::Now now = &IdleDeadline::Clock::now);

    // Counts `limit` from now; a limit of 0 or less is none.
    void start(std::chrono::milliseconds limit);
    // Text came from the converter.
    void textArrived();
    // `done` pages are finished; 0, the count told at opening, is no progress.
    void pagesDone(int done);
    void stop();
    bool isActive() const { return m_deadline.has_value(); }

    // Compares the deadline with the clock: expired() (once) when it has passed, else the timer
    // waits for what is left. The timer calls it; a test calls it after moving its clock.
    void check();

signals:
    void expired();

private:
    IdleDeadline::Now m_now;
    std::optional<IdleDeadline> m_deadline;
    QTimer m_timer;
};
