#include "template/PictureSize.h"

#include "base/ByteOrder.h"

#include <algorithm>
#include <cstdlib>

namespace dorvane {

namespace {

std::optional<PictureSize> PngSize(std::string_view bytes)
{
    // The signature, then the IHDR chunk: length, type, width, height.
    if (bytes.size() < 24 || bytes.substr(12, 4) != "IHDR")
        return std::nullopt;
    return PictureSize{BigEndian(bytes, 16, 4), BigEndian(bytes, 20, 4)};
}

std::optional<PictureSize> JpegSize(std::string_view bytes)
{
    // Segments after the start marker up to the frame header (SOF0 to SOF15 but DHT, JPG and
    // DAC), which holds the height and then the width.
    std::size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (static_cast<unsigned char>(bytes[at]) != 0xFF)
            return std::nullopt;
        const unsigned marker = static_cast<unsigned char>(bytes[at + 1]);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2; // markers without a length
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA)
            return std::nullopt; // image data before any frame header
        const std::uint32_t length = BigEndian(bytes, at + 2, 2);
        if (length < 2)
            return std::nullopt;
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (at + 9 > bytes.size() || length < 7)
                return std::nullopt;
            return PictureSize{BigEndian(bytes, at + 7, 2), BigEndian(bytes, at + 5, 2)};
        }
        at += 2 + length;
    }
    return std::nullopt;
}

std::optional<PictureSize> BmpSize(std::string_view bytes)
{
    if (bytes.size() < 26)
        return std::nullopt;
    const std::uint32_t headerSize = LittleEndian(bytes, 14, 4);
    if (headerSize == 12) // the old OS/2 header: 16-bit sizes
        return PictureSize{LittleEndian(bytes, 18, 2), LittleEndian(bytes, 20, 2)};
    if (headerSize < 40)
        return std::nullopt;
    // Signed: a negative height is a picture stored top row first.
    const auto width = static_cast<std::int32_t>(LittleEndian(bytes, 18, 4));
    const auto height = static_cast<std::int32_t>(LittleEndian(bytes, 22, 4));
    return PictureSize{std::abs(static_cast<std::int64_t>(width)),
                       std::abs(static_cast<std::int64_t>(height))};
}

} // namespace

std::optional<PictureSize> ReadPictureSize(std::string_view bytes)
{
    std::optional<PictureSize> size;
    if (bytes.substr(0, 8) == std::string_view("\x89PNG\r\n\x1A\n", 8))
        size = PngSize(bytes);
    else if (bytes.substr(0, 3) == "\xFF\xD8\xFF")
        size = JpegSize(bytes);
    else if (bytes.substr(0, 2) == "BM")
        size = BmpSize(bytes);
    // A side of 0 (a JPEG that gives its height only after the pixels, say) is no size.
    if (size && (size->width == 0 || size->height == 0))
        return std::nullopt;
    return size;
}

bool FitsPictureBounds(const PictureSize& size)
{
    const std::int64_t shortSide = std::min(size.width, size.height);
    const std::int64_t longSide = std::max(size.width, size.height);
    return shortSide <= kLargestPictureShortSide && longSide <= kLargestPictureLongSide;
}

std::string PictureTooLargeMessage(const PictureSize& size)
{
    return "图片太大（" + std::to_string(size.width) + "×" + std::to_string(size.height) +
           " 像素），请使用不超过 A4 纸 600 dpi 扫描大小（" + std::to_string(kLargestPictureShortSide) + "×" +
           std::to_string(kLargestPictureLongSide) + " 像素）的图片!";
}

std::string PictureFileTooLargeMessage()
{
    return "图片文件太大（超过 " + std::to_string(kLargestPictureFileBytes / (1024 * 1024)) +
           " MB），请使用不超过 A4 纸 600 dpi 扫描大小的图片!";
}

} // namespace dorvane
