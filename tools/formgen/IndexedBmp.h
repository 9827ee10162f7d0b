#pragma once
// Windows BMP bytes of an 8-bit palette image. Qt's own writer leaves the row padding
// uninitialised, so two runs would give different files for the same picture.

#include <QByteArray>
#include <QImage>

namespace dorvane {

// Empty when the image is not Format_Indexed8 with at most 256 colours.
QByteArray IndexedBmp(const QImage& image);

} // namespace dorvane
