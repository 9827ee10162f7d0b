#pragma once
// One operation's connection to the address-book store, whichever engine holds it: the SQLite
// file or a PostgreSQL server. Statements are asked for by name (StoreStatement.h); the
// engine's own table gives their text, and the values are bound to its parameters in order,
// never pasted into the text. A session is opened with its transaction begun; nothing it
// changed is kept unless Commit succeeds, and closing it (by destroying it) without a commit
// rolls everything back.

#include "store/StoreLocation.h"
#include "store/StoreResult.h"
#include "store/StoreStatement.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace dorvane {

// A bound value: null, UTF-8 text or an integer.
using StoreValue = std::variant<std::monostate, std::string, std::int64_t>;

// One row of a result, read by column number.
class StoreRow {
public:
    virtual ~StoreRow() = default;
    virtual std::int64_t Integer(int column) const = 0;
    // UTF-8; a null reads as empty.
    virtual std::string_view Text(int column) const = 0;
};

struct StoreChange {
    std::int64_t rows = 0;       // how many rows the statement touched
    std::int64_t insertedId = 0; // for an insert, the id the database gave the new row
};

class StoreSession {
public:
    explicit StoreSession(StatementTable statements) : statements_(statements) {}
    virtual ~StoreSession() = default;

    // Runs a select, handing each row to onRow; gives the number of columns of the result.
    virtual Result<int> Query(StoreStatement statement, const std::vector<StoreValue>& values,
                              const std::function<void(const StoreRow&)>& onRow) = 0;
    // Runs an insert, update or delete.
    virtual Result<StoreChange> Change(StoreStatement statement, const std::vector<StoreValue>& values) = 0;
    // Runs a statement that takes no values and gives no rows (a table's definition).
    virtual Result<void> Execute(StoreStatement statement) = 0;
    virtual Result<void> Commit() = 0;
    virtual bool OnServer() const = 0;

    // Whether the store holds the table; the print log's table is made on first use.
    Result<bool> HasTable(const char* name);
    // The statement's text on this session's engine.
    const char* Text(StoreStatement statement) const { return statements_(statement); }

private:
    StatementTable statements_;
};

// Opens the store at location with a transaction begun; forWriting takes the file's write
// lock at once (the server needs none). Every failure to reach the store, the server's
// included, is StoreError::CannotOpen.
Result<std::unique_ptr<StoreSession>> OpenSession(const StoreLocation& location, bool forWriting);

} // namespace dorvane
