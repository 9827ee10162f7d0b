#pragma once
// The calibration sheet: printed on plain paper through the waybill job with the offsets at
// zero, it shows where every field box of the template lands. Laid on a blank form, the
// distance from a cross to the corner of its box on the form is the offset the printer needs.
// Millimetre rulers from the paper's edges and two 100 mm bars let the user measure that and
// check the printer's scale.

#include "print/WaybillGeometry.h"
#include "print/WaybillPrintSetup.h"

#include <string>
#include <vector>

namespace dorvane {

// Lengths on the sheet, in tenths of a millimetre.
inline constexpr int kSheetTextHeight = 25;
inline constexpr int kSheetLineWidth = 2;
inline constexpr int kCrossArm = 30;   // from the corner to each arm's end
inline constexpr int kLabelGapX = 10;  // a field's name starts this far right of its cross ...
inline constexpr int kLabelGapY = 5;   // ... its text line this far below
inline constexpr int kScaleBarLength = 1000;

// The page a sheet is laid out on, in device pixels.
struct SheetDevice {
    PixelRect page;    // the printable area
    int paperLeft = 0; // the paper's left and top edges: at or left of and above the printable area
    int paperTop = 0;
    double dotsPerMmX = 0;
    double dotsPerMmY = 0;
};

struct SheetLine {
    int x1, y1, x2, y2;
};

// One line of text whose top-left corner is (x, y): a field name or a ruler's number (UTF-8).
struct SheetText {
    int x, y;
    std::string text;
};

struct CalibrationSheet {
    std::vector<SheetLine> lines;
    std::vector<SheetText> texts;
    int textHeight = 0; // device pixels, as the font's pixel size
    int lineWidth = 0;  // device pixels, at least 1
};

// Where a waybill's field boxes land with the offsets at zero (spacings as set up): the sheet's
// crosses, in device pixels. Fields whose box has no size are left out (invalid rectangles).
std::vector<std::pair<int, PixelRect>> SheetFieldBoxes(const WaybillPrintSetup& setup,
                                                       const SheetDevice& device);

CalibrationSheet LayOutCalibrationSheet(const WaybillPrintSetup& setup, const SheetDevice& device);

} // namespace dorvane
