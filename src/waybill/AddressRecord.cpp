#include "waybill/AddressRecord.h"

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

AddressParts PickedAddressParts(std::string_view record)
{
    const std::vector<std::string> pieces = SplitAddressRecord(record);
    AddressParts parts;
    for (std::size_t i = 0; i < parts.size() && i < pieces.size(); ++i)
        parts[i] = pieces[i];
    return parts;
}

std::optional<AddressParts> TypedInFullAddress(std::string_view text)
{
    if (SplitAddressRecord(text).size() != kAddressRecordParts)
        return std::nullopt;
    return PickedAddressParts(text);
}

} // namespace dorvane
