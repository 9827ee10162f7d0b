#include "print/WaybillGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace dorvane {

namespace {

// Truncation toward zero, clamped to int: extreme settings must not overflow.
int Trunc(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(std::trunc(value), lo, hi));
}

// The nearest device pixel, clamped to int.
int Round(double value)
{
    return Trunc(std::round(value));
}

} // namespace

PageMapping MapFormToPaper(const PaperScale& paper, int formWidth, int formHeight,
                           const PrintAdjustments& adjust)
{
    PageMapping mapping;
    if (formWidth <= 0 || formHeight <= 0 || !(paper.dotsPerTenthX > 0) || !(paper.dotsPerTenthY > 0))
        return mapping;
    // In double: the 32-bit adjustments and their doubles neither overflow nor wrap.
    const double offsetX = adjust.offsetX, offsetY = adjust.offsetY;
    const double spacingX = adjust.spacingX, spacingY = adjust.spacingY;
    mapping.left = paper.originX + (offsetX + spacingX) * paper.dotsPerTenthX;
    mapping.top = paper.originY + (offsetY + spacingY) * paper.dotsPerTenthY;
    mapping.sx = paper.dotsPerTenthX * (formWidth - 2 * spacingX) / formWidth;
    mapping.sy = paper.dotsPerTenthY * (formHeight - 2 * spacingY) / formHeight;
    mapping.valid = true;
    return mapping;
}

PixelRect MapFieldRect(const PageMapping& mapping, const PixelRect& r)
{
    if (!mapping.valid)
        return {};
    return {Round(mapping.left + r.left * mapping.sx), Round(mapping.top + r.top * mapping.sy),
            Round(mapping.left + r.right * mapping.sx), Round(mapping.top + r.bottom * mapping.sy)};
}

PixelRect PictureRectOnForm(int formWidth, int formHeight, int headerWidth, int headerHeight, int pictureWidth,
                            int pictureHeight)
{
    if (headerWidth <= 0 || headerHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
        return {0, 0, formWidth, formHeight};
    return {0, 0, Trunc(static_cast<double>(pictureWidth) * formWidth / headerWidth),
            Trunc(static_cast<double>(pictureHeight) * formHeight / headerHeight)};
}

double FontScaleY(int printerDpiY, int screenDpiY)
{
    if (screenDpiY <= 0)
        return 1.0;
    return static_cast<double>(printerDpiY) / screenDpiY;
}

std::int32_t ScaleFontHeight(std::int32_t height, double scale)
{
    return Trunc(height * scale);
}

} // namespace dorvane
