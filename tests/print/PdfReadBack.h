#pragma once
// Reads a printed PDF back with poppler's command-line tools.

#include <QImage>
#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdlib>

namespace dorvane::test {

struct PdfWord {
    QString text;
    QRectF box; // points, origin at the page's top-left
};

inline QString RunTool(const QString& program, const QStringList& arguments, bool* ok = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(60000);
    if (ok)
        *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QString Unescape(QString text)
{
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

// The words of page 1 with their boxes (pdftotext -bbox).
inline QList<PdfWord> ReadWords(const QString& pdf, bool* ok = nullptr)
{
    const QString html =
        RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}, ok);
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">(.*?)</word>"));
    QList<PdfWord> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const double x0 = m.captured(1).toDouble(), y0 = m.captured(2).toDouble();
        const double x1 = m.captured(3).toDouble(), y1 = m.captured(4).toDouble();
        words.append({Unescape(m.captured(5)), QRectF(QPointF(x0, y0), QPointF(x1, y1))});
    }
    return words;
}

// One line of pdfinfo's output, the text after "Name:".
inline QString PdfInfo(const QString& pdf, const QString& name)
{
    const QString info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    for (const QString& line : info.split(QLatin1Char('\n'))) {
        if (line.startsWith(name + QLatin1Char(':')))
            return line.mid(name.size() + 1).trimmed();
    }
    return {};
}

// "Page size: 651.969 x 371.339 pts" -> the two numbers.
inline QSizeF PdfPageSize(const QString& pdf)
{
    static const QRegularExpression size(QStringLiteral("([0-9.]+) x ([0-9.]+) pts"));
    const auto m = size.match(PdfInfo(pdf, QStringLiteral("Page size")));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

// Page 1 as pdftoppm draws it at dpi (a null image when it cannot).
inline QImage RenderPage(const QString& pdf, int dpi)
{
    const QString prefix = pdf + QStringLiteral(".page");
    bool ok = false;
    RunTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-r"), QString::number(dpi), pdf,
             prefix},
            &ok);
    return ok ? QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32) : QImage();
}

// The smallest rectangle in millimetres holding every pixel of a page drawn at dpi that is
// nearer colour than the page around it (each channel within 110: a scaled picture's edge,
// blended over a pixel or two, counts up to its middle); empty when there is none.
inline QRectF ColourBoundsMm(const QImage& page, int dpi, QColor colour)
{
    constexpr int kNear = 110;
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    for (int y = 0; y < page.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            if (std::abs(qRed(line[x]) - colour.red()) > kNear || std::abs(qGreen(line[x]) - colour.green()) > kNear ||
                std::abs(qBlue(line[x]) - colour.blue()) > kNear)
                continue;
            left = std::min(left, x);
            right = std::max(right, x + 1);
            top = std::min(top, y);
            bottom = std::max(bottom, y + 1);
        }
    }
    if (right < 0)
        return {};
    const double mm = 25.4 / dpi;
    return QRectF(QPointF(left * mm, top * mm), QPointF(right * mm, bottom * mm));
}

// Empty when every edge of found lies within tolerance of the same edge of expected; else both.
inline QString EdgesApart(const QRectF& found, const QRectF& expected, double tolerance)
{
    const auto near = [tolerance](double a, double b) { return std::abs(a - b) < tolerance; };
    if (near(found.left(), expected.left()) && near(found.top(), expected.top()) &&
        near(found.right(), expected.right()) && near(found.bottom(), expected.bottom()))
        return {};
    const auto text = [](const QRectF& r) {
        return QStringLiteral("%1,%2 - %3,%4").arg(r.left()).arg(r.top()).arg(r.right()).arg(r.bottom());
    };
    return text(found) + QStringLiteral(" instead of ") + text(expected);
}

} // namespace dorvane::test
