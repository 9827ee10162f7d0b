#pragma once
// Picture files of a few hundred bytes whose headers claim a huge size.

#include <QBuffer>
#include <QImage>

namespace dorvane::test {

inline void PutBigEndian(QByteArray& bytes, qsizetype at, quint32 value, int count)
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

// Qt writes the frame header (SOF0) after its JFIF and quantisation segments.
inline QByteArray JpegClaiming(int width, int height)
{
    QByteArray bytes = Encoded("JPEG");
    const qsizetype frame = bytes.indexOf("\xFF\xC0");
    PutBigEndian(bytes, frame + 5, static_cast<quint32>(height), 2);
    PutBigEndian(bytes, frame + 7, static_cast<quint32>(width), 2);
    return bytes;
}

inline QByteArray PngClaiming(quint32 width, quint32 height)
{
    QByteArray bytes = Encoded("PNG");
    PutBigEndian(bytes, 16, width, 4);
    PutBigEndian(bytes, 20, height, 4);
    return bytes;
}

} // namespace dorvane::test
