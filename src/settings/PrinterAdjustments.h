#pragma once
// The print adjustments belong to a printer: set.ini's line 2 holds those of the printer in
// use, offsets.ini remembers every printer's. A printer with nothing remembered (never
// calibrated, never left) takes line 2 as it is, as before offsets.ini existed.

#include "base/SettingsFiles.h"

#include <cstdint>
#include <string>

namespace dorvane {

// What the saving functions could not write: "Set/set.ini" or "Set/offsets.ini", empty when
// everything was saved. The values in memory change either way.
using SaveFailure = std::string;
inline constexpr const char* kSetIniName = "Set/set.ini";
inline constexpr const char* kOffsetsIniName = "Set/offsets.ini";

// The adjustments printerName prints with while inUse (set.ini) is in use: line 2 for the
// printer in use, else that printer's remembered ones, else line 2. The name is printerName.
PrintSettings AdjustmentsFor(const SettingsPaths& paths, const PrintSettings& inUse, const std::string& printerName);

// Puts printerName in use and writes set.ini: the adjustments of the printer left are
// remembered first, then the chosen printer's remembered ones, if any, replace line 2. When
// the printer left cannot be remembered, line 2 stays rather than be lost.
SaveFailure ChoosePrinter(const SettingsPaths& paths, PrintSettings& inUse, const std::string& printerName);

// Writes line 2 and remembers it for the printer in use.
SaveFailure SaveInUseAdjustments(const SettingsPaths& paths, const PrintSettings& inUse);

// Offsets measured on printerName's calibration sheet, in tenths of a millimetre. The sheet is
// printed at offset zero, so the measured move is the offset itself: it replaces the printer's
// offsets, its spacings stay. For the printer in use line 2 changes too; another printer's
// are only remembered.
SaveFailure StoreMeasuredOffsets(const SettingsPaths& paths, PrintSettings& inUse, const std::string& printerName,
                                 std::int32_t offsetX, std::int32_t offsetY);

} // namespace dorvane
