#include "settings/PrinterAdjustments.h"

namespace dorvane {

PrintSettings AdjustmentsFor(const SettingsPaths& paths, const PrintSettings& inUse, const std::string& printerName)
{
    PrintSettings settings = inUse;
    if (printerName != inUse.printerName) {
        if (auto remembered = LoadPrinterAdjustments(paths.offsetsIni, printerName))
            settings = *remembered;
    }
    settings.printerName = printerName;
    return settings;
}

SaveFailure ChoosePrinter(const SettingsPaths& paths, PrintSettings& inUse, const std::string& printerName)
{
    SaveFailure failure;
    bool switchAdjustments = false;
    if (printerName != inUse.printerName) {
        // An empty name is no printer to remember for.
        const bool remembered = inUse.printerName.empty() || SavePrinterAdjustments(paths.offsetsIni, inUse);
        if (remembered) {
            const PrintSettings chosen = AdjustmentsFor(paths, inUse, printerName);
            switchAdjustments = AdjustmentsLine(chosen) != AdjustmentsLine(inUse);
            inUse = chosen;
        } else {
            failure = kOffsetsIniName;
        }
    }
    inUse.printerName = printerName;
    if (!SavePrinterName(paths.setIni, printerName) || (switchAdjustments && !SaveAdjustments(paths.setIni, inUse)))
        failure = kSetIniName;
    return failure;
}

SaveFailure SaveInUseAdjustments(const SettingsPaths& paths, const PrintSettings& inUse)
{
    if (!SaveAdjustments(paths.setIni, inUse))
        return kSetIniName;
    if (!inUse.printerName.empty() && !SavePrinterAdjustments(paths.offsetsIni, inUse))
        return kOffsetsIniName;
    return {};
}

SaveFailure StoreMeasuredOffsets(const SettingsPaths& paths, PrintSettings& inUse, const std::string& printerName,
                                 std::int32_t offsetX, std::int32_t offsetY)
{
    if (printerName == inUse.printerName) {
        inUse.offsetX = offsetX;
        inUse.offsetY = offsetY;
        return SaveInUseAdjustments(paths, inUse);
    }
    PrintSettings settings = AdjustmentsFor(paths, inUse, printerName);
    settings.offsetX = offsetX;
    settings.offsetY = offsetY;
    return SavePrinterAdjustments(paths.offsetsIni, settings) ? SaveFailure() : SaveFailure(kOffsetsIniName);
}

} // namespace dorvane
