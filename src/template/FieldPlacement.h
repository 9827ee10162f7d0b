#pragma once
// Where the main window puts a field's control: the box of the layout scaled by the client
// size against the design size of 894 x 644 pixels, each product cut toward zero.

namespace dorvane {

struct ViewScales {
    double x = 1;
    double y = 1;
};

// The scales for a client area of width x height (1 and 1 at the design size).
ViewScales ViewScalesFor(int clientWidth, int clientHeight);

struct ViewPixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ViewPixelRect&) const = default;
};

ViewPixelRect ViewRect(int x, int y, int w, int h, const ViewScales& scales);

} // namespace dorvane
