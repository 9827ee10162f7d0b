#include "address/AddressRecord.h"

#include "text/CommaJoined.h"

#include <algorithm>

namespace dorvane {

std::vector<std::string> SplitAddressRecord(std::string_view record)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (pieces.size() < kMaxAddressRecordPieces) {
        const std::size_t comma = record.find(',', start);
        if (comma == std::string_view::npos) {
            pieces.emplace_back(record.substr(start));
            break;
        }
        pieces.emplace_back(record.substr(start, comma - start));
        start = comma + 1;
    }
    return pieces;
}

namespace {

constexpr PieceShape kRecordShapes[] = {PieceShape::Text, PieceShape::Telephone, PieceShape::Telephone,
                                        PieceShape::Text, PieceShape::Postcode};
constexpr std::size_t kRecordTextOrder[] = {3, 0}; // the address, then the name

} // namespace

AddressParts PickedAddressParts(std::string_view record)
{
    const std::vector<std::string> values = ReadCommaJoined(record, kRecordShapes, kRecordTextOrder);
    AddressParts parts;
    std::copy(values.begin(), values.end(), parts.begin());
    return parts;
}

std::string JoinAddressRecord(const AddressParts& parts)
{
    std::string record;
    for (std::size_t i = 0; i < parts.size(); ++i)
        record += (i ? "," : "") + CommaFreeValue(parts[i]);
    return record;
}

std::optional<AddressParts> TypedInFullAddress(std::string_view text)
{
    if (SplitAddressRecord(text).size() != kAddressRecordParts)
        return std::nullopt;
    return PickedAddressParts(text);
}

} // namespace dorvane
