#include "print/BarcodePlacement.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace dorvane;

namespace {

// A linear symbol of `modules` modules, its 10-module quiet zones included, with one bar.
BarcodeSymbol Linear(double modules, bool text = false)
{
    BarcodeSymbol symbol;
    symbol.width = modules;
    symbol.quietZone = 10;
    symbol.rects = {{10, 0, 2, 1}};
    if (text)
        symbol.text = "SF1234567890123";
    return symbol;
}

BarcodeSymbol Qr(double modules)
{
    BarcodeSymbol symbol;
    symbol.symbology = Symbology::QrCode;
    symbol.width = symbol.height = modules;
    symbol.quietZone = 4;
    symbol.rects = {{4, 4, 7, 1}};
    return symbol;
}

constexpr double kDotsPerMm203 = 203 / 25.4;

} // namespace

// At the label printer's own resolution: the largest whole number of dots per module that
// the box's width holds, the symbol centred on a dot.
TEST(BarcodePlacement, ModulesAreWholePrinterDotsAndTheSymbolIsCentred)
{
    const double width = 90 * kDotsPerMm203; // 718.5 dots
    const BarcodePlacement place = PlaceBarcode(Linear(165), 40, 40, width, 25 * kDotsPerMm203, 1);
    ASSERT_TRUE(place.fits());
    EXPECT_EQ(place.dotsPerModule, 4); // 165 x 4 = 660 <= 718 < 165 x 5
    EXPECT_DOUBLE_EQ(place.width, 660);
    EXPECT_EQ(place.left, std::round(40 + (width - 660) / 2));
    EXPECT_DOUBLE_EQ(place.barHeight, 25 * kDotsPerMm203);

    // Drawn at 1200 dpi for a 203-dpi printer: still 4 of the printer's dots, starting on one.
    const double perDot = 1200.0 / 203;
    const BarcodePlacement fine = PlaceBarcode(Linear(165), 40 * perDot, 40 * perDot, width * perDot,
                                               25 * kDotsPerMm203 * perDot, perDot);
    ASSERT_TRUE(fine.fits());
    EXPECT_EQ(fine.dotsPerModule, 4);
    EXPECT_NEAR(fine.left / perDot, std::round(fine.left / perDot), 1e-9);
}

// A box narrower than one dot per module, or too low for its bars, holds no symbol; a lower
// box takes smaller modules when they make the bars high enough.
TEST(BarcodePlacement, ABoxTooSmallIsAFaultAndALowBoxTakesSmallerModules)
{
    EXPECT_EQ(PlaceBarcode(Linear(165), 0, 0, 164.9, 200, 1).fault, BarcodeFault::TooNarrow);
    EXPECT_EQ(PlaceBarcode(Linear(165), 0, 0, 165, 200, 1).dotsPerModule, 1);
    // 145 modules of bars need 15 % of their width in height: 21.75 modules.
    EXPECT_EQ(PlaceBarcode(Linear(165), 0, 0, 700, 21, 1).fault, BarcodeFault::TooShort);
    const BarcodePlacement low = PlaceBarcode(Linear(165), 0, 0, 700, 45, 1);
    ASSERT_TRUE(low.fits());
    EXPECT_EQ(low.dotsPerModule, 2); // 4 would need 87 dots of bars
    // The line under the bars takes its share of the height too.
    EXPECT_EQ(PlaceBarcode(Linear(165, true), 0, 0, 700, 45, 1).dotsPerModule, 1);
    const BarcodePlacement text = PlaceBarcode(Linear(165, true), 0, 0, 700, 200, 1);
    EXPECT_DOUBLE_EQ(text.textHeight, kTextModules * text.module);
    EXPECT_DOUBLE_EQ(text.barHeight + text.textHeight, 200);
}

TEST(BarcodePlacement, AQrCodeIsSquareInTheShorterSide)
{
    const BarcodePlacement place = PlaceBarcode(Qr(33), 0, 0, 400, 140, 1);
    ASSERT_TRUE(place.fits());
    EXPECT_EQ(place.dotsPerModule, 4);
    EXPECT_DOUBLE_EQ(place.width, place.height);
    EXPECT_EQ(PlaceBarcode(Qr(33), 0, 0, 400, 32, 1).fault, BarcodeFault::TooShort);
    EXPECT_EQ(PlaceBarcode(Qr(33), 0, 0, 32, 400, 1).fault, BarcodeFault::TooNarrow);
}

TEST(BarcodePlacement, NothingToPrintIsNoFaultAndAnUnencodableContentIs)
{
    EXPECT_TRUE(PlaceBarcode(BarcodeSymbol{}, 0, 0, 10, 10, 1).fits());
    BarcodeSymbol refused;
    refused.error = "invalid character";
    EXPECT_EQ(PlaceBarcode(refused, 0, 0, 1000, 1000, 1).fault, BarcodeFault::CannotEncode);
}
