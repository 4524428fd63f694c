// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OptionReading.h"

// The steps that read the options of the text (pdftotext's) into BatchOptions::text, each
// returning the usage error's words, or none.
namespace optionreading {

// The mode, the pages, the encoding, the line ends and the page breaks.
Problem readText(const QCommandLineParser &parser, const OptionTable &defined,
                 BatchOptions &options);

// The output form: the text, --html-meta, --tsv, --bbox or --bbox-layout. --html-meta with a bbox
// form gives that form, as pdftotext does; two forms that pdftotext would silently choose
// between are refused.
Problem readOutputForm(const QCommandLineParser &parser, const OptionTable &defined,
                       BatchOptions &options);

// The page's geometry: --resolution, the crop area (--crop or its four options), --fixed (which
// keeps the layout), --no-diagonal, --cropbox and --column-spacing.
Problem readGeometry(const QCommandLineParser &parser, const OptionTable &defined,
                     BatchOptions &options);

} // namespace optionreading
