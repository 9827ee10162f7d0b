#include "print/BarcodeSymbol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace dorvane;

// Code 128: bars of one to four modules between quiet zones of ten; the human-readable line
// only when asked for.
TEST(BarcodeSymbol, Code128HasItsQuietZonesAndWholeModuleBars)
{
    const BarcodeSymbol symbol = EncodeBarcode(Symbology::Code128, true, "SF1234567890123");
    ASSERT_TRUE(symbol.ok()) << symbol.error;
    EXPECT_EQ(symbol.quietZone, 10);
    double first = symbol.width, last = 0;
    for (const SymbolRect& bar : symbol.rects) {
        first = std::min(first, bar.x);
        last = std::max(last, bar.x + bar.width);
        EXPECT_EQ(bar.width, std::round(bar.width));
        EXPECT_GE(bar.width, 1);
        EXPECT_LE(bar.width, 4);
        EXPECT_DOUBLE_EQ(bar.height, 1);
    }
    EXPECT_EQ(first, 10);
    EXPECT_EQ(last, symbol.width - 10);
    EXPECT_EQ(symbol.text, "SF1234567890123");
    EXPECT_TRUE(EncodeBarcode(Symbology::Code128, false, "SF1").text.empty());
    // Longer content, a wider symbol.
    EXPECT_GT(symbol.width, EncodeBarcode(Symbology::Code128, false, "SF12").width);
}

TEST(BarcodeSymbol, ContentTheSymbologyCannotHoldIsAnErrorAndNothingIsEmpty)
{
    const BarcodeSymbol chinese = EncodeBarcode(Symbology::Code128, false, "订单号12");
    EXPECT_FALSE(chinese.ok());
    EXPECT_FALSE(chinese.error.empty());
    EXPECT_TRUE(EncodeBarcode(Symbology::Code128, false, "").empty());
    EXPECT_TRUE(EncodeBarcode(Symbology::QrCode, false, "").empty());
}

TEST(BarcodeSymbol, AQrCodeHoldsChineseInASquareWithItsQuietZone)
{
    const BarcodeSymbol symbol = EncodeBarcode(Symbology::QrCode, false, "订单号：TB20261208-甲");
    ASSERT_TRUE(symbol.ok()) << symbol.error;
    EXPECT_EQ(symbol.width, symbol.height);
    // Versions grow by 4 modules from 21; 4 modules of quiet zone at each side.
    EXPECT_EQ(static_cast<int>(symbol.width - 8 - 21) % 4, 0);
    for (const SymbolRect& cell : symbol.rects) {
        EXPECT_GE(cell.x, 4);
        EXPECT_GE(cell.y, 4);
        EXPECT_LE(cell.x + cell.width, symbol.width - 4);
        EXPECT_LE(cell.y + cell.height, symbol.height - 4);
    }
}
