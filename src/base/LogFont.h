#pragma once
// The print fonts are kept in the text form of a Windows LOGFONT: fourteen comma-separated
// members in declaration order, the face name being the whole rest of the line.

#include <cstdint>
#include <string>
#include <string_view>

namespace dorvane {

struct LogFont {
    std::int32_t height = 0; // screen pixels; negative means character height
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::string faceName; // code-page bytes, at most kMaxFaceName

    bool operator==(const LogFont&) const = default;
};

inline constexpr std::size_t kMaxFaceName = 31;

// Reads the text form into font. Members that the line does not supply keep their value,
// so a short line over an earlier font changes only what it names. The face name is the
// whole text after the thirteenth comma, blanks included, cut at 31 bytes.
void TextToLogFont(std::string_view text, LogFont& font);

// "%ld,%ld,%ld,%ld,%ld,%u,%u,%u,%u,%u,%u,%u,%u,%s"
std::string LogFontToText(const LogFont& font);

// The font dialog's answer over the font in use. `shown` is the font the dialog showed when it
// opened and `chosen` the one it answered, both read back into LOGFONTs. Whatever the user left
// as shown keeps the font in use's own value: the dialog knows a substituted face (宋体) only
// by the installed family's name and shows a height only in whole points, so confirming it
// unchanged must not rename the face nor round the height.
LogFont ApplyFontChoice(const LogFont& inUse, const LogFont& shown, const LogFont& chosen);

} // namespace dorvane
