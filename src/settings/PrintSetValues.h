#pragma once
// The numbers of the print-settings page and the printer choice, apart from their widgets.
// Offsets and spacings are kept in tenths of a millimetre and shown and typed in millimetres
// with one decimal.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

// The text an edit shows for a stored value: millimetres with one decimal ("2.5", "-0.4", "0.0").
std::string ShownAdjustment(std::int32_t stored);

// The value stored for an edit's text, read as the C decimal conversion reads a number
// (leading blanks, a sign, digits, then a decimal point and digits; anything after that is
// ignored, no number at all is 0): millimetres times 10, rounded half away from zero to a
// whole tenth, stopping at the ends of the 32-bit range.
std::int32_t StoredAdjustment(std::string_view text);

// Millimetres given on the command line: a sign, digits and at most one decimal, nothing
// else; in tenths of a millimetre. None for anything else or more than six digits before the point.
std::optional<std::int32_t> ParseMillimetres(std::string_view text);

// Whether a typed character may enter an offset edit: Backspace, the minus sign, 0 to 9, and
// a decimal point while the text (without what the typing replaces) has none.
bool IsAdjustmentChar(char32_t c, bool textHasPoint);

// The list entry to preselect: the first equal to printerName (exact, case and all), else the
// first equal to defaultName, else -1.
int PreselectedPrinter(const std::vector<std::string>& names, const std::string& printerName,
                       const std::string& defaultName);

} // namespace dorvane
