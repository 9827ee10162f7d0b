#pragma once
// Rules shared by the address-book and goods-name pages of the settings dialog: the hidden id
// column and the row chosen after a deletion.

#include <cstdint>
#include <string>
#include <string_view>

namespace dorvane {

// The id kept as text in a row's hidden column: leading blanks, an optional sign and the
// digits that follow; 0 when there is no number.
std::int64_t RowId(std::string_view text);

// The row to select once removedRow is gone and rowsLeft rows remain: the row that moved up
// into its place, or the new last row when the last one was removed; -1 for an empty list.
int RowAfterDelete(int removedRow, int rowsLeft);

} // namespace dorvane
