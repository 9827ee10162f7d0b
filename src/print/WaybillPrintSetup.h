#pragma once
// Everything a waybill print needs besides the texts, taken once from the program's values so
// that rendering depends on nothing global.

#include "base/LogFont.h"
#include "print/WaybillGeometry.h"
#include "template/WaybillField.h"

#include <array>

namespace dorvane {

struct Workspace;
class TemplateLayout;

struct WaybillPrintSetup {
    int formWidth = 0;                               // layout row 0, column 2 (0.1 mm)
    int formHeight = 0;                              // layout row 0, column 3 (0.1 mm)
    int pictureWidth = 0;                            // layout row 0, column 4 (picture pixels)
    int pictureHeight = 0;                           // layout row 0, column 5
    int paperWidth = 0;                              // the paper asked of the printer (0.1 mm) ...
    int paperLength = 0;                             // ... whose height is this plus kPaperExtraLength
    std::array<PixelRect, kFieldCount> printRects{}; // layout rows 1 to 20, columns 6 to 9 (0.1 mm)
    PrintAdjustments adjust;
    LogFont bodyFont;
    LogFont destinationFont;
    int screenDpiY = 96; // the resolution the fonts' heights are measured in
};

// The paper is 4 mm longer than the form.
inline constexpr int kPaperExtraLength = 40;

// The field rectangles from a layout whose print rectangles are computed.
std::array<PixelRect, kFieldCount> PrintRectsOf(const TemplateLayout& layout);

WaybillPrintSetup MakePrintSetup(const Workspace& app, int screenDpiY);
// The same with the paper, form size and print rectangles of another layout (print rectangles
// computed).
WaybillPrintSetup MakePrintSetup(const Workspace& app, const TemplateLayout& layout, int screenDpiY);

} // namespace dorvane
