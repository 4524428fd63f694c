// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// poppler's checked allocations say "Out of memory" on the error output and give nothing, and the
// drawing goes on without what they were for: a picture that would not decode leaves a white page,
// which reads as a page without text. The error output is caught while a page is drawn to see it;
// what else poppler says while drawing stays out of the converter's messages (they are
// pdftotext's). Should the process abort while the catch is in place (an allocation poppler does
// not check), the error output is put back first and the mark said there, so that the service
// still tells the memory limit from a crash.
class ErrorOutputCatch
{
public:
    // Said on the error output before the process ends for a refused allocation, as poppler's
    // allocator and the child's own handler say it: the service knows the memory limit by it.
    static constexpr std::string_view OutOfMemoryMark = "Out of memory";

    ErrorOutputCatch();
    ~ErrorOutputCatch();
    ErrorOutputCatch(const ErrorOutputCatch &) = delete;
    ErrorOutputCatch &operator=(const ErrorOutputCatch &) = delete;

    // The errno that kept the catch from being set up; 0 when it is in place.
    int error() const { return m_error; }

    // Puts the error output back and tells whether a refused allocation was said on it.
    bool allocationRefused();

    // Ends the process for a refused allocation, saying the mark on the process's own error
    // output, also while a catch holds descriptor 2.
    [[noreturn]] static void endOutOfMemory();

private:
    void release();

    int m_caught = -1;
    int m_saved = -1;
    int m_error = 0;
};
