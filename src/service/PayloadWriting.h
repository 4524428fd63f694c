// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

// Writing the fields of a frame's payload, as ServiceProtocol.h describes them: little-endian
// integers, doubles by their bits, strings after their byte count.
namespace serviceprotocol::payload {

inline void putU8(std::string &out, std::uint8_t value)
{
    out.push_back(static_cast<char>(value));
}

inline void putU32(std::string &out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xffu));
}

inline void putI32(std::string &out, std::int32_t value)
{
    putU32(out, static_cast<std::uint32_t>(value));
}

inline void putU64(std::string &out, std::uint64_t value)
{
    for (int shift = 0; shift < 64; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xffu));
}

inline void putF64(std::string &out, double value)
{
    putU64(out, std::bit_cast<std::uint64_t>(value));
}

inline void putString(std::string &out, std::string_view text)
{
    putU32(out, static_cast<std::uint32_t>(text.size()));
    out.append(text);
}

} // namespace serviceprotocol::payload
