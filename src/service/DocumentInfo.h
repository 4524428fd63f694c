// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

class GooString;

class PDFDoc;

namespace documentinfo {

// The document's information as `pdfinfo -isodates` prints it, one "Key: value" line each, in
// pdfinfo's order and words: Title, Subject, Keywords, Author, Creator, Producer, CreationDate,
// ModDate (each only when the document has it), Tagged, Form, Pages, Encrypted, Page size (of the
// first page) and PDF version. Strings are decoded as pdfinfo decodes them (UTF-16 or
// PDFDocEncoding) and written in UTF-8; dates in pdfinfo's ISO form, or as written when they do
// not parse. The engine reads these lines with the one parser of pdfinfo's output.
std::string describe(PDFDoc &doc);

// A PDF date ("D:20110705113319+01'00'") in pdfinfo's ISO form ("2011-07-05T11:33:19+01", "Z" for
// UTC, minutes of the zone only when there are some); none when it does not parse.
std::optional<std::string> isoDate(const GooString &text);

} // namespace documentinfo
