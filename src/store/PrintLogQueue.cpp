#include "store/PrintLogQueue.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>

namespace dorvane {

namespace {

constexpr const char8_t* kAsideEnd = u8".sending";

// Byte-wise, so that a GB18030 trail byte that happens to be a backslash comes back as it was.
void AddCell(std::string& line, std::string_view text)
{
    if (!line.empty())
        line += '\t';
    for (const char c : text) {
        switch (c) {
        case '\\':
            line += "\\\\";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        default:
            line += c;
        }
    }
}

std::vector<std::string> Cells(std::string_view line)
{
    std::vector<std::string> cells(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            cells.emplace_back();
        } else if (c == '\\' && i + 1 < line.size()) {
            const char next = line[++i];
            cells.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            cells.back() += c;
        }
    }
    return cells;
}

std::optional<std::string> ReadWhole(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    if (in.bad())
        return std::nullopt;
    return bytes;
}

bool AppendBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << bytes;
    out.flush();
    return static_cast<bool>(out);
}

} // namespace

std::string QueueLine(const PrintLogEntry& entry)
{
    std::string line;
    for (const std::string* cell : {&entry.entryId, &entry.time, &entry.templateName, &entry.printer,
                                    &entry.source, &entry.waybillNumber, &entry.orderNumber})
        AddCell(line, *cell);
    AddCell(line, entry.toPrinter ? "printer" : "pdf");
    AddCell(line, entry.checkPrint ? "1" : "0");
    for (const std::string& text : entry.texts)
        AddCell(line, text);
    return line;
}

std::optional<PrintLogEntry> EntryFromQueueLine(std::string_view line)
{
    const std::vector<std::string> cells = Cells(line);
    if (cells.size() != 9 + kFieldCount || cells[0].empty())
        return std::nullopt;
    PrintLogEntry entry;
    std::size_t c = 0;
    for (std::string* cell : {&entry.entryId, &entry.time, &entry.templateName, &entry.printer, &entry.source,
                              &entry.waybillNumber, &entry.orderNumber})
        *cell = cells[c++];
    entry.toPrinter = cells[c++] != "pdf";
    entry.checkPrint = cells[c++] == "1";
    for (std::string& text : entry.texts)
        text = cells[c++];
    return entry;
}

bool QueueLogEntries(const std::filesystem::path& queue, const std::vector<PrintLogEntry>& entries)
{
    std::string bytes;
    for (const PrintLogEntry& entry : entries)
        bytes += QueueLine(entry) + '\n';
    return AppendBytes(queue, bytes);
}

Result<void> SendLogQueue(const std::filesystem::path& queue,
                          const std::function<Result<void>(const std::vector<PrintLogEntry>&)>& store)
{
    std::error_code error;
    // Compared as UTF-8: another file of the folder may have a name no code page holds.
    const std::u8string queueName = queue.filename().u8string();
    if (std::filesystem::is_regular_file(queue, error)) {
        std::filesystem::path aside = queue;
        aside += "." + NewLogEntryId();
        aside += kAsideEnd;
        std::filesystem::rename(queue, aside, error);
    }
    std::vector<std::filesystem::path> asides;
    for (std::filesystem::directory_iterator it(queue.parent_path(), error), end; !error && it != end;
         it.increment(error)) {
        const std::u8string name = it->path().filename().u8string();
        if (name.size() > queueName.size() && name.starts_with(queueName + u8".") && name.ends_with(kAsideEnd) &&
            it->is_regular_file(error))
            asides.push_back(it->path());
    }
    Result<void> result;
    for (const std::filesystem::path& aside : asides) {
        const auto bytes = ReadWhole(aside);
        if (!bytes)
            continue; // another program is sending it
        std::vector<PrintLogEntry> entries;
        // A line cut short by a crash while it was written (no line end) is no entry.
        std::istringstream lines(bytes->substr(0, bytes->rfind('\n') + 1));
        for (std::string line; std::getline(lines, line);) {
            if (auto entry = EntryFromQueueLine(line))
                entries.push_back(std::move(*entry));
        }
        const Result<void> stored = entries.empty() ? Result<void>() : store(entries);
        if (!stored) {
            result = stored;
            if (!AppendBytes(queue, *bytes))
                continue; // kept aside, for the next time
        }
        std::filesystem::remove(aside, error);
    }
    return result;
}

} // namespace dorvane
