#include "app/AppValues.h"

namespace dorvane {

AppValues& App()
{
    static AppValues values;
    return values;
}

PrintSettings AppValues::printSettings() const
{
    return {PrinterName, PrintOffsetX, PrintOffsetY, TextSpacingX, TextSpacingY};
}

void AppValues::setPrintSettings(const PrintSettings& s)
{
    PrinterName = s.printerName;
    PrintOffsetX = s.offsetX;
    PrintOffsetY = s.offsetY;
    TextSpacingX = s.spacingX;
    TextSpacingY = s.spacingY;
}

} // namespace dorvane
