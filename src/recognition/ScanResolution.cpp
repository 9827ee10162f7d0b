#include "recognition/ScanResolution.h"

#include "base/ByteOrder.h"

#include <cstdint>

namespace dorvane {

namespace {

std::optional<double> Plausible(double dpi)
{
    if (dpi >= 100 && dpi <= 1200)
        return dpi;
    return std::nullopt;
}

} // namespace

std::optional<double> ReadScanResolution(std::string_view b)
{
    constexpr double kInchesPerMetre = 1 / 0.0254;
    if (b.size() >= 33 && b.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) {
        // Chunks before the pixels: length, type, data, CRC.
        for (std::size_t at = 8; at + 8 <= b.size();) {
            const std::uint32_t length = BigEndian(b, at, 4);
            const std::string_view type = b.substr(at + 4, 4);
            if (type == "IDAT" || type == "IEND")
                break;
            if (type == "pHYs" && length == 9 && at + 17 <= b.size()) {
                if (static_cast<unsigned char>(b[at + 16]) != 1)
                    return std::nullopt; // an aspect ratio only
                return Plausible(BigEndian(b, at + 8, 4) / kInchesPerMetre);
            }
            if (length > b.size())
                break;
            at += 12 + length;
        }
        return std::nullopt;
    }
    if (b.size() >= 4 && static_cast<unsigned char>(b[0]) == 0xFF &&
        static_cast<unsigned char>(b[1]) == 0xD8) {
        for (std::size_t at = 2; at + 4 <= b.size();) {
            if (static_cast<unsigned char>(b[at]) != 0xFF)
                break;
            const unsigned marker = static_cast<unsigned char>(b[at + 1]);
            if (marker == 0xDA || marker == 0xD9)
                break; // the pixels begin
            const std::uint32_t length = BigEndian(b, at + 2, 2);
            if (marker == 0xE0 && length >= 16 && at + 4 + 12 <= b.size() &&
                b.substr(at + 4, 5) == std::string_view("JFIF\0", 5)) {
                const unsigned units = static_cast<unsigned char>(b[at + 11]);
                const double density = BigEndian(b, at + 12, 2);
                if (units == 1)
                    return Plausible(density);
                if (units == 2)
                    return Plausible(density * 2.54);
                return std::nullopt;
            }
            at += 2 + length;
        }
        return std::nullopt;
    }
    if (b.size() >= 46 && b[0] == 'B' && b[1] == 'M' && LittleEndian(b, 14, 4) >= 40)
        return Plausible(LittleEndian(b, 38, 4) / kInchesPerMetre);
    return std::nullopt;
}

} // namespace dorvane
