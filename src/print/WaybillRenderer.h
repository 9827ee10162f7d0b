#pragma once
// Draws the twenty field texts of one waybill onto a page: the form lies at its true size from
// the paper's top-left corner (see WaybillGeometry.h); fonts are scaled from the screen to the
// device's vertical resolution.

#include "print/BarcodeDrawer.h"
#include "print/TextBoxDrawer.h"
#include "print/WaybillPrintSetup.h"

#include <QRect>
#include <QString>

#include <array>
#include <vector>

class QFont;
class QImage;
class QPaintDevice;
class QPainter;

namespace dorvane {

// The paper of a device: where it lies in device pixels and the part of it the printer can
// print on. On a printer the paper's corner is the page's, whatever margins the printer keeps
// (the printable area is the paper less the printer's least margins); any other device (a
// picture) is paper all over, at its own resolution.
struct DevicePaper {
    PaperScale scale;
    QRectF printable;
};
DevicePaper PaperOf(const QPaintDevice& device);

// A field's font height in device pixels for one job; 0 keeps the field's own print font size.
using FieldFontHeights = std::array<int, kFieldCount>;
// For each field, what of its text the paper does not show.
using FieldFits = std::array<TextBoxFit, kFieldCount>;

class WaybillRenderer {
public:
    explicit WaybillRenderer(const WaybillPrintSetup& setup) : setup_(setup) {}

    // Texts in catalogue order; empty texts draw nothing. Answers what each field lost. A
    // picture given is drawn first, under the texts, where the template picture lies on the form.
    // The template's barcodes are drawn over the texts, from the texts and values (none: the
    // waybill and order numbers are empty); what became of each goes into barcodes when given.
    FieldFits renderPage(QPainter& painter, const std::array<QString, kFieldCount>& texts,
                         const FieldFontHeights* heights = nullptr, const QImage* picture = nullptr,
                         const BarcodeValues* values = nullptr,
                         std::vector<BarcodeOutcome>* barcodes = nullptr) const;

    // The template's barcodes placed on the device for these texts and values, each with what
    // it holds; only those that fit are drawn.
    std::vector<std::pair<BarcodeOutcome, PlacedBarcode>>
    placeBarcodes(const QPaintDevice& device, const std::array<QString, kFieldCount>& texts,
                  const BarcodeValues* values) const;

    // Where each field is drawn on the device, in its pixels (empty boxes when the form has no size).
    std::array<QRect, kFieldCount> fieldBoxes(const QPaintDevice& device) const;
    // Where a template picture of that size is drawn there (empty when the form has no size).
    QRect pictureBox(const QPaintDevice& device, const QSize& picture) const;

    // The font height in device pixels for a device of the given vertical resolution.
    int deviceFontHeight(const LogFont& font, int deviceDpiY) const;

    // The font a field is printed in on a device of that resolution; a height above 0 (device
    // pixels) replaces the print font's own.
    QFont fieldFont(int field, int deviceDpiY, int height = 0) const;

    const WaybillPrintSetup& setup() const { return setup_; }

private:
    WaybillPrintSetup setup_;
    mutable std::array<QString, 2> printFamilies_; // the body's and the destination's, once asked
};

} // namespace dorvane
