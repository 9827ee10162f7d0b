#include "settings/PrintSetValues.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace dorvane {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::string ShownAdjustment(std::int32_t stored)
{
    const std::int64_t value = stored; // the 32-bit minimum has no positive counterpart
    const std::int64_t magnitude = std::llabs(value);
    return (value < 0 ? "-" : "") + std::to_string(magnitude / 10) + '.' + std::to_string(magnitude % 10);
}

std::int32_t StoredAdjustment(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    // Tenths, saturated well above the 32-bit range so that a long row of digits cannot wrap.
    constexpr std::int64_t kCeiling = std::int64_t{1} << 40;
    std::int64_t tenths = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        tenths = std::min(kCeiling, tenths * 10 + (text[i] - '0') * 10);
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (i < text.size() && IsDigit(text[i]))
            tenths = std::min(kCeiling, tenths + (text[i++] - '0'));
        if (i < text.size() && IsDigit(text[i]) && text[i] >= '5')
            tenths = std::min(kCeiling, tenths + 1);
    }
    const std::int64_t value = negative ? -tenths : tenths;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

std::optional<std::int32_t> ParseMillimetres(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    const std::size_t digits = i;
    std::int64_t tenths = 0;
    for (; i < text.size() && IsDigit(text[i]) && i - digits < 6; ++i)
        tenths = tenths * 10 + (text[i] - '0') * 10;
    bool any = i > digits;
    if (i < text.size() && text[i] == '.' && i + 1 < text.size() && IsDigit(text[i + 1])) {
        tenths += text[i + 1] - '0';
        i += 2;
        any = true;
    }
    if (!any || i != text.size())
        return std::nullopt;
    return static_cast<std::int32_t>(negative ? -tenths : tenths);
}

bool IsAdjustmentChar(char32_t c, bool textHasPoint)
{
    return c == U'\b' || c == U'-' || (c >= U'0' && c <= U'9') || (c == U'.' && !textHasPoint);
}

int PreselectedPrinter(const std::vector<std::string>& names, const std::string& printerName,
                       const std::string& defaultName)
{
    for (const std::string* wanted : {&printerName, &defaultName}) {
        const auto found = std::find(names.begin(), names.end(), *wanted);
        if (found != names.end())
            return static_cast<int>(found - names.begin());
    }
    return -1;
}

} // namespace dorvane
