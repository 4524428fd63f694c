// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatchOptions.h"
#include "InputGathering.h"

#include <QList>
#include <QStringList>

// Where morwenda-batch writes, checked before anything is converted; each function throws Failure
// with the message for the user (a usage error) naming the path that cannot be written.
namespace outputchecks {

// --out DIR: a folder that exists (made with --parents) and takes new files.
void checkOutFolder(const BatchOptions &options);

// FILE.pdf OUT: OUT's folder exists and takes new files.
void checkTextFileFolder(const BatchOptions &options);

// The report is written last, over what its path names: never over a file the run reads (a
// listed PDF, a list, the password file), whatever the spelling that names it.
void checkReportIsNoInput(const BatchOptions &options, const QList<BatchInput> &inputs);

} // namespace outputchecks

// The folders of a kept tree (--keep-tree): made before the run (one that cannot be made gives
// its files' reason), and those left empty removed after it.
class TextFolders
{
public:
    void make(const QList<BatchInput> &inputs);
    void removeEmpty();

private:
    QStringList m_made; // in the order made
};
