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

// File-system names (UTF-8 on Linux) to and from Qt strings.
QString FromFileName(const std::string& name);
std::string ToFileName(const QString& name);
QString PathToQString(const std::filesystem::path& path);

} // namespace dorvane
