#pragma once
// The calibration sheet as a print job: the waybill's job (same document set-up, paper and
// field placement) drawing the sheet instead of the texts.

#include "print/WaybillPrinter.h"

#include <QString>

#include <optional>
#include <string>

class QPainter;
class QPrinter;

namespace dorvane {

struct CalibrationSheet;
struct WaybillPrintSetup;

inline const char* const kCalibrationDocumentName = "打印校准";

// Paints a laid-out sheet; the font is the body print font's family at the sheet's text height.
void DrawCalibrationSheet(QPainter& painter, const CalibrationSheet& sheet, const WaybillPrintSetup& setup);

// One page on a printer prepared for the waybill job (PrepareWaybillPrinter or
// PrepareWaybillPdf); false when the page could not be started.
bool PrintCalibrationSheetOn(QPrinter& printer, const WaybillPrintSetup& setup);

// The sheet laid out by setup on the printer in use: printerName (the settings' name, code-page
// bytes; replaced in memory by the default printer's while it is the first start's name, as
// FindWaybillPrinter does). What went wrong; none when the sheet was printed.
std::optional<PrintError> PrintCalibrationSheet(std::string& printerName, WaybillPrintSetup setup);

} // namespace dorvane
