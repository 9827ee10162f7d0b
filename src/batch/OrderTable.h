#pragma once
// An order export read whole for the window's batch: every record shown at once, ticked and
// printed in any order. The columns are mapped to waybill fields by the user; the mapping of a
// header is remembered in Set/columns.ini for the next export of the same shape.

#include "address/WaybillDefaults.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dorvane {

struct OrderTable {
    std::vector<std::string> header;            // code-page bytes, blanks around trimmed
    std::vector<std::vector<std::string>> rows; // code-page bytes, as many cells as the header
};

// .xls, .xlsx and .et: spreadsheets that must first be saved as CSV.
bool IsSpreadsheetFile(const std::filesystem::path& path);
// What the window and dorvane-cli say to such a file (UTF-8).
inline constexpr const char* kSpreadsheetMessage =
    "无法直接读取 Excel 表格。请在表格程序中将订单另存为 CSV 文件（逗号分隔），再打开它。";

// Reads a CSV as dorvane-cli does (UTF-8 or GBK, quoted fields, blank rows skipped). nullopt,
// with a message (UTF-8) in error, when it cannot be read, has no records or a record whose
// number of cells differs from the header's.
std::optional<OrderTable> ReadOrderTable(const std::filesystem::path& path, std::string& error);

// What each column fills: a field's catalogue index, or one of these.
inline constexpr int kUnusedColumn = -1;
inline constexpr int kWholeAddressColumn = -2; // a shop's address line, split like the clipboard's
using ColumnMap = std::vector<int>;

// Columns named like a field are that field; the others are unused.
ColumnMap GuessColumns(const std::vector<std::string>& header);

// The waybill of one record: base with the mapped cells in their fields. A whole address is
// split first, so that a column of its own (a telephone, say) still wins over its piece.
// Several columns of one field are joined in column order: the parts of an address (province,
// city, district, street) as they are, other texts with a blank between them. A whole address
// without name or telephone, and a recipient address whose export has no 目的地 column, are
// read for the address and its destination city.
FieldTexts RecordTexts(const std::vector<std::string>& cells, const ColumnMap& map, FieldTexts base);

// The columns mapped with column, when it shares its field with others ("省+市+区+地址"),
// else empty: the window shows it beside each of them.
std::string JoinedColumns(const std::vector<std::string>& header, const ColumnMap& map, std::size_t column);

// No recipient name or no recipient address: nothing to send the parcel to.
bool LacksRecipient(const FieldTexts& texts);

// columns.ini: one line per header seen, newest first, "3,7,-1<TAB>cell<TAB>cell...".
std::optional<ColumnMap> LoadColumnMap(const std::filesystem::path& path, const std::vector<std::string>& header);
bool SaveColumnMap(const std::filesystem::path& path, const std::vector<std::string>& header, const ColumnMap& map);

} // namespace dorvane
