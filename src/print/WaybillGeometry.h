#pragma once
// Where the printed waybill lands on the paper: the form (in tenths of a millimetre) lies on
// the paper at its true size from the paper's top-left corner, whatever part of the paper the
// printer can print on; the print offsets shift it and the text spacing shrinks or widens the
// area its fields are spread over. Each field's print rectangle is mapped into device pixels.

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

// The paper on a device: where its top-left corner lies in device pixels, and how many device
// pixels make a tenth of a millimetre across and down.
struct PaperScale {
    double originX = 0;
    double originY = 0;
    double dotsPerTenthX = 0;
    double dotsPerTenthY = 0;
};

struct PageMapping {
    bool valid = false; // false when the form or the device has no size: nothing can be placed
    double left = 0;    // device pixels of the form's top-left corner, moved by the adjustments
    double top = 0;
    double sx = 0; // device pixels per tenth of a millimetre of the form
    double sy = 0;
};

// formWidth, formHeight: the form in 0.1 mm. With no adjustments a tenth of a millimetre of the
// form is a tenth of a millimetre of paper; an offset moves the form by its tenths of a
// millimetre; a spacing of s narrows the area by s at each side (a negative one widens it).
PageMapping MapFormToPaper(const PaperScale& paper, int formWidth, int formHeight,
                           const PrintAdjustments& adjust);

// A print rectangle (0.1 mm from the form's top-left corner) in device pixels.
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
