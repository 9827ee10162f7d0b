#pragma once
// Draws the twenty field texts of one waybill onto a page. The page is the painter's device,
// (0, 0, width, height) in device pixels; fonts are scaled from the screen to the device's
// vertical resolution.

#include "print/TextBoxDrawer.h"
#include "print/WaybillPrintSetup.h"

#include <QRect>
#include <QString>

#include <array>

class QFont;
class QImage;
class QPainter;

namespace dorvane {

// A field's font height in device pixels for one job; 0 keeps the field's own print font size.
using FieldFontHeights = std::array<int, kFieldCount>;
// For each field, what of its text the paper does not show.
using FieldFits = std::array<TextBoxFit, kFieldCount>;

class WaybillRenderer {
public:
    explicit WaybillRenderer(const WaybillPrintSetup& setup) : setup_(setup) {}

    // Texts in catalogue order; empty texts draw nothing. Answers what each field lost. A
    // picture given is drawn first, under the texts, where the template picture lies on the form.
    FieldFits renderPage(QPainter& painter, const std::array<QString, kFieldCount>& texts,
                         const FieldFontHeights* heights = nullptr, const QImage* picture = nullptr) const;

    // Where each field is drawn on a page of the given size (empty boxes when the form has no size).
    std::array<QRect, kFieldCount> fieldBoxes(const QRect& page) const;
    // Where a template picture of that size is drawn on such a page (empty when the form has no size).
    QRect pictureBox(const QRect& page, const QSize& picture) const;

    // The font height in device pixels for a device of the given vertical resolution.
    int deviceFontHeight(const LogFont& font, int deviceDpiY) const;

    // The font a field is printed in on a device of that resolution; a height above 0 (device
    // pixels) replaces the print font's own.
    QFont fieldFont(int field, int deviceDpiY, int height = 0) const;

    const WaybillPrintSetup& setup() const { return setup_; }

private:
    WaybillPrintSetup setup_;
};

} // namespace dorvane
