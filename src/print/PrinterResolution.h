#pragma once
// The resolution a printer really prints at. Qt draws every printer job at 1200 dpi and
// leaves the rasterising to the spooler's driver; a label printer then prints at its own
// 203 or 300 dpi, and a barcode's modules must be whole dots of that.

#include <QString>

namespace dorvane {

// The printer's default resolution in dots per inch as its driver states it (CUPS); 0 when
// unknown (a raw queue, a PDF file, a system without CUPS). Each call asks the spooler.
int PrinterResolution(const QString& printerName);

} // namespace dorvane
