#include "print/DriverPageSize.h"

#include <QPageLayout>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringList>
#include <QVariant>

namespace dorvane {

namespace {

// The print engine's property that carries CUPS job options as name, value pairs.
constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

} // namespace

void NamePaperForDriver(QPrinter& printer)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (printer.outputFormat() != QPrinter::NativeFormat || printer.printEngine() == nullptr)
        return;
    if (!QPrinterInfo(printer).supportsCustomPageSizes())
        return;
    const QSizeF mm = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    if (mm.isEmpty())
        return;
    QStringList options = printer.printEngine()->property(kCupsOptions).toStringList();
    for (qsizetype i = 0; i + 1 < options.size(); i += 2) {
        if (options.at(i) == QStringLiteral("PageSize")) {
            options.remove(i, 2);
            break;
        }
    }
    options << QStringLiteral("PageSize")
            << QStringLiteral("Custom.%1x%2mm").arg(mm.width(), 0, 'f', 1).arg(mm.height(), 0, 'f', 1);
    printer.printEngine()->setProperty(kCupsOptions, options);
#else
    Q_UNUSED(printer);
#endif
}

} // namespace dorvane
