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

int Clamp(std::int64_t value)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

PageMapping MapFormToPage(const PixelRect& page, int formWidth, int formHeight,
                          const PrintAdjustments& adjust)
{
    PageMapping mapping;
    if (formWidth <= 0 || formHeight <= 0)
        return mapping;

    const double sx0 = static_cast<double>(page.width()) / formWidth;
    const double sy0 = static_cast<double>(page.height()) / formHeight;
    const std::int64_t ox = Trunc(adjust.offsetX * sx0);
    const std::int64_t oy = Trunc(adjust.offsetY * sy0);
    const std::int64_t kx = Trunc(adjust.spacingX * sx0);
    // In double: spacing Y near the 32-bit minimum must not wrap when 21 is taken off.
    const std::int64_t ky = Trunc((static_cast<double>(adjust.spacingY) - kVerticalSpread) * sy0);

    mapping.pageRect = {Clamp(page.left + ox + kx), Clamp(page.top + oy + ky), Clamp(page.right + ox - kx),
                        Clamp(page.bottom + oy - ky)};
    mapping.sx = (static_cast<double>(mapping.pageRect.right) - mapping.pageRect.left) / formWidth;
    mapping.sy = (static_cast<double>(mapping.pageRect.bottom) - mapping.pageRect.top) / formHeight;
    mapping.valid = true;
    return mapping;
}

PixelRect MapFieldRect(const PageMapping& mapping, const PixelRect& r)
{
    if (!mapping.valid)
        return {};
    const std::int64_t left = mapping.pageRect.left;
    const std::int64_t top = mapping.pageRect.top;
    return {Clamp(left + Trunc(r.left * mapping.sx)), Clamp(top + Trunc(r.top * mapping.sy)),
            Clamp(left + Trunc(r.right * mapping.sx)), Clamp(top + Trunc(r.bottom * mapping.sy))};
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
