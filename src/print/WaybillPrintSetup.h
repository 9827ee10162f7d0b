#pragma once
// Everything a waybill print needs besides the texts, taken once from the program's values so
// that rendering depends on nothing global.

#include "base/LogFont.h"
#include "print/WaybillGeometry.h"
#include "template/BarcodeField.h"
#include "template/WaybillField.h"

#include <array>
#include <vector>

namespace dorvane {

struct Workspace;
class TemplateLayout;

// A barcode field of a template with its print rectangle (0.1 mm from the form's corner).
struct BarcodeBox {
    BarcodeField field;
    PixelRect printRect;
};

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
    int screenDpiY = 96;              // the resolution the fonts' heights are measured in
    std::vector<BarcodeBox> barcodes; // layout rows 21 to 29 that hold barcodes
    // The printer's own dots per inch where it prints coarser than the device it is drawn on
    // (a label printer under a PDF driver): barcode modules are whole dots of it. 0: the
    // device's own resolution.
    int printerDpi = 0;
};

// The paper is 4 mm longer than the form.
inline constexpr int kPaperExtraLength = 40;

// The field rectangles from a layout whose print rectangles are computed.
std::array<PixelRect, kFieldCount> PrintRectsOf(const TemplateLayout& layout);
// Its barcodes with their print rectangles, likewise.
std::vector<BarcodeBox> BarcodeBoxesOf(const TemplateLayout& layout);

WaybillPrintSetup MakePrintSetup(const Workspace& app, int screenDpiY);
// The same with the paper, form size and print rectangles of another layout (print rectangles
// computed).
WaybillPrintSetup MakePrintSetup(const Workspace& app, const TemplateLayout& layout, int screenDpiY);

} // namespace dorvane
