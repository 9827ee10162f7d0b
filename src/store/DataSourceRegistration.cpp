#include "store/DataSourceRegistration.h"

#include "text/TextFile.h"


namespace dorvane {

std::string DataSourceAttributes(const std::string& dataSourceName, const std::string& databasePath,
                                 const std::string& programFolder)
{
    std::string list = "DSN=" + dataSourceName + "!DBQ=" + databasePath + "!DEFAULTDIR=" + programFolder + "!! ";
    for (char& c : list)
        if (c == '!')
            c = '\0';
    return list;
}

std::string EscapeForRegistry(const std::string& folder)
{
    std::string escaped;
    for (char c : folder)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return escaped;
}

std::string RegistryScriptText(const std::string& workFolder)
{
    const std::string folder = EscapeForRegistry(workFolder);
    return JoinLines({
        "Windows Registry Editor Version 5.00",
        "",
        "[HKEY_CURRENT_USER\\Software\\ODBC\\ODBC.INI\\Dorvane]",
        "\"Driver\"=\"C:\\\\Windows\\\\system32\\\\odbcjt32.dll\"",
        "\"DBQ\"=\"" + folder + "\\\\dataM\\\\Dorvane.dorv\"",
        "\"DefaultDir\"=\"" + folder + "\"",
        "\"DriverId\"=dword:00000019",
        "\"SafeTransactions\"=dword:00000000",
        "\"UID\"=\"\"",
        "",
        "[HKEY_CURRENT_USER\\Software\\ODBC\\ODBC.INI\\Dorvane\\Engines]",
        "",
        "[HKEY_CURRENT_USER\\Software\\ODBC\\ODBC.INI\\Dorvane\\Engines\\Jet]",
        "\"ImplicitCommitSync\"=\"\"",
        "\"Threads\"=dword:00000003",
        "\"UserCommitSync\"=\"Yes\"",
    });
}

} // namespace dorvane
