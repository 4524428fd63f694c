// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OcrChoice.h"
#include "TextOptions.h"

class SettingsStore;

// What one run allows its converters, and the text it asks of them.
struct ConversionLimits
{
    // Defaults, measured with pdftotext 22.12: no PDF of the test corpus takes more than 23 MB of
    // address space or 0.6 s in all, a 2,051-page book 26 MB and 2.9 s, so both limits leave a
    // wide margin; a decompression bomb reaches the memory limit within seconds, and a 3 KB page
    // whose forms draw forms ten times, six levels deep (busy for minutes, 400 MB, no text) the
    // time limit.
    static constexpr int DefaultMemoryMegabytes = 1024;
    static constexpr int DefaultIdleSeconds = 30;
    // The longest limits that can be held: a time limit in milliseconds must fit a timer's int,
    // and megabytes are counted in an int.
    static constexpr int MaxIdleSeconds = 2147483;
    static constexpr int MaxMemoryMegabytes = 2147483647;

    int converters = 1;                           // at once, at least 1
    int memoryMegabytes = DefaultMemoryMegabytes; // address space of one converter; 0: no limit
    int idleSeconds = DefaultIdleSeconds;         // without new text; 0: no limit
    OcrChoice ocr;                                // pages read by OCR (the service only)
    TextOptions text;                             // the text every file of the run gets

    // Converters: 0, absent or unreadable is one per processor core. The limits: absent or
    // unreadable is the default, 0 is none, more than can be held is the most that can. The text:
    // TextOptions::fromSettings. Read from the store at the start of each run.
    static ConversionLimits fromSettings(const SettingsStore &store);

    // The time limit in milliseconds, within what a timer can hold; 0 for none.
    static int idleMilliseconds(int idleSeconds);

    // One converter per processor core.
    static int coreCount();
};
