#include "app/AddressBook.h"

#include "app/AddressBookStatements.h"
#include "app/Utf8CodePage.h"

#include <sqlite3.h>

#include <memory>
#include <optional>

namespace dorvane {

namespace {

// How long an operation waits for another program's lock before giving up: long enough for
// another program's ordinary write to finish, short enough that a held lock is soon reported.
constexpr int kBusyWaitMilliseconds = 1000;

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

struct CloseConnection {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, CloseConnection>;

struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// A statement that did not run: refused by the database, or kept out by another program's lock
// beyond the busy wait, which is the same to the user as a database that cannot be opened.
StoreError Refused(sqlite3* db, const char* sql)
{
    const int code = sqlite3_extended_errcode(db) & 0xFF;
    const bool locked = code == SQLITE_BUSY || code == SQLITE_LOCKED;
    return {locked ? StoreError::CannotOpen : StoreError::StatementFailed,
            std::string(sql) + ": " + sqlite3_errmsg(db)};
}

// SQLite takes file names as UTF-8 on every platform.
std::string Utf8Path(const std::filesystem::path& file)
{
    const auto u8 = file.u8string();
    return std::string(u8.begin(), u8.end());
}

// Opens the existing file read-write. sqlite3_open_v2 only looks at the file on first use, so
// a read of the schema proves it is a database holding tables, and for a change, taking the write lock proves
// that no other program holds the file for writing; nothing is written, and a failed open
// leaves the file as it was. The lock is held until the operation commits or the connection
// closes, so a statement is never turned away half-way by a lock taken in between. An empty
// file passes for an empty database with SQLite, but it is not an address book.
Result<Connection> Open(const std::filesystem::path& file, bool forWriting)
{
    const std::string name = Utf8Path(file);
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(name.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Connection db(raw);
    const auto cannotOpen = [&](const char* reason) {
        return StoreError{StoreError::CannotOpen, name + ": " + (reason ? reason : sqlite3_errmsg(db.get()))};
    };
    if (!db)
        return cannotOpen("out of memory");
    if (rc != SQLITE_OK)
        return cannotOpen(nullptr);
    sqlite3_busy_timeout(db.get(), kBusyWaitMilliseconds);
    sqlite3_stmt* rawCheck = nullptr;
    if (sqlite3_prepare_v2(db.get(), "select count(*) from sqlite_master", -1, &rawCheck, nullptr) != SQLITE_OK)
        return cannotOpen(nullptr);
    const Statement check(rawCheck);
    if (sqlite3_step(rawCheck) != SQLITE_ROW)
        return cannotOpen(nullptr);
    if (sqlite3_column_int(rawCheck, 0) == 0)
        return cannotOpen("the file holds no tables");
    sqlite3_reset(rawCheck); // ends the read, so that the write lock is asked for on its own
    // A list only reads: it goes on while another program holds the file for writing, and an
    // address book the user may only read can still be listed.
    if (sqlite3_exec(db.get(), forWriting ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return cannotOpen(nullptr);
    return db;
}

// One operation's own connection with its statement prepared; the statement is finalised
// before the connection closes.
struct OpenStatement {
    Connection db;
    Statement statement;
};

Result<OpenStatement> OpenAndPrepare(const std::filesystem::path& file, const char* sql, bool forWriting)
{
    auto db = Open(file, forWriting);
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
