// The calibration sheet's rulers and bars measure paper, not the form: a printer's unprintable
// margin and a form spread over a larger page must not change them. Its crosses lie where the
// waybill's boxes print: at their true distance from the paper's edges.
#include "print/CalibrationSheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace dorvane;

namespace {

constexpr double kDotsPerMm = 600 / 25.4;

int Dots(double mm)
{
    return static_cast<int>(std::lround(mm * kDotsPerMm));
}

// A 230 by 127 mm form on the page of a printer with a 4.2 mm left and a 3.5 mm top margin.
struct SheetFixture {
    SheetFixture()
    {
        setup.formWidth = 2300;
        setup.formHeight = 1270;
        setup.printRects[3] = {100, 200, 900, 400};
        device.paperLeft = -Dots(4.2);
        device.paperTop = -Dots(3.5);
        device.page = {0, 0, Dots(230 - 8.4), Dots(131 - 7)};
        device.dotsPerMmX = kDotsPerMm;
        device.dotsPerMmY = kDotsPerMm;
    }
    WaybillPrintSetup setup;
    SheetDevice device;
};

} // namespace

TEST(CalibrationSheet, RulersCountMillimetresFromThePapersEdges)
{
    const SheetFixture f;
    const CalibrationSheet sheet = LayOutCalibrationSheet(f.setup, f.device);
    // Numbers every 10 mm, each beside its tick; the first mm the page shows is 5 (4.2 mm margin).
    const auto number = [&](const std::string& text, bool top) {
        return std::find_if(sheet.texts.begin(), sheet.texts.end(), [&](const SheetText& t) {
            return t.text == text && (top ? t.y < Dots(5) : t.x < Dots(5));
        });
    };
    for (const int mm : {10, 50, 200}) {
        const auto top = number(std::to_string(mm), true);
        ASSERT_NE(top, sheet.texts.end()) << mm;
        EXPECT_NEAR(top->x, Dots(mm - 4.2 + 0.4), 1) << mm;
    }
    for (const int mm : {10, 120}) {
        const auto left = number(std::to_string(mm), false);
        ASSERT_NE(left, sheet.texts.end()) << mm;
        EXPECT_NEAR(left->y, Dots(mm - 3.5 + 0.4), 1) << mm;
    }
    const bool hasTickAtMm5 = std::any_of(sheet.lines.begin(), sheet.lines.end(), [&](const SheetLine& l) {
        return l.y1 == 0 && l.x1 == l.x2 && std::abs(l.x1 - Dots(5 - 4.2)) <= 1;
    });
    EXPECT_TRUE(hasTickAtMm5);
    // Nothing lies outside the printable page.
    for (const SheetLine& l : sheet.lines)
        EXPECT_TRUE(std::min(l.x1, l.x2) >= 0 && std::max(l.x1, l.x2) <= f.device.page.right &&
                    std::min(l.y1, l.y2) >= 0 && std::max(l.y1, l.y2) <= f.device.page.bottom);
}

TEST(CalibrationSheet, ScaleBarsAreAHundredMillimetresOnPaper)
{
    SheetFixture f;
    f.setup.formWidth = 1800; // the form spread wider than it is: the bars stay 100 mm
    const CalibrationSheet sheet = LayOutCalibrationSheet(f.setup, f.device);
    int horizontal = 0, vertical = 0;
    for (const SheetLine& l : sheet.lines) {
        horizontal = std::max(horizontal, l.y1 == l.y2 ? std::abs(l.x2 - l.x1) : 0);
        vertical = std::max(vertical, l.x1 == l.x2 ? std::abs(l.y2 - l.y1) : 0);
    }
    EXPECT_NEAR(horizontal, Dots(100), 1);
    EXPECT_NEAR(vertical, Dots(100), 1);
}

TEST(CalibrationSheet, CrossesLieAtTheBoxesTrueDistanceFromThePapersEdges)
{
    SheetFixture f;
    f.setup.adjust = {35, -20, 0, 0}; // the sheet shows the boxes before any offset
    const CalibrationSheet sheet = LayOutCalibrationSheet(f.setup, f.device);
    // Field 3's box starts 10 mm from the left edge and 20 mm from the top: its cross's arms
    // meet there, whatever the printer's margins.
    const int x = Dots(10 - 4.2), y = Dots(20 - 3.5);
    const auto arm = [&](int x1, int y1, int x2, int y2) {
        return std::any_of(sheet.lines.begin(), sheet.lines.end(), [&](const SheetLine& l) {
            return std::abs(l.x1 - x1) <= 1 && std::abs(l.y1 - y1) <= 1 && std::abs(l.x2 - x2) <= 1 &&
                   std::abs(l.y2 - y2) <= 1;
        });
    };
    EXPECT_TRUE(arm(x - Dots(3), y, x + Dots(3), y));
    EXPECT_TRUE(arm(x, y - Dots(3), x, y + Dots(3)));
}
