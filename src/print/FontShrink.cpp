#include "print/FontShrink.h"

namespace dorvane {

int SmallestFontPixels(int deviceDpiY)
{
    const long long pixels = (static_cast<long long>(kSmallestPrintPoints) * deviceDpiY + 71) / 72;
    return pixels < 1 ? 1 : static_cast<int>(pixels);
}

std::optional<int> LargestFittingSize(int smallest, int largest, const std::function<bool(int)>& fits)
{
    if (largest < smallest || !fits(smallest))
        return std::nullopt;
    // fits(low) holds; find the last size that fits in (low, high].
    int low = smallest;
    int high = largest;
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (fits(middle))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

} // namespace dorvane
