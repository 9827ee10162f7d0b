#pragma once
// The paper of a scanned form. A template's picture spans the paper: the form's frame lies 7
// pixels in from each side of the 870 x 480 picture, so the paper is the frame's size and that
// margin. Measured from the scan when its resolution is known, or when the frame matches a
// common form at a usual scanner resolution; else guessed from the frame's shape.

#include <array>
#include <optional>

namespace dorvane {

struct PaperSize {
    int width; // 0.1 mm
    int height;
    bool operator==(const PaperSize&) const = default;
};

inline constexpr std::array<PaperSize, 5> kCommonPapers{
    {{2300, 1270}, {2330, 1280}, {2410, 1400}, {2100, 1400}, {2500, 1400}}};

// The common paper whose shape is closest to a frame of the given width-to-height ratio, as
// drawn on the templates' pictures (the frame leaves a margin of 8 of 870 pixels across and
// 8 of 480 down, so the paper is a little less elongated than its frame).
PaperSize SuggestPaper(double frameAspect);

// The paper of a frame measured in scan pixels: at the file's resolution (the nearest common
// paper when within 2 %, else whole millimetres); without one, a common paper the frame
// matches within 1 % at a usual scanner resolution; else by its shape.
PaperSize SuggestPaper(double frameWidth, double frameHeight, std::optional<double> dpi);

} // namespace dorvane
