// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OptionReading.h"

namespace optionreading {

// --json-lines and --json-lines-beside: the pages and the document's information as JSON Lines,
// in place of each text or beside it. Refused with an output form other than the text and with
// an encoding other than UTF-8 (JSON is UTF-8, and pdftotext's other encodings do not all decode
// back to the same bytes).
Problem readJsonLines(const QCommandLineParser &parser, const OptionTable &defined,
                      BatchOptions &options);

} // namespace optionreading
