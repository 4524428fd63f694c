// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <optional>

// When a conversion has gone too long without progress: the limit counts from the request and
// then from the last page finished or text handed on, never from the page count the child tells
// once it has opened the file (opening a file is no page converted). The clock is given, so a
// test can move it.
class IdleDeadline
{
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    // A limit of 0 is none.
    explicit IdleDeadline(std::chrono::milliseconds limit, Now now = &Clock::now);

    // Text was handed on.
    void textArrived();
    // `done` pages are finished; 0 is the count told at opening, which is no progress.
    void pagesDone(int done);
    // The child was stopped for its time: no deadline any more.
    void clear() { m_due.reset(); }

    // The limit has passed without progress.
    bool passed() const;
    // When it passes; none without a limit, or once cleared.
    std::optional<Clock::time_point> due() const { return m_due; }

private:
    void restart();

    std::chrono::milliseconds m_limit;
    Now m_now;
    std::optional<Clock::time_point> m_due;
};
