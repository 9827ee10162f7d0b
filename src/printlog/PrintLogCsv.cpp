#include "printlog/PrintLogCsv.h"

#include "text/Utf8CodePage.h"
#include "batch/CsvCell.h"
#include "template/WaybillField.h"

#include <string_view>

namespace dorvane {

namespace {

// A spreadsheet runs a cell that starts like a formula; a leading apostrophe shows it as text.
std::string SpreadsheetCell(std::string_view codePage)
{
    const auto converted = Utf8FromCodePage(codePage);
    std::string text = converted ? *converted : std::string(codePage.size(), '?');
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
        text.insert(0, 1, '\'');
    return CsvCell(text);
}

} // namespace

std::string PrintLogCsvText(const std::vector<const PrintLogEntry*>& entries)
{
    std::string out = "\xEF\xBB\xBF打印时间,运单号,模板,打印机,订单编号";
    for (const WaybillField& field : kWaybillFields) {
        out += ',';
        out += field.name;
    }
    out += "\r\n";
    for (const PrintLogEntry* entry : entries) {
        std::vector<const std::string*> cells = {&entry->time, &entry->waybillNumber, &entry->templateName,
                                                  &entry->printer, &entry->orderNumber};
        for (const std::string& text : entry->texts)
            cells.push_back(&text);
        for (std::size_t i = 0; i < cells.size(); ++i)
            out += (i > 0 ? "," : "") + SpreadsheetCell(*cells[i]);
        out += "\r\n";
    }
    return out;
}

} // namespace dorvane
