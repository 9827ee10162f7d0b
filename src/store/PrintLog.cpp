#include "store/PrintLog.h"

#include "store/PrintLogQueue.h"
#include "store/StoreSession.h"
#include "text/Utf8CodePage.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <limits>
#include <random>

namespace dorvane {

namespace {

constexpr const char* kDestinationPrinter = "printer";
constexpr const char* kDestinationPdf = "pdf";

// The later columns, as the table names them, and what adds each to a log made before them.
struct LaterColumn {
    std::string_view name;
    StoreStatement add;
};
constexpr LaterColumn kLaterColumns[kPrintLogLaterColumnCount] = {
    {"ordernumber", StoreStatement::PrintLogAddOrderNumber},
    {"destination", StoreStatement::PrintLogAddDestination},
    {"checkprint", StoreStatement::PrintLogAddCheckPrint},
    {"entryid", StoreStatement::PrintLogAddEntryId},
};

// Which of the later columns the log's table has; a file's log made before them lacks them
// until its next append. The server's schema holds them from its first connection.
Result<std::array<bool, kPrintLogLaterColumnCount>> LaterColumns(StoreSession& session)
{
    std::array<bool, kPrintLogLaterColumnCount> present;
    present.fill(session.OnServer());
    if (session.OnServer())
        return present;
    const auto ran = session.Query(StoreStatement::PrintLogColumnNames, {}, [&present](const StoreRow& row) {
        for (std::size_t i = 0; i < present.size(); ++i) {
            if (row.Text(1) == kLaterColumns[i].name)
                present[i] = true;
        }
    });
    if (!ran)
        return ran.error();
    return present;
}

// A read of the log: the statement for a table with the later columns, and its twin that
// reads them as null for one without.
struct LogRead {
    StoreStatement current;
    StoreStatement older;
};

// A printer ending in .pdf was a PDF file, for the entries logged before the log said so.
bool LooksLikePdf(std::string_view printer)
{
    if (printer.size() < 4)
        return false;
    std::string end(printer.substr(printer.size() - 4));
    for (char& c : end)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return end == ".pdf";
}

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
    const int later = kPrintLogEntryColumns + kFieldCount;
    entry.orderNumber = ColumnText(row, later);
    const std::string_view destination = row.Text(later + 1);
    entry.toPrinter = destination.empty() ? !LooksLikePdf(entry.printer) : destination == kDestinationPrinter;
    entry.checkPrint = row.Text(later + 2) == "1";
    entry.entryId = ColumnText(row, later + 3);
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
Result<void> EachRow(const StoreLocation& location, LogRead statement, const std::vector<StoreValue>& values,
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
    StoreStatement select = statement.current;
    if (statement.older != statement.current) {
        const auto later = PrintLogHasLaterColumns(*session.value());
        if (!later)
            return later.error();
        if (!later.value())
            select = statement.older;
    }
    const auto ran = session.value()->Query(select, values, read);
    if (!ran)
        return StoreError{ran.error().kind, "select from PrintLog: " + ran.error().message};
    return {};
}

// The log's entries a select of all its columns finds.
Result<std::vector<PrintLogEntry>> Select(const StoreLocation& location, LogRead statement,
                                          const std::vector<StoreValue>& values)
{
    std::vector<PrintLogEntry> entries;
    const auto ran = EachRow(location, statement, values,
                             [&entries](const StoreRow& row) { entries.push_back(ReadEntry(row)); });
    if (!ran)
        return ran.error();
    return entries;
}

// Stores the entries in one transaction, adding the later columns to a file's older log first.
Result<void> Store(const StoreLocation& location, const std::vector<PrintLogEntry>& entries)
{
    auto open = OpenSession(location, true);
    if (!open)
        return open.error();
    StoreSession& session = *open.value();
    // The server's schema holds the table from the first connection; the file gets it here.
    const auto hasTable = session.HasTable("PrintLog");
    if (!hasTable)
        return hasTable.error();
    if (!hasTable.value()) {
        if (auto made = session.Execute(StoreStatement::PrintLogCreate); !made)
            return StoreError{made.error().kind, "create table PrintLog: " + made.error().message};
    }
    if (auto upgraded = UpgradePrintLog(session); !upgraded)
        return upgraded;
    // A log written before the index existed gets it with its next waybill.
    if (!session.OnServer()) {
        if (auto made = session.Execute(StoreStatement::PrintLogRecipientIndex); !made)
            return StoreError{made.error().kind, "create index on PrintLog: " + made.error().message};
    }
    for (const PrintLogEntry& entry : entries) {
        std::vector<StoreValue> values;
        bool valid = AddText(values, entry.time) && AddText(values, entry.templateName) &&
                     AddText(values, entry.printer) && AddText(values, entry.source) &&
                     AddText(values, entry.waybillNumber);
        for (int i = 0; valid && i < kFieldCount; ++i)
            valid = AddText(values, entry.texts[static_cast<std::size_t>(i)]);
        valid = valid && AddText(values, entry.orderNumber);
        values.emplace_back(std::string(entry.toPrinter ? kDestinationPrinter : kDestinationPdf));
        values.emplace_back(std::string(entry.checkPrint ? "1" : "0"));
        valid = valid && AddText(values, entry.entryId, true);
        if (!valid)
            return StoreError{StoreError::StatementFailed, "insert into PrintLog: the text is not valid GB18030"};
        if (auto done = session.Change(StoreStatement::PrintLogInsert, values); !done)
            return done.error();
    }
    // Nothing is kept unless everything is: the connection rolls back as it closes.
    return session.Commit();
}

} // namespace

Result<bool> PrintLogHasLaterColumns(StoreSession& session)
{
    const auto present = LaterColumns(session);
    if (!present)
        return present.error();
    return std::all_of(present.value().begin(), present.value().end(), [](bool there) { return there; });
}

Result<void> UpgradePrintLog(StoreSession& session)
{
    if (session.OnServer())
        return {};
    const auto present = LaterColumns(session);
    if (!present)
        return present.error();
    for (std::size_t i = 0; i < present.value().size(); ++i) {
        if (present.value()[i])
            continue;
        if (auto done = session.Execute(kLaterColumns[i].add); !done)
            return StoreError{done.error().kind, "alter table PrintLog: " + done.error().message};
    }
    if (auto done = session.Execute(StoreStatement::PrintLogEntryIdIndex); !done)
        return StoreError{done.error().kind, "create index on PrintLog: " + done.error().message};
    return {};
}

std::string OrderKey(const std::array<std::string, kFieldCount>& texts, const std::string& orderNumber)
{
    if (!orderNumber.empty())
        return std::string("N") + '\0' + orderNumber;
    constexpr int kGoods = 14, kQuantity = 15;
    return std::string("R") + '\0' + RecipientKey(texts) + texts[kGoods] + '\0' + texts[kQuantity];
}

std::string NewLogEntryId()
{
    // 128 random bits: ids made on several stations at once never meet.
    std::random_device device;
    char text[33];
    for (int i = 0; i < 4; ++i)
        std::snprintf(text + i * 8, 9, "%08x", static_cast<unsigned>(device()));
    return text;
}

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
    std::vector<PrintLogEntry> named = entries;
    for (PrintLogEntry& entry : named) {
        if (entry.entryId.empty())
            entry.entryId = NewLogEntryId();
    }
    const bool queueing = !location_.logQueue.empty();
    // What waited goes first, so that the log stays in the order printed; a store still out of
    // reach is not tried twice.
    Result<void> stored = queueing ? SendQueued() : Result<void>();
    if (stored || stored.error().kind != StoreError::CannotOpen)
        stored = Store(location_, named);
    if (stored || !queueing || stored.error().kind != StoreError::CannotOpen)
        return stored;
    if (!QueueLogEntries(location_.logQueue, named))
        return StoreError{stored.error().kind,
                          stored.error().message + "; " + location_.logQueue.filename().string() + " cannot be written"};
    return {};
}

Result<void> PrintLog::SendQueued() const
{
    if (location_.logQueue.empty())
        return {};
    return SendLogQueue(location_.logQueue,
                        [this](const std::vector<PrintLogEntry>& entries) { return Store(location_, entries); });
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
    values.emplace_back(std::int64_t{filter.includeSender ? 1 : 0});
    (void)SendQueued(); // a store that cannot take them is read as it is
    return Select(location_, {StoreStatement::PrintLogSearch, StoreStatement::PrintLogSearchOlder}, values);
}

Result<std::unordered_set<std::string>> PrintLog::RecipientKeys() const
{
    // Only the four columns of the key: a shop's log holds far more than a batch needs.
    std::unordered_set<std::string> keys;
    std::array<std::string, kFieldCount> texts;
    const auto ran =
        EachRow(location_, {StoreStatement::PrintLogRecipients, StoreStatement::PrintLogRecipients}, {},
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
    const auto ran =
        EachRow(location_, {StoreStatement::PrintLogLastPrintTo, StoreStatement::PrintLogLastPrintTo}, values,
                [&time](const StoreRow& row) { time = ColumnText(row, 0); });
    if (!ran)
        return ran.error();
    return time;
}

Result<std::optional<std::string>> PrintLog::NewestRecipientKey() const
{
    std::optional<std::string> key;
    const auto ran =
        EachRow(location_, {StoreStatement::PrintLogNewestRecipient, StoreStatement::PrintLogNewestRecipient},
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

Result<std::unordered_set<std::string>> PrintLog::PrintedOrderKeys() const
{
    (void)SendQueued();
    // Only the columns of the keys: a shop's log holds far more than a batch needs.
    std::unordered_set<std::string> keys;
    std::array<std::string, kFieldCount> texts;
    const auto ran = EachRow(
        location_, {StoreStatement::PrintLogPrintedOrders, StoreStatement::PrintLogPrintedOrdersOlder}, {},
        [&](const StoreRow& row) {
            // The later columns follow the seven: order number, destination, check.
            const std::string_view destination = row.Text(8);
            const bool toPrinter =
                destination.empty() ? !LooksLikePdf(row.Text(0)) : destination == kDestinationPrinter;
            if (!toPrinter || row.Text(9) == "1")
                return;
            int column = 1;
            for (const int field : {3, 12, 9, 7, 14, 15})
                texts[static_cast<std::size_t>(field)] = ColumnText(row, column++);
            keys.insert(OrderKey(texts, {}));
            const std::string orderNumber = ColumnText(row, 7);
            if (!orderNumber.empty())
                keys.insert(OrderKey(texts, orderNumber));
        });
    if (!ran)
        return ran.error();
    return keys;
}

Result<std::optional<PrintLogEntry>> PrintLog::Find(std::int64_t id) const
{
    auto found = Select(location_, {StoreStatement::PrintLogFind, StoreStatement::PrintLogFindOlder}, {id});
    if (!found)
        return found.error();
    if (found.value().empty())
        return std::optional<PrintLogEntry>();
    return std::optional<PrintLogEntry>(std::move(found.value().front()));
}

} // namespace dorvane
