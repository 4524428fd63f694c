// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

class PDFDoc;
class UnicodeMap;

// The HTML around pdftotext's -htmlmeta, -bbox and -bbox-layout output, byte for byte: an XHTML
// head with the document's information (title, subject, keywords, author, creator, producer, and
// the creation and modification dates as ISO 8601), in the text encoding, and the body that holds
// the text in <pre> (-htmlmeta) or the boxes (`preformatted` false).
namespace htmlhead {

// Everything before the text.
std::string head(PDFDoc &doc, const UnicodeMap &encoding, bool preformatted);

// Everything after it.
std::string tail(bool preformatted);

// `text` with the five characters XML gives a meaning escaped, as pdftotext escapes the
// information and the words. Only up to a NUL byte, as pdftotext writes C strings.
std::string escaped(std::string_view text);

} // namespace htmlhead
