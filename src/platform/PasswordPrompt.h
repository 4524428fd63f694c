// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The texts of the box that asks for one PDF's password.
namespace passwordprompt {

inline constexpr char16_t Title[] = u"Input Password";

// "Enter password for file (<pdf>): ", CR LF, and the note that a blank answer means no password.
QString text(const QString &pdf);

// The caption of the box's check box that gives the same password to the run's other protected
// files.
QString sameForOthers();

} // namespace passwordprompt
