// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextSink.h"

#include "ServiceProtocol.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <unistd.h>
#include <utility>

namespace childconversion {

bool writeAll(int fd, const char *data, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

void TextSink::collect(void *sink, const char *text, int length)
{
    static_cast<TextSink *>(sink)->append(text, static_cast<std::size_t>(length));
}

void TextSink::append(const char *text, std::size_t length)
{
    if (m_holding) {
        // A page's text waits for its judgement, unless it has shown itself usable already and
        // is no page to be read by OCR whatever it holds.
        m_page.append(text, length);
        if (!m_holdWhole) {
            m_pageCounter.feed(std::string_view(text, length));
            if (m_pageCounter.decided()) {
                m_holding = false;
                append(m_page.data(), m_page.size());
                m_page.clear();
            }
        }
        return;
    }
    m_buffer.append(text, length);
    m_passed += length;
    if (m_buffer.size() >= FlushSize)
        flush();
}

void TextSink::holdPage(bool whole)
{
    m_holding = true;
    m_holdWhole = whole;
    m_page.clear();
    m_pageCounter = pagetextcheck::Counter();
}

std::string TextSink::takeHeldPage()
{
    m_holding = false;
    return std::exchange(m_page, {});
}

void TextSink::pageEnded()
{
    if (!m_holding)
        flush();
}

void TextSink::flush()
{
    if (m_buffer.empty() || m_error != 0) {
        m_buffer.clear();
        return;
    }
    if (!writeOut(m_buffer.data(), m_buffer.size()))
        m_error = errno;
    else
        m_written += m_buffer.size();
    m_buffer.clear();
}

bool TextSink::writeOut(const char *data, std::size_t length)
{
    if (!m_framed)
        return writeAll(m_fd, data, length);
    // A frame the service could not pass on whole (it adds the request's id) would end the
    // conversation: a page of much text goes in several.
    std::string frame;
    for (std::size_t offset = 0; offset < length; offset += MaxFrameText) {
        frame.clear();
        serviceprotocol::appendFrame(
            frame, serviceprotocol::FrameKind::Text,
            std::string_view(data + offset, std::min(MaxFrameText, length - offset)));
        if (!writeAll(m_fd, frame.data(), frame.size()))
            return false;
    }
    return true;
}

} // namespace childconversion
