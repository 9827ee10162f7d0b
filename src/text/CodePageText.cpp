#include "text/CodePageText.h"

#include "text/Utf8CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace dorvane {

// Qt knows GB18030 through ICU; a Qt built without it (the Windows package's) has no such
// codec, and the system's conversion takes over.
std::string ToCodePage(const QString& text)
{
    QStringEncoder encoder("GB18030");
    if (!encoder.isValid())
        return CodePageFromUtf8(text.toStdString());
    const QByteArray bytes = encoder.encode(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString FromCodePage(std::string_view bytes)
{
    QStringDecoder decoder("GB18030");
    if (decoder.isValid())
        return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (const auto utf8 = Utf8FromCodePage(bytes))
        return QString::fromStdString(*utf8);
    // Not valid GB18030: its ASCII is kept and every other byte marked, as Qt's codec does.
    QString text;
    for (const char c : bytes)
        text += static_cast<unsigned char>(c) < 0x80 ? QChar(QLatin1Char(c)) : QChar(QChar::ReplacementCharacter);
    return text;
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
