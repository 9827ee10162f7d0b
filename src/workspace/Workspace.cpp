#include "workspace/Workspace.h"

#include "template/TemplateStore.h"

namespace dorvane {

PrintSettings Workspace::printSettings() const
{
    return {PrinterName, PrintOffsetX, PrintOffsetY, TextSpacingX, TextSpacingY};
}

void Workspace::setPrintSettings(const PrintSettings& s)
{
    PrinterName = s.printerName;
    PrintOffsetX = s.offsetX;
    PrintOffsetY = s.offsetY;
    TextSpacingX = s.spacingX;
    TextSpacingY = s.spacingY;
}

void Workspace::loadPrintSettings()
{
    const SettingsPaths paths = settingsPaths();
    EnsureSetFolder(paths);
    const PrintFonts fonts = LoadOrCreateFontSet(paths.fontSetIni);
    BodyFont = fonts.body;
    DestinationFont = fonts.destination;
    setPrintSettings(LoadOrCreateSetIni(paths.setIni));
    ShrinkCutText = LoadSwitchFile(paths.overflowIni);
    ClearRecipientAfterPrint = LoadSwitchFile(paths.afterPrintIni);
}

bool Workspace::loadCurrentLayout()
{
    // Read into an empty layout: a template of fewer rows keeps none of the previous one's boxes.
    TemplateLayout read;
    if (!LoadLayoutFile(LayoutPath(WorkFolder, CurrentTemplate), read))
        return false;
    Layout = std::move(read);
    const PrintScales scales = ComputePrintScales(Layout);
    PrintScaleX = scales.x;
    PrintScaleY = scales.y;
    PaperWidth = Layout.paperWidth();
    PaperLength = Layout.paperLength();
    ComputePrintRects(Layout, scales);
    return true;
}

} // namespace dorvane
