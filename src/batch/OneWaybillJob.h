#pragma once
// One waybill from a window (the main window, its preview, the print log's reprint): a batch
// of one through the batch engine, on the printer of the settings, logged by the engine as
// every print is. The window asks its questions in beforePrint and tells what went wrong.

#include "batch/BatchPrinter.h"
#include "store/PrintLog.h"
#include "store/StoreLocation.h"
#include "print/WaybillPrintSetup.h"
#include "print/WaybillPrinter.h"
#include "template/WaybillField.h"

#include <QImage>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace dorvane {

struct OneWaybillJob {
    std::array<QString, kFieldCount> texts;
    WaybillPrintSetup setup;
    // A check print on plain paper, the template's picture (null when it has none) under the
    // texts: no waybill sent, never logged.
    bool checkPrint = false;
    QImage picture;
    BeforePrint beforePrint;
    // The print log the waybill goes into; none: not logged.
    std::optional<StoreLocation> logStore;
    QString templateName;
    std::string source = kLogSourceWindow;
    std::string waybillNumber; // code-page bytes; may be empty
    std::string orderNumber;
    std::function<std::string()> logTime;
    LogWriter logWriter;
};

struct OneWaybillPrinted {
    std::optional<QString> printer; // the printer that took the waybill; none: not printed
    std::optional<PrintError> error;
    // The log written at once (no logWriter) and failed: the waybill is printed all the same.
    std::optional<StoreError> logFailure;
};

// printerName: the settings' printer (code-page bytes), replaced in memory by the default
// printer's name while it is the first start's name, as FindWaybillPrinter does.
OneWaybillPrinted PrintOneWaybill(std::string& printerName, OneWaybillJob job);

} // namespace dorvane
