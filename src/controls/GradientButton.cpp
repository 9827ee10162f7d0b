#include "controls/GradientButton.h"

#include <QEnterEvent>
#include <QPainter>

#include <algorithm>

namespace dorvane {

namespace {
constexpr int kEdge = 2; // the width of a 3-D window edge, by which the face is inset
constexpr int kShades = 64;
constexpr int kMaxCaption = 259; // the caption buffer holds 260 characters with its end

const QColor kBorder(50, 100, 160);

struct EdgePens {
    QPen left, right, top, bottom;
};

const EdgePens& HotPens()
{
    static const EdgePens pens{QPen(QColor(250, 196, 88), 3), QPen(QColor(251, 202, 106), 3),
                               QPen(QColor(252, 210, 121), 2), QPen(QColor(229, 151, 0), 2)};
    return pens;
}

const EdgePens& FocusPens()
{
    static const EdgePens pens{QPen(QColor(153, 198, 252), 3), QPen(QColor(162, 189, 252), 3),
                               QPen(QColor(162, 201, 255), 2), QPen(QColor(162, 201, 255), 2)};
    return pens;
}
} // namespace

CGradientButton::CGradientButton(QWidget* parent) : QPushButton(parent) {}

CGradientButton::CGradientButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

QColor CGradientButton::Shade(int k, bool hot)
{
    const int grey = 255 - k / 2;
    return QColor(grey, grey, hot ? 255 - k : 255 - k / 5);
}

void CGradientButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QString caption = text().left(kMaxCaption);
    const bool focused = hasFocus();
    const bool down = isDown();

    // Border over the whole control; its inside starts white, as a fresh device context's brush.
    painter.setPen(QPen(kBorder, 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0, 0, -1, -1), 2.5, 2.5);

    // Inner rectangle in exclusive coordinates, as the edges below are laid out.
    const int left = kEdge, top = kEdge;
    const int right = width() - kEdge, bottom = height() - kEdge;
    const int innerHeight = bottom - top;

    // The gradient runs two rows past the inner bottom, over the lower frame.
    painter.setPen(Qt::NoPen);
    if (right > left) {
        for (int y = top; y < bottom + 2; ++y) {
            const int d = y - top;
            const int k = innerHeight > 0 ? std::min(d * (kShades - 1) / innerHeight, kShades - 1) : 0;
            painter.fillRect(left, y, right - left, 1, Shade(k, hover_));
        }
    }

    if (hover_ || focused) {
        const EdgePens& pens = focused && !hover_ ? FocusPens() : HotPens();
        painter.setBrush(Qt::NoBrush);
        painter.setPen(pens.left);
        painter.drawLine(left, bottom - 1, left, top + 1);
        painter.setPen(pens.right);
        painter.drawLine(right - 1, bottom - 1, right - 1, top);
        painter.setPen(pens.top);
        painter.drawLine(left - 1, top, right - 1, top);
        painter.setPen(pens.bottom);
        painter.drawLine(left, bottom, right - 1, bottom);
        if (focused && !hover_) {
            // A dotted rectangle that inverts what lies beneath, like the system's focus frame.
            painter.save();
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            QPen dots(Qt::white, 1, Qt::DotLine);
            painter.setPen(dots);
            painter.drawRect(left, top, right - left - 1, bottom - top - 1);
            painter.restore();
        }
    }

    painter.setFont(font());
    const QFontMetrics metrics(font());
    // "&" underlines the next character and "&&" shows one "&", as button captions always have.
    const QSize textSize = metrics.size(Qt::TextShowMnemonic | Qt::TextSingleLine, caption);
    const int textWidth = textSize.width();
    const int textHeight = textSize.height();
    const int shift = down ? 1 : 0;
    const QRect textRect((left + right) / 2 - textWidth / 2 + shift,
                         (top + bottom) / 2 - textHeight / 2 + shift, textWidth, textHeight);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic;
    if (isEnabled()) {
        painter.setPen(Qt::black);
        painter.drawText(textRect, flags, caption);
    } else {
        // Embossed: a light copy one pixel down and right under the shadow-coloured text.
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(textRect.translated(1, 1), flags, caption);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawText(textRect, flags, caption);
    }
}

void CGradientButton::enterEvent(QEnterEvent* event)
{
    hover_ = true;
    update();
    QPushButton::enterEvent(event);
}

void CGradientButton::leaveEvent(QEvent* event)
{
    hover_ = false;
    update();
    QPushButton::leaveEvent(event);
}

} // namespace dorvane
