#pragma once
// File paths between Qt and std::filesystem in the system's own encoding: the bytes the file
// system holds on Linux, UTF-16 on Windows. A path never passes through the C++ classic
// locale, which cannot convert a Chinese folder name and throws.

#include <QString>

#include <filesystem>

namespace dorvane {

std::filesystem::path ToFsPath(const QString& path);
QString ToQPath(const std::filesystem::path& path);

} // namespace dorvane
