#pragma once
// The waybill print job: one document "打印快递单" of one page, on the printer named in the
// settings or, while that is still the first start's name, on the system's default printer.

#include "print/WaybillRenderer.h"
#include "template/WaybillField.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <string>

class QImage;
class QPrinter;

namespace dorvane {

class WaybillFitCheck;
struct WaybillPrintSetup;

// Asked once the printer is known and before the job starts, with the check measured on that
// printer: the font heights to print with, or none to print nothing.
using BeforePrint = std::function<std::optional<FieldFontHeights>(const WaybillFitCheck&)>;

inline const char* const kPrintDocumentName = "打印快递单";
inline const char* const kNoPrinterMessage = "获取打印机失败，请确认打印机硬件及驱动程序是否已安装好！";
// %1: the printer's name.
inline const char* const kPrinterGoneMessage = "找不到打印机“%1”（可能已拔出、改名或删除），没有打印。";

// True when the system has a printer of this name.
bool GetPrinterDevice(const QString& printerName);

// The printer to use for printerName (code-page bytes): that printer when it exists. While
// printerName is empty or still the first start's default name, the system's default printer,
// whose name then replaces printerName (in memory only). Empty when there is none, and when
// printerName is a printer the user chose that has gone: that one is never swapped silently.
QString FindWaybillPrinter(std::string& printerName);
// True when printerName names a printer the user chose that the system no longer has.
bool ChosenPrinterGone(const std::string& printerName);
// What to tell when FindWaybillPrinter found none for printerName.
QString NoPrinterMessage(const std::string& printerName);

// Paper of paperWidth by paperLength + 4 mm (both in 0.1 mm), user-defined. A size that is not
// positive, or that the printer refuses, leaves the printer's own paper. False then.
bool SetupPrinterDevMode(QPrinter& printer, int paperWidth, int paperLength);

// A printer for a waybill job on the named system printer, or into a PDF file: paper and
// document name set, coordinates in device pixels from the paper's top-left corner. On a
// system printer the setup is given the printer's own resolution (printerDpi) unless it has
// one: the spooler is asked once a job, not once a page.
void PrepareWaybillPrinter(QPrinter& printer, const QString& printerName, WaybillPrintSetup& setup);
void PrepareWaybillPdf(QPrinter& printer, const QString& pdfPath, const WaybillPrintSetup& setup);
// A printer prepared as the next job on printerName (the settings' name, code-page bytes; or
// the default printer) would be, to measure texts on before printing; a PDF printer when the
// system has none. printerName is not changed, and the printer is never begun.
void PrepareMeasuringPrinter(QPrinter& printer, const std::string& printerName, WaybillPrintSetup& setup);

// The check print's texts on plain paper need the template's picture under them.
inline const char* const kNoPictureMessage = "当前模板没有可用的底图，无法带底图打印！";

// What kept a waybill from the paper.
enum class PrintFailure {
    NoPrinter,  // no printer, or the one the user chose has gone: the message says which
    NoPicture,  // a check print, and the template has no picture to draw
    Declined,   // beforePrint said no: the user was asked already
    NotPrinted, // the printer could not start or finish the job, or the spooler refused it
};
struct PrintError {
    PrintFailure kind = PrintFailure::NotPrinted;
    QString message; // the system's own message for NoPrinter and NoPicture; the detail otherwise
    // Whether a window tells it: only the printer and the picture; the others were asked or
    // are not told.
    bool told() const { return kind == PrintFailure::NoPrinter || kind == PrintFailure::NoPicture; }
};

// One page into one painter's device: the job after the printer is prepared.
bool PrintWaybillOn(QPrinter& printer, const WaybillPrintSetup& setup,
                    const std::array<QString, kFieldCount>& texts, const FieldFontHeights* heights = nullptr,
                    const QImage* picture = nullptr);

// One waybill on the settings' printer (printerName as PrepareMeasuringPrinter takes it, replaced
// in memory as FindWaybillPrinter does), nothing asked and nothing logged: what a preview
// opened without the main window prints. With a picture the check print, refused when the
// picture is null. The windows print through the batch engine (batch/OneWaybillJob.h). What
// went wrong; none when the page went to the printer.
std::optional<PrintError> PrintUnloggedWaybill(std::string& printerName, WaybillPrintSetup setup,
                                               const std::array<QString, kFieldCount>& texts,
                                               const QImage* picture = nullptr);

} // namespace dorvane
