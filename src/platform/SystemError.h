// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The system's words for an error number ("No space left on device"), in the user's language.
QString systemError(int error);
