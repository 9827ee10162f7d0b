#include "batch/OrderTable.h"

#include "text/TextFile.h"
#include "text/Utf8CodePage.h"
#include "batch/CsvReader.h"
#include "text/TextEncoding.h"
#include "address/AddressOnly.h"
#include "address/ClipboardAddress.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace dorvane {

namespace {

// Enough for every export a shop uses; the oldest headers are forgotten.
constexpr std::size_t kRememberedHeaders = 50;

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The header as one line of columns.ini: its cells cannot hold a tab or a line end there.
std::string HeaderKey(const std::vector<std::string>& header)
{
    std::string key;
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (i > 0)
            key += '\t';
        for (const char c : header[i])
            key += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
    }
    return key;
}

// The sender's and the recipient's address: their parts join without a blank.
bool IsAddressField(int field)
{
    return field == 6 || field == 7;
}

} // namespace

bool IsSpreadsheetFile(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".xls" || ext == ".xlsx" || ext == ".et";
}

std::optional<OrderTable> ReadOrderTable(const std::filesystem::path& path, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "文件无法读取";
        return std::nullopt;
    }
    const TextEncoding encoding = DetectEncoding(file);
    CsvReader reader(file);
    OrderTable table;
    std::vector<std::string> cells;
    CsvReader::Status status;
    while ((status = reader.next(cells)) == CsvReader::Status::Record) {
        if (std::all_of(cells.begin(), cells.end(), [](const std::string& c) { return c.empty(); }))
            continue;
        const std::string line = "第 " + std::to_string(reader.recordLine()) + " 行";
        for (std::string& cell : cells) {
            auto text = ToCodePageText(cell, encoding);
            if (!text) {
                error = line + "的文字无法识别（文件应为 UTF-8 或 GBK 编码）";
                return std::nullopt;
            }
            cell = Trimmed(*text);
        }
        if (table.header.empty()) {
            table.header = std::move(cells);
        } else if (cells.size() != table.header.size()) {
            error = line + "有 " + std::to_string(cells.size()) + " 列，而标题行有 " +
                    std::to_string(table.header.size()) + " 列";
            return std::nullopt;
        } else {
            table.rows.push_back(std::move(cells));
        }
        cells.clear();
    }
    if (status == CsvReader::Status::Error) {
        const std::string line = "第 " + std::to_string(reader.recordLine()) + " 行";
        if (reader.fault() == CsvReader::Fault::CellTooLong)
            error = line + "有一格超过 " + std::to_string(kLargestCsvCell / 1024) + " KB，不是订单的内容";
        else if (reader.fault() == CsvReader::Fault::RecordTooLong)
            error = line + "超过 " + std::to_string(kLargestCsvRecord / (1024 * 1024)) + " MB，不是订单的内容";
        else
            error = line + "格式有误：" + reader.error();
        return std::nullopt;
    }
    if (table.rows.empty()) {
        error = "文件中没有订单，只有标题行或为空";
        return std::nullopt;
    }
    return table;
}

ColumnMap GuessColumns(const std::vector<std::string>& header)
{
    ColumnMap map(header.size(), kUnusedColumn);
    for (std::size_t i = 0; i < header.size(); ++i) {
        const auto utf8 = Utf8FromCodePage(header[i]);
        const auto field = utf8 ? FieldIndexByName(*utf8) : std::nullopt;
        // A field named twice takes its first column only.
        if (field && std::find(map.begin(), map.end(), *field) == map.end())
            map[i] = *field;
    }
    return map;
}

FieldTexts RecordTexts(const std::vector<std::string>& cells, const ColumnMap& map, FieldTexts base)
{
    constexpr int kDestination = kRecipientFieldSlots[5].second;
    constexpr int kRecipientAddress = kRecipientFieldSlots[3].second;
    const std::size_t count = std::min(cells.size(), map.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (map[i] != kWholeAddressColumn)
            continue;
        if (const auto parsed = ParseClipboardAddress(cells[i])) {
            for (const auto& [field, text] : RecipientTexts(*parsed))
                base[static_cast<std::size_t>(field)] = text;
        } else if (const auto read = ReadAddressOnly(cells[i], ShippedRegionTable())) {
            // An address alone: the name and telephone come from their own columns.
            base[kRecipientAddress] = read->address;
            base[kDestination] = read->destination;
        }
    }
    std::array<bool, kFieldCount> mapped{};
    for (std::size_t i = 0; i < count; ++i) {
        if (map[i] < 0 || map[i] >= kFieldCount)
            continue;
        const auto field = static_cast<std::size_t>(map[i]);
        std::string& text = base[field];
        if (!mapped[field]) {
            text = cells[i];
            mapped[field] = true;
        } else if (!cells[i].empty()) {
            if (!text.empty() && !IsAddressField(map[i]))
                text += ' ';
            text += cells[i];
        }
    }
    if (mapped[kRecipientAddress] && !mapped[kDestination]) {
        if (const auto read = ReadAddressOnly(base[kRecipientAddress], ShippedRegionTable())) {
            base[kRecipientAddress] = read->address;
            base[kDestination] = read->destination;
        }
    }
    return base;
}

std::string JoinedColumns(const std::vector<std::string>& header, const ColumnMap& map, std::size_t column)
{
    if (column >= map.size() || map[column] < 0)
        return {};
    std::string joined;
    int sharing = 0;
    for (std::size_t i = 0; i < map.size() && i < header.size(); ++i) {
        if (map[i] != map[column])
            continue;
        joined += (sharing++ > 0 ? "+" : "") + header[i];
    }
    return sharing > 1 ? joined : std::string();
}

bool LacksRecipient(const FieldTexts& texts)
{
    const auto blank = [&texts](int field) { return Trimmed(texts[static_cast<std::size_t>(field)]).empty(); };
    return blank(kRecipientFieldSlots[0].second) || blank(kRecipientFieldSlots[3].second);
}

std::optional<ColumnMap> LoadColumnMap(const std::filesystem::path& path, const std::vector<std::string>& header)
{
    const auto lines = ReadLines(path);
    if (!lines)
        return std::nullopt;
    const std::string key = HeaderKey(header);
    for (const std::string& line : *lines) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos || line.compare(tab + 1, std::string::npos, key) != 0)
            continue;
        ColumnMap map;
        for (const std::string& number : SplitAt(std::string_view(line).substr(0, tab), ','))
            map.push_back(ToInt(number));
        const auto known = [](int v) { return v >= kWholeAddressColumn && v < kFieldCount; };
        const bool valid = map.size() == header.size() && std::all_of(map.begin(), map.end(), known);
        return valid ? std::optional<ColumnMap>(map) : std::nullopt;
    }
    return std::nullopt;
}

bool SaveColumnMap(const std::filesystem::path& path, const std::vector<std::string>& header, const ColumnMap& map)
{
    const std::string key = HeaderKey(header);
    std::string numbers;
    for (std::size_t i = 0; i < map.size(); ++i)
        numbers += (i > 0 ? "," : "") + std::to_string(map[i]);
    std::vector<std::string> lines{numbers + '\t' + key};
    if (const auto old = ReadLines(path)) {
        for (const std::string& line : *old) {
            const auto tab = line.find('\t');
            const bool same = tab != std::string::npos && line.compare(tab + 1, std::string::npos, key) == 0;
            if (!same && !line.empty() && lines.size() < kRememberedHeaders)
                lines.push_back(line);
        }
    }
    return WriteFileAtomically(path, JoinLines(lines));
}

} // namespace dorvane
