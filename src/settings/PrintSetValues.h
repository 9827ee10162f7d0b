#pragma once
// The numbers of the print-settings page and the printer choice, apart from their widgets.
// Offsets and spacings are kept in tenths of a millimetre but shown and typed in units of
// four tenths, which users read as "millimetres".

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

// The value an edit shows for a stored one: divided by 4, rounding toward zero.
int ShownAdjustment(std::int32_t stored);

// The value stored for an edit's text: the C decimal conversion (empty or not a number is 0)
// times 4. Values whose product leaves the 32-bit range stop at the largest multiple of 4
// inside it, so a long row of digits never wraps to the opposite sign.
std::int32_t StoredAdjustment(std::string_view text);

// Whether a typed character may enter an offset edit: Backspace, the minus sign, 0 to 9.
bool IsAdjustmentChar(char32_t c);

// The list entry to preselect: the first equal to printerName (exact, case and all), else the
// first equal to defaultName, else -1.
int PreselectedPrinter(const std::vector<std::string>& names, const std::string& printerName,
                       const std::string& defaultName);

} // namespace dorvane
