// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemError.h"

#include <cstring>

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
