#pragma once
// Reads printed barcodes back as a scanner would: ZXing-C++ over a page drawn by pdftoppm, or
// over the bitmap a ZPL label printer would print from its job.

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

namespace dorvane::test {

struct ReadCode {
    QString format; // "Code128", "QRCode"
    QString text;
};

// What a scanner reads of each format on the page (at most one symbol of each: ZXing 1.4
// asserts while merging several linear finds, so each format is read once, alone).
inline QList<ReadCode> ReadCodes(const QImage& page)
{
    QList<ReadCode> codes;
    if (page.isNull())
        return codes;
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                static_cast<int>(grey.bytesPerLine()));
    for (const ZXing::BarcodeFormat format : {ZXing::BarcodeFormat::Code128, ZXing::BarcodeFormat::QRCode}) {
        ZXing::DecodeHints hints;
        hints.setFormats(format);
        hints.setTryHarder(true);
        const ZXing::Result result = ZXing::ReadBarcode(view, hints);
        if (!result.isValid())
            continue;
        const std::string text = result.text();
        codes.append({QString::fromStdString(ZXing::ToString(result.format())),
                      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))});
    }
    return codes;
}

// The texts read of one format.
inline QStringList TextsOf(const QList<ReadCode>& codes, const QString& format)
{
    QStringList texts;
    for (const ReadCode& code : codes)
        if (code.format == format)
            texts.append(code.text);
    return texts;
}

// The first graphic a ZPL job downloads (~DG name,total bytes,bytes per row,data) as the
// printer would print it, black on white; "^POI" turns the print upside down. The data is hex,
// two digits a byte, one bit a dot, with ZPL's compression: G to Y repeat the next digit 1 to
// 19 times, g to z 20 to 400 times (added up); "," ends a row with white, "!" with black; ":"
// repeats the row before. A null image when the job holds no such graphic.
inline QImage DecodeZplGraphic(const QByteArray& zpl)
{
    const qsizetype start = zpl.indexOf("~DG");
    if (start < 0)
        return {};
    const qsizetype comma1 = zpl.indexOf(',', start);
    const qsizetype comma2 = comma1 < 0 ? -1 : zpl.indexOf(',', comma1 + 1);
    const qsizetype comma3 = comma2 < 0 ? -1 : zpl.indexOf(',', comma2 + 1);
    if (comma3 < 0)
        return {};
    const int total = zpl.mid(comma1 + 1, comma2 - comma1 - 1).trimmed().toInt();
    const int perRow = zpl.mid(comma2 + 1, comma3 - comma2 - 1).trimmed().toInt();
    if (total <= 0 || perRow <= 0 || total % perRow != 0)
        return {};
    const int rows = total / perRow;
    const qsizetype digitsPerRow = 2 * static_cast<qsizetype>(perRow);
    QByteArray bits; // hex digits, row after row
    QByteArray row;
    int repeat = 0;
    const auto endRow = [&](char fill) {
        row.append(digitsPerRow - row.size(), fill);
        bits.append(row);
        row.clear();
    };
    for (qsizetype i = comma3 + 1; i < zpl.size() && bits.size() < digitsPerRow * rows; ++i) {
        const char c = zpl.at(i);
        if (c == '^' || c == '~')
            break;
        if (c >= 'G' && c <= 'Y') {
            repeat += c - 'G' + 1;
        } else if (c >= 'g' && c <= 'z') {
            repeat += (c - 'g' + 1) * 20;
        } else if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) {
            row.append(std::max(repeat, 1), c);
            repeat = 0;
            if (row.size() >= digitsPerRow) {
                row.truncate(digitsPerRow);
                endRow('0');
            }
        } else if (c == ',') {
            endRow('0');
        } else if (c == '!') {
            endRow('F');
        } else if (c == ':') {
            if (bits.isEmpty())
                return {};
            bits.append(bits.right(digitsPerRow));
        }
    }
    if (bits.size() < digitsPerRow * rows)
        return {};
    QImage image(perRow * 8, rows, QImage::Format_Grayscale8);
    image.fill(255);
    for (int y = 0; y < rows; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < perRow * 8; ++x) {
            const char digit = bits.at(static_cast<qsizetype>(y) * digitsPerRow + x / 4);
            const int value = digit <= '9' ? digit - '0' : digit - 'A' + 10;
            if (value & (8 >> (x % 4)))
                line[x] = 0;
        }
    }
    if (zpl.contains("^POI"))
        image = image.mirrored(true, true);
    return image;
}

} // namespace dorvane::test
