// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the sample files are: the folder "Samples" beside the executable, or, when that is
// absent, the program's installed data folder (share/morwenda/Samples under the install prefix,
// found from the executable's own place so that a moved installation still finds it, then at the
// prefix the program was built for). When neither exists the answer is the folder beside the
// executable, which then gives no files. The answer has no trailing separator.
QString sampleFolder(const QString &executableFolder);
