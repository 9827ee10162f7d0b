#include "print/PrinterResolution.h"

#include <QHash>
#include <QMutex>
#include <QPrinter>

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
    if (printerName.isEmpty())
        return 0;
    // Asked once a run for each printer: pages of a batch need not ask the spooler again.
    static QMutex mutex;
    static QHash<QString, int> known;
    QMutexLocker lock(&mutex);
    const auto found = known.constFind(printerName);
    if (found != known.constEnd())
        return *found;
    const int dpi = AskPrinter(printerName);
    known.insert(printerName, dpi);
    return dpi;
}

int DeviceResolution(const QPaintDevice& device)
{
    const auto* printer = dynamic_cast<const QPrinter*>(&device);
    if (printer == nullptr || printer->outputFormat() != QPrinter::NativeFormat)
        return 0;
    return PrinterResolution(printer->printerName());
}

} // namespace dorvane
