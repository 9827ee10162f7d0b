#include "template/TemplatePicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>

#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

namespace dorvane {

namespace {

std::optional<QByteArray> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    QByteArray bytes = QByteArray::fromStdString(
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    if (file.bad())
        return std::nullopt;
    return bytes;
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
    const auto bytes = ReadBytes(path);
    QPixmap picture;
    if (!bytes || !picture.loadFromData(*bytes, format))
        return {};
    return picture;
}

QImage LoadPictureImage(const std::filesystem::path& path, const char* format)
{
    const auto bytes = ReadBytes(path);
    QImage picture;
    if (!bytes || !picture.loadFromData(*bytes, format))
        return {};
    return picture;
}

bool StorePictureAsBmp(const std::filesystem::path& from, const std::filesystem::path& target)
{
    const auto bytes = ReadBytes(from);
    if (!bytes)
        return false;
    QBuffer buffer;
    buffer.setData(*bytes);
    buffer.open(QIODevice::ReadOnly);
    // Known by the file's content, not its name: a JPEG saved as .png is still taken.
    const QByteArray format = QImageReader::imageFormat(&buffer);
    if (format == "bmp")
        return WriteBytes(target, *bytes);
    if (format != "png" && format != "jpeg")
        return false;
    QImage picture;
    if (!picture.loadFromData(*bytes, format.constData()))
        return false;
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

} // namespace dorvane
