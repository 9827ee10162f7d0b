#include "print/TextBoxDrawer.h"

#include "template/WaybillField.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <vector>

namespace dorvane {

namespace {

// The text as the drawer lays it out: CR LF, a lone CR and a lone LF all end a line; a single
// line has no line breaks, so a pasted one shows as a space.
QString DrawnText(QString text, std::uint32_t format)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'),
                 (format & kFormatSingleLine) ? QChar(QLatin1Char(' ')) : QChar::LineSeparator);
    return text;
}

// QRect's right() is one pixel short of left + width; the box is the half-open area.
QRectF Area(const QRect& box)
{
    return QRectF(box.left(), box.top(), box.width(), box.height());
}

// Advances add up in floating point; a text exactly as wide as its box fits.
constexpr qreal kEdgeTolerance = 1e-3;

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

// The stretches of a text that do not reach the paper, in their order; touching ones join.
class LostRuns {
public:
    void add(int from, int to)
    {
        if (from >= to)
            return;
        if (!runs_.empty() && from <= runs_.back().second)
            runs_.back().second = std::max(runs_.back().second, to);
        else
            runs_.emplace_back(from, to);
    }

    TextBoxFit fit(const QTextLayout& layout, int lostLines) const
    {
        TextBoxFit fit;
        for (const auto& [from, to] : runs_) {
            QString lost = layout.text().mid(from, to - from);
            lost.replace(QChar::LineSeparator, QLatin1Char('\n'));
            if (lost.trimmed().isEmpty())
                continue;
            fit.lostChars += CountChars(layout, from, to);
            fit.lostText += lost;
        }
        if (fit.lostChars > 0)
            fit.lostLines = lostLines;
        return fit;
    }

private:
    std::vector<std::pair<int, int>> runs_;
};

// Where the text may show: the box, and within it only what the printer can print on.
struct Limits {
    QRectF box;
    std::optional<QRectF> printable;

    bool inside(qreal left, qreal right) const
    {
        qreal lo = box.left(), hi = box.right();
        if (printable) {
            lo = std::max(lo, printable->left());
            hi = std::min(hi, printable->right());
        }
        return left >= lo - kEdgeTolerance && right <= hi + kEdgeTolerance;
    }
    // A line from top to bottom lies where the printer prints.
    bool printed(qreal top, qreal bottom) const
    {
        return !printable ||
               (top >= printable->top() - kEdgeTolerance && bottom <= printable->bottom() + kEdgeTolerance);
    }
};

// Marks the characters [from, to) of a line that lie outside the limits horizontally.
void AddOutside(LostRuns& runs, const QTextLayout& layout, const QTextLine& line, qreal originX, int from,
                int to, const Limits& limits)
{
    for (int i = from; i < to;) {
        const int next = layout.nextCursorPosition(i);
        if (!limits.inside(originX + line.cursorToX(i), originX + line.cursorToX(next)))
            runs.add(i, next);
        i = next;
    }
}

struct SingleLineSpan {
    int first = -1; // the characters [first, end) reach into the box: they are drawn
    int end = 0;
    QPointF origin; // where the whole line starts
};

SingleLineSpan LayOutSingleLine(QTextLayout& layout, const QRectF& box, bool centred)
{
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(box.width());
    layout.endLayout();

    SingleLineSpan span;
    const qreal textWidth = line.naturalTextWidth();
    span.origin = QPointF(centred ? box.left() + (box.width() - textWidth) / 2 : box.left(),
                          box.top() + (box.height() - line.height()) / 2);
    const QString& text = layout.text();
    for (int i = 0; i < text.size(); i = layout.nextCursorPosition(i)) {
        const int next = layout.nextCursorPosition(i);
        const qreal left = span.origin.x() + line.cursorToX(i);
        const qreal right = span.origin.x() + line.cursorToX(next);
        if (right > box.left() && left < box.right()) {
            if (span.first < 0)
                span.first = i;
            span.end = next;
        }
    }
    return span;
}

// A character an edge cuts through is drawn in part: it counts as lost.
TextBoxFit SingleLineFit(const QTextLayout& layout, const SingleLineSpan& span, const Limits& limits)
{
    const QTextLine line = layout.lineAt(0);
    const int size = static_cast<int>(layout.text().size());
    LostRuns runs;
    if (limits.printed(span.origin.y(), span.origin.y() + line.height()))
        AddOutside(runs, layout, line, span.origin.x(), 0, size, limits);
    else
        runs.add(0, size);
    return runs.fit(layout, 0);
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

TextBoxFit WrappedFit(const QTextLayout& layout, int drawn, const Limits& limits)
{
    LostRuns runs;
    int lostLines = 0;
    for (int i = 0; i < drawn; ++i) {
        const QTextLine line = layout.lineAt(i);
        const int from = line.textStart();
        int to = from + line.textLength();
        if (to > from && layout.text().at(to - 1) == QChar::LineSeparator)
            --to; // the line's end is no character of it
        const qreal top = limits.box.top() + line.y();
        if (limits.printed(top, top + line.height())) {
            AddOutside(runs, layout, line, limits.box.left(), from, to, limits);
        } else {
            runs.add(from, to);
            lostLines += !layout.text().mid(from, to - from).trimmed().isEmpty();
        }
    }
    if (drawn < layout.lineCount())
        runs.add(layout.lineAt(drawn).textStart(), static_cast<int>(layout.text().size()));
    for (int i = drawn; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        lostLines += !layout.text().mid(line.textStart(), line.textLength()).trimmed().isEmpty();
    }
    return runs.fit(layout, lostLines);
}

// The characters no installed font can draw: the layout falls back through every font the
// system has, and a character none of them holds gets glyph 0, printed as an empty box.
QString UnprintableChars(const QTextLayout& layout, const QPaintDevice* device)
{
    bool missing = false;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        for (const quint32 glyph : run.glyphIndexes())
            missing = missing || glyph == 0;
    }
    if (!missing)
        return {};
    // Which characters: each one shaped on its own (an emoji with its modifiers is one).
    QString unprintable;
    const QString& text = layout.text();
    for (int i = 0; i < text.size();) {
        const int next = layout.nextCursorPosition(i);
        const QString character = text.mid(i, next - i);
        i = next;
        if (character.trimmed().isEmpty() || unprintable.contains(character))
            continue;
        QTextLayout alone(character, layout.font(), device);
        alone.beginLayout();
        alone.createLine();
        alone.endLayout();
        bool drawable = true;
        for (const QGlyphRun& run : alone.glyphRuns()) {
            for (const quint32 glyph : run.glyphIndexes())
                drawable = drawable && glyph != 0;
        }
        if (!drawable)
            unprintable += character;
    }
    return unprintable;
}

// Nothing of the text can be drawn: the box has no area.
TextBoxFit AllLost(const QString& text, std::uint32_t format)
{
    QTextLayout layout(text);
    LostRuns runs;
    runs.add(0, static_cast<int>(text.size()));
    const int lines =
        (format & kFormatSingleLine) ? 0 : static_cast<int>(text.count(QChar::LineSeparator)) + 1;
    return runs.fit(layout, lines);
}

// An empty text loses nothing and a box without area loses everything: no layout decides.
std::optional<TextBoxFit> FitWithoutLayout(const QString& text, const QRect& box, std::uint32_t format)
{
    if (text.isEmpty())
        return TextBoxFit{};
    if (box.width() <= 0 || box.height() <= 0)
        return AllLost(text, format);
    return std::nullopt;
}

} // namespace

TextBoxFit TextBoxDrawer::draw(QPainter& painter, const QRect& box, const QString& original,
                               std::uint32_t format, const QPaintDevice* layoutDevice)
{
    const QString text = DrawnText(original, format);
    if (const auto settled = FitWithoutLayout(text, box, format))
        return *settled;
    if (layoutDevice == nullptr)
        layoutDevice = painter.device();

    const Limits limits{Area(box), std::nullopt};
    const bool centred = (format & kFormatCenter) != 0;
    painter.save();
    painter.setClipRect(limits.box, Qt::IntersectClip);
    TextBoxFit fit;
    QTextLayout layout(text, painter.font(), layoutDevice);
    if (format & kFormatSingleLine) {
        const SingleLineSpan span = LayOutSingleLine(layout, limits.box, centred);
        fit = SingleLineFit(layout, span, limits);
        if (span.first >= 0) {
            // Only the characters that reach into the box go to the device.
            QTextLayout visible(text.mid(span.first, span.end - span.first), painter.font(), layoutDevice);
            visible.setTextOption(layout.textOption());
            visible.beginLayout();
            QTextLine visibleLine = visible.createLine();
            visibleLine.setLineWidth(limits.box.width());
            visible.endLayout();
            visibleLine.draw(
                &painter, QPointF(span.origin.x() + layout.lineAt(0).cursorToX(span.first), span.origin.y()));
        }
    } else {
        const int drawn = LayOutWrapped(layout, limits.box, centred);
        fit = WrappedFit(layout, drawn, limits);
        for (int i = 0; i < drawn; ++i)
            layout.lineAt(i).draw(&painter, limits.box.topLeft());
    }
    painter.restore();
    fit.unprintable = UnprintableChars(layout, layoutDevice);
    return fit;
}

TextBoxFit TextBoxDrawer::fit(const QFont& font, const QPaintDevice* device, const QRect& box,
                              const QString& original, std::uint32_t format,
                              const std::optional<QRectF>& printable)
{
    const QString text = DrawnText(original, format);
    if (const auto settled = FitWithoutLayout(text, box, format))
        return *settled;
    const Limits limits{Area(box), printable};
    const bool centred = (format & kFormatCenter) != 0;
    QTextLayout layout(text, font, device);
    TextBoxFit fit = (format & kFormatSingleLine)
                         ? SingleLineFit(layout, LayOutSingleLine(layout, limits.box, centred), limits)
                         : WrappedFit(layout, LayOutWrapped(layout, limits.box, centred), limits);
    fit.unprintable = UnprintableChars(layout, device);
    return fit;
}

} // namespace dorvane
