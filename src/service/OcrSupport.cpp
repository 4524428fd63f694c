// SPDX-License-Identifier: GPL-3.0-or-later
#include "OcrSupport.h"

#ifdef MORWENDA_OCR
#include "PageOcr.h"
#endif

#include <algorithm>
#include <cctype>

namespace ocrsupport {

bool built()
{
#ifdef MORWENDA_OCR
    return true;
#else
    return false;
#endif
}

std::vector<std::string> installedLanguages()
{
#ifdef MORWENDA_OCR
    return PageOcr::installedLanguages();
#else
    return {};
#endif
}

bool orientationInstalled()
{
#ifdef MORWENDA_OCR
    return PageOcr::hasOrientationData();
#else
    return false;
#endif
}

std::vector<std::string> missingLanguages(std::string_view languages,
                                          const std::vector<std::string> &installed)
{
    std::vector<std::string> missing;
    while (true) {
        const std::size_t plus = languages.find('+');
        const std::string name(languages.substr(0, plus));
        if (std::find(installed.begin(), installed.end(), name) == installed.end())
            missing.push_back(name);
        if (plus == std::string_view::npos)
            break;
        languages.remove_prefix(plus + 1);
    }
    return missing;
}

std::string debianPackage(std::string_view language)
{
    std::string package = "tesseract-ocr-";
    for (const char c : language)
        package.push_back(
            c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return package;
}

} // namespace ocrsupport
