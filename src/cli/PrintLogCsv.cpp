#include "cli/PrintLogCsv.h"

#include "app/Utf8CodePage.h"
#include "template/WaybillField.h"

#include <string_view>

namespace dorvane {

namespace {

void AddCell(std::string& line, std::string_view codePage)
{
    if (!line.empty() && line.back() != '\n')
        line += ',';
    const auto converted = Utf8FromCodePage(codePage);
    std::string text = converted ? *converted : std::string(codePage.size(), '?');
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
        text.insert(0, 1, '\'');
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        line += text;
        return;
    }
    line += '"';
    for (const char c : text) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
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
        std::string line;
        for (const std::string* cell :
             {&entry->time, &entry->waybillNumber, &entry->templateName, &entry->printer, &entry->orderNumber})
            AddCell(line, *cell);
        for (const std::string& text : entry->texts)
            AddCell(line, text);
        out += line + "\r\n";
    }
    return out;
}

} // namespace dorvane
