#pragma once
// The column of an order export that names each order: what tells a repeat customer's new
// order from one printed before.

#include <optional>
#include <string>
#include <vector>

namespace dorvane {

// The order-number column of a header (code-page bytes, trimmed), as the shop platforms name
// it; nullopt when the export has none.
std::optional<std::size_t> OrderNumberColumn(const std::vector<std::string>& header);

} // namespace dorvane
