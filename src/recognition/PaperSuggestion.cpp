#include "PaperSuggestion.h"

#include <cmath>

namespace dorvane {

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

} // namespace dorvane
