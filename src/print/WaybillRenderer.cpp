#include "print/WaybillRenderer.h"

#include "app/PrintFontConversion.h"
#include "print/TextBoxDrawer.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

namespace dorvane {

namespace {

PageMapping MapPage(const WaybillPrintSetup& setup, const QRect& page)
{
    const PixelRect pixels{page.left(), page.top(), page.left() + page.width(), page.top() + page.height()};
    return MapFormToPage(pixels, setup.formWidth, setup.formHeight, setup.adjust);
}

QRect ToQRect(const PixelRect& r)
{
    return QRect(QPoint(r.left, r.top), QSize(r.width(), r.height()));
}

} // namespace

QRect WaybillRenderer::pictureBox(const QRect& page, const QSize& picture) const
{
    const PageMapping mapping = MapPage(setup_, page);
    if (!mapping.valid)
        return {};
    return ToQRect(MapFieldRect(mapping, PictureRectOnForm(setup_.formWidth, setup_.formHeight, setup_.pictureWidth,
                                                           setup_.pictureHeight, picture.width(),
                                                           picture.height())));
}

std::array<QRect, kFieldCount> WaybillRenderer::fieldBoxes(const QRect& page) const
{
    const PageMapping mapping = MapPage(setup_, page);
    std::array<QRect, kFieldCount> boxes{};
    if (!mapping.valid)
        return boxes;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        boxes[i] = ToQRect(MapFieldRect(mapping, setup_.printRects[i]));
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
                                      const FieldFontHeights* heights, const QImage* picture) const
{
    FieldFits fits{};
    QPaintDevice* device = painter.device();
    if (device == nullptr)
        return fits;
    const QRect page(0, 0, device->width(), device->height());
    const auto boxes = fieldBoxes(page);
    const int dpiY = device->logicalDpiY();

    painter.save();
    if (picture != nullptr && !picture->isNull()) {
        const QRect box = pictureBox(page, picture->size());
        if (!box.isEmpty()) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(box, *picture);
        }
    }
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
