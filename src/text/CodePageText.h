#pragma once
// The edge between Qt's Unicode strings and the code-page bytes (GB18030, identical to GBK
// for every GBK character) that the core and the files hold.

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

namespace dorvane {

std::string ToCodePage(const QString& text);
QString FromCodePage(std::string_view bytes);

// File-system names to and from Qt strings. Names the program makes are UTF-8 (the file
// system's encoding on Linux); a name that is not valid UTF-8 was written by a system using
// the Chinese code page (a folder copied from Windows) and is shown decoded as GB18030.
QString FromFileName(const std::string& name);
std::string ToFileName(const QString& name);
QString PathToQString(const std::filesystem::path& path);

} // namespace dorvane
