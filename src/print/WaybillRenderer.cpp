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

QFont WaybillRenderer::fieldFont(int field, int deviceDpiY, int height) const
{
    const LogFont& font = field == kDestinationField ? setup_.destinationFont : setup_.bodyFont;
    return ToQFont(font, height > 0 ? height : deviceFontHeight(font, deviceDpiY));
}

FieldFits WaybillRenderer::renderPage(QPainter& painter, const std::array<QString, kFieldCount>& texts,
                                      const FieldFontHeights* heights) const
{
    FieldFits fits{};
    QPaintDevice* device = painter.device();
    if (device == nullptr)
        return fits;
    const auto boxes = fieldBoxes(QRect(0, 0, device->width(), device->height()));
    const int dpiY = device->logicalDpiY();

    painter.save();
    painter.setPen(Qt::black);
    for (const WaybillField& field : kWaybillFields) {
        const auto i = static_cast<std::size_t>(field.index);
        if (texts[i].isEmpty())
            continue;
        painter.setFont(fieldFont(field.index, dpiY, heights ? (*heights)[i] : 0));
        fits[i] = TextBoxDrawer::draw(painter, boxes[i], texts[i], field.format);
    }
    painter.restore();
    return fits;
}

} // namespace dorvane
