#include "print/CalibrationPrinter.h"

#include "base/PrintFontConversion.h"
#include "print/CalibrationSheet.h"
#include "print/WaybillPrintSetup.h"
#include "print/WaybillPrinter.h"
#include "print/WaybillRenderer.h"

#include <QPainter>
#include <QPen>
#include <QPrinter>

#include <cmath>

namespace dorvane {

void DrawCalibrationSheet(QPainter& painter, const CalibrationSheet& sheet, const WaybillPrintSetup& setup)
{
    painter.save();
    painter.setPen(QPen(Qt::black, sheet.lineWidth, Qt::SolidLine, Qt::FlatCap));
    for (const SheetLine& line : sheet.lines)
        painter.drawLine(line.x1, line.y1, line.x2, line.y2);
    painter.setFont(ToPrintQFont(setup.bodyFont, sheet.textHeight));
    const int ascent = painter.fontMetrics().ascent();
    for (const SheetText& text : sheet.texts)
        painter.drawText(QPoint(text.x, text.y + ascent), QString::fromUtf8(text.text));
    painter.restore();
}

bool PrintCalibrationSheetOn(QPrinter& printer, const WaybillPrintSetup& setup)
{
    printer.setDocName(QString::fromUtf8(kCalibrationDocumentName));
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The rulers count from the paper's edges; only what the printer can print on is drawn.
    const DevicePaper paper = PaperOf(printer);
    const QRect printable =
        paper.printable.toAlignedRect().intersected(QRect(0, 0, printer.width(), printer.height()));
    SheetDevice device;
    device.page = {printable.left(), printable.top(), printable.left() + printable.width(),
                   printable.top() + printable.height()};
    device.paperLeft = static_cast<int>(std::lround(paper.scale.originX));
    device.paperTop = static_cast<int>(std::lround(paper.scale.originY));
    device.dotsPerMmX = printer.logicalDpiX() / 25.4;
    device.dotsPerMmY = printer.logicalDpiY() / 25.4;
    DrawCalibrationSheet(painter, LayOutCalibrationSheet(setup, device), setup);
    return painter.end();
}

std::optional<PrintError> PrintCalibrationSheet(std::string& printerName, WaybillPrintSetup setup)
{
    const QString name = FindWaybillPrinter(printerName);
    if (name.isEmpty())
        return PrintError{PrintFailure::NoPrinter, NoPrinterMessage(printerName)};
    QPrinter printer(QPrinter::HighResolution);
    PrepareWaybillPrinter(printer, name, setup);
    if (!PrintCalibrationSheetOn(printer, setup))
        return PrintError{PrintFailure::NotPrinted, QStringLiteral("the printer %1 cannot start the job").arg(name)};
    return std::nullopt;
}

} // namespace dorvane
