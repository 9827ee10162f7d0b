#include "app/PrintLog.h"

#include "app/StoreConnection.h"
#include "app/Utf8CodePage.h"

#include <chrono>
#include <cstdio>

namespace dorvane {

namespace {

// The fields' columns are field0 .. field19, in catalogue order, after the six of the entry.
constexpr const char* kCreateTable = "CREATE TABLE IF NOT EXISTS PrintLog ("
                                     "id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, "
                                     "template TEXT NOT NULL, printer TEXT NOT NULL, source TEXT NOT NULL, "
                                     "waybill TEXT NOT NULL, "
                                     "field0 TEXT, field1 TEXT, field2 TEXT, field3 TEXT, field4 TEXT, "
                                     "field5 TEXT, field6 TEXT, field7 TEXT, field8 TEXT, field9 TEXT, "
                                     "field10 TEXT, field11 TEXT, field12 TEXT, field13 TEXT, field14 TEXT, "
                                     "field15 TEXT, field16 TEXT, field17 TEXT, field18 TEXT, field19 TEXT)";
constexpr int kEntryColumns = 6;

constexpr const char* kInsert = "insert into PrintLog (time, template, printer, source, waybill, "
                                "field0, field1, field2, field3, field4, field5, field6, field7, field8, field9, "
                                "field10, field11, field12, field13, field14, field15, field16, field17, field18, "
                                "field19) values (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, "
                                "?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23, ?24, ?25)";

constexpr const char* kColumns = "select id, time, template, printer, source, waybill, "
                                 "field0, field1, field2, field3, field4, field5, field6, field7, field8, field9, "
                                 "field10, field11, field12, field13, field14, field15, field16, field17, field18, "
                                 "field19 from PrintLog ";

// ?1 since, ?2 until, ?3 name, ?4 telephone, ?5 address, ?6 any of them or the waybill number,
// ?7 the most rows; a part bound to null keeps every row. Names: sender 1, recipient 3;
// numbers: 8, 9, 10, 12; addresses: 6, 7.
constexpr const char* kSearchConditions =
    "where (?1 is null or time >= ?1) and (?2 is null or substr(time, 1, 10) <= ?2) "
    "and (?3 is null or instr(field1, ?3) or instr(field3, ?3)) "
    "and (?4 is null or instr(field8, ?4) or instr(field9, ?4) or instr(field10, ?4) or instr(field12, ?4)) "
    "and (?5 is null or instr(field6, ?5) or instr(field7, ?5)) "
    "and (?6 is null or instr(field1, ?6) or instr(field3, ?6) or instr(field8, ?6) or instr(field9, ?6) "
    "or instr(field10, ?6) or instr(field12, ?6) or instr(field6, ?6) or instr(field7, ?6) "
    "or instr(waybill, ?6)) "
    "order by id desc limit ?7";

constexpr const char* kById = "where id = ?1";

bool HasTable(sqlite3* db)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "select 1 from sqlite_master where type = 'table' and name = 'PrintLog'", -1, &raw,
                           nullptr) != SQLITE_OK)
        return false;
    const Statement st(raw);
    return sqlite3_step(raw) == SQLITE_ROW;
}

std::string ColumnText(sqlite3_stmt* st, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    if (!text)
        return {};
    return CodePageFromUtf8(std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(st, column))));
}

PrintLogEntry ReadEntry(sqlite3_stmt* st)
{
    PrintLogEntry entry;
    entry.id = sqlite3_column_int64(st, 0);
    entry.time = ColumnText(st, 1);
    entry.templateName = ColumnText(st, 2);
    entry.printer = ColumnText(st, 3);
    entry.source = ColumnText(st, 4);
    entry.waybillNumber = ColumnText(st, 5);
    for (int i = 0; i < kFieldCount; ++i)
        entry.texts[static_cast<std::size_t>(i)] = ColumnText(st, kEntryColumns + i);
    return entry;
}

// Binds code-page text as UTF-8; false when it is not valid GB18030.
bool BindText(sqlite3_stmt* st, int parameter, std::string_view codePage)
{
    const auto utf8 = Utf8FromCodePage(codePage);
    if (!utf8)
        return false;
    return sqlite3_bind_text(st, parameter, utf8->data(), static_cast<int>(utf8->size()), SQLITE_TRANSIENT) ==
           SQLITE_OK;
}

// Runs a select of the log's columns with its parameters bound by bind; no table, no rows.
template <typename Bind>
Result<std::vector<PrintLogEntry>> Select(const std::filesystem::path& file, const std::string& sql, Bind bind)
{
    auto db = OpenStore(file, false);
    if (!db)
        return db.error();
    std::vector<PrintLogEntry> entries;
    if (!HasTable(db.value().get()))
        return entries;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db.value().get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        return Refused(db.value().get(), "select from PrintLog");
    const Statement st(raw);
    if (!bind(raw))
        return StoreError{StoreError::StatementFailed, "select from PrintLog: the text is not valid GB18030"};
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW)
        entries.push_back(ReadEntry(raw));
    if (rc != SQLITE_DONE)
        return Refused(db.value().get(), "select from PrintLog");
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
    auto open = OpenStore(file_, true);
    if (!open)
        return open.error();
    sqlite3* db = open.value().get();
    if (sqlite3_exec(db, kCreateTable, nullptr, nullptr, nullptr) != SQLITE_OK)
        return Refused(db, "create table PrintLog");
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, kInsert, -1, &raw, nullptr) != SQLITE_OK)
        return Refused(db, "insert into PrintLog");
    const Statement st(raw);
    for (const PrintLogEntry& entry : entries) {
        bool valid = BindText(raw, 1, entry.time) && BindText(raw, 2, entry.templateName) &&
                     BindText(raw, 3, entry.printer) && BindText(raw, 4, entry.source) &&
                     BindText(raw, 5, entry.waybillNumber);
        for (int i = 0; valid && i < kFieldCount; ++i)
            valid = BindText(raw, kEntryColumns + i, entry.texts[static_cast<std::size_t>(i)]);
        if (!valid)
            return StoreError{StoreError::StatementFailed, "insert into PrintLog: the text is not valid GB18030"};
        if (sqlite3_step(raw) != SQLITE_DONE)
            return Refused(db, "insert into PrintLog");
        sqlite3_reset(raw);
    }
    // Nothing is kept unless everything is: the connection rolls back as it closes.
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return Refused(db, "insert into PrintLog");
    return {};
}

Result<std::vector<PrintLogEntry>> PrintLog::Search(const PrintLogFilter& filter) const
{
    return Select(file_, std::string(kColumns) + kSearchConditions, [&filter](sqlite3_stmt* st) {
        const std::string* texts[] = {&filter.since,     &filter.until,   &filter.name,
                                      &filter.telephone, &filter.address, &filter.anyText};
        for (int i = 0; i < 6; ++i) {
            if (!texts[i]->empty() && !BindText(st, i + 1, *texts[i]))
                return false;
        }
        sqlite3_bind_int64(st, 7, filter.limit == 0 ? -1 : static_cast<sqlite3_int64>(filter.limit));
        return true;
    });
}

Result<std::optional<PrintLogEntry>> PrintLog::Find(std::int64_t id) const
{
    auto found = Select(file_, std::string(kColumns) + kById, [id](sqlite3_stmt* st) {
        sqlite3_bind_int64(st, 1, id);
        return true;
    });
    if (!found)
        return found.error();
    if (found.value().empty())
        return std::optional<PrintLogEntry>();
    return std::optional<PrintLogEntry>(std::move(found.value().front()));
}

} // namespace dorvane
