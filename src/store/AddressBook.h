#pragma once
// The address book: saved senders, saved recipients and saved goods names in the SQLite file
// dataM/Dorvane.dorv, or on the PostgreSQL server Set/database.ini names (StoreLocation.h).
// The file ships with the program and is never created here; on an empty server database the
// tables are made on first use. Every call opens its own connection and closes it before
// returning, so nothing is held open while a dialog waits for the user, and every change is
// its own transaction. Text going in and out is GB18030 code-page bytes; the database holds
// UTF-8.

#include "store/StoreLocation.h"
#include "store/StoreResult.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

// Kept from the ODBC set-up the data source was registered with (the data-source name is
// kDataSourceName in DataSourceRegistration.h); SQLite itself needs neither.
inline constexpr const char* kConnectionString = "ODBC;UID=admin;PWD=19870514";
inline constexpr const char* kAddressBookFileName = "Dorvane.dorv";
// "不能打开数据库", the text shown for every failure to open, in GB18030.
inline constexpr const char* kCannotOpenDatabaseText = "\xB2\xBB\xC4\xDC\xB4\xF2\xBF\xAA\xCA\xFD\xBE\xDD\xBF\xE2";
// Told at start after a Set/database.ini holding a password was made its owner's alone (UTF-8).
inline constexpr const char* kDatabaseIniNarrowedNote =
    "Set/database.ini 中有数据库密码，别的用户也能读取，现已改为只有本用户可以读写。";
// Added to it (UTF-8) when the server cannot keep the password from the network.
inline constexpr const char* kInsecureServerText =
    "\n服务器不支持加密连接或不泄露密码的登录方式，为保护密码没有连接。"
    "请在服务器上启用 SSL 和 scram-sha-256 密码验证，或在连接串中写明 sslmode 和 channel_binding。";

enum class AddressTable {
    SendAddress,    // saved senders, one address record per row
    ReceiptAddress, // saved recipients
    ProductName,    // saved goods names
};

struct StoredText {
    std::int64_t id;
    std::string text; // GB18030
};

// <workFolder>/dataM/Dorvane.dorv
std::filesystem::path AddressBookPath(const std::filesystem::path& workFolder);

// The text a message box shows for error: "不能打开数据库" for every failure to open (a
// server that is down included), the database's own reason for a refused statement (GB18030).
std::string UserMessage(const StoreError& error);

class AddressBook {
public:
    explicit AddressBook(StoreLocation location) : location_(std::move(location)) {}

    Result<std::vector<StoredText>> List(AddressTable table) const;
    // The id the database gave the new row.
    Result<std::int64_t> Add(AddressTable table, std::string_view text) const;
    // A missing id (the row was deleted, perhaps at another station) changes nothing and is
    // refused, so the change is reported instead of lost.
    Result<void> Change(AddressTable table, std::int64_t id, std::string_view text) const;
    // A missing id changes nothing and is no error.
    Result<void> Delete(AddressTable table, std::int64_t id) const;

private:
    StoreLocation location_;
};

} // namespace dorvane
