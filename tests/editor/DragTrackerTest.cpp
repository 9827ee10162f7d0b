#include "editor/DragTracker.h"

#include <gtest/gtest.h>

#include <limits>

using namespace dorvane;

namespace {

// Boxes of the fields the tests use; every other box is 0,0,0,0 (its strips hug the origin,
// far from where the tests point).
TemplateLayout LayoutWith(std::initializer_list<std::array<int, 5>> boxes)
{
    TemplateLayout layout;
    for (const auto& b : boxes)
        for (int c = 0; c < 4; ++c)
            layout.setNumber(b[0] + 1, 2 + c, b[static_cast<std::size_t>(c + 1)]);
    return layout;
}

std::array<int, 4> Box(const DragTracker& t, int field)
{
    const TemplateLayout& l = t.layout();
    return {l.number(field + 1, 2), l.number(field + 1, 3), l.number(field + 1, 4), l.number(field + 1, 5)};
}

constexpr std::uint32_t kDrag = kKeyLeftButton;

} // namespace

TEST(DragTrackerTest, DragInsideABoxMovesItByThePointersTravel)
{
    DragTracker t(true);
    t.setLayout(LayoutWith({{3, 100, 50, 200, 20}}));
    EXPECT_EQ(t.mouseMove(150, 60, 0), DragCursor::SizeAll);
    EXPECT_TRUE(t.hover(3).hover);
    EXPECT_FALSE(t.modified());
    t.leftButtonDown(150, 60);
    EXPECT_EQ(t.mouseMove(160, 65, kDrag), DragCursor::SizeAll);
    EXPECT_EQ(t.mouseMove(171, 63, kDrag), DragCursor::SizeAll);
    EXPECT_EQ(Box(t, 3), (std::array<int, 4>{121, 53, 200, 20}));
    EXPECT_EQ(t.layout().cell(4, 2), "121");
    EXPECT_TRUE(t.modified());
    EXPECT_EQ(t.lastMouseX(), 171);
    EXPECT_EQ(t.lastMouseY(), 63);
    // Half-open: the right and bottom edges are outside the box.
    EXPECT_EQ(t.boxRect(3), (BoxRect{121, 53, 321, 73}));
    t.mouseMove(320, 72, 0);
    EXPECT_TRUE(t.hover(3).hover);
    t.mouseMove(321, 72, 0);
    EXPECT_FALSE(t.hover(3).hover);
    EXPECT_TRUE(t.hover(3).edge[kEdgeRight]);
}

TEST(DragTrackerTest, LeftStripDraggedRightKeepsTheRightEdge)
{
    DragTracker t(true);
    t.setLayout(LayoutWith({{6, 100, 50, 200, 20}}));
    EXPECT_EQ(t.mouseMove(98, 60, 0), DragCursor::SizeWE);
    EXPECT_TRUE(t.hover(6).edge[kEdgeLeft]);
    EXPECT_FALSE(t.hover(6).hover);
    t.leftButtonDown(98, 60);
    for (int px = 99; px <= 110; ++px)
        EXPECT_EQ(t.mouseMove(px, 60, kDrag), DragCursor::SizeWE) << px;
    EXPECT_EQ(Box(t, 6), (std::array<int, 4>{112, 50, 188, 20}));
    EXPECT_EQ(t.boxRect(6).right, 300);

    // Corners: both strips are hit, the diagonal cursor wins.
    EXPECT_EQ(t.mouseMove(109, 47, 0), DragCursor::SizeNWSE);
    EXPECT_EQ(t.mouseMove(301, 71, 0), DragCursor::SizeNWSE);
    EXPECT_EQ(t.mouseMove(109, 71, 0), DragCursor::SizeNESW);
    EXPECT_EQ(t.mouseMove(301, 47, 0), DragCursor::SizeNESW);
    EXPECT_EQ(t.mouseMove(200, 46, 0), DragCursor::SizeNS);
    EXPECT_EQ(t.mouseMove(200, 45, 0), DragCursor::None); // above the top strip
}

TEST(DragTrackerTest, OverlappingBoxesOnlyTheLowerNumberedMovesBothOutlined)
{
    DragTracker t(true);
    t.setLayout(LayoutWith({{2, 100, 100, 100, 50}, {5, 150, 120, 100, 50}}));
    t.mouseMove(160, 130, 0);
    t.leftButtonDown(160, 130);
    t.mouseMove(170, 135, kDrag);
    EXPECT_EQ(Box(t, 2), (std::array<int, 4>{110, 105, 100, 50}));
    EXPECT_EQ(Box(t, 5), (std::array<int, 4>{150, 120, 100, 50}));
    EXPECT_TRUE(t.hover(2).outlined());
    EXPECT_TRUE(t.hover(5).outlined());
    EXPECT_FALSE(t.hover(0).outlined());
}

TEST(DragTrackerTest, ShiftCtrlOrAnotherButtonChangeOnlyTheCursor)
{
    for (std::uint32_t keys :
         {kKeyLeftButton | kKeyShift, kKeyLeftButton | kKeyControl, kKeyLeftButton | kKeyRightButton,
          kKeyLeftButton | kKeyMiddleButton, std::uint32_t{kKeyRightButton}, std::uint32_t{0}}) {
        DragTracker t(true);
        const TemplateLayout start = LayoutWith({{3, 100, 50, 200, 20}});
        t.setLayout(start);
        t.leftButtonDown(150, 60);
        EXPECT_EQ(t.mouseMove(170, 65, keys), DragCursor::SizeAll) << keys;
        EXPECT_EQ(t.mouseMove(98, 60, keys), DragCursor::SizeWE) << keys; // left strip
        EXPECT_EQ(t.layout(), start) << keys;
        EXPECT_FALSE(t.modified()) << keys;
    }
}

TEST(DragTrackerTest, ReenteringABoxWithTheButtonHeldMovesItByTheWholeWay)
{
    DragTracker t(true);
    t.setLayout(LayoutWith({{3, 100, 50, 200, 20}}));
    t.mouseMove(110, 55, 0);
    t.leftButtonDown(110, 55);
    EXPECT_EQ(t.mouseMove(110, 300, kDrag), DragCursor::None);
    EXPECT_EQ(t.mouseMove(250, 300, kDrag), DragCursor::None);
    EXPECT_EQ(t.lastMouseX(), 110); // not updated outside every box
    t.mouseMove(250, 60, kDrag);
    EXPECT_EQ(Box(t, 3), (std::array<int, 4>{240, 55, 200, 20}));
}

TEST(DragTrackerTest, BoxesMayBePushedToZeroAndNegativeSizes)
{
    DragTracker t(true);
    t.setLayout(LayoutWith({{9, 100, 50, 200, 20}}));
    // Bottom strip dragged up one pixel at a time to the top edge and one further.
    t.mouseMove(150, 72, 0);
    t.leftButtonDown(150, 72);
    for (int py = 71; py >= 52; --py)
        t.mouseMove(150, py, kDrag);
    EXPECT_EQ(Box(t, 9), (std::array<int, 4>{100, 50, 200, 0}));
    EXPECT_EQ(t.layout().cell(10, 5), "0");
    t.mouseMove(150, 51, kDrag);
    EXPECT_EQ(t.layout().cell(10, 5), "-1");

    // The right strip dragged left one pixel at a time to the left edge.
    DragTracker v(true);
    v.setLayout(LayoutWith({{9, 100, 50, 10, 20}}));
    v.leftButtonDown(111, 60);
    for (int px = 110; px >= 101; --px)
        EXPECT_EQ(v.mouseMove(px, 60, kDrag), DragCursor::SizeWE) << px;
    EXPECT_EQ(Box(v, 9), (std::array<int, 4>{100, 50, 0, 20}));

    // A press away from the strip and a move into it takes the whole difference.
    DragTracker u(true);
    u.setLayout(LayoutWith({{9, 100, 50, 10, 20}}));
    u.leftButtonDown(130, 60);
    u.mouseMove(113, 60, kDrag); // right strip [110, 114)
    EXPECT_EQ(Box(u, 9), (std::array<int, 4>{100, 50, -7, 20}));
    // A box of negative width contains no point; its strips still frame its corner.
    EXPECT_FALSE(u.boxRect(9).contains(95, 60));
    EXPECT_FALSE(u.boxRect(9).contains(100, 60));
    EXPECT_NE(LayoutFileText(u.layout()).find("100,50,-7,20\r\n"), std::string::npos);
}

TEST(DragTrackerTest, OffsetShiftMovesWhereBoxesAreHitButNotTheCells)
{
    DragTracker t(true);
    t.setLayout(LayoutWith({{1, 100, 50, 200, 20}}));
    t.setOffsetShift(10, -5);
    EXPECT_EQ(t.boxRect(1), (BoxRect{110, 45, 310, 65}));
    EXPECT_EQ(t.edgeZone(1, kEdgeLeft), (BoxRect{106, 41, 110, 69}));
    t.mouseMove(105, 60, 0);
    EXPECT_FALSE(t.hover(1).outlined());
    t.leftButtonDown(309, 64);
    t.mouseMove(310, 64, kDrag); // right strip of the shifted box
    EXPECT_EQ(Box(t, 1), (std::array<int, 4>{100, 50, 201, 20}));
}

TEST(DragTrackerTest, ThePreviewOnlyMovesBoxes)
{
    DragTracker t(false);
    t.setLayout(LayoutWith({{7, 100, 50, 200, 20}}));
    EXPECT_EQ(t.mouseMove(98, 60, 0), DragCursor::None);
    EXPECT_FALSE(t.hover(7).outlined());
    t.leftButtonDown(98, 60);
    t.mouseMove(101, 60, kDrag); // now inside: moved by the travel since the press
    EXPECT_EQ(Box(t, 7), (std::array<int, 4>{103, 50, 200, 20}));
    EXPECT_EQ(t.leftButtonUp(), DragCursor::SizeAll);
}

TEST(DragTrackerTest, HugeCellsDoNotOverflow)
{
    DragTracker t(true);
    t.setLayout(LayoutWith({{4, 2147483000, 0, 2147483000, 20}}));
    EXPECT_EQ(t.boxRect(4).right, 2147483647);
    t.leftButtonDown(2147483600, 10);
    t.mouseMove(2147483640, 10, kDrag);
    EXPECT_EQ(Box(t, 4)[0], 2147483040);
}

TEST(DragTrackerTest, OffsetShiftIsThePrintOffsetInPicturePixels)
{
    EXPECT_EQ(OffsetShift(40, 2300.0 / 870.0), 15);   // 15.13 cut
    EXPECT_EQ(OffsetShift(-40, 2300.0 / 870.0), -15); // toward zero
    EXPECT_EQ(OffsetShift(40, 0.0), 0);               // no picture size in the header
    EXPECT_EQ(OffsetShift(40, std::numeric_limits<double>::infinity()), 0);
}
