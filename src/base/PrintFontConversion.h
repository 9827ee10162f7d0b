#pragma once
// The one place where a LOGFONT record becomes a QFont and back.

#include "base/LogFont.h"

#include <QFont>

namespace dorvane {

// A font whose pixel size is |height| (a LOGFONT height is in device pixels; negative
// heights give the character height, which is what Qt's pixel size means).
QFont ToQFont(const LogFont& font);
QFont ToQFont(const LogFont& font, int height);
LogFont FromQFont(const QFont& font, int pixelHeight);

// The font under the family name that font lists know it by: a face that exists only as a
// substitute (宋体 where only AR PL UMing CN is installed) becomes the installed family.
QFont ToListedQFont(const LogFont& font);

// The font a waybill is printed in: as ToQFont, and on Windows under the installed family's
// own name as ToListedQFont gives it, so that the printer receives text.
QFont ToPrintQFont(const LogFont& font, int height);
// The family ToPrintQFont gives the font; it searches the installed families on Windows.
QString PrintFamily(const LogFont& font);

// Where 宋体 and 黑体 are not installed, map them to the Chinese fonts that are.
void RegisterFontSubstitutes();

} // namespace dorvane
