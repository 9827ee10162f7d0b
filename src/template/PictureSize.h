#pragma once
// The size a picture file claims in its header, read before anything is decoded: a small file
// may claim any size, and decoding allocates what it claims. Pictures are held to the size of
// an A4 sheet scanned at 600 dpi, the largest scan a form needs.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dorvane {

struct PictureSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// 210 x 297 mm at 600 dpi, either way round.
inline constexpr std::int64_t kLargestPictureShortSide = 4961;
inline constexpr std::int64_t kLargestPictureLongSide = 7016;
// An uncompressed 32-bit BMP of that size, with room for its headers.
inline constexpr std::uintmax_t kLargestPictureFileBytes = 4961ull * 7016ull * 4ull + 1024ull * 1024ull;
// Enough of a file to find the size in: a JPEG may put large metadata before its frame header.
inline constexpr std::size_t kPictureHeaderBytes = 1024 * 1024;

// The size in the header of a PNG, JPEG or BMP; nullopt for any other file or a header that
// is cut short or names no size.
std::optional<PictureSize> ReadPictureSize(std::string_view bytes);

bool FitsPictureBounds(const PictureSize& size);

// What the user is told of a picture larger than the bounds (UTF-8).
std::string PictureTooLargeMessage(const PictureSize& size);
// What the user is told of a file too long to be such a picture (UTF-8).
std::string PictureFileTooLargeMessage();

} // namespace dorvane
