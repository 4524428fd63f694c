// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

// The files and folders named on the command line, in order, as absolute paths: the program's own
// name is left out, and so is every argument that begins with "--" (options that other parts of
// the program read) until a lone "--", after which every argument is a path. Give the arguments
// from commandLineArguments(), so that a name that is not UTF-8 keeps its bytes.
QStringList commandLineFiles(const QStringList &arguments);

// The program's arguments as the system gave them, without loss (platform/NativePath): `argc` and
// `argv` as left by QApplication, which takes out the options it reads itself.
QStringList commandLineArguments(int argc, const char *const *argv);
