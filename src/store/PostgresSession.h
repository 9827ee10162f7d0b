#pragma once
// The server engine behind OpenSession: a PostgreSQL server reached through libpq. Built only
// where libpq is found (DORVANE_WITH_POSTGRES); elsewhere a server location cannot be opened.

#include "store/StoreResult.h"

#include <map>
#include <memory>
#include <string>

namespace dorvane {

class StoreSession;
class UnansweredServers;

// Connects (giving up after 3 seconds in all unless the string says otherwise), makes or
// upgrades the program's tables in an empty or older database, and begins a transaction. No
// statement waits for the server's answer for ever, and a server that let the station wait in
// vain is not asked again for a short while (remembered in unanswered, when given): each call
// fails at once instead of waiting again.
Result<std::unique_ptr<StoreSession>> OpenServerSession(const std::string& connection,
                                                        const std::shared_ptr<UnansweredServers>& unanswered);

// The keywords the connection is made with: the string's own (a connection string or URI in
// its dbname taken apart), with keepalives, a user timeout and a statement timeout added, and
// for a host that is not this computer, sslmode and channel_binding required unless the
// string names them.
Result<std::map<std::string, std::string>> ServerConnectionKeywords(const std::string& connection);

} // namespace dorvane
