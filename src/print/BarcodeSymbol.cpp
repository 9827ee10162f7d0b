#include "print/BarcodeSymbol.h"

#include <zint.h>

#include <algorithm>
#include <memory>

namespace dorvane {

namespace {

// libzint's vector output draws a module as two units.
constexpr double kUnitsPerModule = 2.0;
// The Extended Channel Interpretation of UTF-8.
constexpr int kEciUtf8 = 26;

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

BarcodeSymbol EncodeBarcode(Symbology symbology, bool humanReadable, std::string_view content)
{
    BarcodeSymbol result;
    result.symbology = symbology;
    if (content.empty())
        return result;
    std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    if (!symbol) {
        result.error = "out of memory";
        return result;
    }
    symbol->symbology = symbology == Symbology::QrCode ? BARCODE_QRCODE : BARCODE_CODE128;
    symbol->input_mode = UNICODE_MODE;
    symbol->output_options |= BARCODE_QUIET_ZONES;
    symbol->show_hrt = 0; // the line under the bars is drawn in the printer's font
    if (symbology == Symbology::QrCode && !IsAscii(content))
        symbol->eci = kEciUtf8;
    const auto* data = reinterpret_cast<const unsigned char*>(content.data());
    const int encoded = ZBarcode_Encode(symbol.get(), data, static_cast<int>(content.size()));
    if (encoded >= ZINT_ERROR || ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR || !symbol->vector) {
        result.error = symbol->errtxt;
        if (result.error.empty())
            result.error = "cannot be encoded";
        return result;
    }
    const zint_vector& vector = *symbol->vector;
    result.width = vector.width / kUnitsPerModule;
    const double unitsHigh = vector.height;
    if (symbology == Symbology::QrCode) {
        result.height = vector.height / kUnitsPerModule;
        result.quietZone = 4;
    } else {
        result.quietZone = 10;
    }
    for (const zint_vector_rect* rect = vector.rectangles; rect != nullptr; rect = rect->next) {
        if (rect->colour != -1)
            continue; // only the dark modules are drawn: the paper is the light ones
        if (symbology == Symbology::QrCode)
            result.rects.push_back({rect->x / kUnitsPerModule, rect->y / kUnitsPerModule,
                                    rect->width / kUnitsPerModule, rect->height / kUnitsPerModule});
        else
            result.rects.push_back({rect->x / kUnitsPerModule, rect->y / unitsHigh,
                                    rect->width / kUnitsPerModule, rect->height / unitsHigh});
    }
    if (result.rects.empty())
        result.error = "cannot be encoded";
    if (humanReadable && symbology == Symbology::Code128)
        result.text.assign(content);
    return result;
}

} // namespace dorvane
