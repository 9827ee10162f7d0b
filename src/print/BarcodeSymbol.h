#pragma once
// A barcode or QR symbol as libzint lays it out: its dark modules as rectangles, measured in
// modules (the narrowest bar, or a QR cell) from the symbol's top-left corner, the quiet zones
// its symbology needs included, so that it can be drawn as vectors at any size.

#include "template/BarcodeField.h"

#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

struct SymbolRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

struct BarcodeSymbol {
    Symbology symbology = Symbology::Code128;
    double width = 0;              // modules, quiet zones included
    double height = 0;             // QR: modules, quiet zones included; linear: 0, the bars fill their height
    double quietZone = 0;          // modules of quiet zone at each side
    std::vector<SymbolRect> rects; // linear: y 0 and height 1, a share of the bars' height
    std::string text;              // the human-readable line (UTF-8), when asked for
    std::string error;             // why the content cannot be encoded

    bool empty() const { return rects.empty() && error.empty(); }
    bool ok() const { return !rects.empty() && error.empty(); }
};

// Encodes UTF-8 content. Empty content gives an empty symbol (nothing to print); content the
// symbology cannot hold (Code 128 takes Latin-1 only) gives the error. QR holds any text:
// text beyond ASCII is marked as UTF-8 (ECI 26), so that readers take it as such.
BarcodeSymbol EncodeBarcode(Symbology symbology, bool humanReadable, std::string_view content);

} // namespace dorvane
