#pragma once
// Before a waybill is printed from a window: barcodes whose boxes cannot hold them readably
// are never printed; the user is told which, and decides whether the waybill goes without them.

#include "print/BarcodeDrawer.h"

#include <vector>

class QWidget;

namespace dorvane {

// True to print (nothing to tell, or the user said yes); false to print nothing.
bool ConfirmBarcodeFaults(QWidget* parent, const std::vector<BarcodeOutcome>& outcomes);

inline const char* const kBarcodeFaultQuestion = "以下条码打印出来无法扫描，将不打印：";
inline const char* const kPrintWithoutBarcode = "仍要打印快递单吗？";

} // namespace dorvane
