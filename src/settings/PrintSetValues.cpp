#include "settings/PrintSetValues.h"

#include "app/TextFile.h"

#include <algorithm>
#include <limits>

namespace dorvane {

int ShownAdjustment(std::int32_t stored)
{
    return stored / 4; // C++ integer division truncates toward zero
}

std::int32_t StoredAdjustment(std::string_view text)
{
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max() / 4 * 4;
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min() / 4 * 4;
    const std::int64_t value = static_cast<std::int64_t>(ToInt(text)) * 4;
    return static_cast<std::int32_t>(std::clamp(value, kMin, kMax));
}

bool IsAdjustmentChar(char32_t c)
{
    return c == U'\b' || c == U'-' || (c >= U'0' && c <= U'9');
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
