// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureBudget.h"

#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

namespace picturebudget {

namespace {

constexpr std::uint64_t Unlimited = std::numeric_limits<std::uint64_t>::max();
// What a page's reading needs beside its pictures: the decoder's lines, tesseract's own tables.
constexpr std::uint64_t WorkRoom = 64u * 1024u * 1024u;

} // namespace

std::uint64_t addressSpaceInUse()
{
    const int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[64] = {};
    const ssize_t got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (got <= 0)
        return 0;
    return std::strtoull(text, nullptr, 10) * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

std::uint64_t pictureBytes(int width, int height, int depth)
{
    if (width <= 0 || height <= 0 || depth <= 0)
        return 0;
    const std::uint64_t lineBits = std::uint64_t(width) * std::uint64_t(depth);
    return (lineBits + 31) / 32 * 4 * std::uint64_t(height);
}

std::uint64_t left(std::uint64_t limit, std::uint64_t inUse)
{
    if (limit == RLIM_INFINITY)
        return Unlimited;
    return limit > inUse ? limit - inUse : 0;
}

std::uint64_t leftInProcess()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return Unlimited;
    return left(limit.rlim_cur, addressSpaceInUse());
}

bool fits(std::uint64_t bytes, int copies)
{
    const std::uint64_t room = leftInProcess();
    if (room == Unlimited)
        return true;
    // Each term stays below 2^40 for any picture leptonica holds: no overflow.
    return bytes <= MaxPictureBytes && bytes * std::uint64_t(copies) + WorkRoom <= room;
}

bool canHold(int width, int height, int depth, int copies)
{
    const std::uint64_t bytes = pictureBytes(width, height, depth);
    return bytes > 0 && bytes <= MaxPictureBytes && fits(bytes, copies);
}

} // namespace picturebudget
