#pragma once
// The address book: saved senders, saved recipients and saved goods names in the SQLite file
// dataM/Dorvane.dorv. The file ships with the program and is never created here. Every call
// opens its own connection and closes it before returning, so the file is not held open while
// a dialog waits for the user. Text going in and out is GB18030 code-page bytes; the database
// holds UTF-8.

#include "app/StoreResult.h"

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

// The text a message box shows for error: "不能打开数据库" for every failure to open, the
// database's own reason for a refused statement (GB18030).
std::string UserMessage(const StoreError& error);

class AddressBook {
public:
    explicit AddressBook(std::filesystem::path databaseFile) : file_(std::move(databaseFile)) {}

    const std::filesystem::path& file() const { return file_; }

    Result<std::vector<StoredText>> List(AddressTable table) const;
    // The id the database gave the new row.
    Result<std::int64_t> Add(AddressTable table, std::string_view text) const;
    // A missing id changes nothing and is no error.
    Result<void> Change(AddressTable table, std::int64_t id, std::string_view text) const;
    Result<void> Delete(AddressTable table, std::int64_t id) const;

private:
    std::filesystem::path file_;
};

} // namespace dorvane
