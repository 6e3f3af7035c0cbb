#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace platform {

// The unsigned little-endian number of `width` bytes (at most 8) at `at`; the
// caller has made sure the bytes are there.
inline std::uint64_t LittleEndianAt(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t width)
{
    std::uint64_t value = 0;
    for (std::size_t i = width; i > 0; --i)
        value = (value << 8) | bytes[at + i - 1];
    return value;
}

} // namespace platform
