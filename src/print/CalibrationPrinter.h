#pragma once
// The calibration sheet as a print job: the waybill's job (same document set-up, paper and
// field placement) drawing the sheet instead of the texts.

#include <QString>

class QPainter;
class QPrinter;
class QWidget;

namespace dorvane {

struct CalibrationSheet;
struct WaybillPrintSetup;

inline const char* const kCalibrationDocumentName = "打印校准";

// Paints a laid-out sheet; the font is the body print font's family at the sheet's text height.
void DrawCalibrationSheet(QPainter& painter, const CalibrationSheet& sheet, const WaybillPrintSetup& setup);

// One page on a printer prepared for the waybill job (PrepareWaybillPrinter or
// PrepareWaybillPdf); false when the page could not be started.
bool PrintCalibrationSheetOn(QPrinter& printer, const WaybillPrintSetup& setup);

// The sheet of the current template on the printer in use (App().PrinterName, else the
// default printer). Shows the failure message and returns false when there is no printer.
bool PrintCalibrationSheet(QWidget* parent);

} // namespace dorvane
