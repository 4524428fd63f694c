// SPDX-License-Identifier: GPL-3.0-or-later
#include "HtmlHead.h"

#include "DocumentInfo.h"

// poppler's Object.h needs Dict.h after it.
#include <PDFDoc.h>

#include <Dict.h>
#include <goo/GooString.h>
#include <PDFDocEncoding.h>
#include <UnicodeMap.h>


namespace htmlhead {

namespace {

// The information string `key` in the text encoding, between `before` and `after`; nothing when
// the dictionary has no such string. A string that starts with a UTF-16 byte order mark is
// UTF-16, any other PDFDocEncoding.
void appendInfoString(std::string &out, Dict &info, const char *key, const char *before,
                      const char *after, const UnicodeMap &encoding)
{
    const Object value = info.lookup(key);
    if (!value.isString())
        return;
    const std::string &bytes = value.getString()->toStr();
    const auto byteAt = [&bytes](std::size_t index) {
        return index < bytes.size() ? static_cast<unsigned char>(bytes[index]) : 0u;
    };
    const bool utf16 = bytes.size() > 1 && byteAt(0) == 0xfe && byteAt(1) == 0xff;
    out += before;
    for (std::size_t index = utf16 ? 2 : 0; index < bytes.size();) {
        Unicode code;
        if (utf16) {
            code = (byteAt(index) << 8) | byteAt(index + 1);
            index += 2;
        } else {
            code = pdfDocEncoding[byteAt(index)];
            ++index;
        }
        char mapped[9];
        const int length = encoding.mapUnicode(code, mapped, sizeof mapped - 1);
        out += escaped(std::string_view(mapped, static_cast<std::size_t>(length)));
    }
    out += after;
}

// The date `key` as ISO 8601; nothing when it is missing or no PDF date.
void appendInfoDate(std::string &out, Dict &info, const char *key, const char *name)
{
    const Object value = info.lookup(key);
    if (!value.isString())
        return;
    if (const std::optional<std::string> date = documentinfo::isoDate(*value.getString()))
        out += std::string("<meta name=\"") + name + "\" content=\"" + *date + "\"/>\n";
}

void appendInformation(std::string &out, Dict &info, const UnicodeMap &encoding)
{
    if (info.lookup("Title").isString())
        appendInfoString(out, info, "Title", "<title>", "</title>\n", encoding);
    else
        out += "<title></title>\n";
    for (const char *key : {"Subject", "Keywords", "Author", "Creator", "Producer"}) {
        const std::string before = std::string("<meta name=\"") + key + "\" content=\"";
        appendInfoString(out, info, key, before.c_str(), "\"/>\n", encoding);
    }
    appendInfoDate(out, info, "CreationDate", "CreationDate");
    appendInfoDate(out, info, "ModDate", "ModDate");
}

} // namespace

std::string escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\0':
            return out;
        case '&':
            out += "&amp;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string head(PDFDoc &doc, const UnicodeMap &encoding, bool preformatted)
{
    std::string out = "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
                      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">"
                      "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n";
    const Object info = doc.getDocInfo();
    if (info.isDict())
        appendInformation(out, *info.getDict(), encoding);
    out += "</head>\n<body>\n";
    if (preformatted)
        out += "<pre>\n";
    return out;
}

std::string tail(bool preformatted)
{
    return std::string(preformatted ? "</pre>\n" : "") + "</body>\n</html>\n";
}

} // namespace htmlhead
