#pragma once
// Reading a template's picture by its path on disk, and storing a chosen picture as one.

#include <QImage>
#include <QPixmap>
#include <QString>

#include <filesystem>

namespace dorvane {

// The picture in the file at path, or a null pixmap when there is no such file, it holds no
// picture (of format, when one is named) or one larger than a scanned A4 sheet. The file is read by its own
// bytes: Qt's file functions take names as Unicode text and cannot reach a name that is not UTF-8.
QPixmap LoadPictureFile(const std::filesystem::path& path, const char* format = nullptr);
// The same as an image, for painting where no screen is at hand (printing from dorvane-cli).
QImage LoadPictureImage(const std::filesystem::path& path, const char* format = nullptr);

// Stores the picture in from as the template picture target, which is always a BMP: a BMP is
// copied as it is, a PNG or JPEG is written as a 24-bit BMP (transparent parts on white, as
// they show on paper). False, target untouched, when from holds no picture of those kinds or
// one larger than a scanned A4 sheet; refusal then says so for the latter (else stays as it was).
bool StorePictureAsBmp(const std::filesystem::path& from, const std::filesystem::path& target,
                       QString* refusal = nullptr);

// The picture of a blank label of that paper (0.1 mm): white, with a light grey grid every
// kBlankLabelGridMm millimetres (BlankLabel.h).
QImage BlankLabelPicture(int paperWidth, int paperHeight);

} // namespace dorvane
