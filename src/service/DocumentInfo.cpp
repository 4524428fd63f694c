// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocumentInfo.h"

#include <Catalog.h>
#include <DateInfo.h>
#include <Dict.h>
#include <goo/gmem.h>
#include <Object.h>
#include <PDFDoc.h>
#include <UTF.h>
#include <XRef.h>

#include <cmath>
#include <cstdio>

namespace documentinfo {

namespace {

void appendUtf8(std::string &out, Unicode u)
{
    if (u < 0x80) {
        out += char(u);
    } else if (u < 0x800) {
        out += char(0xC0 | (u >> 6));
        out += char(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += char(0xE0 | (u >> 12));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    } else if (u < 0x110000) {
        out += char(0xF0 | (u >> 18));
        out += char(0x80 | ((u >> 12) & 0x3F));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    }
}

void addLine(std::string &out, const char *key, const std::string &value)
{
    out += key;
    out += ": ";
    out += value;
    out += '\n';
}

void addString(std::string &out, Dict &info, const char *key)
{
    const Object value = info.lookup(key);
    if (!value.isString())
        return;
    Unicode *ucs4 = nullptr;
    const int length = TextStringToUCS4(value.getString()->toStr(), &ucs4);
    std::string text;
    for (int i = 0; i < length; ++i)
        appendUtf8(text, ucs4[i]);
    gfree(ucs4);
    addLine(out, key, text);
}

void addIsoDate(std::string &out, Dict &info, const char *key)
{
    const Object value = info.lookup(key);
    if (!value.isString())
        return;
    const std::optional<std::string> date = documentinfo::isoDate(*value.getString());
    addLine(out, key, date ? *date : value.getString()->toStr());
}

std::string formName(Catalog &catalog)
{
    switch (catalog.getFormType()) {
    case Catalog::AcroForm:
        return "AcroForm";
    case Catalog::XfaForm:
        return "XFA";
    case Catalog::NoForm:
        break;
    }
    return "none";
}

std::string encryption(PDFDoc &doc)
{
    if (!doc.isEncrypted())
        return "no";
    unsigned char *fileKey = nullptr;
    CryptAlgorithm algorithm = cryptNone;
    int keyLength = 0;
    doc.getXRef()->getEncryptionParameters(&fileKey, &algorithm, &keyLength);
    const char *name = algorithm == cryptRC4      ? "RC4"
                       : algorithm == cryptAES    ? "AES"
                       : algorithm == cryptAES256 ? "AES-256"
                                                  : "unknown";
    const auto yesNo = [](bool allowed) { return allowed ? "yes" : "no"; };
    char text[160];
    std::snprintf(text, sizeof text, "yes (print:%s copy:%s change:%s addNotes:%s algorithm:%s)",
                  yesNo(doc.okToPrint(true)), yesNo(doc.okToCopy(true)),
                  yesNo(doc.okToChange(true)), yesNo(doc.okToAddNotes(true)), name);
    return text;
}

// "612 x 792 pts (letter)": the first page's crop box, named when it is letter or A0 to A6.
std::string pageSize(PDFDoc &doc)
{
    const double width = doc.getPageCropWidth(1);
    const double height = doc.getPageCropHeight(1);
    char text[96];
    int length = std::snprintf(text, sizeof text, "%g x %g pts", width, height);
    const auto near = [&](double w, double h, double by) {
        return (std::fabs(width - w) < by && std::fabs(height - h) < by) ||
               (std::fabs(width - h) < by && std::fabs(height - w) < by);
    };
    if (near(612, 792, 1))
        return std::string(text, size_t(length)) + " (letter)";
    double isoHeight = std::sqrt(std::sqrt(2.0)) * 7200 / 2.54;
    double isoWidth = isoHeight / std::sqrt(2.0);
    double threshold = isoHeight * 0.003; // ISO 216's A series within 0.3 %
    for (int size = 0; size <= 6; ++size) {
        if (near(isoWidth, isoHeight, threshold)) {
            length += std::snprintf(text + length, sizeof text - size_t(length), " (A%d)", size);
            break;
        }
        isoHeight = isoWidth;
        isoWidth /= std::sqrt(2.0);
        threshold /= std::sqrt(2.0);
    }
    return std::string(text, size_t(length));
}

} // namespace

std::string describe(PDFDoc &doc)
{
    std::string out;
    Object info = doc.getDocInfo();
    if (info.isDict()) {
        for (const char *key : {"Title", "Subject", "Keywords", "Author", "Creator", "Producer"})
            addString(out, *info.getDict(), key);
        addIsoDate(out, *info.getDict(), "CreationDate");
        addIsoDate(out, *info.getDict(), "ModDate");
    }
    Catalog &catalog = *doc.getCatalog();
    addLine(out, "Tagged", (catalog.getMarkInfo() & Catalog::markInfoMarked) ? "yes" : "no");
    addLine(out, "Form", formName(catalog));
    addLine(out, "Pages", std::to_string(doc.getNumPages()));
    addLine(out, "Encrypted", encryption(doc));
    if (doc.getNumPages() > 0)
        addLine(out, "Page size", pageSize(doc));
    addLine(out, "PDF version",
            std::to_string(doc.getPDFMajorVersion()) + "." +
                std::to_string(doc.getPDFMinorVersion()));
    return out;
}

std::optional<std::string> isoDate(const GooString &text)
{
    int year, month, day, hour, minute, second, zoneHour, zoneMinute;
    char zone;
    if (!parseDateString(&text, &year, &month, &day, &hour, &minute, &second, &zone, &zoneHour,
                         &zoneMinute))
        return std::nullopt;
    char date[64];
    int length = std::snprintf(date, sizeof date, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day,
                               hour, minute, second);
    if (zoneHour == 0 && zoneMinute == 0)
        length += std::snprintf(date + length, sizeof date - size_t(length), "Z");
    else if (zoneMinute == 0)
        length +=
            std::snprintf(date + length, sizeof date - size_t(length), "%c%02d", zone, zoneHour);
    else
        length += std::snprintf(date + length, sizeof date - size_t(length), "%c%02d:%02d", zone,
                                zoneHour, zoneMinute);
    return std::string(date, size_t(length));
}

} // namespace documentinfo
