#include "settings/ListPageRules.h"

#include <algorithm>
#include <limits>

namespace dorvane {

std::int64_t RowId(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value > (kMax - digit) / 10)
            return negative ? -kMax : kMax; // saturate rather than overflow
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

int RowAfterDelete(int removedRow, int rowsLeft)
{
    if (rowsLeft <= 0)
        return -1;
    return std::clamp(removedRow, 0, rowsLeft - 1);
}

} // namespace dorvane
