// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PageTextCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace childconversion {

// Writes all of `data`; false with errno set when the descriptor refuses.
bool writeAll(int fd, const char *data, std::size_t length);

// Where the child's text goes: gathered here and handed on at each page's end (so the service sees
// the text coming while a long document converts) or when a page gives much text. Framed text goes
// out in 'T' frames of at most MaxFrameText bytes each, however much one page holds.
class TextSink
{
public:
    static constexpr std::size_t FlushSize = 64 * 1024;
    static constexpr std::size_t MaxFrameText = 1024 * 1024;

    TextSink(int fd, bool framed) : m_fd(fd), m_framed(framed) {}

    // poppler's text output function.
    static void collect(void *sink, const char *text, int length);

    void append(const char *text, std::size_t length);

    // The next page's text is held until takeHeldPage(): the whole of it (`whole`), or until it
    // shows itself usable.
    void holdPage(bool whole);

    // The page's text still held (empty once it was let through as usable).
    bool holding() const { return m_holding; }
    std::string takeHeldPage();

    void pageEnded();
    // Hands on what is gathered. After a failed write the rest of the text is dropped: the
    // outcome is a failure anyway.
    void flush();

    int error() const { return m_error; }
    std::uint64_t written() const { return m_written; }
    // Bytes let through so far (held text counts once it is let through).
    std::uint64_t passed() const { return m_passed; }

private:
    bool writeOut(const char *data, std::size_t length);

    int m_fd;
    bool m_framed;
    std::string m_buffer;
    std::string m_page;
    pagetextcheck::Counter m_pageCounter;
    bool m_holding = false;
    bool m_holdWhole = false;
    int m_error = 0;
    std::uint64_t m_written = 0;
    std::uint64_t m_passed = 0;
};

} // namespace childconversion
