#pragma once
// The mouse arithmetic of the template editor and the print preview: which field box the
// pointer is over, which 4-pixel resize strip around a box it touches, and how a drag with
// the left button moves or resizes boxes in a private copy of the layout.
//
// One pair LastMouseX / LastMouseY serves all fields: the first field under the pointer (the
// lowest-numbered one) takes the movement and updates it, so later fields under the same
// pointer see no difference. While the button is held outside every box the pair is not
// updated, so re-entering a box moves it by the whole distance travelled since.

#include "template/TemplateLayout.h"
#include "template/WaybillField.h"

#include <array>
#include <cstdint>

namespace dorvane {

// Half-open rectangle: (px, py) is inside when left <= px < right and top <= py < bottom.
struct BoxRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool contains(int px, int py) const { return left <= px && px < right && top <= py && py < bottom; }
    bool operator==(const BoxRect&) const = default;
};

// Mouse-message key state bits, as the platform reports them with every mouse move.
enum KeyState : std::uint32_t {
    kKeyLeftButton = 0x01,
    kKeyRightButton = 0x02,
    kKeyShift = 0x04,
    kKeyControl = 0x08,
    kKeyMiddleButton = 0x10,
    kKeyXButton1 = 0x20,
    kKeyXButton2 = 0x40,
};

// A move drags only with the left button alone: no Shift, no Ctrl, no other button.
inline bool IsDragKeyState(std::uint32_t keyState)
{
    return keyState == kKeyLeftButton;
}

enum class DragCursor { None, SizeAll, SizeWE, SizeNS, SizeNWSE, SizeNESW };

enum EdgeSide { kEdgeLeft, kEdgeTop, kEdgeRight, kEdgeBottom };

inline constexpr int kEdgeZoneWidth = 4;

// A print offset (0.1 mm) in picture pixels, cut toward zero; 0 when the template has no
// usable scale (a picture size of 0 in its header).
int OffsetShift(int printOffset, double printScale);

struct FieldHover {
    bool hover = false;
    std::array<bool, 4> edge{}; // indexed by EdgeSide

    bool anyEdge() const { return edge[0] || edge[1] || edge[2] || edge[3]; }
    bool outlined() const { return hover || anyEdge(); }
};

class DragTracker {
public:
    // resizable: the editor's boxes have resize strips; the preview's only move.
    explicit DragTracker(bool resizable) : resizable_(resizable) {}

    void setLayout(const TemplateLayout& layout) { layout_ = layout; }
    const TemplateLayout& layout() const { return layout_; }

    // Where the print offsets move the text, in picture pixels; boxes are drawn, hit and
    // dragged at the shifted place.
    void setOffsetShift(int dx, int dy);
    int offsetShiftX() const { return shiftX_; }
    int offsetShiftY() const { return shiftY_; }

    // Box of field i (0..19) from layout row i + 1, shifted.
    BoxRect boxRect(int field) const;
    // The strip on one side just outside the drawn box; strips follow the shift so that
    // they always frame the box the user sees.
    BoxRect edgeZone(int field, EdgeSide side) const;

    const FieldHover& hover(int field) const { return hover_[static_cast<std::size_t>(field)]; }

    // A mouse move to (px, py) with the given key state. Returns the cursor to show (the last
    // one a field asked for; None when the pointer is over no box or strip).
    DragCursor mouseMove(int px, int py, std::uint32_t keyState);
    // Left button down: the next drag step is measured from here.
    DragCursor leftButtonDown(int px, int py);
    // Left button up: only the cursor of the last move's flags.
    DragCursor leftButtonUp() const { return cursorFromFlags(); }

    int lastMouseX() const { return lastX_; }
    int lastMouseY() const { return lastY_; }

    // Set by every drag step that changed a cell; cleared by the owner after saving.
    bool modified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }

private:
    struct Box {
        int x, y, w, h;
    };
    Box box(int field) const;
    void store(int field, const Box& b);
    DragCursor cursorFromFlags() const;

    bool resizable_;
    TemplateLayout layout_;
    int shiftX_ = 0;
    int shiftY_ = 0;
    int lastX_ = 0;
    int lastY_ = 0;
    bool modified_ = false;
    std::array<FieldHover, kFieldCount> hover_{};
};

} // namespace dorvane
