#include "address/ClipboardAddress.h"

#include "text/CodePageChars.h"
#include "address/LooseAddress.h"
#include "address/PhoneNumber.h"
#include "address/RegionTable.h"

#include <array>
#include <cstddef>
#include <vector>

namespace dorvane {

namespace {

constexpr std::string_view kWideComma = "\xA3\xAC";                     // ，
constexpr std::string_view kTwoBlanks = "  ";
constexpr std::string_view kWideBlank = "\xA1\xA1";                     // 　
constexpr std::string_view kCity = "\xCA\xD0";                          // 市
constexpr std::string_view kProvince = "\xCA\xA1";                      // 省
constexpr std::string_view kAutonomousRegion = "\xD7\xD4\xD6\xCE\xC7\xF8"; // 自治区
constexpr std::size_t npos = std::string_view::npos;

constexpr std::size_t kMaxPieces = 12;

// Pieces of a cut text; places no piece reaches are empty.
struct Pieces {
    std::array<std::string_view, kMaxPieces> at{};
    std::size_t separators = 0;
};

// Cuts text at every separator, left to right. nullopt when there are more than maxSeparators
// (maxSeparators + 1 must not exceed kMaxPieces).
std::optional<Pieces> CutAt(std::string_view text, std::string_view separator, std::size_t maxSeparators)
{
    Pieces pieces;
    std::size_t start = 0;
    for (std::size_t found; (found = FindChars(text, separator, start)) != npos; start = found + separator.size()) {
        if (pieces.separators == maxSeparators)
            return std::nullopt;
        pieces.at[pieces.separators++] = text.substr(start, found - start);
    }
    pieces.at[pieces.separators] = text.substr(start);
    return pieces;
}

// ASCII digits once every "-" is left out; an empty piece counts as numeric.
bool IsNumeric(std::string_view piece)
{
    for (char c : piece)
        if (c != '-' && (c < '0' || c > '9'))
            return false;
    return true;
}

// Only asked of numeric pieces, which are all ASCII, so a byte search is a character search.
bool HasHyphen(std::string_view numericPiece) { return numericPiece.find('-') != npos; }

std::string WithoutBlanks(std::string_view piece)
{
    std::string out;
    out.reserve(piece.size());
    for (std::string_view ch : CodePageChars(piece))
        if (ch != " " && ch != kWideBlank)
            out += ch;
    return out;
}

// The destination city of an address: from right after the province or autonomous region up to
// and including the first "市"; without either marker, the first two characters. Empty when the
// address has no "市" or its first "市" comes before the marker.
std::string DestinationOf(std::string_view address)
{
    const std::size_t city = FindChars(address, kCity);
    const auto upToCity = [&](std::size_t start) -> std::string {
        if (city == npos || city < start)
            return {};
        return std::string(address.substr(start, city + kCity.size() - start));
    };
    if (const std::size_t t = FindChars(address, kProvince); t != npos)
        return upToCity(t + kProvince.size());
    if (const std::size_t t = FindChars(address, kAutonomousRegion); t != npos)
        return upToCity(t + kAutonomousRegion.size());
    // First 4 bytes, but never half a character: a leading ASCII letter or a four-byte
    // character would otherwise leave a broken byte at the end.
    std::size_t end = 0;
    while (end < address.size() && end + CharLengthAt(address, end) <= 4)
        end += CharLengthAt(address, end);
    return std::string(address.substr(0, end));
}

// The telephone number a piece is, whole: "138****5678", "+8613812345678", "(0571)88886666".
std::optional<PhoneNumber> WholePhone(std::string_view piece)
{
    std::vector<PhoneNumber> found = FindPhoneNumbers(piece);
    if (found.size() != 1 || found.front().position != 0 || found.front().length != piece.size())
        return std::nullopt;
    return std::move(found.front());
}

// An address starts with region names of the table and goes on past them, or is a region line
// that reaches a city or county ("北京市朝阳区"). Short pieces are names otherwise: "黄山" and
// "金华" are people too. Without a table, any piece longer than 12 bytes is an address.
bool IsAddressPiece(std::string_view piece, const RegionTable& regions)
{
    if (regions.empty())
        return piece.size() > 12;
    // Some shops write the country first: "中国大陆 浙江省 杭州市 ...".
    std::string_view afterCountry = piece;
    for (std::string_view country : {std::string_view("\xD6\xD0\xB9\xFA\xB4\xF3\xC2\xBD"), // 中国大陆
                                     std::string_view("\xD6\xD0\xB9\xFA")})                 // 中国
        if (afterCountry.starts_with(country)) {
            afterCountry.remove_prefix(country.size());
            break;
        }
    const AddressRegions found = ReadAddressRegions(regions, afterCountry);
    if (found.length == 0)
        return false;
    return piece.size() > 12 || (found.reachesCity && found.length == afterCountry.size() && piece.size() >= 6);
}

// A character never found in a name: a digit or a control character. The bytes of a four-byte
// character include digits; the character is no digit.
bool IsDigitOrControl(std::string_view ch)
{
    return ch.size() == 1 && ((ch[0] >= '0' && ch[0] <= '9') || static_cast<unsigned char>(ch[0]) < 0x20);
}

// Names as the shops show them: "张三", "王xx", "刘*", "Alice", and longer ones made of name
// characters only ("阿卜杜热合曼·买买提"). A piece with a digit is no name ("周xy13912345678").
bool IsNamePiece(std::string_view piece)
{
    if (piece.size() < 3)
        return false;
    for (std::string_view ch : CodePageChars(piece))
        if (IsDigitOrControl(ch))
            return false;
    if (piece.size() <= 12)
        return true;
    static const std::string_view kMiddleDot = "\xA1\xA4"; // ·
    static const std::string kNotInNames = "\xCA\xA1\xCA\xD0\xC7\xF8\xCF\xD8\xD5\xF2\xCF\xE7\xB4\xE5\xBD\xD6"
                                           "\xB5\xC0\xC2\xB7\xCF\xEF\xC5\xAA\xBA\xC5\xC2\xA5\xB6\xB0\xB4\xB1"
                                           "\xCA\xD2\xB2\xE3"; // 省市区县镇乡村街道路巷弄号楼栋幢室层
    for (std::string_view ch : CodePageChars(piece)) {
        const auto lead = static_cast<unsigned char>(ch[0]);
        const bool letter = ch.size() == 1 && ((ch[0] | 0x20) >= 'a' && (ch[0] | 0x20) <= 'z');
        const bool mark = ch == "." || ch == "'" || ch == "-" || ch == "*" || ch == kMiddleDot;
        const bool hanzi = ch.size() == 4 || (ch.size() == 2 && (lead < 0xA1 || lead > 0xA9));
        if (!letter && !mark && !hanzi)
            return false;
        if (ch.size() == 2)
            for (std::size_t i = 0; i < kNotInNames.size(); i += 2)
                if (ch == std::string_view(kNotInNames).substr(i, 2))
                    return false;
    }
    return true;
}

// The pieces of the comma shape, and how many pieces named a recipient or an address.
struct CommaReading {
    RecipientFields fields;
    int names = 0;
    int addresses = 0;
};

CommaReading ReadCommaShape(const Pieces& pieces, const RegionTable& regions)
{
    CommaReading reading;
    RecipientFields& fields = reading.fields;
    fields.telephone = std::string();
    for (std::string_view raw : pieces.at) {
        const std::string piece = WithoutBlanks(raw);
        const std::size_t length = piece.size();
        // Digits and hyphens as the shops write them: a mobile of 11 digits, a postcode of 6,
        // a telephone with its hyphens as written.
        if (IsNumeric(piece)) {
            const bool hyphen = HasHyphen(piece);
            if (length == 11 && !hyphen)
                fields.mobile = piece;
            if (length == 6)
                fields.postcode = piece;
            if (hyphen)
                fields.telephone = piece;
            if ((length == 11 && !hyphen) || length == 6 || hyphen)
                continue;
        }
        // Any other shape of telephone is one, never a name or an address.
        if (const auto phone = WholePhone(piece)) {
            (phone->mobile ? fields.mobile : fields.telephone) = phone->number;
        } else if (IsNumeric(piece)) {
            // a number of no known kind
        } else if (IsAddressPiece(piece, regions)) {
            ++reading.addresses;
            fields.address = WithMunicipalityOnce(regions, piece);
            fields.destination = DestinationOf(*fields.address);
        } else if (IsNamePiece(piece)) {
            ++reading.names;
            fields.name = piece;
        }
    }
    return reading;
}

std::string Joined(const Pieces& pieces, std::size_t from, std::size_t to)
{
    std::string out;
    for (std::size_t i = from; i < to; ++i)
        out += pieces.at[i];
    return out;
}

std::optional<RecipientFields> ParseBlankShape(std::string_view text)
{
    const auto pieces = CutAt(text, kTwoBlanks, kMaxPieces - 1);
    if (!pieces || pieces->separators < 6)
        return std::nullopt;

    RecipientFields fields;
    fields.telephone = std::string();
    std::size_t postcodeIndex = npos, mobileIndex = npos;
    for (std::size_t i = 3; i < kMaxPieces; ++i) {
        const std::string_view piece = pieces->at[i];
        if (!IsNumeric(piece))
            continue;
        const bool hyphen = HasHyphen(piece);
        if (piece.size() == 6) {
            fields.postcode = std::string(piece);
            postcodeIndex = i;
        } else if (piece.size() == 11 && !hyphen) {
            fields.mobile = std::string(piece);
            mobileIndex = i;
        }
        if (hyphen)
            fields.telephone = std::string(piece);
    }
    // The address ends before the postcode and the name lies between postcode and mobile;
    // without both pieces there is no telling where either is, so the text is not taken.
    if (postcodeIndex == npos || mobileIndex == npos)
        return std::nullopt;

    fields.address = Joined(*pieces, 0, postcodeIndex);
    fields.destination = std::string(pieces->at[1]);
    fields.name = mobileIndex > postcodeIndex + 1 ? Joined(*pieces, postcodeIndex + 1, mobileIndex) : std::string();
    return fields;
}

// A copied line usually ends with a line end, and a copy may take blanks after the text with
// it; neither is part of the last piece (a postcode "200000\n" would not be numeric).
std::string_view WithoutTrailingBlanks(std::string_view text)
{
    std::size_t end = 0;
    const CodePageChars chars(text);
    for (auto it = chars.begin(); it != chars.end(); ++it) {
        const std::string_view ch = *it;
        if (ch != "\r" && ch != "\n" && ch != " " && ch != "\t" && ch != kWideBlank)
            end = it.position() + ch.size();
    }
    return text.substr(0, end);
}

// The two shapes of shop address: full-width commas, or double blanks. Comma pieces that do
// not give one name, one address and a telephone are no shop address: the text is read as a
// labelled or free address then.
std::optional<RecipientFields> ParseShopShapes(std::string_view codePageText)
{
    const std::string_view text = WithoutTrailingBlanks(codePageText);
    if (FindChars(text, kCity) == npos)
        return std::nullopt;
    const auto commaPieces = CutAt(text, kWideComma, 6);
    if (!commaPieces)
        return std::nullopt; // more than six full-width commas
    if (commaPieces->separators >= 3) {
        CommaReading reading = ReadCommaShape(*commaPieces, ShippedRegionTable());
        const RecipientFields& fields = reading.fields;
        if (reading.names != 1 || reading.addresses != 1 || (!fields.mobile && fields.telephone->empty()))
            return std::nullopt;
        return std::move(reading.fields);
    }
    return ParseBlankShape(commaPieces->at[commaPieces->separators]);
}

} // namespace

std::optional<RecipientFields> ParseClipboardAddress(std::string_view codePageText)
{
    if (auto fields = ParseShopShapes(codePageText))
        return fields;
    return ParseLooseAddress(codePageText, ShippedRegionTable());
}

} // namespace dorvane
