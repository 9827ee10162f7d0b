#pragma once
// Unsigned numbers of 1 to 4 bytes at a place in a file's bytes, as picture headers store them.
// The caller has checked that the bytes are there.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace dorvane {

inline std::uint32_t BigEndian(std::string_view bytes, std::size_t at, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

inline std::uint32_t LittleEndian(std::string_view bytes, std::size_t at, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

} // namespace dorvane
