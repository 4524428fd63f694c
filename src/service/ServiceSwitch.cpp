// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterService.h"

#include <cstring>

namespace converterservice {

bool isRequested(int argc, char **argv)
{
    return argc == 2 && std::strcmp(argv[1], commandLineSwitch) == 0;
}

} // namespace converterservice
