// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProcessLimits.h"

#include <QThread>

#include <algorithm>
#include <sched.h>
#include <sys/resource.h>

namespace processlimits {

long raiseOpenFileLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return -1;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? -1 : long(limit.rlim_cur);
}

int usableProcessors()
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        return std::max(1, CPU_COUNT(&allowed));
    return std::max(1, QThread::idealThreadCount());
}

int converterCount(int asked)
{
    return asked > 0 ? asked : usableProcessors();
}

} // namespace processlimits
