// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineParser>
#include <QString>

// The texts morwenda-batch prints instead of running.
namespace helptext {

// --help: Qt's text with the program's name in the usage line (not the path it was started by)
// and pdftotext's form under it, then pdftotext's spellings.
QString helpText(const QCommandLineParser &parser);

// -listenc, as pdftotext prints it: a line of introduction, then each encoding of --encoding.
QString encodingList();

} // namespace helptext
