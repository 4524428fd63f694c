// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The memory a page's picture may take in the service's child, looked at before a picture is
// decoded, drawn or copied, so that a page too large ends the conversion with the memory limit and
// the page's number rather than with a refused allocation in the middle of a drawing.
namespace picturebudget {

// leptonica holds no picture of 2^31 bytes or more.
inline constexpr std::uint64_t MaxPictureBytes = (std::uint64_t(1) << 31) - 1;

// Copies of a page's picture its reading holds at once at most: the picture, cleaning's and
// turning's results, and tesseract's own copy.
inline constexpr int ReadingCopies = 4;

// Thrown by the reading of a page whose picture does not fit in the memory left under the child's
// limit; the child answers with the memory limit and this page.
struct PageTooLarge
{
    int page;
};

// The bytes of a picture of `width` x `height` pixels of `depth` bits, each line padded to 32
// bits as leptonica's and poppler's are; the arithmetic cannot overflow for any int sides.
std::uint64_t pictureBytes(int width, int height, int depth);

// This process's address space in bytes (0 when it cannot be read).
std::uint64_t addressSpaceInUse();

// What the address space may still grow by under `limit` bytes (RLIMIT_AS) from `inUse`.
std::uint64_t left(std::uint64_t limit, std::uint64_t inUse);

// The same for this process, from its own limit and address space; no limit is all there is.
std::uint64_t leftInProcess();

// `copies` pictures of `bytes` each can be held at once here, with room for the work beside them.
bool fits(std::uint64_t bytes, int copies = 1);

// leptonica can make the picture and it fits in memory.
bool canHold(int width, int height, int depth, int copies = 1);

} // namespace picturebudget
