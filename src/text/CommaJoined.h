#pragma once
// Values stored joined by ASCII commas with no quoting: address.ini, the address book's
// records, a layout file's header. Other programs read these files as they are, so the format
// stays; instead no value is ever stored holding an ASCII comma. Files written before that
// rule may still hold one, and are read back as well as their pieces allow.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

// The full-width comma "，" in GB18030.
inline constexpr std::string_view kFullWidthComma = "\xA3\xAC";

// A value as it may be stored comma-joined: every ASCII comma becomes "，". Every writer of
// a comma-joined value passes it through here. (A comma byte never occurs inside a GB18030
// multibyte character, so no character walk is needed.)
std::string CommaFreeValue(std::string_view value);

// What a stored value looks like, so that the pieces of an older record with a comma inside
// one value can be given back to the value they were cut from.
enum class PieceShape {
    Text,      // anything; may have been cut at its own commas
    Telephone, // empty, or digits with blanks, + - * ( ) # or 转 (a masked number, an extension)
    Postcode,  // empty, or digits only
};

// Reads one record of shapes.size() values. With no more pieces than values, piece i is value
// i and missing values are empty. With more, the extra pieces are joined back (with ",") into
// the text values, in the first arrangement that leaves every telephone and postcode value
// looking like one; arrangements that give more pieces to the earlier values of `textOrder`
// (indexes into shapes, all of them Text) are tried first. When none fits, the first value of
// textOrder takes every extra piece.
std::vector<std::string> ReadCommaJoined(std::string_view line, std::span<const PieceShape> shapes,
                                         std::span<const std::size_t> textOrder);

} // namespace dorvane
