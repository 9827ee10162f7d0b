#include "ProgramMark.h"

#include "base/ProgramPictures.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace dorvane {

namespace {

const QColor kInk(38, 50, 56);
const QColor kBand(216, 67, 21); // the courier's header band on the form
const QColor kBodyTop(96, 125, 139);
const QColor kBodyBottom(55, 71, 79);
const QColor kSlot(28, 36, 40);
const QColor kLamp(102, 187, 106);
const QColor kTextLine(120, 144, 156);

// A waybill sheet: white with a coloured header band and, when there is room, text lines.
void DrawSheet(QPainter& painter, const QRectF& sheet, const QColor& paper, qreal pen, bool lines)
{
    painter.setPen(QPen(kInk, pen));
    painter.setBrush(paper);
    painter.drawRect(sheet);
    const QRectF band(sheet.left(), sheet.top(), sheet.width(), sheet.height() * 0.22);
    painter.fillRect(band.adjusted(pen / 2, pen / 2, -pen / 2, 0), kBand);
    if (!lines)
        return;
    painter.setPen(QPen(kTextLine, pen, Qt::SolidLine, Qt::FlatCap));
    const qreal left = sheet.left() + sheet.width() * 0.14;
    for (int i = 0; i < 3; ++i) {
        const qreal y = sheet.top() + sheet.height() * (0.42 + 0.18 * i);
        const qreal right = sheet.right() - sheet.width() * (i == 2 ? 0.42 : 0.14);
        painter.drawLine(QPointF(left, y), QPointF(right, y));
    }
}

} // namespace

void DrawProgramMark(QPainter& painter, const QRectF& box)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.topLeft());
    const qreal s = box.width();
    const qreal pen = std::max<qreal>(1.0, s / 32.0);
    const bool details = s >= 24;
    const auto at = [s](qreal x, qreal y, qreal w, qreal h) { return QRectF(x * s, y * s, w * s, h * s); };

    // Blank paper waiting at the back of the printer.
    painter.setPen(QPen(kInk, pen));
    painter.setBrush(Qt::white);
    painter.drawRect(at(0.24, 0.06, 0.52, 0.40));

    // The printer's body, lit from above.
    const QRectF body = at(0.05, 0.34, 0.90, 0.40);
    QLinearGradient shade(body.topLeft(), body.bottomLeft());
    shade.setColorAt(0, kBodyTop);
    shade.setColorAt(1, kBodyBottom);
    painter.setBrush(shade);
    painter.drawRoundedRect(body, s * 0.07, s * 0.07);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kSlot);
    painter.drawRect(at(0.18, 0.52, 0.64, 0.05));
    painter.setBrush(kLamp);
    painter.drawEllipse(at(0.80, 0.41, 0.07, 0.07));

    // The printed waybill leaving through the slot.
    DrawSheet(painter, at(0.23, 0.55, 0.54, 0.41), Qt::white, pen, details);
    painter.restore();
}

QImage ProgramIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    DrawProgramMark(painter, QRectF(0, 0, size, size));
    return image;
}

QImage AboutPictureImage()
{
    QImage image(kAboutPictureWidth, kAboutPictureHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal h = kAboutPictureHeight;
    DrawProgramMark(painter, QRectF(8, 8, h - 16, h - 16));

    // A multi-part waybill set, the copies stacked as carbonless sets are, each tinted.
    const QColor copies[] = {Qt::white, QColor(227, 242, 253), QColor(253, 228, 236), QColor(255, 246, 200)};
    const qreal left = h + 20, top = 22, width = 170, height = 46;
    for (int i = 3; i >= 0; --i)
        DrawSheet(painter, QRectF(left + 8 * i, top - 5 * i, width, height), copies[i], 1.2, i == 0);

    // A tear-off line along the bottom.
    painter.setPen(QPen(kTextLine, 1.2, Qt::DashLine));
    painter.drawLine(QPointF(h, h - 6), QPointF(kAboutPictureWidth - 8, h - 6));
    return image;
}

} // namespace dorvane
