#pragma once
// A waybill printed from a window: the print engine's job of one (OneWaybillJob) with the
// window's values, and what went wrong told in a message box.

#include "batch/BatchPrinter.h"
#include "store/StoreLocation.h"
#include "print/WaybillPrinter.h"
#include "template/WaybillField.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>

class QWidget;

namespace dorvane {

class TemplateLayout;
struct Workspace;

// Where a printed waybill is logged, and with what.
struct WindowLog {
    explicit WindowLog(StoreLocation where) : store(std::move(where)) {}
    StoreLocation store;
    QString templateName;
    std::string source;
    std::string waybillNumber; // code-page bytes
    std::string orderNumber;
    std::function<std::string()> time; // none: the local time
    LogWriter writer;                  // none: written at once, a failure told here
};

// The name of the printer that printed the waybill; none when nothing was printed: with a
// message when there is no printer or the chosen one has gone, without one when the page
// could not be started or beforePrint said no. The printer is app's PrinterName (or the
// default printer, whose name then replaces it in memory); the fonts, paper and adjustments
// are app's, the boxes the layout's (print rectangles computed).
using PrintedOn = std::optional<QString>;
PrintedOn PrintWaybill(QWidget* parent, Workspace& app, const std::array<QString, kFieldCount>& texts);
PrintedOn PrintWaybill(QWidget* parent, Workspace& app, const std::array<QString, kFieldCount>& texts,
                       const TemplateLayout& layout, const BeforePrint& beforePrint = {},
                       const WindowLog* log = nullptr);

// The check print: the current template's picture under the texts, not logged. The numbers
// print as the template's barcodes, as on the real print. Shows kNoPictureMessage and prints
// nothing when the template has no picture to draw.
PrintedOn PrintWaybillWithPicture(QWidget* parent, Workspace& app, const std::array<QString, kFieldCount>& texts,
                                  const TemplateLayout& layout, const BarcodeValues& numbers,
                                  const BeforePrint& beforePrint = {});

} // namespace dorvane
