#include "cli/BatchPrinter.h"

#include "app/CodePageText.h"
#include "cli/WaybillCsv.h"
#include "print/FontShrink.h"
#include "print/WaybillFitCheck.h"
#include "print/WaybillPrinter.h"
#include "print/WaybillRenderer.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <ctime>

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
    for (const int field : CutFields(fits))
        cuts.push_back({record, field, fits[static_cast<std::size_t>(field)].lostText});
}

} // namespace

QString FieldCut::line() const
{
    const QString where = QStringLiteral("record %1: %2").arg(record).arg(FieldName(field));
    if (unfit)
        return where + QStringLiteral(" does not fit even at %1 pt").arg(kSmallestPrintPoints);
    QString lost = lostText;
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

bool BatchPrinter::check()
{
    count_ = 0;
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
    if (!csv.open(*job_.csv))
        return fail(csvName() + QStringLiteral(": ") + QString::fromStdString(csv.error()));
    for (const int field : job_.fixedFields) {
        if (std::find(csv.columns().begin(), csv.columns().end(), field) != csv.columns().end())
            return fail(csvName() +
                        QStringLiteral(": the column %1 is also given on the command line")
                            .arg(QString::fromUtf8(kWaybillFields[static_cast<std::size_t>(field)].name)));
    }
    FieldTexts texts = job_.texts;
    WaybillCsv::Status status;
    while ((status = csv.next(texts)) == WaybillCsv::Status::Record) {
        if (!job_.rows || job_.rows->contains(csv.recordNumber())) {
            ++count_;
            measureRecord(csv.recordNumber(), texts);
        }
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

    WaybillCsv csv;
    if (job_.csv && !csv.open(*job_.csv))
        return fail(csvName() + QStringLiteral(": ") + QString::fromStdString(csv.error()));

    QPainter painter;
    if (!painter.begin(&printer)) {
        return fail(job_.pdfPath.isEmpty()
                        ? QStringLiteral("the printer %1 cannot start the job").arg(job_.printerName)
                        : QStringLiteral("%1 cannot be written").arg(job_.pdfPath));
    }
    started_ = true;
    const auto abort = [&](const QString& message) {
        printer.abort();
        painter.end();
        if (!job_.pdfPath.isEmpty())
            QFile::remove(job_.pdfPath);
        return fail(message);
    };

    const WaybillRenderer renderer(job_.setup);
    // The pages printed, logged only once the whole job went through: the texts are small
    // beside the pages, and a job aborted half-way printed nothing.
    std::vector<PrintLogEntry> logged;
    std::size_t done = 0;
    std::size_t nextShrunk = 0;
    FieldTexts texts = job_.texts;
    for (;;) {
        if (job_.csv) {
            texts = job_.texts;
            const WaybillCsv::Status status = csv.next(texts);
            if (status == WaybillCsv::Status::Error)
                return abort(csvName() + QStringLiteral(": ") + QString::fromStdString(csv.error()));
            if (status == WaybillCsv::Status::End)
                break;
            if (job_.rows && !job_.rows->contains(csv.recordNumber()))
                continue;
        } else if (!job_.records.empty()) {
            if (done == job_.records.size())
                break;
            texts = job_.records[done].second;
        } else if (done == 1) {
            break;
        }
        if (done == count_)
            return abort(csvName() + QStringLiteral(": the file changed while it was printed"));
        if (done > 0 && !printer.newPage())
            return abort(QStringLiteral("the printer failed on waybill %1").arg(done + 1));
        const std::size_t record = job_.csv               ? csv.recordNumber()
                                   : !job_.records.empty() ? job_.records[done].first
                                                           : 1;
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
        if (job_.logStore)
            logged.push_back(logEntry(texts, done));
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
    if (!painter.end())
        return fail(QStringLiteral("the job could not be finished"));
    if (job_.logStore) {
        const auto stored = PrintLog(*job_.logStore).Append(logged);
        if (!stored)
            logError_ = QString::fromStdString(stored.error().message);
    }
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
