#include "batch/OneWaybillJob.h"

#include "text/CodePageText.h"

#include <utility>

namespace dorvane {

OneWaybillPrinted PrintOneWaybill(std::string& printerName, OneWaybillJob one)
{
    OneWaybillPrinted result;
    // The picture is looked for before the printer: without it there is no check print to send.
    if (one.checkPrint && one.picture.isNull()) {
        result.error = PrintError{PrintFailure::NoPicture, QString::fromUtf8(kNoPictureMessage)};
        return result;
    }
    const QString printer = FindWaybillPrinter(printerName);
    if (printer.isEmpty()) {
        result.error = PrintError{PrintFailure::NoPrinter, NoPrinterMessage(printerName)};
        return result;
    }
    BatchJob job;
    job.setup = std::move(one.setup);
    FieldTexts texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = ToCodePage(one.texts[i]);
    job.records.emplace_back(1, std::move(texts));
    job.printerName = printer;
    // The numbers print as the template's barcodes on a check print too; only the log is left out.
    job.waybillNumbers = {std::move(one.waybillNumber)};
    job.orderNumbers = {std::move(one.orderNumber)};
    if (one.checkPrint)
        job.picture = std::move(one.picture);
    else
        job.logStore = std::move(one.logStore);
    job.templateName = std::move(one.templateName);
    job.source = std::move(one.source);
    job.logTime = std::move(one.logTime);
    job.logWriter = std::move(one.logWriter);
    job.beforePrint = std::move(one.beforePrint);

    BatchPrinter engine(std::move(job));
    if (!engine.check() || !engine.print({})) {
        result.error = PrintError{engine.declined() ? PrintFailure::Declined : PrintFailure::NotPrinted, engine.error()};
        return result;
    }
    result.printer = printer;
    result.logFailure = engine.logFailure();
    return result;
}

} // namespace dorvane
