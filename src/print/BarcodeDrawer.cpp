#include "print/BarcodeDrawer.h"

#include "template/WaybillField.h"

#include <QFont>
#include <QPaintDevice>
#include <QPainter>

namespace dorvane {

double DevicePerDot(const QPaintDevice& device, int printerDpi)
{
    const int deviceDpi = device.logicalDpiX();
    if (printerDpi <= 0 || printerDpi >= deviceDpi)
        return 1.0;
    return static_cast<double>(deviceDpi) / printerDpi;
}

PlacedBarcode PlaceBarcodeIn(const BarcodeField& field, const QString& content, const QRectF& box,
                             double devicePerDot)
{
    PlacedBarcode placed;
    const QByteArray utf8 = content.toUtf8();
    placed.symbol = EncodeBarcode(field.symbology, field.humanReadable,
                                  std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    placed.placement =
        PlaceBarcode(placed.symbol, box.left(), box.top(), box.width(), box.height(), devicePerDot);
    return placed;
}

void DrawBarcode(QPainter& painter, const PlacedBarcode& placed)
{
    const BarcodeSymbol& symbol = placed.symbol;
    const BarcodePlacement& place = placed.placement;
    if (!symbol.ok() || !place.fits())
        return;
    painter.save();
    // Crisp edges: a module's edge on a dot's edge, never blended over the next one.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const double module = place.module;
    for (const SymbolRect& rect : symbol.rects) {
        if (symbol.symbology == Symbology::QrCode)
            painter.drawRect(QRectF(place.left + rect.x * module, place.top + rect.y * module,
                                    rect.width * module, rect.height * module));
        else
            painter.drawRect(QRectF(place.left + rect.x * module, place.top + rect.y * place.barHeight,
                                    rect.width * module, rect.height * place.barHeight));
    }
    if (!symbol.text.empty() && place.textHeight > 0) {
        QFont font(QStringLiteral("DejaVu Sans Mono"));
        font.setStyleHint(QFont::Monospace);
        font.setPixelSize(std::max(1, static_cast<int>(place.textHeight * 0.8)));
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QRectF line(place.left, place.top + place.barHeight, place.width, place.textHeight);
        painter.drawText(line, Qt::AlignHCenter | Qt::AlignBottom,
                         QString::fromUtf8(symbol.text.data(), static_cast<qsizetype>(symbol.text.size())));
    }
    painter.restore();
}

QString BarcodeName(const BarcodeField& field)
{
    const QString kind =
        field.symbology == Symbology::QrCode ? QStringLiteral("二维码") : QStringLiteral("条码");
    switch (field.source) {
    case BarcodeSource::WaybillNumber:
        return kind + QStringLiteral("（运单号）");
    case BarcodeSource::OrderNumber:
        return kind + QStringLiteral("（订单号）");
    case BarcodeSource::Field:
        break;
    }
    if (field.field < 0 || field.field >= kFieldCount)
        return kind;
    const std::string_view name = kWaybillFields[static_cast<std::size_t>(field.field)].name;
    return kind + QStringLiteral("（") + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) +
           QStringLiteral("）");
}

QString DescribeBarcodeFault(const BarcodeOutcome& outcome)
{
    switch (outcome.fault) {
    case BarcodeFault::None:
        return {};
    case BarcodeFault::CannotEncode:
        return QStringLiteral("%1无法编码，不打印：%2").arg(BarcodeName(outcome.field), outcome.content);
    case BarcodeFault::TooNarrow:
        return QStringLiteral("%1的框太窄，条码印不清，不打印：%2")
            .arg(BarcodeName(outcome.field), outcome.content);
    case BarcodeFault::TooShort:
        return QStringLiteral("%1的框太矮，条码印不清，不打印：%2")
            .arg(BarcodeName(outcome.field), outcome.content);
    }
    return {};
}

} // namespace dorvane
