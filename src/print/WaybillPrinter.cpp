#include "print/WaybillPrinter.h"

#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "print/WaybillFitCheck.h"
#include "print/WaybillRenderer.h"
#include "template/TemplatePicture.h"
#include "template/TemplateStore.h"

#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QWidget>

namespace dorvane {

namespace {

int ScreenDpiY(const QWidget* parent)
{
    if (parent != nullptr)
        return parent->logicalDpiY();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return qRound(screen->logicalDotsPerInchY());
    return 96;
}

void PrepareCommon(QPrinter& printer, const WaybillPrintSetup& setup)
{
    printer.setDocName(QString::fromUtf8(kPrintDocumentName));
    // Coordinates from the paper's own corner, not from the printer's margins: the form lies on
    // the paper at its true size wherever the printer can print.
    printer.setFullPage(true);
    printer.setCopyCount(1);
    SetupPrinterDevMode(printer, setup.paperWidth, setup.paperLength);
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

void PrepareWaybillPrinter(QPrinter& printer, const QString& printerName, const WaybillPrintSetup& setup)
{
    printer.setPrinterName(printerName);
    PrepareCommon(printer, setup);
}

void PrepareWaybillPdf(QPrinter& printer, const QString& pdfPath, const WaybillPrintSetup& setup)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    // A file has no unprintable border: the page is the whole paper.
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    PrepareCommon(printer, setup);
}

void PrepareMeasuringPrinter(QPrinter& printer, const WaybillPrintSetup& setup)
{
    std::string printerName = App().PrinterName;
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

PrintedOn PrintWaybill(QWidget* parent, const std::array<QString, kFieldCount>& texts)
{
    return PrintWaybill(parent, texts, App().Layout);
}

PrintedOn PrintWaybill(QWidget* parent, const std::array<QString, kFieldCount>& texts, const TemplateLayout& layout,
                       const BeforePrint& beforePrint, const QImage* picture)
{
    Workspace& app = App();
    const QString printerName = FindWaybillPrinter(app.PrinterName);
    if (printerName.isEmpty()) {
        showMessage(parent, NoPrinterMessage(app.PrinterName), QString::fromUtf8(kAppTitle), MessageIcon::Warning);
        return std::nullopt;
    }
    const WaybillPrintSetup setup = MakePrintSetup(app, layout, ScreenDpiY(parent));
    QPrinter printer(QPrinter::HighResolution);
    PrepareWaybillPrinter(printer, printerName, setup);
    std::optional<FieldFontHeights> heights = FieldFontHeights{};
    if (beforePrint) {
        heights = beforePrint(WaybillFitCheck(setup, printer));
        if (!heights)
            return std::nullopt;
    }
    if (!PrintWaybillOn(printer, setup, texts, &*heights, picture))
        return std::nullopt;
    return printerName;
}

PrintedOn PrintWaybillWithPicture(QWidget* parent, const std::array<QString, kFieldCount>& texts,
                             const TemplateLayout& layout, const BeforePrint& beforePrint)
{
    const Workspace& app = App();
    const QImage picture = LoadPictureImage(PicturePath(app.WorkFolder, app.CurrentTemplate), "BMP");
    if (picture.isNull()) {
        showMessage(parent, QString::fromUtf8(kNoPictureMessage), QString::fromUtf8(kAppTitle));
        return std::nullopt;
    }
    return PrintWaybill(parent, texts, layout, beforePrint, &picture);
}

} // namespace dorvane
