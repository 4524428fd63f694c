// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The keys of the settings store, section "Morwenda". Users and their settings files know these
// names, so they never change.
namespace settingkeys {

// The password check box: 0 clear, 1 ticked, 2 greyed.
inline const QString AskPassword = QStringLiteral("Check1");
// "Save results to this folder:" and "Save results in folder of original file": "True"/"False".
inline const QString SaveToFolder = QStringLiteral("Option1");
inline const QString SaveBesidePdf = QStringLiteral("Option2");
// The output folder as typed or chosen.
inline const QString OutputFolder = QStringLiteral("Output Folder");
// The extension last scanned for by the folder scan.
inline const QString Extension = QStringLiteral("Extension");
// The folder the folder scan last started from.
inline const QString LastFolder = QStringLiteral("LastFolder");
// The output folder last chosen with "...".
inline const QString LastFolderDot = QStringLiteral("LastFolderDot");

// The window's size the user last gave it, "WIDTHxHEIGHT" in pixels; absent while it has its
// default size.
inline const QString WindowSize = QStringLiteral("Window Size");

// The conversion engine's limits, read at the start of each run: how many converters run at once
// (0 or absent: one per processor core), the memory one converter may take in MB, and the seconds
// a converter may go without giving new text.
inline const QString Converters = QStringLiteral("Converters");
inline const QString ConverterMemoryLimit = QStringLiteral("Converter Memory Limit");
inline const QString ConverterTimeLimit = QStringLiteral("Converter Time Limit");

// The converter, read at the start of each run: "service" (the default where the program has
// its converter service) or "pdftotext".
inline const QString Converter = QStringLiteral("Converter");

// Reading pages by OCR, read at the start of each run: "off" (the default), "auto" (pages without
// usable text) or "always" (every page); the tesseract languages ("eng", "eng+deu"); the dots
// per inch a page is drawn at for OCR (50 to 1200, default 300).
inline const QString Ocr = QStringLiteral("OCR");
inline const QString OcrLanguages = QStringLiteral("OCR Languages");
inline const QString OcrDpi = QStringLiteral("OCR DPI");
// The text the converter makes, read at the start of each run, as pdftotext's options: "Text
// Mode" is "reading" (absent: pdftotext's default), "layout" (-layout) or "raw" (-raw); "First
// Page" and "Last Page" the page range (-f, -l; 0 or absent: the whole document); "Text
// Encoding" a name of pdftotext -listenc (-enc; absent: UTF-8); "End Of Line" "unix", "dos" or
// "mac" (-eol; absent: unix); "Page Breaks" "False" for none (-nopgbrk; absent: "True").
inline const QString TextMode = QStringLiteral("Text Mode");
inline const QString FirstPage = QStringLiteral("First Page");
inline const QString LastPage = QStringLiteral("Last Page");
inline const QString TextEncoding = QStringLiteral("Text Encoding");
inline const QString EndOfLine = QStringLiteral("End Of Line");
inline const QString PageBreaks = QStringLiteral("Page Breaks");

} // namespace settingkeys
