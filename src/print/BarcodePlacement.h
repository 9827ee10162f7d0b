#pragma once
// Where a symbol lies in its box on the device, at a whole number of printer dots per module:
// a module of a fraction of a dot, or split unevenly between dots, would print bars of
// uneven widths that scanners misread. A box the symbol does not fit in that way is a fault,
// and nothing of the symbol is printed then.

#include "print/BarcodeSymbol.h"

namespace dorvane {

enum class BarcodeFault {
    None,
    CannotEncode, // the content is nothing the symbology holds
    TooNarrow,    // less than one printer dot per module across the box
    TooShort,     // the bars would be lower than a scanner needs, or the QR wider than the box is high
};

struct BarcodePlacement {
    BarcodeFault fault = BarcodeFault::None;
    int dotsPerModule = 0; // printer dots
    double module = 0;     // device pixels per module
    // The symbol with its quiet zones, device pixels.
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    double barHeight = 0;  // linear: the bars' height
    double textHeight = 0; // linear: the human-readable line under them, 0 without one
    bool fits() const { return fault == BarcodeFault::None; }
};

// Bars are at least this share of the symbol's width (quiet zones left out) high.
inline constexpr double kLeastBarHeightShare = 0.15;
// The human-readable line takes this many modules under the bars.
inline constexpr double kTextModules = 8;

// boxLeft ... boxHeight: the box in device pixels; devicePerDot: device pixels per printer
// dot (1 when the device is the printer at its own resolution), whose dots count from the
// device's corner. The symbol is centred in its box, on a dot, at the largest module that
// fits; an empty symbol has no placement and no fault.
BarcodePlacement PlaceBarcode(const BarcodeSymbol& symbol, double boxLeft, double boxTop, double boxWidth,
                              double boxHeight, double devicePerDot);

} // namespace dorvane
