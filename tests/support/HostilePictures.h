#pragma once
// Small picture files whose headers claim a huge size: what decoding them would allocate is
// far beyond what they hold.

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstdint>

#include <sys/resource.h>

namespace dorvane::test {

inline void PutBigEndian(QByteArray& bytes, qsizetype at, std::uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i, value >>= 8)
        bytes[at + i] = static_cast<char>(value & 0xFF);
}

inline QByteArray Encoded(const char* format)
{
    QImage picture(32, 24, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return bytes;
}

// A JPEG of a few kilobytes whose frame header claims width x height.
inline QByteArray JpegClaiming(int width, int height)
{
    QByteArray bytes = Encoded("JPEG");
    for (qsizetype at = 2; at + 9 < bytes.size();) {
        const auto marker = static_cast<unsigned char>(bytes[at + 1]);
        const int length =
            (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
        if (marker == 0xC0 || marker == 0xC2) {
            PutBigEndian(bytes, at + 5, static_cast<std::uint32_t>(height), 2);
            PutBigEndian(bytes, at + 7, static_cast<std::uint32_t>(width), 2);
            return bytes;
        }
        at += 2 + length;
    }
    return {};
}

inline std::uint32_t Crc32(const QByteArray& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG whose IHDR, with a checksum that matches, claims width x height.
inline QByteArray PngClaiming(std::uint32_t width, std::uint32_t height)
{
    QByteArray bytes = Encoded("PNG");
    PutBigEndian(bytes, 16, width, 4);
    PutBigEndian(bytes, 20, height, 4);
    PutBigEndian(bytes, 29, Crc32(bytes.mid(12, 17)), 4);
    return bytes;
}

// A BMP header claiming width x height, 24 bits, and hardly any pixels.
inline QByteArray BmpClaiming(std::int32_t width, std::int32_t height)
{
    QByteArray bytes = Encoded("BMP");
    for (int i = 0; i < 4; ++i) {
        bytes[18 + i] = static_cast<char>((static_cast<std::uint32_t>(width) >> (8 * i)) & 0xFF);
        bytes[22 + i] = static_cast<char>((static_cast<std::uint32_t>(height) >> (8 * i)) & 0xFF);
    }
    return bytes;
}

// The most memory this process ever held, in megabytes.
inline long PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace dorvane::test
