#include "IndexedBmp.h"

namespace dorvane {

namespace {

void put16(QByteArray& out, quint16 v)
{
    out.append(static_cast<char>(v & 0xff)).append(static_cast<char>(v >> 8));
}

void put32(QByteArray& out, quint32 v)
{
    put16(out, static_cast<quint16>(v & 0xffff));
    put16(out, static_cast<quint16>(v >> 16));
}

} // namespace

QByteArray IndexedBmp(const QImage& image)
{
    const auto colours = image.colorTable();
    if (image.format() != QImage::Format_Indexed8 || colours.isEmpty() || colours.size() > 256)
        return {};
    const quint32 stride = (static_cast<quint32>(image.width()) + 3) & ~3u;
    const quint32 bitsOffset = 14 + 40 + 4 * static_cast<quint32>(colours.size());
    const quint32 bitsSize = stride * static_cast<quint32>(image.height());

    QByteArray out;
    out.reserve(static_cast<qsizetype>(bitsOffset + bitsSize));
    out.append("BM");
    put32(out, bitsOffset + bitsSize);
    put32(out, 0);
    put32(out, bitsOffset);
    put32(out, 40); // BITMAPINFOHEADER
    put32(out, static_cast<quint32>(image.width()));
    put32(out, static_cast<quint32>(image.height())); // positive: rows bottom-up
    put16(out, 1);
    put16(out, 8);
    put32(out, 0); // no compression
    put32(out, bitsSize);
    put32(out, 3780); // 96 dpi
    put32(out, 3780);
    put32(out, static_cast<quint32>(colours.size()));
    put32(out, 0);
    for (const QRgb c : colours) {
        out.append(static_cast<char>(qBlue(c))).append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qRed(c))).append('\0');
    }
    const QByteArray padding(static_cast<qsizetype>(stride) - image.width(), '\0');
    for (int y = image.height() - 1; y >= 0; --y) {
        out.append(reinterpret_cast<const char*>(image.constScanLine(y)), image.width());
        out.append(padding);
    }
    return out;
}

} // namespace dorvane
