#include "print/BarcodePlacement.h"

#include <algorithm>
#include <cmath>

namespace dorvane {

namespace {

int WholeDots(double length, double devicePerDot)
{
    const double dots = length / devicePerDot;
    return dots >= 1.0 ? static_cast<int>(std::floor(dots + 1e-9)) : 0;
}

} // namespace

BarcodePlacement PlaceBarcode(const BarcodeSymbol& symbol, double boxLeft, double boxTop, double boxWidth,
                              double boxHeight, double devicePerDot)
{
    BarcodePlacement place;
    if (symbol.empty())
        return place;
    if (!symbol.ok() || symbol.width <= 0) {
        place.fault = BarcodeFault::CannotEncode;
        return place;
    }
    if (devicePerDot <= 0)
        devicePerDot = 1;
    const int widest = WholeDots(boxWidth / symbol.width, devicePerDot);
    if (widest < 1) {
        place.fault = BarcodeFault::TooNarrow;
        return place;
    }
    int dots = widest;
    if (symbol.symbology == Symbology::QrCode) {
        dots = std::min(dots, WholeDots(boxHeight / symbol.height, devicePerDot));
        if (dots < 1) {
            place.fault = BarcodeFault::TooShort;
            return place;
        }
    } else {
        // The largest module at which the bars, with the line under them, are high enough.
        const double bareWidth = symbol.width - 2 * symbol.quietZone;
        for (; dots >= 1; --dots) {
            const double module = dots * devicePerDot;
            const double text = symbol.text.empty() ? 0 : kTextModules * module;
            if (boxHeight - text >= kLeastBarHeightShare * bareWidth * module)
                break;
        }
        if (dots < 1) {
            place.fault = BarcodeFault::TooShort;
            return place;
        }
    }
    place.dotsPerModule = dots;
    place.module = dots * devicePerDot;
    place.width = symbol.width * place.module;
    if (symbol.symbology == Symbology::QrCode) {
        place.height = symbol.height * place.module;
    } else {
        place.height = boxHeight;
        place.textHeight = symbol.text.empty() ? 0 : kTextModules * place.module;
        place.barHeight = boxHeight - place.textHeight;
    }
    // Centred, starting on a printer dot (counted from the device's corner, the paper's), so
    // that every module covers whole dots.
    const auto onDot = [devicePerDot](double at) { return std::round(at / devicePerDot) * devicePerDot; };
    place.left = onDot(boxLeft + (boxWidth - place.width) / 2);
    place.top = onDot(boxTop + (boxHeight - place.height) / 2);
    return place;
}

} // namespace dorvane
