#include "batch/WindowPrint.h"

#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "batch/OneWaybillJob.h"
#include "store/AddressBook.h"
#include "template/TemplatePicture.h"
#include "template/TemplateStore.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace dorvane {

namespace {

int ScreenDpiY(const QWidget* parent)
{
    if (parent != nullptr)
        return parent->logicalDpiY();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return qRound(screen->logicalDotsPerInchY());
    return 96;
}

PrintedOn Print(QWidget* parent, Workspace& app, OneWaybillJob job)
{
    const OneWaybillPrinted printed = PrintOneWaybill(app.PrinterName, std::move(job));
    if (printed.error && printed.error->told()) {
        showMessage(parent, printed.error->message, QString::fromUtf8(kAppTitle),
                    printed.error->kind == PrintFailure::NoPrinter ? MessageIcon::Warning : MessageIcon::None);
    }
    if (printed.logFailure) {
        showMessage(parent,
                    QStringLiteral("快递单已打印，但打印记录无法保存：\n") + FromCodePage(UserMessage(*printed.logFailure)),
                    QString::fromUtf8(kAppTitle), MessageIcon::Warning);
    }
    return printed.printer;
}

} // namespace

PrintedOn PrintWaybill(QWidget* parent, Workspace& app, const std::array<QString, kFieldCount>& texts)
{
    return PrintWaybill(parent, app, texts, app.Layout);
}

PrintedOn PrintWaybill(QWidget* parent, Workspace& app, const std::array<QString, kFieldCount>& texts,
                       const TemplateLayout& layout, const BeforePrint& beforePrint, const WindowLog* log)
{
    OneWaybillJob job;
    job.texts = texts;
    job.setup = MakePrintSetup(app, layout, ScreenDpiY(parent));
    job.beforePrint = beforePrint;
    if (log != nullptr) {
        job.logStore = log->store;
        job.templateName = log->templateName;
        job.source = log->source;
        job.waybillNumber = log->waybillNumber;
        job.orderNumber = log->orderNumber;
        job.logTime = log->time;
        job.logWriter = log->writer;
    }
    return Print(parent, app, std::move(job));
}

PrintedOn PrintWaybillWithPicture(QWidget* parent, Workspace& app, const std::array<QString, kFieldCount>& texts,
                                  const TemplateLayout& layout, const BarcodeValues& numbers,
                                  const BeforePrint& beforePrint)
{
    OneWaybillJob job;
    job.texts = texts;
    job.setup = MakePrintSetup(app, layout, ScreenDpiY(parent));
    job.beforePrint = beforePrint;
    job.waybillNumber = ToCodePage(numbers.waybillNumber);
    job.orderNumber = ToCodePage(numbers.orderNumber);
    job.checkPrint = true;
    job.picture = LoadPictureImage(PicturePath(app.WorkFolder, app.CurrentTemplate), "BMP");
    return Print(parent, app, std::move(job));
}

} // namespace dorvane
