#pragma once
// The address-book file's engine, SQLite, shared by the address book and the print log: the
// file is opened read-write, never created, and every operation holds its own connection.

#include "store/StoreResult.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>

namespace dorvane {

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
StoreError Refused(sqlite3* db, const char* sql);

// Opens the existing file with a transaction begun: for writing, the write lock is taken at
// once (BEGIN IMMEDIATE), so nothing is turned away half-way by a lock taken in between.
// Nothing is written; a failed open leaves the file as it was.
Result<Connection> OpenStore(const std::filesystem::path& file, bool forWriting);

class StoreSession;
// The file engine behind OpenSession.
Result<std::unique_ptr<StoreSession>> OpenFileSession(const std::filesystem::path& file, bool forWriting);

} // namespace dorvane
