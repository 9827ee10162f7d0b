#pragma once
// Where the address book and the print log live: the SQLite file dataM/Dorvane.dorv of this
// computer (the default), or a PostgreSQL server that every packing station of a shop shares,
// named by line 1 of Set/database.ini as a libpq connection string.

#include <filesystem>
#include <memory>
#include <string>
#include <utility>

namespace dorvane {

class UnansweredServers;

struct StoreLocation {
    // The SQLite file; a path converts, so a file can be named wherever a location is taken.
    StoreLocation(std::filesystem::path databaseFile) : file(std::move(databaseFile)) {}
    static StoreLocation Server(std::string connectionString)
    {
        StoreLocation location(std::filesystem::path{});
        location.server = std::move(connectionString);
        return location;
    }

    bool onServer() const { return !server.empty(); }

    std::filesystem::path file; // used when server is empty
    std::string server;         // a libpq connection string (UTF-8)
    // Where print-log entries wait while the store cannot be reached; empty: nowhere.
    std::filesystem::path logQueue;
    // The servers that did not answer lately, shared by one workspace's locations; none:
    // every open tries the server again.
    std::shared_ptr<UnansweredServers> unanswered;
};

// <workFolder>/Set/printlog-queue.txt: the print log's entries waiting for the store.
std::filesystem::path PrintLogQueuePath(const std::filesystem::path& workFolder);

// <workFolder>/Set/database.ini
std::filesystem::path DatabaseIniPath(const std::filesystem::path& workFolder);

// The server line 1 of Set/database.ini names; the address-book file when the file is missing
// or its line 1 is empty. Either with the work folder's print-log queue.
StoreLocation AddressBookLocation(const std::filesystem::path& workFolder);

// The connection string in Set/database.ini (line 1, empty for the file); false when it could
// not be written. Saving an empty line goes back to the file.
std::string LoadDatabaseConnection(const std::filesystem::path& databaseIni);
bool SaveDatabaseConnection(const std::filesystem::path& databaseIni, const std::string& connection);

// A Set/database.ini written by hand keeps the mode it was given: one holding a password that
// others may read or write is made the owner's alone. True when it was narrowed, to tell the user.
bool NarrowDatabaseIni(const std::filesystem::path& databaseIni);

} // namespace dorvane
