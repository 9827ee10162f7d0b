#include "print/WaybillRenderer.h"

#include "app/PrintFontConversion.h"
#include "print/TextBoxDrawer.h"

#include <QPaintDevice>
#include <QPainter>

namespace dorvane {

std::array<QRect, kFieldCount> WaybillRenderer::fieldBoxes(const QRect& page) const
{
    const PixelRect pagePixels{page.left(), page.top(), page.left() + page.width(),
                               page.top() + page.height()};
    const PageMapping mapping = MapFormToPage(pagePixels, setup_.formWidth, setup_.formHeight, setup_.adjust);
    std::array<QRect, kFieldCount> boxes{};
    if (!mapping.valid)
        return boxes;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const PixelRect r = MapFieldRect(mapping, setup_.printRects[i]);
        boxes[i] = QRect(QPoint(r.left, r.top), QSize(r.width(), r.height()));
    }
    return boxes;
}

int WaybillRenderer::deviceFontHeight(const LogFont& font, int deviceDpiY) const
{
    return ScaleFontHeight(font.height, FontScaleY(deviceDpiY, setup_.screenDpiY));
}

void WaybillRenderer::renderPage(QPainter& painter, const std::array<QString, kFieldCount>& texts) const
{
    QPaintDevice* device = painter.device();
    if (device == nullptr)
        return;
    const auto boxes = fieldBoxes(QRect(0, 0, device->width(), device->height()));
    const int dpiY = device->logicalDpiY();

    painter.save();
    painter.setPen(Qt::black);
    for (const WaybillField& field : kWaybillFields) {
        const auto i = static_cast<std::size_t>(field.index);
        if (texts[i].isEmpty())
            continue;
        const LogFont& font = field.index == kDestinationField ? setup_.destinationFont : setup_.bodyFont;
        painter.setFont(ToQFont(font, deviceFontHeight(font, dpiY)));
        TextBoxDrawer::draw(painter, boxes[i], texts[i], field.format);
    }
    painter.restore();
}

} // namespace dorvane
