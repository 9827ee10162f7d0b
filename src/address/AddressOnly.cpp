#include "address/AddressOnly.h"

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
    AddressAndDestination result;
    result.address = RegionsLeftOut(regions, found) + std::string(address);
    if (found.destination >= 0)
        result.destination = regions.at(found.destination).name;
    return result;
}

} // namespace dorvane
