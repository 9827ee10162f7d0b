#include "PaperSuggestion.h"

#include <algorithm>
#include <cmath>

namespace dorvane {

namespace {

// The frame's outer edge spans 856 of the picture's 870 pixels across and 466 of 480 down.
constexpr double kPaperPerFrameX = 870.0 / 856.0, kPaperPerFrameY = 480.0 / 466.0;

// The larger relative difference of the two sides.
double Gap(double width, double height, const PaperSize& p)
{
    return std::max(std::abs(width / p.width - 1), std::abs(height / p.height - 1));
}

const PaperSize* NearestCommon(double width, double height, double within)
{
    const PaperSize* best = nullptr;
    for (const PaperSize& p : kCommonPapers)
        if (Gap(width, height, p) <= within && (!best || Gap(width, height, p) < Gap(width, height, *best)))
            best = &p;
    return best;
}

} // namespace

PaperSize SuggestPaper(double frameAspect)
{
    constexpr double kFrameToPaper = (870.0 / 854.0) / (480.0 / 464.0);
    const double aspect = frameAspect * kFrameToPaper;
    PaperSize best = kCommonPapers[0];
    double bestGap = INFINITY;
    for (const PaperSize& p : kCommonPapers) {
        const double gap = std::abs(std::log(aspect * p.height / p.width));
        if (gap < bestGap) {
            bestGap = gap;
            best = p;
        }
    }
    return best;
}

PaperSize SuggestPaper(double frameWidth, double frameHeight, std::optional<double> dpi)
{
    // 0.1 mm of paper at the given resolution.
    const auto paper = [&](double at) {
        return std::pair{frameWidth / at * 254 * kPaperPerFrameX, frameHeight / at * 254 * kPaperPerFrameY};
    };
    if (dpi && *dpi > 0) {
        const auto [w, h] = paper(*dpi);
        if (const PaperSize* common = NearestCommon(w, h, 0.02))
            return *common;
        return {static_cast<int>(std::lround(w / 10)) * 10, static_cast<int>(std::lround(h / 10)) * 10};
    }
    const PaperSize* best = nullptr;
    double bestGap = INFINITY;
    for (const double at : {150.0, 200.0, 240.0, 300.0, 400.0, 600.0}) {
        const auto [w, h] = paper(at);
        if (const PaperSize* common = NearestCommon(w, h, 0.01); common && Gap(w, h, *common) < bestGap) {
            best = common;
            bestGap = Gap(w, h, *common);
        }
    }
    return best ? *best : SuggestPaper(frameWidth / frameHeight);
}

} // namespace dorvane
