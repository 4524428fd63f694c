// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Limits of the program's own process.
namespace processlimits {

// Raises the soft limit of open files to the hard one: a run over a big tree keeps a staging
// folder and its lock open per output folder, and a converter's descriptors besides. Returns the
// soft limit in force afterwards (-1 when it cannot be read).
long raiseOpenFileLimit();

} // namespace processlimits
