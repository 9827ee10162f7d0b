#pragma once
// Registering the address book's data source: the attribute list handed to the ODBC
// installer, and the registry script written when the installer cannot be used.

#include <string>

namespace dorvane {

inline constexpr const char* kDataSourceName = "Dorvane";
inline constexpr const char* kAccessDriverName = "Microsoft Access Driver (*.mdb)";

// "DSN=<dsn>\0DBQ=<database>\0DEFAULTDIR=<folder>\0\0 " as the installer expects: the
// key=value strings each end in a NUL and an empty string ends the list.
std::string DataSourceAttributes(const std::string& dataSourceName, const std::string& databasePath,
                                 const std::string& programFolder);

// C:\A\B becomes C:\\A\\B, as a string value inside a .reg file needs.
std::string EscapeForRegistry(const std::string& folder);

// The sixteen lines of Dorvane.reg for workFolder, each ended by "\r\n".
std::string RegistryScriptText(const std::string& workFolder);

} // namespace dorvane
