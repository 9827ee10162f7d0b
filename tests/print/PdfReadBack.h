#pragma once
// Reads a printed PDF back with poppler's command-line tools.

#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

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

} // namespace dorvane::test
