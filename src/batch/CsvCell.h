#pragma once
// One cell of a CSV file we write: quoted when it holds a comma, a quote or a line break, a
// quote inside written twice, so any reader of CSV gets the text back whole.

#include <string>
#include <string_view>

namespace dorvane {

std::string CsvCell(std::string_view utf8);

// A code-page text as a UTF-8 cell; bytes that are not valid GB18030 become a '?' each.
std::string CsvCellFromCodePage(std::string_view codePage);

} // namespace dorvane
