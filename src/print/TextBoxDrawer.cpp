#include "print/TextBoxDrawer.h"

#include "template/WaybillField.h"

#include <QPainter>
#include <QTextLayout>

#include <optional>

namespace dorvane {

namespace {

QList<QTextLayout::FormatRange> UnderlineRanges(const QString& text, const QList<int>& positions, int from,
                                                int to)
{
    QList<QTextLayout::FormatRange> ranges;
    for (int position : positions) {
        if (position < from || position >= to)
            continue;
        QTextLayout::FormatRange range;
        range.start = position - from;
        range.length = text[position].isHighSurrogate() ? 2 : 1;
        range.format.setFontUnderline(true);
        ranges.append(range);
    }
    return ranges;
}

// Line ends as one character each: CR LF, a lone CR and a lone LF all end a line.
QString NormaliseLineEnds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The text as the drawer lays it out: mnemonics taken out, line ends as the format wants them.
MnemonicText DrawnText(const QString& text, std::uint32_t format)
{
    MnemonicText m = StripMnemonics(NormaliseLineEnds(text));
    // A single line has no line breaks; a pasted one shows as a space.
    if (format & kFormatSingleLine)
        m.text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    else
        m.text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return m;
}

// QRect's right() is one pixel short of left + width; the box is the half-open area.
QRectF Area(const QRect& box)
{
    return QRectF(box.left(), box.top(), box.width(), box.height());
}

// Characters (whole graphemes, line ends not counted) in [from, to) of a laid-out text.
int CountChars(const QTextLayout& layout, int from, int to)
{
    int count = 0;
    for (int i = from; i < to; i = layout.nextCursorPosition(i)) {
        if (layout.text().at(i) != QChar::LineSeparator)
            ++count;
    }
    return count;
}

TextBoxFit Lost(const QTextLayout& layout, int from, int to, int lostLines = 0)
{
    const QString text = layout.text();
    QString lost = text.mid(from, to - from);
    lost.replace(QChar::LineSeparator, QLatin1Char('\n'));
    if (lost.trimmed().isEmpty())
        return {};
    return {CountChars(layout, from, to), lostLines, lost};
}

struct SingleLineSpan {
    int first = -1; // the characters [first, end) reach into the box: they are drawn
    int end = 0;
    int wholeFirst = -1; // the characters [wholeFirst, wholeEnd) lie wholly inside it
    int wholeEnd = 0;
    QPointF origin; // where the whole line would start
};

// Advances add up in floating point; a text exactly as wide as its box fits.
constexpr qreal kEdgeTolerance = 1e-3;

SingleLineSpan LayOutSingleLine(QTextLayout& measure, const QRectF& box, bool centred)
{
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    measure.setTextOption(option);
    measure.beginLayout();
    QTextLine line = measure.createLine();
    line.setLineWidth(box.width());
    measure.endLayout();

    SingleLineSpan span;
    const qreal textWidth = line.naturalTextWidth();
    span.origin = QPointF(centred ? box.left() + (box.width() - textWidth) / 2 : box.left(),
                          box.top() + (box.height() - line.height()) / 2);
    const QString& text = measure.text();
    for (int i = 0; i < text.size(); i = measure.nextCursorPosition(i)) {
        const int next = measure.nextCursorPosition(i);
        const qreal left = span.origin.x() + line.cursorToX(i);
        const qreal right = span.origin.x() + line.cursorToX(next);
        if (right > box.left() && left < box.right()) {
            if (span.first < 0)
                span.first = i;
            span.end = next;
        }
        if (left >= box.left() - kEdgeTolerance && right <= box.right() + kEdgeTolerance) {
            if (span.wholeFirst < 0)
                span.wholeFirst = i;
            span.wholeEnd = next;
        }
    }
    return span;
}

// A character the edge cuts through is drawn in part: it counts as lost.
TextBoxFit SingleLineFit(const QTextLayout& measure, const SingleLineSpan& span)
{
    const int size = static_cast<int>(measure.text().size());
    if (span.wholeFirst < 0)
        return Lost(measure, 0, size);
    TextBoxFit before = Lost(measure, 0, span.wholeFirst);
    const TextBoxFit after = Lost(measure, span.wholeEnd, size);
    before.lostChars += after.lostChars;
    before.lostText += after.lostText;
    return before;
}

// Lays out every line; answers how many are drawn (the lines that fit whole, from the top).
int LayOutWrapped(QTextLayout& layout, const QRectF& box, bool centred)
{
    QTextOption option(centred ? Qt::AlignHCenter : Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(box.width());
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();

    int drawn = 0;
    while (drawn < layout.lineCount()) {
        const QTextLine line = layout.lineAt(drawn);
        if (line.y() + line.height() > box.height() + 1e-6)
            break; // would show only in part
        ++drawn;
    }
    return drawn;
}

TextBoxFit WrappedFit(const QTextLayout& layout, int drawn)
{
    if (drawn >= layout.lineCount())
        return {};
    return Lost(layout, layout.lineAt(drawn).textStart(), static_cast<int>(layout.text().size()),
                layout.lineCount() - drawn);
}

// Nothing of the text can be drawn: the box has no area.
TextBoxFit AllLost(const MnemonicText& m, std::uint32_t format)
{
    QTextLayout layout(m.text);
    TextBoxFit fit = Lost(layout, 0, static_cast<int>(m.text.size()));
    if (!(format & kFormatSingleLine) && !fit.whole())
        fit.lostLines = static_cast<int>(m.text.count(QChar::LineSeparator)) + 1;
    return fit;
}

// An empty text loses nothing and a box without area loses everything: no layout decides.
std::optional<TextBoxFit> FitWithoutLayout(const MnemonicText& m, const QRect& box, std::uint32_t format)
{
    if (m.text.isEmpty())
        return TextBoxFit{};
    if (box.width() <= 0 || box.height() <= 0)
        return AllLost(m, format);
    return std::nullopt;
}

} // namespace

MnemonicText StripMnemonics(const QString& text)
{
    MnemonicText result;
    result.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) {
            result.text.append(text[i]);
            continue;
        }
        if (++i >= text.size())
            break;
        if (text[i] != QLatin1Char('&'))
            result.underlined.append(static_cast<int>(result.text.size()));
        result.text.append(text[i]);
        // A character outside the basic plane is underlined whole.
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            result.text.append(text[++i]);
    }
    return result;
}

TextBoxFit TextBoxDrawer::draw(QPainter& painter, const QRect& box, const QString& text, std::uint32_t format,
                               const QPaintDevice* layoutDevice)
{
    const MnemonicText m = DrawnText(text, format);
    if (const auto settled = FitWithoutLayout(m, box, format))
        return *settled;
    if (layoutDevice == nullptr)
        layoutDevice = painter.device();

    const QRectF area = Area(box);
    const bool centred = (format & kFormatCenter) != 0;
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    TextBoxFit fit;
    if (format & kFormatSingleLine) {
        QTextLayout measure(m.text, painter.font(), layoutDevice);
        const SingleLineSpan span = LayOutSingleLine(measure, area, centred);
        fit = SingleLineFit(measure, span);
        if (span.first >= 0) {
            // Only the characters that reach into the box go to the device.
            QTextLayout visible(m.text.mid(span.first, span.end - span.first), painter.font(), layoutDevice);
            visible.setTextOption(measure.textOption());
            visible.setFormats(UnderlineRanges(m.text, m.underlined, span.first, span.end));
            visible.beginLayout();
            QTextLine visibleLine = visible.createLine();
            visibleLine.setLineWidth(area.width());
            visible.endLayout();
            visibleLine.draw(&painter, QPointF(span.origin.x() + measure.lineAt(0).cursorToX(span.first),
                                               span.origin.y()));
        }
    } else {
        QTextLayout layout(m.text, painter.font(), layoutDevice);
        layout.setFormats(UnderlineRanges(m.text, m.underlined, 0, static_cast<int>(m.text.size())));
        const int drawn = LayOutWrapped(layout, area, centred);
        fit = WrappedFit(layout, drawn);
        for (int i = 0; i < drawn; ++i)
            layout.lineAt(i).draw(&painter, area.topLeft());
    }
    painter.restore();
    return fit;
}

TextBoxFit TextBoxDrawer::fit(const QFont& font, const QPaintDevice* device, const QRect& box, const QString& text,
                              std::uint32_t format)
{
    const MnemonicText m = DrawnText(text, format);
    if (const auto settled = FitWithoutLayout(m, box, format))
        return *settled;
    const QRectF area = Area(box);
    const bool centred = (format & kFormatCenter) != 0;
    QTextLayout layout(m.text, font, device);
    if (format & kFormatSingleLine)
        return SingleLineFit(layout, LayOutSingleLine(layout, area, centred));
    return WrappedFit(layout, LayOutWrapped(layout, area, centred));
}

} // namespace dorvane
