#include "template/TemplatePicture.h"

#include "template/BlankLabel.h"
#include "template/PictureSize.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <system_error>

namespace dorvane {

namespace {

// The bytes of a file no longer than the largest picture's; nullopt for a longer one, with
// the reason in refusal.
std::optional<QByteArray> ReadBytes(const std::filesystem::path& path, QString* refusal = nullptr)
{
    std::error_code ec;
    const std::uintmax_t length = std::filesystem::file_size(path, ec);
    if (ec)
        return std::nullopt;
    if (length > kLargestPictureFileBytes) {
        if (refusal)
            *refusal = QString::fromStdString(PictureFileTooLargeMessage());
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    QByteArray bytes = QByteArray::fromStdString(
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    if (file.bad())
        return std::nullopt;
    return bytes;
}

// The picture in bytes, its size taken from the header first: a picture larger than the
// bounds is refused before it is decoded, however small its file.
QImage DecodeBounded(const QByteArray& bytes, const char* format, QString* refusal = nullptr)
{
    const auto refuse = [refusal](const PictureSize& size) {
        if (refusal)
            *refusal = QString::fromStdString(PictureTooLargeMessage(size));
        return QImage();
    };
    // The header as recognition reads it, so that both refuse the same pictures alike.
    const std::size_t head = std::min(static_cast<std::size_t>(bytes.size()), kPictureHeaderBytes);
    const auto claimed = ReadPictureSize(std::string_view(bytes.constData(), head));
    if (claimed && !FitsPictureBounds(*claimed))
        return refuse(*claimed);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (!size.isValid())
        return {};
    if (!FitsPictureBounds({size.width(), size.height()}))
        return refuse({size.width(), size.height()});
    QImage picture;
    if (!reader.read(&picture))
        return {};
    return picture;
}

// Written beside target and renamed over it, so a failed write leaves no half picture.
bool WriteBytes(const std::filesystem::path& target, const QByteArray& bytes)
{
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file || !file.write(bytes.constData(), bytes.size()) || !file.flush())
            return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, target, ec);
    if (ec)
        std::filesystem::remove(temporary, ec);
    return !ec;
}

} // namespace

QPixmap LoadPictureFile(const std::filesystem::path& path, const char* format)
{
    return QPixmap::fromImage(LoadPictureImage(path, format));
}

QImage LoadPictureImage(const std::filesystem::path& path, const char* format)
{
    const auto bytes = ReadBytes(path);
    return bytes ? DecodeBounded(*bytes, format) : QImage();
}

bool StorePictureAsBmp(const std::filesystem::path& from, const std::filesystem::path& target,
                       QString* refusal)
{
    const auto bytes = ReadBytes(from, refusal);
    if (!bytes)
        return false;
    QBuffer buffer;
    buffer.setData(*bytes);
    buffer.open(QIODevice::ReadOnly);
    // Known by the file's content, not its name: a JPEG saved as .png is still taken.
    const QByteArray format = QImageReader::imageFormat(&buffer);
    if (format != "bmp" && format != "png" && format != "jpeg")
        return false;
    const QImage picture = DecodeBounded(*bytes, format.constData(), refusal);
    if (picture.isNull())
        return false;
    if (format == "bmp")
        return WriteBytes(target, *bytes);
    QImage flat(picture.size(), QImage::Format_RGB888);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, picture);
    }
    QByteArray bmp;
    QBuffer out(&bmp);
    out.open(QIODevice::WriteOnly);
    return flat.save(&out, "BMP") && WriteBytes(target, bmp);
}

QImage BlankLabelPicture(int paperWidth, int paperHeight)
{
    const BlankLabelSize size = BlankLabelPictureSize(paperWidth, paperHeight);
    // 24 bits, as every template picture is stored.
    QImage picture(size.width, size.height, QImage::Format_RGB888);
    picture.fill(Qt::white);
    const double step = kBlankLabelGridMm * size.pixelsPerMm;
    for (int axis = 0; axis < 2; ++axis) {
        const int length = axis == 0 ? size.width : size.height;
        for (int line = 1; line * step < length; ++line) {
            const int at = static_cast<int>(std::lround(line * step));
            const QColor colour = line % 2 == 0 ? QColor(190, 190, 190) : QColor(225, 225, 225);
            if (axis == 0)
                for (int y = 0; y < size.height; ++y)
                    picture.setPixelColor(at, y, colour);
            else
                for (int x = 0; x < size.width; ++x)
                    picture.setPixelColor(x, at, colour);
        }
    }
    return picture;
}

} // namespace dorvane
