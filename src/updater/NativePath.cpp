#include "updater/NativePath.h"

#include <QFile>

namespace dorvane {

std::filesystem::path ToFsPath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdU16String());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString ToQPath(const std::filesystem::path& path)
{
#ifdef Q_OS_WIN
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

} // namespace dorvane
