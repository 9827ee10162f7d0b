#include "print/WaybillPrinter.h"

#include "base/SettingsFiles.h"
#include "text/CodePageText.h"
#include "print/DriverPageSize.h"
#include "print/PrinterResolution.h"
#include "print/WaybillRenderer.h"

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace dorvane {

namespace {

void PrepareCommon(QPrinter& printer, const WaybillPrintSetup& setup)
{
    printer.setDocName(QString::fromUtf8(kPrintDocumentName));
    // Coordinates from the paper's own corner, not from the printer's margins: the form lies on
    // the paper at its true size wherever the printer can print.
    printer.setFullPage(true);
    printer.setCopyCount(1);
    SetupPrinterDevMode(printer, setup.paperWidth, setup.paperLength);
    // And no margins: Qt's Windows printing counts the page layout's margins (the printer's
    // unprintable ones, once the paper is set) into where the painter's origin lies even on the
    // full page, so every text would move right and down by them.
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

} // namespace

bool GetPrinterDevice(const QString& printerName)
{
    return !printerName.isEmpty() && QPrinterInfo::availablePrinterNames().contains(printerName);
}

bool ChosenPrinterGone(const std::string& printerName)
{
    return !printerName.empty() && printerName != kDefaultPrinterName &&
           !GetPrinterDevice(FromCodePage(printerName));
}

QString NoPrinterMessage(const std::string& printerName)
{
    return ChosenPrinterGone(printerName) ? QString::fromUtf8(kPrinterGoneMessage).arg(FromCodePage(printerName))
                                          : QString::fromUtf8(kNoPrinterMessage);
}

QString FindWaybillPrinter(std::string& printerName)
{
    QString name = FromCodePage(printerName);
    if (GetPrinterDevice(name))
        return name;
    if (ChosenPrinterGone(printerName))
        return {};
    name = QPrinterInfo::defaultPrinterName();
    printerName = ToCodePage(name);
    return GetPrinterDevice(name) ? name : QString();
}

bool SetupPrinterDevMode(QPrinter& printer, int paperWidth, int paperLength)
{
    const long long length = static_cast<long long>(paperLength) + kPaperExtraLength;
    if (paperWidth <= 0 || length <= 0)
        return false;
    const QPageSize size(QSizeF(paperWidth / 10.0, static_cast<double>(length) / 10.0), QPageSize::Millimeter,
                         QString(), QPageSize::ExactMatch);
    return printer.setPageSize(size);
}

void PrepareWaybillPrinter(QPrinter& printer, const QString& printerName, WaybillPrintSetup& setup)
{
    printer.setPrinterName(printerName);
    PrepareCommon(printer, setup);
    NamePaperForDriver(printer);
    if (setup.printerDpi == 0)
        setup.printerDpi = PrinterResolution(printerName);
}

void PrepareWaybillPdf(QPrinter& printer, const QString& pdfPath, const WaybillPrintSetup& setup)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    // A file has no unprintable border: the page is the whole paper.
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    PrepareCommon(printer, setup);
}

void PrepareMeasuringPrinter(QPrinter& printer, const std::string& settingsName, WaybillPrintSetup& setup)
{
    std::string printerName = settingsName;
    const QString name = FindWaybillPrinter(printerName);
    if (name.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        PrepareCommon(printer, setup);
    } else {
        PrepareWaybillPrinter(printer, name, setup);
    }
}

bool PrintWaybillOn(QPrinter& printer, const WaybillPrintSetup& setup,
                    const std::array<QString, kFieldCount>& texts, const FieldFontHeights* heights,
                    const QImage* picture)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    WaybillRenderer(setup).renderPage(painter, texts, heights, picture);
    return painter.end();
}

std::optional<PrintError> PrintUnloggedWaybill(std::string& printerName, WaybillPrintSetup setup,
                                               const std::array<QString, kFieldCount>& texts, const QImage* picture)
{
    if (picture != nullptr && picture->isNull())
        return PrintError{PrintFailure::NoPicture, QString::fromUtf8(kNoPictureMessage)};
    const QString name = FindWaybillPrinter(printerName);
    if (name.isEmpty())
        return PrintError{PrintFailure::NoPrinter, NoPrinterMessage(printerName)};
    QPrinter printer(QPrinter::HighResolution);
    PrepareWaybillPrinter(printer, name, setup);
    if (!PrintWaybillOn(printer, setup, texts, nullptr, picture))
        return PrintError{PrintFailure::NotPrinted, QStringLiteral("the printer %1 cannot start the job").arg(name)};
    return std::nullopt;
}

} // namespace dorvane
