#include "template/BlankLabel.h"

#include <algorithm>
#include <cmath>

namespace dorvane {

BlankLabelSize BlankLabelPictureSize(int paperWidth, int paperHeight)
{
    constexpr double kPixelsPerMm = 5;
    constexpr double kWidest = 870, kHighest = 750;
    const double width = std::max(paperWidth, 1) / 10.0, height = std::max(paperHeight, 1) / 10.0;
    BlankLabelSize size;
    size.pixelsPerMm = std::min({kPixelsPerMm, kWidest / width, kHighest / height});
    size.width = std::max(1, static_cast<int>(std::lround(width * size.pixelsPerMm)));
    size.height = std::max(1, static_cast<int>(std::lround(height * size.pixelsPerMm)));
    return size;
}

} // namespace dorvane
