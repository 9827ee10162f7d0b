#include "store/StoreConnection.h"

#include "store/StoreSession.h"
#include "store/StoreStatement.h"

#include <string>

namespace dorvane {

namespace {

// How long an operation waits for another program's lock before giving up: long enough for
// another program's ordinary write to finish, short enough that a held lock is soon reported.
constexpr int kBusyWaitMilliseconds = 1000;

// SQLite takes file names as UTF-8 on every platform.
std::string Utf8Path(const std::filesystem::path& file)
{
    const auto u8 = file.u8string();
    return std::string(u8.begin(), u8.end());
}

} // namespace

// A statement that did not run: refused by the database, or kept out by another program's lock
// beyond the busy wait, which is the same to the user as a database that cannot be opened.
StoreError Refused(sqlite3* db, const char* sql)
{
    const int code = sqlite3_extended_errcode(db) & 0xFF;
    const bool locked = code == SQLITE_BUSY || code == SQLITE_LOCKED;
    return {locked ? StoreError::CannotOpen : StoreError::StatementFailed,
            std::string(sql) + ": " + sqlite3_errmsg(db)};
}

// Opens the existing file read-write. sqlite3_open_v2 only looks at the file on first use, so
// a read of the schema proves it is a database holding tables, and for a change, taking the write lock
// proves that no other program holds the file for writing; nothing is written, and a failed open
// leaves the file as it was. The lock is held until the operation commits or the connection
// closes, so a statement is never turned away half-way by a lock taken in between. An empty
// file passes for an empty database with SQLite, but it is not an address book.
Result<Connection> OpenStore(const std::filesystem::path& file, bool forWriting)
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

namespace {

class SqliteRow final : public StoreRow {
public:
    explicit SqliteRow(sqlite3_stmt* statement) : statement_(statement) {}
    std::int64_t Integer(int column) const override { return sqlite3_column_int64(statement_, column); }
    std::string_view Text(int column) const override
    {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        if (!text)
            return {};
        return std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
    }

private:
    sqlite3_stmt* statement_;
};

// The file engine: one connection to the file, its transaction begun by OpenStore.
class SqliteSession final : public StoreSession {
public:
    explicit SqliteSession(Connection db) : StoreSession(FileStatementText), db_(std::move(db)) {}

    Result<int> Query(StoreStatement statement, const std::vector<StoreValue>& values,
                      const std::function<void(const StoreRow&)>& onRow) override
    {
        const char* sql = Text(statement);
        auto prepared = Prepare(sql, values);
        if (!prepared)
            return prepared.error();
        sqlite3_stmt* st = prepared.value().get();
        const SqliteRow row(st);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            onRow(row);
        if (rc != SQLITE_DONE)
            return Refused(db_.get(), sql);
        return sqlite3_column_count(st);
    }

    Result<StoreChange> Change(StoreStatement statement, const std::vector<StoreValue>& values) override
    {
        const char* sql = Text(statement);
        auto prepared = Prepare(sql, values);
        if (!prepared)
            return prepared.error();
        if (sqlite3_step(prepared.value().get()) != SQLITE_DONE)
            return Refused(db_.get(), sql);
        return StoreChange{sqlite3_changes(db_.get()), sqlite3_last_insert_rowid(db_.get())};
    }

    Result<void> Execute(StoreStatement statement) override
    {
        const char* sql = Text(statement);
        lastSql_ = sql;
        if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            return Refused(db_.get(), sql);
        return {};
    }

    // Committing waits for other programs' readers to finish; one that outlasts the busy wait
    // leaves nothing changed (the connection rolls back as it closes).
    Result<void> Commit() override
    {
        if (sqlite3_exec(db_.get(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            return Refused(db_.get(), lastSql_.c_str());
        return {};
    }

    bool OnServer() const override { return false; }

private:
    Result<Statement> Prepare(const char* sql, const std::vector<StoreValue>& values)
    {
        lastSql_ = sql;
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db_.get(), sql, -1, &raw, nullptr) != SQLITE_OK)
            return Refused(db_.get(), sql);
        Statement st(raw);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const int parameter = static_cast<int>(i) + 1;
            int rc = SQLITE_OK;
            if (const auto* text = std::get_if<std::string>(&values[i]))
                rc = sqlite3_bind_text(raw, parameter, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
            else if (const auto* number = std::get_if<std::int64_t>(&values[i]))
                rc = sqlite3_bind_int64(raw, parameter, *number);
            if (rc != SQLITE_OK)
                return Refused(db_.get(), sql);
        }
        return st;
    }

    Connection db_;
    std::string lastSql_;
};

} // namespace

Result<std::unique_ptr<StoreSession>> OpenFileSession(const std::filesystem::path& file, bool forWriting)
{
    auto db = OpenStore(file, forWriting);
    if (!db)
        return db.error();
    return std::unique_ptr<StoreSession>(std::make_unique<SqliteSession>(std::move(db.value())));
}

} // namespace dorvane
