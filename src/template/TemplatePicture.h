#pragma once
// Reading a template's picture by its path on disk.

#include <QPixmap>

#include <filesystem>

namespace dorvane {

// The picture in the file at path, or a null pixmap when there is no such file or it holds no
// picture (of format, when one is named). The file is read by its own bytes: Qt's file
// functions take names as Unicode text and cannot reach a name that is not UTF-8.
QPixmap LoadPictureFile(const std::filesystem::path& path, const char* format = nullptr);

} // namespace dorvane
