// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

// The files and folders named on the command line, in order, as absolute paths: the program's own
// name is left out, and so is every argument that begins with "--" (options that other parts of
// the program read) until a lone "--", after which every argument is a path.
QStringList commandLineFiles(const QStringList &arguments);
