#include "store/StoreLocation.h"

#include "store/AddressBook.h"
#include "store/ConnectionString.h"
#include "base/SettingsFiles.h"
#include "text/TextFile.h"
#include "text/Utf8CodePage.h"

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace dorvane {

std::filesystem::path DatabaseIniPath(const std::filesystem::path& workFolder)
{
    return workFolder / "Set" / "database.ini";
}

std::filesystem::path PrintLogQueuePath(const std::filesystem::path& workFolder)
{
    return workFolder / "Set" / "printlog-queue.txt";
}

StoreLocation AddressBookLocation(const std::filesystem::path& workFolder)
{
    const std::string line = LoadDatabaseConnection(DatabaseIniPath(workFolder));
    // Settings files hold code-page bytes; libpq takes UTF-8.
    StoreLocation location = line.empty() ? StoreLocation(AddressBookPath(workFolder))
                                          : StoreLocation::Server(Utf8FromCodePage(line).value_or(line));
    location.logQueue = PrintLogQueuePath(workFolder);
    return location;
}

std::string LoadDatabaseConnection(const std::filesystem::path& databaseIni)
{
    const auto lines = ReadLines(databaseIni);
    if (!lines)
        return {};
    std::string line = LineOr(*lines, 0);
    // Blanks around the string are no part of it: a line of spaces still means the file.
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(" \t") - first + 1);
}

bool SaveDatabaseConnection(const std::filesystem::path& databaseIni, const std::string& connection)
{
#ifndef _WIN32
    // The line may hold the server's password: the file is the user's alone before it is
    // written, and a save keeps a file's permissions.
    std::error_code error;
    if (!std::filesystem::exists(databaseIni, error)) {
        const int created = ::open(databaseIni.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (created < 0 && errno != EEXIST)
            return false;
        if (created >= 0)
            ::close(created);
    }
    // A file of another owner that this user may write keeps the owner's choice.
    std::filesystem::permissions(databaseIni, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::replace, error);
#endif
    return RewriteLine(databaseIni, 0, connection, 1, false);
}

bool NarrowDatabaseIni(const std::filesystem::path& databaseIni)
{
#ifdef _WIN32
    (void)databaseIni;
    return false;
#else
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::perms mode = fs::status(databaseIni, error).permissions();
    if (error || (mode & (fs::perms::group_all | fs::perms::others_all)) == fs::perms::none)
        return false;
    if (SplitPassword(LoadDatabaseConnection(databaseIni)).password.empty())
        return false;
    fs::permissions(databaseIni, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace,
                    error);
    return !error;
#endif
}

} // namespace dorvane
