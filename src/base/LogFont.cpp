#include "base/LogFont.h"

#include "text/CodePageChars.h"
#include <cstdlib>

namespace dorvane {

void TextToLogFont(std::string_view text, LogFont& font)
{
    std::int32_t* const signedMembers[] = {&font.height, &font.width, &font.escapement,
                                           &font.orientation, &font.weight};
    std::uint8_t* const byteMembers[] = {&font.italic,       &font.underline,    &font.strikeOut,
                                         &font.charSet,      &font.outPrecision, &font.clipPrecision,
                                         &font.quality,      &font.pitchAndFamily};
    // Like scanf with the text form: each member is a number followed by a comma; the first
    // member that is not there stops the reading and leaves the rest as they were.
    std::size_t pos = 0;
    for (int member = 0; member < 13; ++member) {
        const std::string rest(text.substr(pos));
        char* end = nullptr;
        const long value = std::strtol(rest.c_str(), &end, 10);
        if (end == rest.c_str())
            return;
        if (member < 5)
            *signedMembers[member] = static_cast<std::int32_t>(value);
        else
            *byteMembers[member - 5] = static_cast<std::uint8_t>(value);
        pos += static_cast<std::size_t>(end - rest.c_str());
        if (pos >= text.size() || text[pos] != ',')
            return;
        ++pos;
    }
    std::string_view face = text.substr(pos);
    if (face.empty())
        return;
    if (face.size() > kMaxFaceName) {
        // Cut at 31 bytes, but never inside a character.
        std::size_t cut = 0;
        while (cut + CharLengthAt(face, cut) <= kMaxFaceName)
            cut += CharLengthAt(face, cut);
        face = face.substr(0, cut);
    }
    font.faceName = std::string(face);
}

std::string LogFontToText(const LogFont& font)
{
    std::string text;
    for (std::int32_t v : {font.height, font.width, font.escapement, font.orientation, font.weight})
        text += std::to_string(v) + ',';
    for (unsigned v : {font.italic, font.underline, font.strikeOut, font.charSet, font.outPrecision,
                       font.clipPrecision, font.quality, font.pitchAndFamily})
        text += std::to_string(v) + ',';
    return text + font.faceName;
}

LogFont ApplyFontChoice(const LogFont& inUse, const LogFont& shown, const LogFont& chosen)
{
    LogFont result = chosen;
    const auto keepIfUntouched = [&](auto member) {
        if (chosen.*member == shown.*member)
            result.*member = inUse.*member;
    };
    keepIfUntouched(&LogFont::height);
    keepIfUntouched(&LogFont::escapement);
    keepIfUntouched(&LogFont::orientation);
    keepIfUntouched(&LogFont::weight);
    keepIfUntouched(&LogFont::italic);
    keepIfUntouched(&LogFont::underline);
    keepIfUntouched(&LogFont::strikeOut);
    // The members that describe the face itself go with its name.
    if (chosen.faceName == shown.faceName) {
        result.faceName = inUse.faceName;
        result.width = inUse.width;
        result.charSet = inUse.charSet;
        result.outPrecision = inUse.outPrecision;
        result.clipPrecision = inUse.clipPrecision;
        result.quality = inUse.quality;
        result.pitchAndFamily = inUse.pitchAndFamily;
    }
    return result;
}

} // namespace dorvane
