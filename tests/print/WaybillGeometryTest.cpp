#include "print/WaybillGeometry.h"
#include "app/AppValues.h"
#include "print/WaybillPrintSetup.h"
#include "template/TemplateLayout.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <utility>
#include <ostream>

using namespace dorvane;

namespace dorvane {
void PrintTo(const PixelRect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
} // namespace dorvane

namespace {
const PixelRect kPage{0, 0, 4000, 2000};
const PixelRect kField{100, 200, 600, 300};
} // namespace

TEST(WaybillGeometry, ZeroAdjustmentsSpreadTheFormPastTopAndBottom)
{
    const PageMapping m = MapFormToPage(kPage, 2000, 1000, {});
    ASSERT_TRUE(m.valid);
    EXPECT_EQ(m.pageRect, (PixelRect{0, -42, 4000, 2042}));
    EXPECT_DOUBLE_EQ(m.sx, 2.0);
    EXPECT_DOUBLE_EQ(m.sy, 2.084);
    EXPECT_EQ(MapFieldRect(m, kField), (PixelRect{200, 374, 1200, 583}));
}

TEST(WaybillGeometry, OffsetsMoveEveryFieldWithoutResizingIt)
{
    const PixelRect base = MapFieldRect(MapFormToPage(kPage, 2000, 1000, {}), kField);
    const PixelRect other = MapFieldRect(MapFormToPage(kPage, 2000, 1000, {}), {1500, 10, 1900, 900});

    const PageMapping moved = MapFormToPage(kPage, 2000, 1000, {35, -20, 0, 0});
    const PixelRect a = MapFieldRect(moved, kField);
    const PixelRect b = MapFieldRect(moved, {1500, 10, 1900, 900});
    // 35 tenths at 2 px each = 70 px right; -20 tenths = 40 px up; both fields alike.
    EXPECT_EQ(a, (PixelRect{base.left + 70, base.top - 40, base.right + 70, base.bottom - 40}));
    EXPECT_EQ(b, (PixelRect{other.left + 70, other.top - 40, other.right + 70, other.bottom - 40}));

    // A fractional pixel offset is truncated toward zero, for negative offsets too.
    const PageMapping odd = MapFormToPage({0, 0, 3000, 1000}, 2000, 1000, {-3, 0, 0, 0});
    EXPECT_EQ(odd.pageRect.left, -4); // -3 * 1.5 = -4.5
}

TEST(WaybillGeometry, SpacingResizesTheAreaSymmetrically)
{
    // Positive spacing draws the fields together, negative spreads them.
    const PageMapping closer = MapFormToPage(kPage, 2000, 1000, {0, 0, 100, 21});
    EXPECT_EQ(closer.pageRect, (PixelRect{200, 0, 3800, 2000}));
    EXPECT_DOUBLE_EQ(closer.sx, 1.8);
    EXPECT_DOUBLE_EQ(closer.sy, 2.0);
    EXPECT_EQ(MapFieldRect(closer, kField), (PixelRect{380, 400, 1280, 600}));

    const PageMapping wider = MapFormToPage(kPage, 2000, 1000, {0, 0, -50, 71});
    EXPECT_EQ(wider.pageRect, (PixelRect{-100, 100, 4100, 1900}));
    EXPECT_DOUBLE_EQ(wider.sx, 2.1);
    EXPECT_DOUBLE_EQ(wider.sy, 1.8);

    // The page's own origin is kept (a printer's printable area need not start at 0).
    const PageMapping shifted = MapFormToPage({10, 20, 4010, 2020}, 2000, 1000, {});
    EXPECT_EQ(shifted.pageRect, (PixelRect{10, -22, 4010, 2062}));
}

TEST(WaybillGeometry, FormWithoutSizePlacesNothingAndExtremesDoNotOverflow)
{
    EXPECT_FALSE(MapFormToPage(kPage, 0, 1000, {}).valid);
    EXPECT_FALSE(MapFormToPage(kPage, 2000, -5, {}).valid);
    EXPECT_EQ(MapFieldRect(MapFormToPage(kPage, 0, 0, {}), kField), PixelRect{});

    constexpr int lo = std::numeric_limits<int>::min();
    constexpr int hi = std::numeric_limits<int>::max();
    // Spacing Y at its minimum: taking 21 off must not wrap around to a huge positive value.
    const PageMapping low = MapFormToPage(kPage, 2000, 1000, {0, 0, 0, lo});
    EXPECT_EQ(low.pageRect.top, lo);
    EXPECT_EQ(low.pageRect.bottom, hi);
    const PageMapping high = MapFormToPage(kPage, 2000, 1000, {hi, hi, 0, 0});
    EXPECT_EQ(high.pageRect.left, hi);
    EXPECT_EQ(MapFieldRect(high, {hi, hi, hi, hi}).right, hi);
}

TEST(WaybillGeometry, APictureUnderTheBoxesCoversTheFormAsItsPixelsMapThere)
{
    // The shipped forms: 870 x 480 pixels over a 230 x 127 mm form cover the form exactly.
    EXPECT_EQ(PictureRectOnForm(2300, 1270, 870, 480, 870, 480), (PixelRect{0, 0, 2300, 1270}));
    // A picture of another size keeps each of its pixels where a box at that pixel prints:
    // pixel 435 of 870 lies at 115 mm, pixel 240 of 480 at 63.5 mm.
    EXPECT_EQ(PictureRectOnForm(2300, 1270, 870, 480, 435, 240), (PixelRect{0, 0, 1150, 635}));
    TemplateLayout layout;
    for (const auto& [row, values] : {std::pair{0, std::array{2300, 1270, 870, 480}},
                                      std::pair{1, std::array{0, 0, 435, 240}}})
        for (int column = 0; column < 4; ++column)
            layout.setNumber(row, column + 2, values[static_cast<std::size_t>(column)]);
    ComputePrintRects(layout, ComputePrintScales(layout));
    EXPECT_EQ(layout.number(1, 8), 1150);
    EXPECT_EQ(layout.number(1, 9), 635);
    // Without a picture size in the header the picture is spread over the form.
    EXPECT_EQ(PictureRectOnForm(2300, 1270, 0, 480, 400, 300), (PixelRect{0, 0, 2300, 1270}));
    EXPECT_EQ(PictureRectOnForm(2300, 1270, 870, 480, 0, 0), (PixelRect{0, 0, 2300, 1270}));
}

TEST(WaybillGeometry, FontHeightsScaleFromScreenToPrinter)
{
    EXPECT_DOUBLE_EQ(FontScaleY(180, 96), 1.875);
    EXPECT_EQ(ScaleFontHeight(-14, FontScaleY(180, 96)), -26); // -26.25 toward zero
    EXPECT_EQ(ScaleFontHeight(14, FontScaleY(180, 96)), 26);
    EXPECT_EQ(ScaleFontHeight(-16, FontScaleY(600, 96)), -100);
    EXPECT_EQ(ScaleFontHeight(-14, FontScaleY(1200, 0)), -14); // no screen resolution known
}

TEST(WaybillPrintSetup, TakesTheComputedPrintRectanglesInCatalogueOrder)
{
    AppValues app;
    app.Layout.setNumber(0, 2, 2300);
    app.Layout.setNumber(0, 3, 1270);
    for (int row = 1; row <= 20; ++row)
        for (int column = 6; column <= 9; ++column)
            app.Layout.setNumber(row, column, row * 100 + column);
    app.Layout.setCell(5, 7, "12x");  // read as the C library reads it
    app.Layout.setCell(21, 6, "999"); // a spare row is not a field
    app.PaperWidth = 2300;
    app.PaperLength = 1270;
    app.PrintOffsetY = -8;
    app.TextSpacingX = 4;
    app.DestinationFont.height = -30;

    const WaybillPrintSetup setup = MakePrintSetup(app, 120);
    EXPECT_EQ(setup.formWidth, 2300);
    EXPECT_EQ(setup.formHeight, 1270);
    EXPECT_EQ(setup.printRects[0], (PixelRect{106, 107, 108, 109}));
    EXPECT_EQ(setup.printRects[4], (PixelRect{506, 12, 508, 509}));
    EXPECT_EQ(setup.printRects[19], (PixelRect{2006, 2007, 2008, 2009}));
    EXPECT_EQ(setup.adjust.offsetY, -8);
    EXPECT_EQ(setup.adjust.spacingX, 4);
    EXPECT_EQ(setup.destinationFont.height, -30);
    EXPECT_EQ(setup.screenDpiY, 120);
}
