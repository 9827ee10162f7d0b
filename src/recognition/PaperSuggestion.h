#pragma once
// The paper of a scanned form, guessed from its shape among the common courier forms.

#include <array>

namespace dorvane {

struct PaperSize {
    int width; // 0.1 mm
    int height;
    bool operator==(const PaperSize&) const = default;
};

inline constexpr std::array<PaperSize, 3> kCommonPapers{{{2300, 1270}, {2330, 1280}, {2410, 1400}}};

// The common paper whose shape is closest to a frame of the given width-to-height ratio, as
// drawn on the templates' pictures (the frame leaves a margin of 8 of 870 pixels across and
// 8 of 480 down, so the paper is a little less elongated than its frame).
PaperSize SuggestPaper(double frameAspect);

} // namespace dorvane
