#include "print/TextBoxDrawer.h"

#include "template/WaybillField.h"

#include <QPainter>
#include <QTextLayout>

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

void DrawSingleLine(QPainter& painter, const QRectF& box, MnemonicText m, bool centred)
{
    // A single line has no line breaks; a pasted one shows as a space.
    m.text.replace(QLatin1Char('\n'), QLatin1Char(' '));

    QTextLayout measure(m.text, painter.font(), painter.device());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    measure.setTextOption(option);
    measure.beginLayout();
    QTextLine line = measure.createLine();
    line.setLineWidth(box.width());
    measure.endLayout();

    const qreal textWidth = line.naturalTextWidth();
    const qreal x = centred ? box.left() + (box.width() - textWidth) / 2 : box.left();
    const qreal y = box.top() + (box.height() - line.height()) / 2;

    // Only the characters that reach into the box go to the device.
    int first = -1;
    int end = 0;
    for (int i = 0; i < m.text.size(); i = measure.nextCursorPosition(i)) {
        const int next = measure.nextCursorPosition(i);
        const qreal left = x + line.cursorToX(i);
        const qreal right = x + line.cursorToX(next);
        if (right > box.left() && left < box.right()) {
            if (first < 0)
                first = i;
            end = next;
        }
    }
    if (first < 0)
        return;

    QTextLayout visible(m.text.mid(first, end - first), painter.font(), painter.device());
    visible.setTextOption(option);
    visible.setFormats(UnderlineRanges(m.text, m.underlined, first, end));
    visible.beginLayout();
    QTextLine visibleLine = visible.createLine();
    visibleLine.setLineWidth(box.width());
    visible.endLayout();
    visibleLine.draw(&painter, QPointF(x + line.cursorToX(first), y));
}

void DrawWrapped(QPainter& painter, const QRectF& box, MnemonicText m, bool centred)
{
    m.text.replace(QLatin1Char('\n'), QChar::LineSeparator);

    QTextLayout layout(m.text, painter.font(), painter.device());
    QTextOption option(centred ? Qt::AlignHCenter : Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setFormats(UnderlineRanges(m.text, m.underlined, 0, m.text.size()));
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

    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        if (line.y() + line.height() > box.height() + 1e-6)
            break; // would show only in part
        line.draw(&painter, box.topLeft());
    }
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

void TextBoxDrawer::draw(QPainter& painter, const QRect& box, const QString& text, std::uint32_t format)
{
    if (text.isEmpty() || box.width() <= 0 || box.height() <= 0)
        return;
    const MnemonicText mnemonic = StripMnemonics(NormaliseLineEnds(text));
    if (mnemonic.text.isEmpty())
        return;

    // QRect's right() is one pixel short of left + width; the box is the half-open area.
    const QRectF area(box.left(), box.top(), box.width(), box.height());
    const bool centred = (format & kFormatCenter) != 0;
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    if (format & kFormatSingleLine)
        DrawSingleLine(painter, area, mnemonic, centred);
    else
        DrawWrapped(painter, area, mnemonic, centred);
    painter.restore();
}

} // namespace dorvane
