#include "print/PrinterResolution.h"


#ifdef DORVANE_HAS_CUPS
#include <cups/cups.h>
#endif

namespace dorvane {

namespace {

int AskPrinter(const QString& printerName)
{
#ifdef DORVANE_HAS_CUPS
    const QByteArray name = printerName.toUtf8();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (dest == nullptr)
        return 0;
    int dpi = 0;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        ipp_attribute_t* attr = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution");
        if (attr != nullptr && ippGetValueTag(attr) == IPP_TAG_RESOLUTION) {
            int y = 0;
            ipp_res_t units = IPP_RES_PER_INCH;
            const int x = ippGetResolution(attr, 0, &y, &units);
            dpi = units == IPP_RES_PER_CM ? static_cast<int>(x * 2.54 + 0.5) : x;
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
    return dpi;
#else
    Q_UNUSED(printerName);
    return 0;
#endif
}

} // namespace

int PrinterResolution(const QString& printerName)
{
    return printerName.isEmpty() ? 0 : AskPrinter(printerName);
}

} // namespace dorvane
