#pragma once
// Draws the barcodes of a waybill onto a page as vectors: each dark module a filled
// rectangle at a whole number of printer dots, the human-readable line in the printer's font.
// A symbol its box cannot hold readably is not drawn at all: its fault is answered instead.

#include "print/BarcodePlacement.h"
#include "print/WaybillGeometry.h"
#include "template/BarcodeField.h"

#include <QRectF>
#include <QString>

#include <vector>

class QPainter;
class QPaintDevice;

namespace dorvane {

// The numbers a waybill carries besides its twenty texts, for the barcodes that print them.
struct BarcodeValues {
    QString waybillNumber;
    QString orderNumber;
};

// What became of one barcode of a page.
struct BarcodeOutcome {
    BarcodeField field;
    QString content;
    BarcodeFault fault = BarcodeFault::None;
    bool printed() const { return fault == BarcodeFault::None && !content.isEmpty(); }
};

// Device pixels per printer dot: the device's resolution over the printer's (printerDpi 0 or
// above the device's: the device's own dots).
double DevicePerDot(const QPaintDevice& device, int printerDpi);

// Places content in box (device pixels); the symbol and where it lies.
struct PlacedBarcode {
    BarcodeSymbol symbol;
    BarcodePlacement placement;
};
PlacedBarcode PlaceBarcodeIn(const BarcodeField& field, const QString& content, const QRectF& box,
                             double devicePerDot);

// Draws what PlaceBarcodeIn placed, when it fits.
void DrawBarcode(QPainter& painter, const PlacedBarcode& placed);

// "条码放不下：……" for a report or a tooltip; empty when nothing is wrong.
QString DescribeBarcodeFault(const BarcodeOutcome& outcome);
// "条码（运单号）": which barcode, as users know it.
QString BarcodeName(const BarcodeField& field);

} // namespace dorvane
