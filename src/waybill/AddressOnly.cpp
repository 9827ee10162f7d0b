#include "waybill/AddressOnly.h"

namespace dorvane {

std::optional<AddressAndDestination> ReadAddressOnly(std::string_view address, const RegionTable& regions)
{
    const auto first = address.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return std::nullopt;
    address = address.substr(first, address.find_last_not_of(" \t") - first + 1);
    const AddressRegions found = ReadAddressRegions(regions, address);
    if (found.length == 0 || !found.reachesCity)
        return std::nullopt;
    // As the clipboard's reading does: what an address leaves out above it is put in front
    // when only one province and city fit.
    std::string above;
    if (!found.provinceWritten && found.province >= 0 && (found.cityWritten || found.destination >= 0)) {
        above = regions.at(found.province).name;
        if (!found.cityWritten && found.city >= 0 && found.city != found.province)
            above += regions.at(found.city).name;
    }
    AddressAndDestination result;
    result.address = above + std::string(address);
    if (found.destination >= 0)
        result.destination = regions.at(found.destination).name;
    return result;
}

} // namespace dorvane
