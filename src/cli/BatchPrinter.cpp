#include "cli/BatchPrinter.h"

#include "app/CodePageText.h"
#include "cli/WaybillCsv.h"
#include "print/FontShrink.h"
#include "print/PrintQueue.h"
#include "print/WaybillFitCheck.h"
#include "print/WaybillPrinter.h"
#include "print/WaybillRenderer.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <chrono>
#include <ctime>
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
        cuts.push_back({record, field, lost});
    }
}

} // namespace

QString FieldCut::line() const
{
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

void BatchPrinter::prepare(QPrinter& printer) const
{
    if (!job_.pdfPath.isEmpty())
        PrepareWaybillPdf(printer, job_.pdfPath, job_.setup);
    else
        PrepareWaybillPrinter(printer, job_.printerName, job_.setup);
}

void BatchPrinter::measure(const WaybillFitCheck& fitCheck, std::size_t record, const FieldTexts& texts,
                           std::vector<FieldCut>& cuts)
{
    const auto qtexts = ToQStrings(texts);
    if (job_.overflow == Overflow::Fail) {
        AddCuts(record, fitCheck.checkAll(qtexts), cuts);
        return;
    }
    const ShrinkResult result = fitCheck.shrink(qtexts);
    for (const int field : result.unfit)
        cuts.push_back({record, field, {}, true});
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
    return true;
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
    const auto measureRecord = [&](std::size_t record, const FieldTexts& texts) {
        if (fitCheck)
            measure(*fitCheck, record, texts, cuts);
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
        for (const auto& [record, texts] : job_.records) {
            if (refuses(texts)) {
                refused_.push_back(record);
                continue;
            }
            ++count_;
            measureRecord(record, texts);
        }
        return verdict();
    }
    if (!job_.csv) {
        count_ = 1;
        measureRecord(1, job_.texts);
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
                measureRecord(csv.recordNumber(), texts);
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
    pagesPrinted_ = 0;
    logError_.clear();
    QPrinter printer(QPrinter::HighResolution);
    prepare(printer);
    const bool jobPerWaybill = job_.jobPerWaybill && job_.pdfPath.isEmpty();
    const std::unique_ptr<PrintQueue> queue = jobPerWaybill ? SystemPrintQueue(job_.printerName) : nullptr;

    WaybillCsv csv;
    if (job_.csv && !openCsv(csv))
        return false;

    // The pages printed, logged once the job went through: the texts are small beside the
    // pages, and a single job aborted half-way printed nothing. Jobs of their own that the
    // queue accepted are printed whatever follows them.
    std::vector<PrintLogEntry> logged;
    const auto writeLog = [&] {
        if (!job_.logStore || logged.empty())
            return;
        const auto stored = PrintLog(*job_.logStore).Append(logged);
        if (!stored)
            logError_ = QString::fromStdString(stored.error().message);
    };
    const QString cannotStart =
        job_.pdfPath.isEmpty() ? QStringLiteral("the printer %1 cannot start the job").arg(job_.printerName)
                               : QStringLiteral("%1 cannot be written").arg(job_.pdfPath);
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
            writeLog();
            return fail(message);
        }
        printer.abort();
        painter.end();
        if (!job_.pdfPath.isEmpty())
            QFile::remove(job_.pdfPath);
        return fail(message);
    };
    const auto idle = [this] {
        if (idleHook_)
            return idleHook_();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return true;
    };

    const WaybillRenderer renderer(job_.setup);
    std::size_t done = 0;
    std::size_t next = 0; // of job_.records
    std::size_t nextShrunk = 0;
    FieldTexts texts = job_.texts;
    for (;;) {
        std::size_t record = 1;
        if (job_.csv) {
            texts = job_.texts;
            const WaybillCsv::Status status = csv.next(texts);
            if (status == WaybillCsv::Status::Error)
                return abort(csvName() + QStringLiteral(": ") + QString::fromStdString(csv.error()));
            if (status == WaybillCsv::Status::End)
                break;
            if (job_.rows && !job_.rows->contains(csv.recordNumber()))
                continue;
            record = csv.recordNumber();
        } else if (!job_.records.empty()) {
            if (next == job_.records.size())
                break;
            record = job_.records[next].first;
            texts = job_.records[next++].second;
        } else if (done == 1) {
            break;
        }
        if (refuses(texts))
            continue;
        if (done == count_)
            return abort(csvName() + QStringLiteral(": the file changed while it was printed"));
        if (jobPerWaybill) {
            // Only a few jobs wait at the printer: what Pause and Cancel cannot hold back.
            if (!WaitForRoom(*queue, idle)) {
                stoppedEarly_ = true;
                break;
            }
            if (!painter.begin(&printer))
                return done == 0 ? fail(cannotStart) : abort(cannotStart);
            started_ = true;
        } else if (done > 0 && !printer.newPage()) {
            return abort(QStringLiteral("the printer failed on waybill %1").arg(done + 1));
        }
        const FieldFontHeights* heights = nullptr;
        if (nextShrunk < shrunk_.size() && shrunk_[nextShrunk].first == record)
            heights = &shrunk_[nextShrunk++].second;
        // The cuts come from the drawing itself: warn measures nothing twice.
        const std::size_t known = cuts_.size();
        AddCuts(record, renderer.renderPage(painter, ToQStrings(texts), heights,
                                               job_.picture.isNull() ? nullptr : &job_.picture), cuts_);
        // fail and shrink measured every page before the first: a new cut is a changed file.
        if (job_.overflow != Overflow::Warn && cuts_.size() != known)
            return abort(csvName() + QStringLiteral(": the file changed while it was printed"));
        if (jobPerWaybill && (!painter.end() || !queue->lastJobAccepted()))
            return abort(
                QStringLiteral("the printer %1 did not take waybill %2").arg(job_.printerName).arg(done + 1));
        if (job_.logStore)
            logged.push_back(logEntry(texts, job_.records.empty() ? done : next - 1));
        ++done;
        pagesPrinted_ = done;
        if (progress)
            progress(done, count_);
        if (pageHook_ && done < count_ && !pageHook_(record)) {
            stoppedEarly_ = true;
            break;
        }
    }
    if (done != count_ && !stoppedEarly_)
        return abort(csvName() + QStringLiteral(": the file changed while it was printed"));
    if (!jobPerWaybill && !painter.end())
        return fail(QStringLiteral("the job could not be finished"));
    if (!jobPerWaybill && job_.pdfPath.isEmpty() && !SystemPrintQueue(job_.printerName)->lastJobAccepted())
        return fail(QStringLiteral("the printer %1 did not take the job").arg(job_.printerName));
    writeLog();
    return true;
}

PrintLogEntry BatchPrinter::logEntry(const FieldTexts& texts, std::size_t page) const
{
    PrintLogEntry entry;
    entry.time = LocalTimeText(std::time(nullptr));
    entry.templateName = ToCodePage(job_.templateName);
    entry.printer = ToCodePage(job_.pdfPath.isEmpty() ? job_.printerName : job_.pdfPath);
    entry.source = job_.source;
    if (page < job_.waybillNumbers.size())
        entry.waybillNumber = job_.waybillNumbers[page];
    if (page < job_.orderNumbers.size())
        entry.orderNumber = job_.orderNumbers[page];
    entry.toPrinter = job_.pdfPath.isEmpty();
    entry.checkPrint = !job_.picture.isNull();
    entry.texts = texts;
    return entry;
}

} // namespace dorvane
