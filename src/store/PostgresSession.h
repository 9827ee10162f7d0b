#pragma once
// The server engine behind OpenSession: a PostgreSQL server reached through libpq. Built only
// where libpq is found (DORVANE_WITH_POSTGRES); elsewhere a server location cannot be opened.

#include "store/StoreResult.h"

#include <memory>
#include <string>

namespace dorvane {

class StoreSession;

// Connects (giving up after 3 seconds unless the string says otherwise), makes or upgrades
// the program's tables in an empty or older database, and begins a transaction.
Result<std::unique_ptr<StoreSession>> OpenServerSession(const std::string& connection);

// The statement as the server takes it: ?N parameters become $N, [name] becomes name, instr
// becomes strpos, an insert gives back the new row's id, and a select that asks for no order
// gets the order of its first column (the id), the order the file gives.
std::string ServerStatement(const char* sql);

} // namespace dorvane
