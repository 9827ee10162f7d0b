#pragma once
// The one-shot move of a station's address book and print log onto the shop's server: every
// row of the four tables copied, in their order, into a store that holds none yet, in one
// transaction, so a failure half-way leaves the target empty. The copy gets new ids in the
// same order.

#include "store/StoreLocation.h"
#include "store/StoreResult.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dorvane {

struct TableCount {
    std::string table;
    std::int64_t source = 0; // rows in the store copied from
    std::int64_t target = 0; // rows in the store copied to, counted after the copy
};

// Refuses (StatementFailed, nothing written) a target any of whose tables holds a row.
Result<std::vector<TableCount>> CopyStore(const StoreLocation& from, const StoreLocation& to);

} // namespace dorvane
