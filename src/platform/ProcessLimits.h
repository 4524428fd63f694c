// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Limits of the program's own process.
namespace processlimits {

// Raises the soft limit of open files to the hard one: a run over a big tree keeps a staging
// folder and its lock open per output folder, and a converter's descriptors besides. Returns the
// soft limit in force afterwards (-1 when it cannot be read).
long raiseOpenFileLimit();

// The processors this program may run on (its CPU affinity, as taskset or a container's cpuset
// gives it), at least 1.
int usableProcessors();

// The converters a run uses for `asked`: that many, or one per usable processor for 0 (or less),
// as the window's setting and morwenda-batch's --jobs both say it.
int converterCount(int asked);

} // namespace processlimits
