#include "print/WaybillRenderer.h"

#include "base/PrintFontConversion.h"
#include "print/PrinterResolution.h"
#include "print/TextBoxDrawer.h"

#include <QImage>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

namespace dorvane {

namespace {

PageMapping MapPage(const WaybillPrintSetup& setup, const QPaintDevice& device)
{
    return MapFormToPaper(PaperOf(device).scale, setup.formWidth, setup.formHeight, setup.adjust);
}

QRect ToQRect(const PixelRect& r)
{
    return QRect(QPoint(r.left, r.top), QSize(r.width(), r.height()));
}

} // namespace

DevicePaper PaperOf(const QPaintDevice& device)
{
    constexpr double kTenthsPerInch = 254.0;
    DevicePaper paper;
    paper.scale.dotsPerTenthX = device.logicalDpiX() / kTenthsPerInch;
    paper.scale.dotsPerTenthY = device.logicalDpiY() / kTenthsPerInch;
    paper.printable = QRectF(0, 0, device.width(), device.height());
    const auto* paged = dynamic_cast<const QPagedPaintDevice*>(&device);
    if (paged == nullptr)
        return paper;
    const QPageLayout layout = paged->pageLayout();
    const int resolution = device.logicalDpiX();
    // Device pixels count from the corner of the layout's paint area: the paper's own corner in
    // full-page mode, the margins' inner corner otherwise.
    const QPoint corner = layout.paintRectPixels(resolution).topLeft();
    paper.scale.originX = -corner.x();
    paper.scale.originY = -corner.y();
    QPageLayout printable = layout;
    printable.setMode(QPageLayout::StandardMode);
    printable.setMargins(layout.minimumMargins());
    paper.printable = QRectF(printable.paintRectPixels(resolution).translated(-corner));
    return paper;
}

QRect WaybillRenderer::pictureBox(const QPaintDevice& device, const QSize& picture) const
{
    const PageMapping mapping = MapPage(setup_, device);
    if (!mapping.valid)
        return {};
    return ToQRect(MapFieldRect(mapping, PictureRectOnForm(setup_.formWidth, setup_.formHeight, setup_.pictureWidth,
                                                           setup_.pictureHeight, picture.width(),
                                                           picture.height())));
}

std::array<QRect, kFieldCount> WaybillRenderer::fieldBoxes(const QPaintDevice& device) const
{
    const PageMapping mapping = MapPage(setup_, device);
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
    const bool destination = field == kDestinationField;
    const LogFont& font = destination ? setup_.destinationFont : setup_.bodyFont;
    QFont printed = ToQFont(font, height > 0 ? height : deviceFontHeight(font, deviceDpiY));
    // Looked up once a renderer: a batch and its fit check ask for fonts on every page.
    QString& family = printFamilies_[destination ? 1 : 0];
    if (family.isEmpty())
        family = PrintFamily(font);
    printed.setFamily(family);
    return printed;
}

std::vector<std::pair<BarcodeOutcome, PlacedBarcode>>
WaybillRenderer::placeBarcodes(const QPaintDevice& device, const std::array<QString, kFieldCount>& texts,
                               const BarcodeValues* values) const
{
    std::vector<std::pair<BarcodeOutcome, PlacedBarcode>> placed;
    if (setup_.barcodes.empty())
        return placed;
    const PageMapping mapping = MapPage(setup_, device);
    const double perDot = DevicePerDot(device, setup_.printerDpi);
    const BarcodeValues none;
    const BarcodeValues& numbers = values ? *values : none;
    for (const BarcodeBox& box : setup_.barcodes) {
        BarcodeOutcome outcome;
        outcome.field = box.field;
        outcome.content = BarcodeContent(box.field, texts, numbers.waybillNumber, numbers.orderNumber);
        if (outcome.content.isEmpty() || !mapping.valid)
            continue;
        const PixelRect rect = MapFieldRect(mapping, box.printRect);
        PlacedBarcode symbol =
            PlaceBarcodeIn(box.field, outcome.content, QRectF(rect.left, rect.top, rect.width(), rect.height()), perDot);
        outcome.fault = symbol.placement.fault;
        placed.emplace_back(std::move(outcome), std::move(symbol));
    }
    return placed;
}

FieldFits WaybillRenderer::renderPage(QPainter& painter, const std::array<QString, kFieldCount>& texts,
                                      const FieldFontHeights* heights, const QImage* picture,
                                      const BarcodeValues* values, std::vector<BarcodeOutcome>* barcodes) const
{
    FieldFits fits{};
    QPaintDevice* device = painter.device();
    if (device == nullptr)
        return fits;
    const auto boxes = fieldBoxes(*device);
    const int dpiY = device->logicalDpiY();

    painter.save();
    if (picture != nullptr && !picture->isNull()) {
        const QRect box = pictureBox(*device, picture->size());
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
    for (const auto& [outcome, placed] : placeBarcodes(*device, texts, values)) {
        DrawBarcode(painter, placed);
        if (barcodes)
            barcodes->push_back(outcome);
    }
    painter.restore();
    return fits;
}

} // namespace dorvane
