#include "print/WaybillGeometry.h"
#include "workspace/Workspace.h"
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
// 2 device pixels a tenth of a millimetre (508 dpi), the paper's corner at the device's origin.
const PaperScale kPaper{0, 0, 2, 2};
const PixelRect kField{100, 200, 600, 300};
} // namespace

TEST(WaybillGeometry, TheFormLiesAtItsTrueSizeFromThePapersCorner)
{
    const PageMapping m = MapFormToPaper(kPaper, 2000, 1000, {});
    ASSERT_TRUE(m.valid);
    EXPECT_EQ(MapFieldRect(m, kField), (PixelRect{200, 400, 1200, 600}));
    // A device counting from its printable area's corner (a printer with 4.2 and 3.5 mm margins
    // outside full-page mode): the paper's corner lies above and left of its origin, and every
    // field keeps its place on the paper.
    const PageMapping inset = MapFormToPaper({-84, -70, 2, 2}, 2000, 1000, {});
    EXPECT_EQ(MapFieldRect(inset, kField), (PixelRect{116, 330, 1116, 530}));
    // At 1200 dpi: 50 mm from the edge is 2362.2 pixels, 230 mm is 10866.1.
    const PageMapping fine = MapFormToPaper({0, 0, 1200 / 254.0, 1200 / 254.0}, 2300, 1270, {});
    EXPECT_EQ(MapFieldRect(fine, {500, 0, 2300, 1270}), (PixelRect{2362, 0, 10866, 6000}));
}

TEST(WaybillGeometry, OffsetsMoveEveryFieldByTheirMillimetresWhateverTheForm)
{
    const PixelRect other{1500, 10, 1900, 900};
    for (const int formWidth : {1800, 2000, 2300}) {
        const PageMapping still = MapFormToPaper(kPaper, formWidth, 1000, {});
        const PageMapping moved = MapFormToPaper(kPaper, formWidth, 1000, {35, -20, 0, 0});
        // 3.5 mm right and 2 mm up are 70 and 40 pixels, on a narrow form as on a wide one.
        for (const PixelRect& field : {kField, other}) {
            const PixelRect a = MapFieldRect(still, field);
            EXPECT_EQ(MapFieldRect(moved, field),
                      (PixelRect{a.left + 70, a.top - 40, a.right + 70, a.bottom - 40}))
                << formWidth;
        }
    }
}

TEST(WaybillGeometry, SpacingResizesTheAreaSymmetrically)
{
    // Positive spacing draws the fields together: 10 mm off each side of 200 mm, 5 mm off top and bottom.
    const PageMapping closer = MapFormToPaper(kPaper, 2000, 1000, {0, 0, 100, 50});
    EXPECT_DOUBLE_EQ(closer.sx, 1.8);
    EXPECT_DOUBLE_EQ(closer.sy, 1.8);
    EXPECT_EQ(MapFieldRect(closer, kField), (PixelRect{380, 460, 1280, 640}));
    EXPECT_EQ(MapFieldRect(closer, {0, 0, 2000, 1000}), (PixelRect{200, 100, 3800, 1900}));
    // Negative spacing spreads them past the form's edges.
    const PageMapping wider = MapFormToPaper(kPaper, 2000, 1000, {0, 0, -50, -100});
    EXPECT_EQ(MapFieldRect(wider, {0, 0, 2000, 1000}), (PixelRect{-100, -200, 4100, 2200}));
}

TEST(WaybillGeometry, FormWithoutSizePlacesNothingAndExtremesDoNotOverflow)
{
    EXPECT_FALSE(MapFormToPaper(kPaper, 0, 1000, {}).valid);
    EXPECT_FALSE(MapFormToPaper(kPaper, 2000, -5, {}).valid);
    EXPECT_FALSE(MapFormToPaper({0, 0, 0, 2}, 2000, 1000, {}).valid); // a device without a resolution
    EXPECT_EQ(MapFieldRect(MapFormToPaper(kPaper, 0, 0, {}), kField), PixelRect{});

    constexpr int lo = std::numeric_limits<int>::min();
    constexpr int hi = std::numeric_limits<int>::max();
    const PageMapping low = MapFormToPaper(kPaper, 2000, 1000, {0, 0, 0, lo});
    EXPECT_EQ(MapFieldRect(low, kField).top, lo);
    EXPECT_LE(MapFieldRect(low, kField).top, MapFieldRect(low, kField).bottom);
    const PageMapping high = MapFormToPaper(kPaper, 2000, 1000, {hi, hi, 0, 0});
    EXPECT_EQ(MapFieldRect(high, kField).left, hi);
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
    Workspace app;
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
