#include "app/StoreConnection.h"

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

} // namespace dorvane
