#pragma once
// The resolution a scanner wrote into its picture file: the JFIF density of a JPEG, the pHYs
// chunk of a PNG, the pixels per metre of a BMP. Cameras and many programs write 72 or 96
// (or nothing) without meaning it; only what a scanner would write is taken.

#include <optional>
#include <string_view>

namespace dorvane {

// Dots per inch across, from the first bytes of a PNG, JPEG or BMP file; nullopt when the file
// names none, or one outside 100 to 1200.
std::optional<double> ReadScanResolution(std::string_view head);

} // namespace dorvane
