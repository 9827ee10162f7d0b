#include "text/CodePageText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace dorvane {

std::string ToCodePage(const QString& text)
{
    QStringEncoder encoder("GB18030");
    const QByteArray bytes = encoder.encode(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString FromCodePage(std::string_view bytes)
{
    QStringDecoder decoder("GB18030");
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

QString FromFileName(const std::string& name)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(QByteArrayView(name.data(), static_cast<qsizetype>(name.size())));
    return utf8.hasError() ? FromCodePage(name) : text;
}

std::string ToFileName(const QString& name)
{
    return name.toStdString();
}

QString PathToQString(const std::filesystem::path& path)
{
    const auto u8 = path.u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(u8.data()), static_cast<qsizetype>(u8.size()));
}

} // namespace dorvane
