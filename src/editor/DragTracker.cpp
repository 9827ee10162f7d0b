#include "editor/DragTracker.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace dorvane {

namespace {

// Layout cells come from files: sums are taken wide and kept within the 32-bit range.
int Clamp(std::int64_t value)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int Add(int a, std::int64_t b)
{
    return Clamp(a + b);
}

} // namespace

int OffsetShift(int printOffset, double printScale)
{
    if (!(printScale > 0) || !std::isfinite(printScale))
        return 0;
    return TruncToInt(printOffset / printScale);
}

void DragTracker::setOffsetShift(int dx, int dy)
{
    shiftX_ = dx;
    shiftY_ = dy;
}

DragTracker::Box DragTracker::box(int field) const
{
    const int row = field + 1;
    return {layout_.number(row, 2), layout_.number(row, 3), layout_.number(row, 4), layout_.number(row, 5)};
}

void DragTracker::store(int field, const Box& b)
{
    const int row = field + 1;
    const Box old = box(field);
    if (b.x != old.x)
        layout_.setNumber(row, 2, b.x);
    if (b.y != old.y)
        layout_.setNumber(row, 3, b.y);
    if (b.w != old.w)
        layout_.setNumber(row, 4, b.w);
    if (b.h != old.h)
        layout_.setNumber(row, 5, b.h);
    if (b.x != old.x || b.y != old.y || b.w != old.w || b.h != old.h)
        modified_ = true;
}

BoxRect DragTracker::boxRect(int field) const
{
    const Box b = box(field);
    const int left = Add(b.x, shiftX_);
    const int top = Add(b.y, shiftY_);
    return {left, top, Add(left, b.w), Add(top, b.h)};
}

BoxRect DragTracker::edgeZone(int field, EdgeSide side) const
{
    const BoxRect r = boxRect(field);
    const int k = kEdgeZoneWidth;
    switch (side) {
    case kEdgeLeft:
        return {Add(r.left, -k), Add(r.top, -k), r.left, Add(r.bottom, k)};
    case kEdgeTop:
        return {Add(r.left, -k), Add(r.top, -k), Add(r.right, k), r.top};
    case kEdgeRight:
        return {r.right, Add(r.top, -k), Add(r.right, k), Add(r.bottom, k)};
    case kEdgeBottom:
        return {Add(r.left, -k), r.bottom, Add(r.right, k), Add(r.bottom, k)};
    }
    return {};
}

DragCursor DragTracker::mouseMove(int px, int py, std::uint32_t keyState)
{
    const bool dragging = IsDragKeyState(keyState);
    DragCursor cursor = DragCursor::None;
    for (int i = 0; i < kFieldCount; ++i) {
        FieldHover& flags = hover_[static_cast<std::size_t>(i)];
        // Strips and box as they were drawn before this move changed anything.
        const BoxRect rect = boxRect(i);
        std::array<BoxRect, 4> zones{};
        for (int side = 0; side < 4; ++side)
            zones[static_cast<std::size_t>(side)] = edgeZone(i, static_cast<EdgeSide>(side));

        Box b = box(i);
        flags.hover = rect.contains(px, py);
        if (flags.hover) {
            if (dragging) {
                b.x = Add(b.x, std::int64_t{px} - lastX_);
                lastX_ = px;
                b.y = Add(b.y, std::int64_t{py} - lastY_);
                lastY_ = py;
            }
            cursor = DragCursor::SizeAll;
        }

        flags.edge = {};
        if (resizable_) {
            for (int side = 0; side < 4; ++side)
                flags.edge[static_cast<std::size_t>(side)] =
                    zones[static_cast<std::size_t>(side)].contains(px, py);
            if (flags.anyEdge())
                flags.hover = false; // a move done above stays done
            if (flags.edge[kEdgeLeft]) {
                if (dragging) {
                    b.x = Add(b.x, std::int64_t{px} - lastX_);
                    b.w = Add(b.w, std::int64_t{lastX_} - px);
                    lastX_ = px;
                }
                cursor = DragCursor::SizeWE;
            }
            if (flags.edge[kEdgeTop]) {
                if (dragging) {
                    b.y = Add(b.y, std::int64_t{py} - lastY_);
                    b.h = Add(b.h, std::int64_t{lastY_} - py);
                    lastY_ = py;
                }
                cursor = DragCursor::SizeNS;
            }
            if (flags.edge[kEdgeRight]) {
                if (dragging) {
                    b.w = Add(b.w, std::int64_t{px} - lastX_);
                    lastX_ = px;
                }
                cursor = DragCursor::SizeWE;
            }
            if (flags.edge[kEdgeBottom]) {
                if (dragging) {
                    b.h = Add(b.h, std::int64_t{py} - lastY_);
                    lastY_ = py;
                }
                cursor = DragCursor::SizeNS;
            }
            const auto& e = flags.edge;
            if ((e[kEdgeLeft] && e[kEdgeTop]) || (e[kEdgeRight] && e[kEdgeBottom]))
                cursor = DragCursor::SizeNWSE;
            else if ((e[kEdgeLeft] && e[kEdgeBottom]) || (e[kEdgeRight] && e[kEdgeTop]))
                cursor = DragCursor::SizeNESW;
        }
        store(i, b);
    }
    return cursor;
}

DragCursor DragTracker::leftButtonDown(int px, int py)
{
    lastX_ = px;
    lastY_ = py;
    return cursorFromFlags();
}

DragCursor DragTracker::cursorFromFlags() const
{
    DragCursor cursor = DragCursor::None;
    for (const FieldHover& flags : hover_) {
        const auto& e = flags.edge;
        if (flags.hover)
            cursor = DragCursor::SizeAll;
        if (e[kEdgeLeft] || e[kEdgeRight])
            cursor = DragCursor::SizeWE;
        if (e[kEdgeTop] || e[kEdgeBottom])
            cursor = DragCursor::SizeNS;
        if ((e[kEdgeLeft] && e[kEdgeTop]) || (e[kEdgeRight] && e[kEdgeBottom]))
            cursor = DragCursor::SizeNWSE;
        else if ((e[kEdgeLeft] && e[kEdgeBottom]) || (e[kEdgeRight] && e[kEdgeTop]))
            cursor = DragCursor::SizeNESW;
    }
    return cursor;
}

} // namespace dorvane
