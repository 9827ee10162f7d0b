#pragma once
// The program's own pictures, built in as Qt resources (drawn by tools/picturegen): the
// window icon of Dorvane and Updorv, and the picture under the About box's contact lines.

#include <QIcon>
#include <QPixmap>

namespace dorvane {

// The About box's picture, in pixels.
inline constexpr int kAboutPictureWidth = 300;
inline constexpr int kAboutPictureHeight = 80;

// The window icon, at 16, 32, 48 and 64 pixels.
QIcon ProgramIcon();

// The About box's picture, kAboutPictureWidth x kAboutPictureHeight.
QPixmap AboutPicture();

} // namespace dorvane
