#pragma once
// Draws the twenty field texts of one waybill onto a page. The page is the painter's device,
// (0, 0, width, height) in device pixels; fonts are scaled from the screen to the device's
// vertical resolution.

#include "print/WaybillPrintSetup.h"

#include <QRect>
#include <QString>

#include <array>

class QPainter;

namespace dorvane {

class WaybillRenderer {
public:
    explicit WaybillRenderer(const WaybillPrintSetup& setup) : setup_(setup) {}

    // Texts in catalogue order; empty texts draw nothing.
    void renderPage(QPainter& painter, const std::array<QString, kFieldCount>& texts) const;

    // Where each field is drawn on a page of the given size (empty boxes when the form has no size).
    std::array<QRect, kFieldCount> fieldBoxes(const QRect& page) const;

    // The font height in device pixels for a device of the given vertical resolution.
    int deviceFontHeight(const LogFont& font, int deviceDpiY) const;

    const WaybillPrintSetup& setup() const { return setup_; }

private:
    WaybillPrintSetup setup_;
};

} // namespace dorvane
