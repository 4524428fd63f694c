// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// How a typed password is offered to the converter: as the owner password (-opw) or as the
// password that opens the file (-upw). One of them, never both.
enum class PasswordRole
{
    Owner,
    User
};

// A path as a positional argument: a path that starts with "-" is made absolute, so that the
// converter cannot take a file named like "-raw" for one of its options (or "-" for the console).
QString positionalPath(const QString &path);
