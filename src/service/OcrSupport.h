// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the program can read by OCR, asked in the program itself before a run (never in the
// service, which must not load tesseract before it forks).
namespace ocrsupport {

// The program was built with tesseract's library.
bool built();

// The languages installed for tesseract ("eng", "deu"), sorted; none without the library.
std::vector<std::string> installedLanguages();

// tesseract's orientation data ("osd") is installed: pages can be turned upright.
bool orientationInstalled();

// The names of `languages` ("eng+deu") that are not in `installed`, in the order given; an empty
// name ("eng+", "") is reported as "". Empty: every language is there.
std::vector<std::string> missingLanguages(std::string_view languages,
                                          const std::vector<std::string> &installed);

// The Debian package that installs tesseract's data for `language`: "chi_sim" ->
// "tesseract-ocr-chi-sim".
std::string debianPackage(std::string_view language);

} // namespace ocrsupport
