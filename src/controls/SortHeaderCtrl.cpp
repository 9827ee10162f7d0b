#include "controls/SortHeaderCtrl.h"

#include <QMouseEvent>
#include <QPainter>

namespace dorvane {

namespace {
constexpr int kMaxHeading = 255;
}

CSortHeaderCtrl::CSortHeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setSortIndicatorShown(false);
    setHighlightSections(false);
}

void CSortHeaderCtrl::SetSort(int column, bool ascending)
{
    sortColumn_ = column;
    ascending_ = ascending;
    ownerDrawn_.insert(column);
    viewport()->update();
}

void CSortHeaderCtrl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!ownerDrawn_.contains(logicalIndex)) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    painter->save();
    painter->setClipRect(rect);
    painter->fillRect(rect, palette().color(QPalette::Button));

    const QString text =
        model() ? model()->headerData(logicalIndex, orientation()).toString().left(kMaxHeading) : QString();
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (model()) {
        const QVariant alignment = model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole);
        if (alignment.isValid()) {
            const auto align = Qt::Alignment(alignment.toInt());
            if (align & Qt::AlignHCenter)
                horizontal = Qt::AlignHCenter;
            else if (align & Qt::AlignRight)
                horizontal = Qt::AlignRight;
        }
    }

    // Exclusive right edge, as the arrow coordinates are laid out.
    int left = rect.left(), right = rect.left() + rect.width(), top = rect.top();
    if (logicalIndex == pressedSection_) {
        left += 1;
        right += 1;
        top += 2;
    }
    const int off = rect.height() / 4;
    const bool sorted = logicalIndex == sortColumn_;
    if (sorted)
        right -= 3 * off;
    left += off;
    right -= off;
    if (left < right) {
        const QRect textRect(left, top, right - left, rect.bottom() + 1 - top);
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->setFont(font());
        const QString shown = fontMetrics().elidedText(text, Qt::ElideRight, textRect.width());
        painter->drawText(textRect, int(horizontal | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
    }
    if (sorted)
        DrawArrow(painter, rect);
    painter->restore();
}

void CSortHeaderCtrl::DrawArrow(QPainter* painter, const QRect& rect) const
{
    const int off = rect.height() / 4;
    const int r = rect.left() + rect.width();
    const int b = rect.height();
    const QPen highlight(palette().color(QPalette::Light), 1);
    const QPen shadow(palette().color(QPalette::Dark), 1);
    const auto line = [&](int x1, int y1, int x2, int y2) {
        painter->drawLine(x1, rect.top() + y1, x2, rect.top() + y2);
    };
    if (ascending_) {
        painter->setPen(highlight);
        line(r - 2 * off, off, r - off, b - off - 1);
        line(r - off, b - off - 1, r - 3 * off - 2, b - off - 1);
        painter->setPen(shadow);
        line(r - 3 * off - 1, b - off - 1, r - 2 * off, off - 1);
    } else {
        painter->setPen(highlight);
        line(r - off - 1, off, r - 2 * off - 1, b - off);
        painter->setPen(shadow);
        line(r - 2 * off - 2, b - off, r - 3 * off - 1, off);
        line(r - 3 * off - 1, off, r - off - 1, off);
    }
}

void CSortHeaderCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && sectionsClickable())
        pressedSection_ = logicalIndexAt(event->position().toPoint());
    QHeaderView::mousePressEvent(event);
}

void CSortHeaderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    pressedSection_ = -1;
    QHeaderView::mouseReleaseEvent(event);
    viewport()->update();
}

} // namespace dorvane
