#include "cli/CliCommands.h"

#include "address/ClipboardAddress.h"
#include "base/PrintFontConversion.h"
#include "batch/BatchPrinter.h"
#include "batch/OrderTable.h"
#include "batch/WaybillCsv.h"
#include "cli/CliOutput.h"
#include "print/CalibrationPrinter.h"
#include "print/WaybillPrinter.h"
#include "settings/PrintSetValues.h"
#include "settings/PrinterAdjustments.h"
#include "store/AddressBook.h"
#include "store/PrintLog.h"
#include "store/StoreCopy.h"
#include "store/StoreLocation.h"
#include "template/BarcodeField.h"
#include "template/TemplateLayout.h"
#include "template/TemplateList.h"
#include "template/TemplatePicture.h"
#include "template/TemplateStore.h"
#include "text/CodePageText.h"
#include "text/TextEncoding.h"
#include "text/TextFile.h"
#include "workspace/Workspace.h"
#ifdef DORVANE_HAS_RECOGNITION
#include "recognition/FormRecognizer.h"
#endif

#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QPrinter>
#include <QScreen>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>

namespace dorvane {

namespace {

QString Utf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int Fail(const QString& message)
{
    WriteError(QStringLiteral("dorvane-cli: ") + message + QLatin1Char('\n'));
    return kExitError;
}

// The work folder and the print settings, as the main program takes them at start.
void LoadWorkFolder(Workspace& app)
{
    app.WorkFolder = std::filesystem::path(QDir::currentPath().toStdU16String());
    if (NarrowDatabaseIni(DatabaseIniPath(app.WorkFolder)))
        WriteError(QString::fromUtf8(kDatabaseIniNarrowedNote) + QLatin1Char('\n'));
    app.loadPrintSettings();
}

// The current template's position in the sorted list: mould.ini line 1, the first template
// when the stored position is past the list.
int CurrentTemplateIndex(const Workspace& app, const std::vector<TemplateEntry>& templates)
{
    const MouldSettings mould = LoadOrCreateMould(app.settingsPaths().mouldIni);
    return TemplateIndexFromPosition(mould.templatePosition, static_cast<int>(templates.size()));
}

// Reads the template's layout into the program's values; false when its file is gone.
bool LoadLayout(Workspace& app, const TemplateEntry& entry)
{
    app.CurrentTemplate = entry.fileName;
    return app.loadCurrentLayout();
}

// Why the template's layout file was refused, naming the file.
QString LayoutRefusal(const Workspace& app, const TemplateEntry& entry)
{
    const std::filesystem::path path = LayoutPath(app.WorkFolder, entry.fileName);
    const QString file = QStringLiteral("dataM/%1.dat").arg(FromCodePage(entry.fileName));
    switch (CheckLayoutFile(path)) {
    case LayoutFileFault::NoHeader:
        return QStringLiteral("the layout file %1 of the template \"%2\" is cut short: it has no header row")
            .arg(file, entry.name);
    case LayoutFileFault::NoFieldRows:
        return QStringLiteral("the layout file %1 of the template \"%2\" is cut short: it has no field rows")
            .arg(file, entry.name);
    case LayoutFileFault::CutInRow:
        return QStringLiteral(
                   "the layout file %1 of the template \"%2\" is cut short: its last row is incomplete")
            .arg(file, entry.name);
    case LayoutFileFault::TooLong:
        return QStringLiteral("the layout file %1 of the template \"%2\" is damaged: it is over 64 KB")
            .arg(file, entry.name);
    default:
        return QStringLiteral("the layout file %1 of the template \"%2\" cannot be read")
            .arg(file, entry.name);
    }
}

int ScreenDpiY()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return qRound(screen->logicalDotsPerInchY());
    return 96;
}

// One line per field cut (or too long for any font), on standard error.
void WriteCuts(const std::vector<FieldCut>& cuts)
{
    QString text;
    for (const FieldCut& cut : cuts)
        text += cut.line() + QLatin1Char('\n');
    if (!text.isEmpty())
        WriteError(text);
}

std::optional<std::string> ReadAll(std::istream& input)
{
    std::string bytes(std::istreambuf_iterator<char>(input), {});
    if (input.bad())
        return std::nullopt;
    return bytes;
}

// The settings in use, named after the printer that really prints them (the default printer
// when set.ini's is gone).
PrintSettings InUse(const Workspace& app)
{
    PrintSettings inUse = app.printSettings();
    std::string name = inUse.printerName;
    if (!FindWaybillPrinter(name).isEmpty())
        inUse.printerName = name;
    return inUse;
}

// A printer named on the command line prints with its own adjustments; set.ini stays.
void UseAdjustmentsOf(const Workspace& app, const QString& printerName, WaybillPrintSetup& setup)
{
    const PrintSettings s = AdjustmentsFor(app.settingsPaths(), InUse(app), ToCodePage(printerName));
    setup.adjust = {s.offsetX, s.offsetY, s.spacingX, s.spacingY};
}

// The current template's layout into the program's values.
int LoadCurrentTemplate(Workspace& app)
{
    const std::vector<TemplateEntry> templates = SortedTemplates(app.WorkFolder);
    if (templates.empty())
        return Fail(QStringLiteral("there is no template in dataM"));
    const TemplateEntry& chosen = templates[static_cast<std::size_t>(CurrentTemplateIndex(app, templates))];
    if (!LoadLayout(app, chosen))
        return Fail(LayoutRefusal(app, chosen));
    return kExitOk;
}

// The PDF file or printer named on the command line, else the waybill printer of set.ini.
int SetDestination(Workspace& app, const PrintOptions& options, BatchJob& job)
{
    if (options.pdf) {
        job.pdfPath = QDir::current().absoluteFilePath(Utf8(*options.pdf));
    } else if (options.printer) {
        job.printerName = Utf8(*options.printer);
        if (!GetPrinterDevice(job.printerName))
            return Fail(QStringLiteral("there is no printer named \"%1\"").arg(job.printerName));
        UseAdjustmentsOf(app, job.printerName, job.setup);
    } else {
        job.printerName = FindWaybillPrinter(app.PrinterName);
        if (job.printerName.isEmpty())
            return Fail(NoPrinterMessage(app.PrinterName));
    }
    return kExitOk;
}

// Checks and prints the job, logging its pages; a log that cannot be written never fails the
// print, and is reported once for the jobs of one command (logFailureTold). A PDF file or the
// form's picture under the texts is a check print: no waybill went out, and later batches must
// still offer its orders.
int RunJob(const Workspace& app, BatchJob job, bool& logFailureTold)
{
    if (job.pdfPath.isEmpty() && job.picture.isNull())
        job.logStore = app.addressBook();
    BatchPrinter printer(std::move(job));
    const bool checked = printer.check();
    // The window shows these records as 缺收件人 and never prints them either.
    QString refused;
    for (const std::size_t record : printer.refused())
        refused += QStringLiteral("record %1: no recipient name or address, not printed\n").arg(record);
    if (!refused.isEmpty())
        WriteError(refused);
    if (!checked) {
        WriteCuts(printer.cuts());
        return Fail(printer.error());
    }
    const std::size_t total = printer.waybillCount();
    const auto progress = [total](std::size_t done, std::size_t) {
        if (total > 100 && (done % 100 == 0 || done == total))
            WriteError(QStringLiteral("%1/%2 waybills\n").arg(done).arg(total));
    };
    const bool printed = printer.print(progress);
    WriteCuts(printer.cuts());
    if (!printed) {
        if (!printer.started())
            return Fail(printer.error());
        WriteError(QStringLiteral("dorvane-cli: ") + printer.error() + QLatin1Char('\n'));
        return kExitPrintFailed;
    }
    if (!printer.logError().isEmpty() && !logFailureTold) {
        logFailureTold = true;
        WriteError(QStringLiteral("dorvane-cli: printed, but the print log cannot be written: ") +
                   printer.logError() + QLatin1Char('\n'));
    }
    return kExitOk;
}

} // namespace

int RunTemplates(Workspace& app)
{
    LoadWorkFolder(app);
    const std::vector<TemplateEntry> templates = SortedTemplates(app.WorkFolder);
    if (templates.empty())
        return kExitOk;
    const int current = CurrentTemplateIndex(app, templates);
    QString text;
    for (int i = 0; i < static_cast<int>(templates.size()); ++i)
        text += (i == current ? QStringLiteral("* ") : QStringLiteral("  ")) +
                templates[static_cast<std::size_t>(i)].name + QLatin1Char('\n');
    WriteOut(text);
    return kExitOk;
}

int RunParseAddress(const std::optional<std::string>& file)
{
    std::optional<std::string> bytes;
    if (file) {
        std::ifstream input(std::filesystem::path(Utf8(*file).toStdU16String()), std::ios::binary);
        if (!input)
            return Fail(Utf8(*file) + QStringLiteral(": cannot be read"));
        bytes = ReadAll(input);
    } else {
        std::ios::sync_with_stdio(false);
        bytes = ReadAll(std::cin);
    }
    if (!bytes)
        return Fail(QStringLiteral("the address cannot be read"));

    std::string_view text = *bytes;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    Utf8Validator validator;
    validator.feed(text);
    const auto codePage =
        ToCodePageText(text, validator.valid() ? TextEncoding::Utf8 : TextEncoding::Gb18030);
    if (!codePage)
        return Fail(QStringLiteral("the address is neither UTF-8 nor GBK text"));

    const auto fields = ParseClipboardAddress(*codePage);
    if (!fields)
        return kExitRejected;
    QString out;
    for (const auto& [member, index] : kRecipientFieldSlots) {
        const std::optional<std::string>& value = (*fields).*member;
        out += Utf8(std::string(kWaybillFields[static_cast<std::size_t>(index)].name)) + QLatin1Char('=') +
               (value ? FromCodePage(*value) : QString()) + QLatin1Char('\n');
    }
    WriteOut(out);
    return kExitOk;
}

int RunPrint(Workspace& app, const PrintOptions& options)
{
    LoadWorkFolder(app);
    RegisterFontSubstitutes();

    const std::vector<TemplateEntry> templates = SortedTemplates(app.WorkFolder);
    TemplateEntry chosen;
    if (options.templateName) {
        const QString name = Utf8(*options.templateName);
        const auto found = std::find_if(templates.begin(), templates.end(),
                                        [&name](const TemplateEntry& entry) { return entry.name == name; });
        if (found == templates.end())
            return Fail(
                QStringLiteral("unknown template \"%1\" (dorvane-cli templates lists them)").arg(name));
        chosen = *found;
    } else {
        if (templates.empty())
            return Fail(QStringLiteral("there is no template in dataM"));
        chosen = templates[static_cast<std::size_t>(CurrentTemplateIndex(app, templates))];
    }
    if (!LoadLayout(app, chosen))
        return Fail(LayoutRefusal(app, chosen));

    BatchJob job;
    job.setup = MakePrintSetup(app, ScreenDpiY());
    job.templateName = chosen.name;
    const QDate today = QDate::currentDate();
    job.texts = DefaultFieldTexts(LoadOrCreateAddress(app.settingsPaths().addressIni), today.year(),
                                  today.month(), today.day());
    for (const auto& [field, value] : options.assignments) {
        job.texts[static_cast<std::size_t>(field)] = ToCodePage(Utf8(value));
        job.fixedFields.push_back(field);
    }
    if (options.csv) {
        job.csv = std::filesystem::path(Utf8(*options.csv).toStdU16String());
        if (IsSpreadsheetFile(*job.csv))
            return Fail(Utf8(*options.csv) + QStringLiteral(": ") + QString::fromUtf8(kSpreadsheetMessage));
        // The export is read as the window reads it: its saved mapping, no recipient no waybill.
        job.columnsIni = app.settingsPaths().setFolder / "columns.ini";
        for (const auto& [column, field] : options.columnChoices)
            job.columnChoices.emplace_back(ToCodePage(Utf8(column)), field);
        if (options.waybillNumberColumn)
            job.waybillNumberColumn = ToCodePage(Utf8(*options.waybillNumberColumn));
        if (options.orderNumberColumn)
            job.orderNumberColumn = ToCodePage(Utf8(*options.orderNumberColumn));
        job.refuseWithoutRecipient = true;
    }
    job.jobPerWaybill = options.jobPerWaybill;
    job.rows = options.rows;
    job.overflow = options.overflow;
    if (options.withPicture) {
        job.picture = LoadPictureImage(PicturePath(app.WorkFolder, chosen.fileName), "BMP");
        if (job.picture.isNull())
            return Fail(QStringLiteral("the template \"%1\" has no picture to print under the texts")
                            .arg(chosen.name));
    }

    if (const int failed = SetDestination(app, options, job))
        return failed;
    bool logFailureTold = false;
    return RunJob(app, std::move(job), logFailureTold);
}

int RunCalibrationSheet(Workspace& app, const PrintOptions& options)
{
    LoadWorkFolder(app);
    RegisterFontSubstitutes();
    if (const int failed = LoadCurrentTemplate(app))
        return failed;
    WaybillPrintSetup setup = MakePrintSetup(app, ScreenDpiY());
    QPrinter printer(QPrinter::HighResolution);
    if (options.pdf) {
        PrepareWaybillPdf(printer, QDir::current().absoluteFilePath(Utf8(*options.pdf)), setup);
    } else {
        const QString name = options.printer ? Utf8(*options.printer) : FindWaybillPrinter(app.PrinterName);
        if (options.printer && !GetPrinterDevice(name))
            return Fail(QStringLiteral("there is no printer named \"%1\"").arg(name));
        if (name.isEmpty())
            return Fail(NoPrinterMessage(app.PrinterName));
        if (options.printer)
            UseAdjustmentsOf(app, name, setup);
        PrepareWaybillPrinter(printer, name, setup);
    }
    if (!PrintCalibrationSheetOn(printer, setup))
        return Fail(QStringLiteral("the calibration sheet cannot be printed"));
    return kExitOk;
}

int RunSetOffset(Workspace& app, const CliCommand& command)
{
    LoadWorkFolder(app);
    PrintSettings inUse = InUse(app);
    std::string printerName = inUse.printerName;
    if (command.print.printer) {
        const QString name = Utf8(*command.print.printer);
        if (!GetPrinterDevice(name))
            return Fail(QStringLiteral("there is no printer named \"%1\"").arg(name));
        printerName = ToCodePage(name);
    }
    const SaveFailure failure = StoreMeasuredOffsets(app.settingsPaths(), inUse, printerName,
                                                     command.offsetRight, command.offsetDown);
    if (!failure.empty())
        return Fail(QString::fromStdString(failure) + QStringLiteral(" cannot be written"));
    WriteOut(QStringLiteral("%1: %2 mm right, %3 mm down\n")
                 .arg(FromCodePage(printerName), QString::fromStdString(ShownAdjustment(command.offsetRight)),
                      QString::fromStdString(ShownAdjustment(command.offsetDown))));
    return kExitOk;
}

int RunLog(Workspace& app, const LogOptions& options)
{
    LoadWorkFolder(app);
    PrintLogFilter filter;
    filter.since = options.since.value_or(std::string());
    filter.until = options.until.value_or(std::string());
    if (options.find)
        filter.anyText = ToCodePage(Utf8(*options.find));
    const auto found = PrintLog(app.addressBook()).Search(filter);
    if (!found)
        return Fail(QStringLiteral("the print log cannot be read: ") +
                    QString::fromStdString(found.error().message));
    const std::vector<PrintLogEntry>& entries = found.value();

    if (options.csv) {
        std::vector<FieldTexts> waybills;
        waybills.reserve(entries.size());
        for (const PrintLogEntry& entry : entries)
            waybills.push_back(entry.texts);
        const QString name = Utf8(*options.csv);
        if (!WriteFileAtomically(std::filesystem::path(name.toStdU16String()), WaybillCsvText(waybills)))
            return Fail(name + QStringLiteral(": cannot be written"));
        WriteError(QStringLiteral("%1 waybills written to %2\n").arg(entries.size()).arg(name));
        return kExitOk;
    }
    // One line per waybill, tab-separated: id, time, template, source, printer or PDF, waybill
    // number, then the recipient's name, mobile, destination and address.
    const auto cell = [](const std::string& text) {
        QString shown = FromCodePage(text);
        shown.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        for (const QChar c : {QLatin1Char('\r'), QLatin1Char('\n'), QLatin1Char('\t')})
            shown.replace(c, QLatin1Char(' '));
        return shown;
    };
    QString out;
    for (const PrintLogEntry& entry : entries) {
        QStringList cells{QString::number(entry.id), cell(entry.time),    cell(entry.templateName),
                          cell(entry.source),        cell(entry.printer), cell(entry.waybillNumber)};
        for (const int field : {3, 12, 0, 7})
            cells.append(cell(entry.texts[static_cast<std::size_t>(field)]));
        out += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    WriteOut(out);
    return kExitOk;
}

int RunReprint(Workspace& app, const CliCommand& command)
{
    LoadWorkFolder(app);
    RegisterFontSubstitutes();
    // Every id is found before the first page.
    const PrintLog log(app.addressBook());
    std::vector<PrintLogEntry> entries;
    for (const std::int64_t id : command.ids) {
        auto found = log.Find(id);
        if (!found)
            return Fail(QStringLiteral("the print log cannot be read: ") +
                        QString::fromStdString(found.error().message));
        if (!found.value())
            return Fail(QStringLiteral("the print log holds no waybill %1").arg(id));
        entries.push_back(std::move(*found.value()));
    }
    const std::vector<TemplateEntry> templates = SortedTemplates(app.WorkFolder);
    if (templates.empty())
        return Fail(QStringLiteral("there is no template in dataM"));
    const TemplateEntry& current = templates[static_cast<std::size_t>(CurrentTemplateIndex(app, templates))];

    // Each waybill on its own template while it exists; one job per run of the same template.
    std::vector<std::pair<TemplateEntry, std::vector<const PrintLogEntry*>>> jobs;
    QString notes;
    for (const PrintLogEntry& entry : entries) {
        const QString own = FromCodePage(entry.templateName);
        const auto found = std::find_if(templates.begin(), templates.end(),
                                        [&own](const TemplateEntry& t) { return t.name == own; });
        if (found != templates.end())
            notes += QStringLiteral("waybill %1: on its own template \"%2\"\n").arg(entry.id).arg(own);
        else
            notes +=
                QStringLiteral("waybill %1: its template \"%2\" is gone, on the current template \"%3\"\n")
                    .arg(entry.id)
                    .arg(own, current.name);
        const TemplateEntry& chosen = found != templates.end() ? *found : current;
        if (jobs.empty() || jobs.back().first.fileName != chosen.fileName)
            jobs.push_back({chosen, {}});
        jobs.back().second.push_back(&entry);
    }
    if (command.print.pdf && jobs.size() > 1)
        return Fail(QStringLiteral("these waybills take turns between templates; one PDF holds one template: "
                                   "reprint them apart"));
    WriteError(notes);
    bool logFailureTold = false;
    for (const auto& [chosen, printed] : jobs) {
        if (!LoadLayout(app, chosen))
            return Fail(LayoutRefusal(app, chosen));
        BatchJob job;
        job.setup = MakePrintSetup(app, ScreenDpiY());
        job.templateName = chosen.name;
        // The new form's number is not known here, and the old form's is not the new one's;
        // a label that prints its number is the same waybill again, with the same number.
        const bool sameNumber = PrintsWaybillNumber(app.Layout);
        for (const PrintLogEntry* entry : printed) {
            job.records.emplace_back(job.records.size() + 1, entry->texts);
            job.orderNumbers.push_back(entry->orderNumber);
            if (sameNumber)
                job.waybillNumbers.push_back(entry->waybillNumber);
        }
        if (const int failed = SetDestination(app, command.print, job))
            return failed;
        if (const int failed = RunJob(app, std::move(job), logFailureTold))
            return failed;
    }
    return kExitOk;
}

int RunDbCopy(Workspace& app)
{
    LoadWorkFolder(app);
    const StoreLocation server = app.addressBook();
    if (!server.onServer())
        return Fail(
            QStringLiteral("Set/database.ini names no PostgreSQL server: there is nothing to copy to"));
    const auto copied = CopyStore(AddressBookPath(app.WorkFolder), server);
    if (!copied)
        return Fail(QStringLiteral("nothing copied: ") + QString::fromStdString(copied.error().message));
    // One line per table: its name, the rows in the file, the rows on the server.
    QString out = QStringLiteral("table\tfile\tserver\n");
    for (const TableCount& count : copied.value())
        out += QStringLiteral("%1\t%2\t%3\n")
                   .arg(QString::fromStdString(count.table))
                   .arg(count.source)
                   .arg(count.target);
    WriteOut(out);
    return kExitOk;
}

int RunTemplateFromPicture(Workspace& app, const CliCommand& command)
{
#ifndef DORVANE_HAS_RECOGNITION
    (void)app;
    (void)command;
    return Fail(QStringLiteral("this dorvane-cli was built without form recognition (OpenCV and Tesseract)"));
#else
    LoadWorkFolder(app);
    const QString name = Utf8(command.templateName);
    switch (CheckNewTemplateName(app.WorkFolder, name)) {
    case NewTemplateNameProblem::None:
        break;
    case NewTemplateNameProblem::Empty:
        return Fail(QStringLiteral("--name needs a name"));
    case NewTemplateNameProblem::BadCharacter:
        return Fail(QStringLiteral("a template name holds no \".\", \"/\" or \"\\\""));
    case NewTemplateNameProblem::CommaOrControl:
        return Fail(QStringLiteral("模板名称不能包含英文逗号“,”、换行或控制字符"));
    case NewTemplateNameProblem::Taken:
        return Fail(QStringLiteral("a template named \"%1\" exists").arg(name));
    }
    // The new template starts from the current one (its opaque cells); fields the form does
    // not name are put outside the frame.
    const std::vector<TemplateEntry> templates = SortedTemplates(app.WorkFolder);
    std::string current;
    TemplateLayout layout;
    if (!templates.empty()) {
        const TemplateEntry& entry =
            templates[static_cast<std::size_t>(CurrentTemplateIndex(app, templates))];
        if (LoadLayout(app, entry)) {
            layout = app.Layout;
            current = ToCodePage(entry.name);
        }
    }

    const QString file = Utf8(*command.file);
    FormRecognizer recognizer;
    const FormRecognition recognition = recognizer.recognizeFile(std::filesystem::path(file.toStdU16String()));
    if (recognition.failure == RecognitionFailure::TooFew) {
        // Nothing saved; what was found is listed, so the user sees why.
        QString found;
        for (const WaybillField& field : kWaybillFields) {
            const RecognizedField& f = recognition.fields[static_cast<std::size_t>(field.index)];
            if (f.found)
                found +=
                    QStringLiteral("%1\t%2,%3,%4,%5\t\"%6\"\n")
                        .arg(QString::fromUtf8(field.name.data(), static_cast<qsizetype>(field.name.size())))
                        .arg(f.box.x)
                        .arg(f.box.y)
                        .arg(f.box.w)
                        .arg(f.box.h)
                        .arg(QString::fromStdString(f.label));
        }
        return Fail(file + QStringLiteral(": ") + QString::fromStdString(recognition.error) +
                    QStringLiteral(", nothing saved. Found:\n") +
                    (found.isEmpty() ? QStringLiteral("(none)\n") : found));
    }
    if (!recognition.ok())
        return Fail(file + QStringLiteral(": ") + QString::fromStdString(recognition.error));
    PlaceRecognizedFields(layout, recognition);
    layout.setCell(0, 1, ToCodePage(name));
    // Without --paper, the paper measured on the scan.
    const bool measured = command.paperWidth == 0;
    layout.setNumber(0, 2, measured ? recognition.suggestedPaper.width : command.paperWidth);
    layout.setNumber(0, 3, measured ? recognition.suggestedPaper.height : command.paperHeight);

    const std::string fileName = ToFileName(name);
    const std::filesystem::path picture = PicturePath(app.WorkFolder, fileName);
    if (!SaveRecognizedPicture(picture, recognition))
        return Fail(QStringLiteral("the picture cannot be written to dataM"));
    if (!SaveLayoutFile(LayoutPath(app.WorkFolder, fileName), layout)) {
        std::error_code ec;
        std::filesystem::remove(picture, ec);
        return Fail(QStringLiteral("the layout file cannot be written to dataM"));
    }
    // mould.ini keeps pointing at the current template when the new one sorts before it.
    if (!current.empty() && !TemplateNameLess(current, ToCodePage(name))) {
        std::string position = LoadOrCreateMould(app.settingsPaths().mouldIni).templatePosition;
        ShiftTemplatePosition(app.settingsPaths().mouldIni, position, +1);
    }

    QString lines;
    for (const WaybillField& field : kWaybillFields) {
        const int row = field.index + 1;
        lines += QStringLiteral("%1\t%2,%3,%4,%5\t%6\n")
                     .arg(QString::fromUtf8(field.name.data(), static_cast<qsizetype>(field.name.size())))
                     .arg(layout.number(row, 2))
                     .arg(layout.number(row, 3))
                     .arg(layout.number(row, 4))
                     .arg(layout.number(row, 5))
                     .arg(recognition.fields[static_cast<std::size_t>(field.index)].found
                              ? QStringLiteral("found")
                              : QStringLiteral("not found: outside the frame, to be dragged into place"));
    }
    WriteOut(lines);
    if (measured)
        WriteError(QStringLiteral("paper %1 x %2 mm, as measured on the scan (--paper sets another)\n")
                       .arg(QString::fromStdString(PaperTextFromTenths(layout.paperWidth())),
                            QString::fromStdString(PaperTextFromTenths(layout.paperLength()))));
    return kExitOk;
#endif
}

} // namespace dorvane
