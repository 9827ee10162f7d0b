#include "batch/BatchPrinter.h"

#include "text/CodePageText.h"
#include "batch/OrderNumberColumn.h"
#include "batch/WaybillCsv.h"
#include "print/FontShrink.h"
#include "print/PdfPageSplitter.h"
#include "print/PrintQueue.h"
#include "print/WaybillFitCheck.h"
#include "print/WaybillPrinter.h"
#include "print/WaybillRenderer.h"

#include <QBuffer>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <deque>
#include <thread>

namespace dorvane {

namespace {

std::array<QString, kFieldCount> ToQStrings(const FieldTexts& texts)
{
    std::array<QString, kFieldCount> result;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (!texts[i].empty())
            result[i] = FromCodePage(texts[i]);
    }
    return result;
}

void AddCuts(std::size_t record, const FieldFits& fits, std::vector<FieldCut>& cuts)
{
    for (const int field : CutFields(fits)) {
        const TextBoxFit& fit = fits[static_cast<std::size_t>(field)];
        QString lost = fit.lostText;
        if (!fit.unprintable.isEmpty())
            lost += (lost.isEmpty() ? QString() : QStringLiteral(" ")) + QStringLiteral("unprintable ") +
                    fit.unprintable;
        cuts.push_back({record, field, lost, false, {}});
    }
}

void AddBarcodeFaults(std::size_t record, const std::vector<BarcodeOutcome>& outcomes, std::vector<FieldCut>& cuts)
{
    for (const BarcodeOutcome& outcome : outcomes) {
        if (outcome.fault == BarcodeFault::None)
            continue;
        FieldCut cut{record, 0, outcome.content, false, DescribeBarcodeFault(outcome)};
        cuts.push_back(std::move(cut));
    }
}

// How many waybills the next document drawn ahead holds, done sent before it. Each document
// embeds its fonts once (the costly part of drawing a waybill alone; each page sent carries
// its document's fonts): the first block is small so that the first sheet leaves at once, the
// later ones large. A block is drawn while the printer still has the jobs queued before it.
std::size_t WaybillsInBlock(std::size_t done)
{
    constexpr std::size_t kFirst = 20;
    constexpr std::size_t kSecond = 200;
    constexpr std::size_t kMost = 1000;
    return done == 0 ? kFirst : done <= kFirst ? kSecond : kMost;
}

} // namespace

QString FieldCut::line() const
{
    if (!barcode.isEmpty())
        return QStringLiteral("record %1: %2").arg(record).arg(barcode);
    const QString where = QStringLiteral("record %1: %2").arg(record).arg(FieldName(field));
    if (unfit)
        return where + QStringLiteral(" does not fit even at %1 pt").arg(kSmallestPrintPoints);
    // What an address or a note loses is shown whole; of a longer text only its start, enough
    // to find it, and how much more there is.
    constexpr qsizetype kShown = 200;
    QString lost = lostText;
    if (lost.size() > kShown) {
        const qsizetype start = lost.at(kShown - 1).isHighSurrogate() ? kShown - 1 : kShown;
        lost = lost.left(start) + QStringLiteral("… (%1 more characters)").arg(lostText.size() - start);
    }
    lost.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    lost.replace(QLatin1Char('\r'), QLatin1Char(' '));
    lost.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return where + QStringLiteral(" cut: ") + lost;
}

void BatchPrinter::prepare(QPrinter& printer)
{
    if (!job_.pdfPath.isEmpty())
        PrepareWaybillPdf(printer, job_.pdfPath, job_.setup);
    else
        PrepareWaybillPrinter(printer, job_.printerName, job_.setup);
}

BarcodeValues BatchPrinter::barcodeValues(std::size_t logIndex) const
{
    BarcodeValues values;
    if (logIndex < job_.waybillNumbers.size())
        values.waybillNumber = FromCodePage(job_.waybillNumbers[logIndex]);
    if (logIndex < job_.orderNumbers.size())
        values.orderNumber = FromCodePage(job_.orderNumbers[logIndex]);
    return values;
}

void BatchPrinter::measure(const WaybillFitCheck& fitCheck, std::size_t record, const FieldTexts& texts,
                           const BarcodeValues& values, std::vector<FieldCut>& cuts)
{
    const auto qtexts = ToQStrings(texts);
    // A barcode has no smaller font to fall back on: one its box cannot hold stops the batch.
    AddBarcodeFaults(record, fitCheck.checkBarcodes(qtexts, values), cuts);
    if (job_.overflow == Overflow::Fail) {
        AddCuts(record, fitCheck.checkAll(qtexts), cuts);
        return;
    }
    const ShrinkResult result = fitCheck.shrink(qtexts);
    for (const int field : result.unfit)
        cuts.push_back({record, field, {}, true, {}});
    if (result.ok() && std::any_of(result.heights.begin(), result.heights.end(), [](int h) { return h > 0; }))
        shrunk_.emplace_back(record, result.heights);
}

bool BatchPrinter::fail(const QString& message)
{
    error_ = message;
    return false;
}

QString BatchPrinter::csvName() const
{
    return job_.csv ? PathToQString(*job_.csv) : QString();
}

bool BatchPrinter::openCsv(WaybillCsv& csv)
{
    if (!csv.open(*job_.csv))
        return fail(csvName() + QStringLiteral(": ") + QString::fromStdString(csv.error()));
    const std::vector<std::string>& header = csv.header();
    ColumnMap map = csv.columns();
    if (job_.columnsIni) {
        if (auto saved = LoadColumnMap(*job_.columnsIni, header))
            map = std::move(*saved);
    }
    for (const auto& [name, field] : job_.columnChoices) {
        const auto found = std::find(header.begin(), header.end(), name);
        if (found == header.end())
            return fail(csvName() + QStringLiteral(": has no column %1").arg(FromCodePage(name)));
        map[static_cast<std::size_t>(found - header.begin())] = field;
    }
    for (const int field : job_.fixedFields) {
        if (std::find(map.begin(), map.end(), field) != map.end())
            return fail(csvName() +
                        QStringLiteral(": the column %1 is also given on the command line")
                            .arg(QString::fromUtf8(kWaybillFields[static_cast<std::size_t>(field)].name)));
    }
    csv.setColumns(std::move(map));
    const auto column = [&](const std::string& name) -> std::optional<std::size_t> {
        const auto found = std::find(header.begin(), header.end(), name);
        if (found == header.end())
            return std::nullopt;
        return static_cast<std::size_t>(found - header.begin());
    };
    waybillNumberColumn_.reset();
    orderNumberColumn_ = OrderNumberColumn(header);
    for (const auto& [name, target] : {std::pair{&job_.waybillNumberColumn, &waybillNumberColumn_},
                                       std::pair{&job_.orderNumberColumn, &orderNumberColumn_}}) {
        if (!*name)
            continue;
        *target = column(**name);
        if (!*target)
            return fail(csvName() + QStringLiteral(": has no column %1").arg(FromCodePage(**name)));
    }
    return true;
}

void BatchPrinter::takeNumbers(const WaybillCsv& csv, NextWaybill& next) const
{
    const std::vector<std::string>& cells = csv.cells();
    const auto cell = [&](const std::optional<std::size_t>& column) -> std::optional<std::string> {
        if (!column || *column >= cells.size())
            return std::nullopt;
        return cells[*column];
    };
    next.waybillNumber = cell(waybillNumberColumn_);
    next.orderNumber = cell(orderNumberColumn_);
}

BarcodeValues BatchPrinter::barcodeValues(const NextWaybill& next) const
{
    BarcodeValues values = barcodeValues(next.logIndex);
    if (next.waybillNumber)
        values.waybillNumber = FromCodePage(*next.waybillNumber);
    if (next.orderNumber)
        values.orderNumber = FromCodePage(*next.orderNumber);
    return values;
}

bool BatchPrinter::check()
{
    count_ = 0;
    refused_.clear();
    cuts_.clear();
    shrunk_.clear();
    // fail and shrink decide before the first page, on the job's printer, never begun.
    std::optional<QPrinter> printer;
    std::optional<WaybillFitCheck> fitCheck;
    if (job_.overflow != Overflow::Warn) {
        printer.emplace(QPrinter::HighResolution);
        prepare(*printer);
        fitCheck.emplace(job_.setup, *printer);
    }
    std::vector<FieldCut> cuts;
    const auto measureRecord = [&](std::size_t record, const FieldTexts& texts, std::size_t logIndex) {
        if (fitCheck)
            measure(*fitCheck, record, texts, barcodeValues(logIndex), cuts);
    };
    const auto verdict = [&]() {
        if (count_ == 0 && !refused_.empty())
            return fail(QStringLiteral("nothing was printed: no record has a recipient name and address"));
        if (cuts.empty())
            return true;
        cuts_ = std::move(cuts);
        return fail(job_.overflow == Overflow::Fail
                        ? QStringLiteral("nothing was printed: fields would be cut (--overflow fail)")
                        : QStringLiteral("nothing was printed: fields do not fit even at %1 pt")
                              .arg(kSmallestPrintPoints));
    };

    if (!job_.records.empty()) {
        for (std::size_t i = 0; i < job_.records.size(); ++i) {
            const auto& [record, texts] = job_.records[i];
            if (refuses(texts)) {
                refused_.push_back(record);
                continue;
            }
            ++count_;
            measureRecord(record, texts, i);
        }
        return verdict();
    }
    if (!job_.csv) {
        count_ = 1;
        measureRecord(1, job_.texts, 0);
        return verdict();
    }
    WaybillCsv csv;
    if (!openCsv(csv))
        return false;
    FieldTexts texts = job_.texts;
    WaybillCsv::Status status;
    while ((status = csv.next(texts)) == WaybillCsv::Status::Record) {
        if (!job_.rows || job_.rows->contains(csv.recordNumber())) {
            if (refuses(texts)) {
                refused_.push_back(csv.recordNumber());
            } else {
                ++count_;
                if (fitCheck) {
                    NextWaybill numbers;
                    takeNumbers(csv, numbers);
                    measure(*fitCheck, csv.recordNumber(), texts, barcodeValues(numbers), cuts);
                }
            }
        }
        texts = job_.texts;
    }
    if (status == WaybillCsv::Status::Error)
        return fail(csvName() + QStringLiteral(": ") + QString::fromStdString(csv.error()));
    if (csv.recordNumber() == 0)
        return fail(csvName() + QStringLiteral(": holds no waybills, only the header row"));
    if (job_.rows && job_.rows->last() > csv.recordNumber())
        return fail(csvName() + QStringLiteral(": --rows names record %1, but the file holds %2")
                                    .arg(job_.rows->last())
                                    .arg(csv.recordNumber()));
    return verdict();
}

bool BatchPrinter::print(const std::function<void(std::size_t, std::size_t)>& progress)
{
    cuts_.clear();
    stoppedEarly_ = false;
    declined_ = false;
    pagesPrinted_ = 0;
    logError_.clear();
    logFailure_.reset();
    QPrinter printer(QPrinter::HighResolution);
    prepare(printer);
    if (job_.beforePrint) {
        // Measured on this very printer, before anything is started.
        const std::optional<FieldFontHeights> heights = job_.beforePrint(WaybillFitCheck(job_.setup, printer));
        if (!heights) {
            declined_ = true;
            return fail(QStringLiteral("nothing was printed"));
        }
        const std::size_t record = job_.records.empty() ? 1 : job_.records.front().first;
        shrunk_.assign(1, {record, *heights});
    }
    const bool jobPerWaybill = job_.jobPerWaybill && job_.pdfPath.isEmpty();
    const std::unique_ptr<PrintQueue> queue = jobPerWaybill ? SystemPrintQueue(job_.printerName) : nullptr;

    WaybillCsv csv;
    if (job_.csv && !openCsv(csv))
        return false;
    if (queue && queue->sendsPdf())
        return printInBlocks(printer, *queue, csv, progress);

    // The pages printed, logged once the job went through: the texts are small beside the
    // pages, and a single job aborted half-way printed nothing. Jobs of their own that the
    // queue accepted are printed whatever follows them.
    std::vector<PrintLogEntry> logged;
    const QString cannotStart = this->cannotStart();
    QPainter painter;
    if (!jobPerWaybill) {
        if (!painter.begin(&printer))
            return fail(cannotStart);
        started_ = true;
    }
    const auto abort = [&](const QString& message) {
        if (jobPerWaybill) {
            if (painter.isActive()) {
                printer.abort();
                painter.end();
            }
            writeLog(logged);
            return fail(message);
        }
        printer.abort();
        painter.end();
        if (!job_.pdfPath.isEmpty())
            QFile::remove(job_.pdfPath);
        return fail(message);
    };

    const WaybillRenderer renderer(job_.setup);
    std::size_t done = 0;
    NextWaybill next;
    for (;;) {
        const Next status = nextWaybill(csv, next, done);
        if (status == Next::Failed)
            return abort(error_);
        if (status == Next::End)
            break;
        if (done == count_)
            return abort(fileChanged());
        if (jobPerWaybill) {
            // Only a few jobs wait at the printer: what Pause and Cancel cannot hold back.
            if (!WaitForRoom(*queue, idler())) {
                stoppedEarly_ = true;
                break;
            }
            if (!painter.begin(&printer))
                return done == 0 ? fail(cannotStart) : abort(cannotStart);
            started_ = true;
        } else if (done > 0 && !printer.newPage()) {
            return abort(QStringLiteral("the printer failed on waybill %1").arg(done + 1));
        }
        std::vector<FieldCut> cuts;
        if (!render(renderer, painter, next, cuts))
            return abort(fileChanged());
        cuts_.insert(cuts_.end(), cuts.begin(), cuts.end());
        if (jobPerWaybill && (!painter.end() || !queue->lastJobAccepted()))
            return abort(notTaken(done + 1));
        if (job_.logStore)
            logged.push_back(logEntry(next));
        ++done;
        pagesPrinted_ = done;
        if (progress)
            progress(done, count_);
        if (pageHook_ && done < count_ && !pageHook_(next.record)) {
            stoppedEarly_ = true;
            break;
        }
    }
    if (done != count_ && !stoppedEarly_)
        return abort(fileChanged());
    if (!jobPerWaybill && !painter.end())
        return fail(QStringLiteral("the job could not be finished"));
    if (!jobPerWaybill && job_.pdfPath.isEmpty() && !SystemPrintQueue(job_.printerName)->lastJobAccepted())
        return fail(QStringLiteral("the printer %1 did not take the job").arg(job_.printerName));
    writeLog(logged);
    return true;
}

bool BatchPrinter::printInBlocks(const QPrinter& printer, PrintQueue& queue, WaybillCsv& csv,
                                 const std::function<void(std::size_t, std::size_t)>& progress)
{
    // The waybills drawn and not yet sent, oldest first: what a page needs once it is sent.
    struct Drawn {
        std::size_t record = 0;
        std::vector<FieldCut> cuts;
        std::optional<PrintLogEntry> log;
    };
    std::deque<Drawn> drawn;
    std::vector<PrintLogEntry> logged;
    PdfPageSplitter pages;
    std::size_t nextPage = 0;
    std::string pdf; // the page sent, its storage kept
    // A record found bad while drawing ahead stops the batch only after the pages before it:
    // as when each page is drawn just before it is sent.
    std::optional<QString> failure;
    // The printer's settings, read once: a CUPS printer asks the spooler each time.
    const PdfJobOptions options = JobOptionsOf(printer);
    const int resolution = printer.resolution();
    const QPageLayout layout = printer.pageLayout();
    const QString title = printer.docName();
    const QString creator = printer.creator();
    const auto abort = [&](const QString& message) {
        writeLog(logged);
        return fail(message);
    };

    const WaybillRenderer renderer(job_.setup);
    std::size_t done = 0;
    NextWaybill next;
    for (;;) {
        if (drawn.empty()) {
            if (failure)
                return abort(*failure);
            // The next block of waybills in one document: its fonts are embedded once.
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            writer.setResolution(resolution);
            writer.setPageLayout(layout);
            writer.setTitle(title);
            writer.setCreator(creator);
            QPainter painter;
            const std::size_t block = WaybillsInBlock(done);
            while (drawn.size() < block) {
                const Next status = nextWaybill(csv, next, done + drawn.size());
                if (status == Next::End)
                    break;
                if (status == Next::Failed || done + drawn.size() == count_) {
                    failure = status == Next::Failed ? error_ : fileChanged();
                    break;
                }
                if (drawn.empty() ? !painter.begin(&writer) : !writer.newPage())
                    return done == 0 ? fail(cannotStart()) : abort(cannotStart());
                Drawn page{next.record, {}, {}};
                if (!render(renderer, painter, next, page.cuts)) {
                    failure = fileChanged();
                    break;
                }
                if (job_.logStore)
                    page.log = logEntry(next);
                drawn.push_back(std::move(page));
            }
            if (painter.isActive() && !painter.end())
                return done == 0 ? fail(cannotStart()) : abort(cannotStart());
            if (drawn.empty()) {
                if (failure)
                    return abort(*failure);
                break;
            }
            if (!pages.read(buffer.buffer().toStdString()) || pages.pageCount() != drawn.size())
                return done == 0 ? fail(cannotStart()) : abort(cannotStart());
            nextPage = 0;
        }
        // Only a few jobs wait at the printer: what Pause and Cancel cannot hold back.
        if (!WaitForRoom(queue, idler())) {
            stoppedEarly_ = true;
            break;
        }
        if (!pages.page(nextPage++, pdf))
            return done == 0 ? fail(cannotStart()) : abort(cannotStart());
        started_ = true;
        if (!queue.sendPdf(pdf, options))
            return abort(notTaken(done + 1));
        Drawn page = std::move(drawn.front());
        drawn.pop_front();
        cuts_.insert(cuts_.end(), page.cuts.begin(), page.cuts.end());
        if (page.log)
            logged.push_back(std::move(*page.log));
        ++done;
        pagesPrinted_ = done;
        if (progress)
            progress(done, count_);
        if (pageHook_ && done < count_ && !pageHook_(page.record)) {
            stoppedEarly_ = true;
            break;
        }
    }
    if (done != count_ && !stoppedEarly_)
        return abort(fileChanged());
    writeLog(logged);
    return true;
}

BatchPrinter::Next BatchPrinter::nextWaybill(WaybillCsv& csv, NextWaybill& next, std::size_t done)
{
    for (;;) {
        if (job_.csv) {
            next.texts = job_.texts;
            const WaybillCsv::Status status = csv.next(next.texts);
            if (status == WaybillCsv::Status::Error) {
                fail(csvName() + QStringLiteral(": ") + QString::fromStdString(csv.error()));
                return Next::Failed;
            }
            if (status == WaybillCsv::Status::End)
                return Next::End;
            if (job_.rows && !job_.rows->contains(csv.recordNumber()))
                continue;
            next.record = csv.recordNumber();
            next.logIndex = done;
            takeNumbers(csv, next);
        } else if (!job_.records.empty()) {
            if (next.fromRecords == job_.records.size())
                return Next::End;
            next.record = job_.records[next.fromRecords].first;
            next.texts = job_.records[next.fromRecords].second;
            next.logIndex = next.fromRecords++;
        } else {
            if (next.single)
                return Next::End;
            next.single = true;
            next.record = 1;
            next.texts = job_.texts;
            next.logIndex = 0;
        }
        if (!refuses(next.texts))
            return Next::Waybill;
    }
}

bool BatchPrinter::render(const WaybillRenderer& renderer, QPainter& painter, NextWaybill& next,
                          std::vector<FieldCut>& cuts)
{
    const FieldFontHeights* heights = nullptr;
    if (next.shrunk < shrunk_.size() && shrunk_[next.shrunk].first == next.record)
        heights = &shrunk_[next.shrunk++].second;
    // The cuts come from the drawing itself: warn measures nothing twice.
    const BarcodeValues values = barcodeValues(next);
    std::vector<BarcodeOutcome> barcodes;
    AddCuts(next.record,
            renderer.renderPage(painter, ToQStrings(next.texts), heights,
                                job_.picture.isNull() ? nullptr : &job_.picture, &values, &barcodes),
            cuts);
    AddBarcodeFaults(next.record, barcodes, cuts);
    // fail and shrink measured every page before the first: a new cut is a changed file.
    return job_.overflow == Overflow::Warn || cuts.empty();
}

std::function<bool()> BatchPrinter::idler() const
{
    return [this] {
        if (idleHook_)
            return idleHook_();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return true;
    };
}

void BatchPrinter::writeLog(const std::vector<PrintLogEntry>& logged)
{
    if (!job_.logStore || logged.empty())
        return;
    LogWrite write = [store = *job_.logStore, logged] { return PrintLog(store).Append(logged); };
    if (job_.logWriter) {
        job_.logWriter(std::move(write));
        return;
    }
    const auto stored = write();
    if (!stored) {
        logError_ = QString::fromStdString(stored.error().message);
        logFailure_ = stored.error();
    }
}

QString BatchPrinter::fileChanged() const
{
    return csvName() + QStringLiteral(": the file changed while it was printed");
}

QString BatchPrinter::cannotStart() const
{
    return job_.pdfPath.isEmpty()
               ? QStringLiteral("the printer %1 cannot start the job").arg(job_.printerName)
               : QStringLiteral("%1 cannot be written").arg(job_.pdfPath);
}

QString BatchPrinter::notTaken(std::size_t waybill) const
{
    return QStringLiteral("the printer %1 did not take waybill %2").arg(job_.printerName).arg(waybill);
}

PrintLogEntry BatchPrinter::logEntry(const NextWaybill& next) const
{
    const FieldTexts& texts = next.texts;
    const std::size_t page = next.logIndex;
    PrintLogEntry entry;
    entry.time = job_.logTime ? job_.logTime() : LocalTimeText(std::time(nullptr));
    entry.templateName = ToCodePage(job_.templateName);
    entry.printer = ToCodePage(job_.pdfPath.isEmpty() ? job_.printerName : job_.pdfPath);
    entry.source = job_.source;
    if (page < job_.waybillNumbers.size())
        entry.waybillNumber = job_.waybillNumbers[page];
    if (page < job_.orderNumbers.size())
        entry.orderNumber = job_.orderNumbers[page];
    // A file's record is logged with the numbers its barcodes print.
    if (next.waybillNumber)
        entry.waybillNumber = *next.waybillNumber;
    if (next.orderNumber)
        entry.orderNumber = *next.orderNumber;
    entry.toPrinter = job_.pdfPath.isEmpty();
    entry.checkPrint = !job_.picture.isNull();
    entry.texts = texts;
    return entry;
}

} // namespace dorvane
