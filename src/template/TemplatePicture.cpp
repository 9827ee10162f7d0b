#include "template/TemplatePicture.h"

#include <QByteArray>

#include <fstream>
#include <iterator>

namespace dorvane {

QPixmap LoadPictureFile(const std::filesystem::path& path, const char* format)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    const QByteArray bytes = QByteArray::fromStdString(
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    QPixmap picture;
    if (file.bad() || !picture.loadFromData(bytes, format))
        return {};
    return picture;
}

} // namespace dorvane
