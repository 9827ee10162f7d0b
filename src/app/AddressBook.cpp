#include "app/AddressBook.h"

#include "app/AddressBookStatements.h"
#include "app/StoreConnection.h"
#include "app/Utf8CodePage.h"

#include <optional>

namespace dorvane {

namespace {

const TableStatements& StatementsOf(AddressTable table)
{
    switch (table) {
    case AddressTable::SendAddress:
        return kSendAddressStatements;
    case AddressTable::ReceiptAddress:
        return kReceiptAddressStatements;
    case AddressTable::ProductName:
        break;
    }
    return kProductNameStatements;
}

// One operation's own connection with its statement prepared; the statement is finalised
// before the connection closes.
struct OpenStatement {
    Connection db;
    Statement statement;
};

Result<OpenStatement> OpenAndPrepare(const std::filesystem::path& file, const char* sql, bool forWriting)
{
    auto db = OpenStore(file, forWriting);
    if (!db)
        return db.error();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db.value().get(), sql, -1, &raw, nullptr) != SQLITE_OK)
        return Refused(db.value().get(), sql);
    return OpenStatement{std::move(db.value()), Statement(raw)};
}

// Runs a change statement on its own connection: ?1 bound to text (when given), the id to the
// next parameter. Gives the id of the last row inserted on that connection.
Result<std::int64_t> Execute(const std::filesystem::path& file, const char* sql,
                             const std::optional<std::string_view>& text, std::optional<std::int64_t> id)
{
    std::optional<std::string> utf8;
    if (text) {
        utf8 = Utf8FromCodePage(*text);
        if (!utf8)
            return StoreError{StoreError::StatementFailed, std::string(sql) + ": the text is not valid GB18030"};
    }
    auto open = OpenAndPrepare(file, sql, true);
    if (!open)
        return open.error();
    sqlite3* db = open.value().db.get();
    sqlite3_stmt* st = open.value().statement.get();
    int next = 1;
    if (utf8)
        sqlite3_bind_text(st, next++, utf8->data(), static_cast<int>(utf8->size()), SQLITE_STATIC);
    if (id)
        sqlite3_bind_int64(st, next, *id);
    if (sqlite3_step(st) != SQLITE_DONE)
        return Refused(db, sql);
    // Committing waits for other programs' readers to finish; one that outlasts the busy wait
    // leaves nothing changed (the connection rolls back as it closes).
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return Refused(db, sql);
    return static_cast<std::int64_t>(sqlite3_last_insert_rowid(db));
}

} // namespace

std::filesystem::path AddressBookPath(const std::filesystem::path& workFolder)
{
    return workFolder / "dataM" / kAddressBookFileName;
}

std::string UserMessage(const StoreError& error)
{
    if (error.kind == StoreError::CannotOpen)
        return kCannotOpenDatabaseText;
    return CodePageFromUtf8(error.message);
}

Result<std::vector<StoredText>> AddressBook::List(AddressTable table) const
{
    const char* sql = StatementsOf(table).list;
    auto open = OpenAndPrepare(file_, sql, false);
    if (!open)
        return open.error();
    sqlite3_stmt* st = open.value().statement.get();
    if (sqlite3_column_count(st) < 2)
        return StoreError{StoreError::StatementFailed, std::string(sql) + ": the table has fewer than two columns"};
    std::vector<StoredText> rows;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
        const int size = sqlite3_column_bytes(st, 1);
        rows.push_back({sqlite3_column_int64(st, 0), CodePageFromUtf8(std::string_view(text ? text : "", size))});
    }
    if (rc != SQLITE_DONE)
        return Refused(open.value().db.get(), sql);
    return rows;
}

Result<std::int64_t> AddressBook::Add(AddressTable table, std::string_view text) const
{
    return Execute(file_, StatementsOf(table).add, text, std::nullopt);
}

Result<void> AddressBook::Change(AddressTable table, std::int64_t id, std::string_view text) const
{
    auto done = Execute(file_, StatementsOf(table).change, text, id);
    if (!done)
        return done.error();
    return {};
}

Result<void> AddressBook::Delete(AddressTable table, std::int64_t id) const
{
    auto done = Execute(file_, StatementsOf(table).remove, std::nullopt, id);
    if (!done)
        return done.error();
    return {};
}

} // namespace dorvane
