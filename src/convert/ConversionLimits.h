#pragma once

class SettingsStore;

// What one run allows its converters.
struct ConversionLimits
{
    // Defaults, measured on real PDFs: the largest converter of a 2,000-page book and of every PDF
    // of the test corpus stays far below the memory limit, and none goes a tenth of the time limit
    // without new text; a decompression bomb reaches the memory limit within seconds, a page that
    // draws itself in a loop the time limit.
    static constexpr int DefaultMemoryMegabytes = 1536;
    static constexpr int DefaultIdleSeconds = 30;

    int converters = 1;                           // at once, at least 1
    int memoryMegabytes = DefaultMemoryMegabytes; // address space of one converter; 0: no limit
    int idleSeconds = DefaultIdleSeconds;         // without new text; 0: no limit

    // Converters: 0, absent or unreadable is one per processor core. The limits: absent or
    // unreadable is the default, 0 is none. Read from the store at the start of each run.
    static ConversionLimits fromSettings(const SettingsStore &store);

    // One converter per processor core.
    static int coreCount();
};
