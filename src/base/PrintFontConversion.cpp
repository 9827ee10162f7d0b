#include "base/PrintFontConversion.h"

#include "text/CodePageText.h"

#include <QFontDatabase>
#include <QStringList>

#include <algorithm>

#include <cstdlib>

namespace dorvane {

QFont ToQFont(const LogFont& font)
{
    return ToQFont(font, font.height);
}

QFont ToQFont(const LogFont& logFont, int height)
{
    QFont font(FromCodePage(logFont.faceName));
    font.setPixelSize(std::max(1, std::abs(height)));
    if (logFont.weight > 0)
        font.setWeight(static_cast<QFont::Weight>(std::clamp(logFont.weight, 1, 1000)));
    font.setItalic(logFont.italic != 0);
    font.setUnderline(logFont.underline != 0);
    font.setStrikeOut(logFont.strikeOut != 0);
    return font;
}

LogFont FromQFont(const QFont& font, int pixelHeight)
{
    LogFont logFont;
    logFont.height = -std::abs(pixelHeight);
    logFont.weight = font.weight();
    logFont.italic = font.italic() ? 1 : 0;
    logFont.underline = font.underline() ? 1 : 0;
    logFont.strikeOut = font.strikeOut() ? 1 : 0;
    logFont.charSet = 134; // the Chinese character set
    logFont.outPrecision = 3;
    logFont.clipPrecision = 2;
    logFont.quality = 1;
    logFont.pitchAndFamily = 2;
    // Through the text form, so the face name is cut exactly as a file read cuts it.
    TextToLogFont(LogFontToText(logFont) + ToCodePage(font.family()), logFont);
    return logFont;
}

namespace {

// The installed family a face stands for: the face itself, or the family its substitute names.
QString ListedFamily(const QString& face)
{
    // Substitutes are kept in lower case; lists hold the installed spelling.
    const QString substitute = QFont::substitute(face);
    for (const QString& family : QFontDatabase::families()) {
        if (family.compare(substitute, Qt::CaseInsensitive) == 0)
            return family;
    }
    return face;
}

} // namespace

QFont ToListedQFont(const LogFont& logFont)
{
    QFont font = ToQFont(logFont);
    font.setFamily(ListedFamily(font.family()));
    return font;
}

QString PrintFamily(const LogFont& logFont)
{
    const QString face = FromCodePage(logFont.faceName);
#ifdef Q_OS_WIN
    // Qt's Windows printing hands text to the printer only when the printer selects the very
    // face the font names; 宋体 standing in for another font fails that, and every character
    // would go to the printer as an outline, printed as graphics.
    return ListedFamily(face);
#else
    return face;
#endif
}

QFont ToPrintQFont(const LogFont& logFont, int height)
{
    QFont font = ToQFont(logFont, height);
    font.setFamily(PrintFamily(logFont));
    return font;
}

void RegisterFontSubstitutes()
{
    const QStringList families = QFontDatabase::families();
    const auto substitute = [&](const QString& wanted, const QString& installed) {
        if (!families.contains(wanted))
            QFont::insertSubstitution(wanted, installed);
    };
    substitute(QStringLiteral("宋体"), QStringLiteral("AR PL UMing CN"));
    substitute(QStringLiteral("黑体"), QStringLiteral("WenQuanYi Zen Hei"));
}

} // namespace dorvane
