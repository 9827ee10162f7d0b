#include "text/CodePageChars.h"

#include <cstdint>

namespace dorvane {

namespace {
bool IsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsTwoByteTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFE); }
bool IsFourByteDigit(unsigned char c) { return c >= 0x30 && c <= 0x39; }

std::uint32_t CharValue(std::string_view ch)
{
    std::uint32_t value = 0;
    for (unsigned char c : ch)
        value = (value << 8) | c;
    return value;
}
} // namespace

std::size_t CharLengthAt(std::string_view text, std::size_t pos)
{
    const std::size_t left = text.size() - pos;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    if (left < 2 || !IsLead(byte(0)))
        return 1;
    if (IsTwoByteTrail(byte(1)))
        return 2;
    if (left >= 4 && IsFourByteDigit(byte(1)) && IsLead(byte(2)) && IsFourByteDigit(byte(3)))
        return 4;
    return 1;
}

std::size_t FindChars(std::string_view text, std::string_view needle, std::size_t from)
{
    if (needle.empty())
        return from <= text.size() ? from : std::string_view::npos;
    for (std::size_t pos = from; pos + needle.size() <= text.size(); pos += CharLengthAt(text, pos)) {
        if (text.compare(pos, needle.size(), needle) == 0) {
            // The match must also end on a character boundary of text.
            std::size_t end = pos;
            while (end < pos + needle.size())
                end += CharLengthAt(text, end);
            if (end == pos + needle.size())
                return pos;
        }
    }
    return std::string_view::npos;
}

std::size_t CharCount(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLengthAt(text, pos))
        ++count;
    return count;
}

int CompareCodePageText(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t la = CharLengthAt(a, i), lb = CharLengthAt(b, j);
        const std::uint32_t va = CharValue(a.substr(i, la)), vb = CharValue(b.substr(j, lb));
        if (va != vb)
            return va < vb ? -1 : 1;
        i += la;
        j += lb;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

} // namespace dorvane
