// SPDX-License-Identifier: GPL-3.0-or-later
// The service mode of a build without poppler's library: it refuses, and the program converts
// with pdftotext instead (a client sees a service that ends before it is ready).
#include "ConverterService.h"

#include <unistd.h>

namespace converterservice {

int run()
{
    static const char message[] =
        "converter service: this build has no converter service (built without poppler's "
        "library); pdftotext converts instead\n";
    [[maybe_unused]] const auto ignored = ::write(STDERR_FILENO, message, sizeof message - 1);
    return 2;
}

} // namespace converterservice
