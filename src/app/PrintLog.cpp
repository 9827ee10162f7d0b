#include "app/PrintLog.h"

#include "app/PrintLogStatements.h"
#include "app/StoreSession.h"
#include "app/Utf8CodePage.h"

#include <chrono>
#include <cstdio>
#include <limits>

namespace dorvane {

namespace {

// ?1 since, ?2 until, ?3 name, ?4 telephone, ?5 address, ?6 any of them or the waybill number,
// ?7 the most rows; a part bound to null keeps every row. Written so that both engines read it
// alike (instr is the server's strpos). Names: sender 1, recipient 3;
// numbers: 8, 9, 10, 12; addresses: 6, 7.
constexpr const char* kSearchConditions =
    "where (?1 is null or time >= ?1) and (?2 is null or substr(time, 1, 10) <= ?2) "
    "and (?3 is null or instr(field1, ?3) > 0 or instr(field3, ?3) > 0) "
    "and (?4 is null or instr(field8, ?4) > 0 or instr(field9, ?4) > 0 or instr(field10, ?4) > 0 or instr(field12, ?4) > 0) "
    "and (?5 is null or instr(field6, ?5) > 0 or instr(field7, ?5) > 0) "
    "and (?6 is null or instr(field1, ?6) > 0 or instr(field3, ?6) > 0 or instr(field8, ?6) > 0 or instr(field9, ?6) > 0 "
    "or instr(field10, ?6) > 0 or instr(field12, ?6) > 0 or instr(field6, ?6) > 0 or instr(field7, ?6) > 0 "
    "or instr(waybill, ?6) > 0) "
    "order by id desc limit ?7";

constexpr const char* kById = "where id = ?1";

std::string ColumnText(const StoreRow& row, int column)
{
    return CodePageFromUtf8(row.Text(column));
}

PrintLogEntry ReadEntry(const StoreRow& row)
{
    PrintLogEntry entry;
    entry.id = row.Integer(0);
    entry.time = ColumnText(row, 1);
    entry.templateName = ColumnText(row, 2);
    entry.printer = ColumnText(row, 3);
    entry.source = ColumnText(row, 4);
    entry.waybillNumber = ColumnText(row, 5);
    for (int i = 0; i < kFieldCount; ++i)
        entry.texts[static_cast<std::size_t>(i)] = ColumnText(row, kPrintLogEntryColumns + i);
    return entry;
}

// Adds code-page text as UTF-8 (empty text as null when emptyIsNull); false when it is not
// valid GB18030.
bool AddText(std::vector<StoreValue>& values, std::string_view codePage, bool emptyIsNull = false)
{
    if (emptyIsNull && codePage.empty()) {
        values.emplace_back();
        return true;
    }
    auto utf8 = Utf8FromCodePage(codePage);
    if (!utf8)
        return false;
    values.emplace_back(std::move(*utf8));
    return true;
}

// Runs a select on the log with the values bound, handing each row to read; a database
// without the table yet holds no rows.
template <typename Read>
Result<void> EachRow(const StoreLocation& location, const std::string& sql, const std::vector<StoreValue>& values,
                     Read read)
{
    auto session = OpenSession(location, false);
    if (!session)
        return session.error();
    const auto hasTable = session.value()->HasTable("PrintLog");
    if (!hasTable)
        return hasTable.error();
    if (!hasTable.value())
        return {};
    const auto ran = session.value()->Query(sql.c_str(), values, read);
    if (!ran)
        return StoreError{ran.error().kind, "select from PrintLog: " + ran.error().message};
    return {};
}

// The log's entries a select of all its columns finds.
Result<std::vector<PrintLogEntry>> Select(const StoreLocation& location, const std::string& sql,
                                          const std::vector<StoreValue>& values)
{
    std::vector<PrintLogEntry> entries;
    const auto ran = EachRow(location, sql, values, [&entries](const StoreRow& row) { entries.push_back(ReadEntry(row)); });
    if (!ran)
        return ran.error();
    return entries;
}

} // namespace

std::string RecipientKey(const std::array<std::string, kFieldCount>& texts)
{
    constexpr int kName = 3, kAddress = 7, kTelephone = 9, kMobile = 12;
    std::string key;
    for (const int field : {kName, kMobile, kTelephone, kAddress}) {
        key += texts[static_cast<std::size_t>(field)];
        key += '\0'; // never inside a code-page text
    }
    return key;
}

std::string LocalTimeText(std::time_t moment)
{
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &moment);
#else
    localtime_r(&moment, &local);
#endif
    char text[80]; // room for any int the fields could hold
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

bool IsLogDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    int parts[3] = {0, 0, 0};
    int part = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == 4 || i == 7) {
            ++part;
            continue;
        }
        if (text[i] < '0' || text[i] > '9')
            return false;
        parts[part] = parts[part] * 10 + (text[i] - '0');
    }
    using namespace std::chrono;
    return year_month_day(year(parts[0]), month(static_cast<unsigned>(parts[1])), day(static_cast<unsigned>(parts[2])))
        .ok();
}

Result<void> PrintLog::Append(const std::vector<PrintLogEntry>& entries) const
{
    auto open = OpenSession(location_, true);
    if (!open)
        return open.error();
    StoreSession& session = *open.value();
    // The server's schema holds the table from the first connection; the file gets it here.
    const auto hasTable = session.HasTable("PrintLog");
    if (!hasTable)
        return hasTable.error();
    if (!hasTable.value()) {
        if (auto made = session.Execute(kPrintLogCreateTable); !made)
            return StoreError{made.error().kind, "create table PrintLog: " + made.error().message};
    }
    // A log written before the index existed gets it with its next waybill.
    if (!session.OnServer()) {
        if (auto made = session.Execute(kPrintLogRecipientIndex); !made)
            return StoreError{made.error().kind, "create index on PrintLog: " + made.error().message};
    }
    for (const PrintLogEntry& entry : entries) {
        std::vector<StoreValue> values;
        bool valid = AddText(values, entry.time) && AddText(values, entry.templateName) &&
                     AddText(values, entry.printer) && AddText(values, entry.source) &&
                     AddText(values, entry.waybillNumber);
        for (int i = 0; valid && i < kFieldCount; ++i)
            valid = AddText(values, entry.texts[static_cast<std::size_t>(i)]);
        if (!valid)
            return StoreError{StoreError::StatementFailed, "insert into PrintLog: the text is not valid GB18030"};
        if (auto done = session.Change(kPrintLogInsert, values); !done)
            return done.error();
    }
    // Nothing is kept unless everything is: the connection rolls back as it closes.
    return session.Commit();
}

Result<std::vector<PrintLogEntry>> PrintLog::Search(const PrintLogFilter& filter) const
{
    std::vector<StoreValue> values;
    for (const std::string* text :
         {&filter.since, &filter.until, &filter.name, &filter.telephone, &filter.address, &filter.anyText}) {
        if (!AddText(values, *text, true))
            return StoreError{StoreError::StatementFailed, "select from PrintLog: the text is not valid GB18030"};
    }
    values.emplace_back(filter.limit == 0 ? std::numeric_limits<std::int64_t>::max()
                                          : static_cast<std::int64_t>(filter.limit));
    return Select(location_, std::string(kPrintLogColumns) + kSearchConditions, values);
}

Result<std::unordered_set<std::string>> PrintLog::RecipientKeys() const
{
    // Only the four columns of the key: a shop's log holds far more than a batch needs.
    std::unordered_set<std::string> keys;
    std::array<std::string, kFieldCount> texts;
    const auto ran = EachRow(location_, "select field3, field12, field9, field7 from PrintLog order by id", {},
                             [&](const StoreRow& row) {
                                 texts[3] = ColumnText(row, 0);
                                 texts[12] = ColumnText(row, 1);
                                 texts[9] = ColumnText(row, 2);
                                 texts[7] = ColumnText(row, 3);
                                 keys.insert(RecipientKey(texts));
                             });
    if (!ran)
        return ran.error();
    return keys;
}

Result<std::optional<std::string>> PrintLog::LastPrintTo(const std::array<std::string, kFieldCount>& texts,
                                                          const std::string& since) const
{
    std::vector<StoreValue> values;
    for (const int field : {3, 12, 9, 7}) {
        if (!AddText(values, texts[static_cast<std::size_t>(field)]))
            return StoreError{StoreError::StatementFailed, "select from PrintLog: the text is not valid GB18030"};
    }
    if (!AddText(values, since))
        return StoreError{StoreError::StatementFailed, "select from PrintLog: the time is not valid"};
    std::optional<std::string> time;
    const auto ran = EachRow(location_, kPrintLogLastPrintTo, values, [&time](const StoreRow& row) { time = ColumnText(row, 0); });
    if (!ran)
        return ran.error();
    return time;
}

Result<std::optional<std::string>> PrintLog::NewestRecipientKey() const
{
    std::optional<std::string> key;
    const auto ran = EachRow(location_, "select field3, field12, field9, field7 from PrintLog order by id desc limit 1",
                             {}, [&key](const StoreRow& row) {
                                 std::array<std::string, kFieldCount> texts;
                                 texts[3] = ColumnText(row, 0);
                                 texts[12] = ColumnText(row, 1);
                                 texts[9] = ColumnText(row, 2);
                                 texts[7] = ColumnText(row, 3);
                                 key = RecipientKey(texts);
                             });
    if (!ran)
        return ran.error();
    return key;
}

Result<std::optional<PrintLogEntry>> PrintLog::Find(std::int64_t id) const
{
    auto found = Select(location_, std::string(kPrintLogColumns) + kById, {id});
    if (!found)
        return found.error();
    if (found.value().empty())
        return std::optional<PrintLogEntry>();
    return std::optional<PrintLogEntry>(std::move(found.value().front()));
}

} // namespace dorvane
