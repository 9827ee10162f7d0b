#include "batch/CsvCell.h"

#include "text/Utf8CodePage.h"

namespace dorvane {

std::string CsvCell(std::string_view utf8)
{
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(utf8);
    std::string cell = "\"";
    for (const char c : utf8) {
        if (c == '"')
            cell += '"';
        cell += c;
    }
    return cell + '"';
}

std::string CsvCellFromCodePage(std::string_view codePage)
{
    const auto utf8 = Utf8FromCodePage(codePage);
    return CsvCell(utf8 ? *utf8 : std::string(codePage.size(), '?'));
}

} // namespace dorvane
