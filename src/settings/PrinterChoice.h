#pragma once
// A waybill printer the user chose that has gone (unplugged, renamed, removed) is not swapped
// for another without a word: the user is told its name and picks the printer to use.

class QWidget;

namespace dorvane {

struct Workspace;

// %1: the printer's name.
inline const char* const kChoosePrinterMessage =
    "找不到打印机“%1”（可能已拔出、改名或删除），请选择要使用的打印机。";

// True when the printer in the settings can be printed on: it exists, or it is still the first
// start's name and the system's default printer stands in. Otherwise names the gone printer,
// opens the printer choice and tells whether a printer that exists was chosen there.
bool EnsureChosenPrinter(Workspace& workspace, QWidget* parent);

} // namespace dorvane
