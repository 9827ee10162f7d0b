#pragma once
// An address alone, as an order export's address column holds it (name and telephone in
// columns of their own): read for the address and its destination city. Code-page bytes.

#include "address/RegionTable.h"

#include <optional>
#include <string>
#include <string_view>

namespace dorvane {

struct AddressAndDestination {
    std::string address;     // with its province and city in front when it left them out
    std::string destination; // the city, or empty when the region names fit several
};

// nullopt when no region name of the table starts the address, or none reaches a city or county.
std::optional<AddressAndDestination> ReadAddressOnly(std::string_view address, const RegionTable& regions);

} // namespace dorvane
