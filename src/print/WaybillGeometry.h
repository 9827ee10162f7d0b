#pragma once
// Where the printed waybill lands on the printer page: the form (in tenths of a millimetre)
// is spread over the page, shifted by the print offsets and shrunk or widened by the text
// spacing, and each field's print rectangle is mapped into printer pixels.

#include <cstdint>

namespace dorvane {

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

// The four set.ini print adjustments, in tenths of a millimetre on paper.
struct PrintAdjustments {
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;
    std::int32_t spacingX = 0;
    std::int32_t spacingY = 0;
};

// Every form is printed 2.1 mm further out at top and bottom than the page itself; a spacing
// Y of 0 therefore stretches the fields slightly, which the templates were measured against.
inline constexpr int kVerticalSpread = 21;

struct PageMapping {
    bool valid = false; // false when the form has no positive size: nothing can be placed
    PixelRect pageRect; // the area over which the whole form is spread
    double sx = 0;      // printer pixels per tenth of a millimetre
    double sy = 0;
};

// page: the printable page in printer pixels; formWidth, formHeight: the form in 0.1 mm.
PageMapping MapFormToPage(const PixelRect& page, int formWidth, int formHeight,
                          const PrintAdjustments& adjust);

// A print rectangle (0.1 mm from the form's top-left corner) in printer pixels.
PixelRect MapFieldRect(const PageMapping& mapping, const PixelRect& printRect);

// The part of the form (0.1 mm) a template picture of pictureWidth x pictureHeight pixels
// covers when it lies under the boxes: boxes are placed in pixels of a picture of the
// header's size (layout row 0, columns 4 and 5) spread over the form, so a picture of that
// size covers the form exactly. Without a usable header size the picture covers the form.
PixelRect PictureRectOnForm(int formWidth, int formHeight, int headerWidth, int headerHeight, int pictureWidth,
                            int pictureHeight);

// Printer vertical resolution over screen vertical resolution: the print fonts are sized in
// screen pixels. A screen resolution that is not positive counts as the printer's own.
double FontScaleY(int printerDpiY, int screenDpiY);

// A LOGFONT height scaled to the printer, truncated toward zero.
std::int32_t ScaleFontHeight(std::int32_t height, double scale);

} // namespace dorvane
