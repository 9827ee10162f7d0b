#pragma once
// Shrinking a print font until a text fits its box: the smallest size allowed, and the search
// for the largest size that fits.

#include <functional>
#include <optional>

namespace dorvane {

// Text smaller than 6 points is no longer read reliably off a carbon copy.
inline constexpr int kSmallestPrintPoints = 6;

// 6 points in pixels of a device of this vertical resolution, rounded up.
int SmallestFontPixels(int deviceDpiY);

// The largest size in [smallest, largest] for which fits(size) holds, for a fits() that holds
// for every size below one that fits (a smaller font never loses more). None when even the
// smallest does not fit. fits() is asked about O(log(largest - smallest)) sizes.
std::optional<int> LargestFittingSize(int smallest, int largest, const std::function<bool(int)>& fits);

} // namespace dorvane
