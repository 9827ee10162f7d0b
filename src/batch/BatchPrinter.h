#pragma once
// A print job of one or many waybills: all pages in one document, or each waybill a job of its
// own, sent only while the printer's queue has room (PrintQueue). The batch is checked in full
// before the first page is started, and printed in a second pass over the file, one record and
// one page at a time, so that neither the records nor the pages are held. Where the spooler
// takes PDFs (CUPS), the jobs of their own are drawn a block of waybills at a time into one
// document, whose fonts are embedded once, and each page is sent as a document of its own.

#include "store/PrintLog.h"
#include "print/Overflow.h"
#include "batch/OrderTable.h"
#include "batch/RowSelection.h"
#include "print/WaybillPrintSetup.h"
#include "print/WaybillPrinter.h"
#include "print/WaybillRenderer.h"
#include "address/WaybillDefaults.h"

#include <QImage>
#include <QString>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QPainter;
class QPrinter;

namespace dorvane {

class PrintQueue;
class WaybillCsv;
class WaybillFitCheck;

// A field text its box cuts on the page, or one that fits not even at the smallest font.
struct FieldCut {
    std::size_t record = 0; // as --rows counts them; a waybill without a file is record 1
    int field = 0;
    QString lostText;     // what the box leaves out
    bool unfit = false;   // --overflow shrink: cut even at the smallest font
    QString barcode;      // a barcode its box cannot hold readably (not printed): what is wrong
    // "record 3: 收件人地址 cut: 文三路100号", line ends shown as blanks, a long loss by its start
    QString line() const;
};

// The print log's write, and how a job runs it: at once when none is given; the window runs it
// off its own thread and tells a failure itself.
using LogWrite = std::function<Result<void>()>;
using LogWriter = std::function<void(LogWrite write)>;

struct BatchJob {
    WaybillPrintSetup setup;
    FieldTexts texts;             // every waybill's texts before its record's columns
    std::vector<int> fixedFields; // fields set on the command line: no column may name them
    std::optional<std::filesystem::path> csv;
    // How the file's columns are mapped: the mapping kept for its header in this columns.ini
    // (the window's), else by their names; then these columns (code-page names) to a field or
    // kWholeAddressColumn.
    std::optional<std::filesystem::path> columnsIni;
    std::vector<std::pair<std::string, int>> columnChoices;
    // The file's columns (code-page names) that the template's barcodes take the waybill and
    // the order number from, and that the log keeps as them; no order-number column named:
    // the export's own, when it has one.
    std::optional<std::string> waybillNumberColumn;
    std::optional<std::string> orderNumberColumn;
    // Records without a recipient name or address are listed in refused() and not printed.
    bool refuseWithoutRecipient = false;
    // Records already read (the window's order import, logged waybills to reprint), printed in
    // this order instead of a file's: each with the number that names it in cuts and to the
    // page hook; with their waybill numbers for the log, when given, in the same order.
    std::vector<std::pair<std::size_t, FieldTexts>> records;
    std::vector<std::string> waybillNumbers;
    std::vector<std::string> orderNumbers; // the export's order numbers for the log, likewise
    std::optional<RowSelection> rows;
    QString pdfPath;     // a PDF file, or else ...
    QString printerName; // ... this system printer
    // Each waybill its own job on the printer (never into a PDF), paced by its queue: a
    // paused or cancelled batch stops within the few sheets already queued.
    bool jobPerWaybill = false;
    Overflow overflow = Overflow::Warn;
    QImage picture; // drawn under every page's texts when not null
    // The print log the pages go into once the job succeeded; none: not logged.
    std::optional<StoreLocation> logStore;
    QString templateName; // as the lists show it, for the log
    std::string source = kLogSourceCli;
    std::function<std::string()> logTime; // the time logged, "YYYY-MM-DD HH:MM:SS"; none: now
    LogWriter logWriter;
    // A job of one waybill from a window: asked with the fit check on the job's printer before
    // the page is started; the font heights it gives are drawn, none prints nothing (declined()).
    BeforePrint beforePrint;
};

class BatchPrinter {
public:
    explicit BatchPrinter(BatchJob job) : job_(std::move(job)) {}

    // The first pass: false, with error(), when anything would stop the batch. With
    // Overflow::Fail or Shrink every waybill is measured on a printer prepared as the job's;
    // the fields that stop the batch are then in cuts().
    bool check();
    std::size_t waybillCount() const { return count_; }

    // The records check() refused for want of a recipient, as --rows counts them.
    const std::vector<std::size_t>& refused() const { return refused_; }

    // The second pass; progress(done, total) after each page, or with jobPerWaybill after the
    // queue accepted each waybill's job. False, with error(), when the printer or file fails or
    // the file changed since check(); the job is aborted then (with jobPerWaybill, the jobs
    // accepted before stay printed: pagesPrinted() counts them).
    bool print(const std::function<void(std::size_t, std::size_t)>& progress);

    // jobPerWaybill: called while the queue is full before the next job; it lets the window
    // take its events or sleeps a little, and false from it ends the batch there as the page
    // hook's does. None: a tenth of a second's sleep.
    void setIdleHook(std::function<bool()> hook) { idleHook_ = std::move(hook); }

    // Asked after each page with its record's number; false ends the job there: the pages
    // printed so far are finished and sent, no further page is started. The window pauses
    // and keeps its events flowing in here, between two pages.
    void setPageHook(std::function<bool(std::size_t record)> hook) { pageHook_ = std::move(hook); }
    // After print(): whether the page hook ended the job early, and the pages it holds.
    bool stoppedEarly() const { return stoppedEarly_; }
    std::size_t pagesPrinted() const { return pagesPrinted_; }

    const QString& error() const { return error_; }
    // False when print() failed before its first page was started: nothing was printed.
    bool started() const { return started_; }
    // After print(): the fields cut on the pages printed, taken from the drawing itself. After
    // check() failed: the fields that stopped the batch.
    const std::vector<FieldCut>& cuts() const { return cuts_; }
    // After print() succeeded: why its pages could not be logged; empty when they were. The
    // pages are printed all the same.
    const QString& logError() const { return logError_; }
    const std::optional<StoreError>& logFailure() const { return logFailure_; }
    // After print() failed: whether beforePrint said no (nothing printed, nothing to tell).
    bool declined() const { return declined_; }

private:
    // Where the second pass stands in the records: the next waybill's number, texts and place.
    struct NextWaybill {
        std::size_t record = 0;
        FieldTexts texts;
        std::size_t logIndex = 0;    // the waybill's place for its numbers in the log
        std::size_t fromRecords = 0; // of job_.records
        std::size_t shrunk = 0;      // of shrunk_
        bool single = false;         // the one waybill without a file was taken
        // A file's record: its waybill and order number cells, when it has those columns.
        std::optional<std::string> waybillNumber;
        std::optional<std::string> orderNumber;
    };
    enum class Next { Waybill, End, Failed };
    Next nextWaybill(WaybillCsv& csv, NextWaybill& next, std::size_t done);
    // Draws next's page; false when it is cut though the first pass found it whole.
    bool render(const WaybillRenderer& renderer, QPainter& painter, NextWaybill& next,
                std::vector<FieldCut>& cuts);
    // jobPerWaybill where the spooler takes PDFs: the waybills drawn in blocks, each page sent alone.
    bool printInBlocks(const QPrinter& printer, PrintQueue& queue, WaybillCsv& csv,
                       const std::function<void(std::size_t, std::size_t)>& progress);
    std::function<bool()> idler() const;
    void writeLog(const std::vector<PrintLogEntry>& logged);
    QString fileChanged() const;
    QString cannotStart() const;
    QString notTaken(std::size_t waybill) const;

    bool fail(const QString& message);
    QString csvName() const;
    void prepare(QPrinter& printer);
    bool openCsv(WaybillCsv& csv);
    bool refuses(const FieldTexts& texts) const
    {
        return job_.refuseWithoutRecipient && LacksRecipient(texts);
    }
    PrintLogEntry logEntry(const NextWaybill& next) const;
    // The number cells of the record csv read last.
    void takeNumbers(const WaybillCsv& csv, NextWaybill& next) const;
    void measure(const WaybillFitCheck& fitCheck, std::size_t record, const FieldTexts& texts,
                 const BarcodeValues& values, std::vector<FieldCut>& cuts);
    // The waybill and order numbers of the waybill at that place, for its barcodes.
    BarcodeValues barcodeValues(std::size_t logIndex) const;
    BarcodeValues barcodeValues(const NextWaybill& next) const;

    BatchJob job_;
    std::size_t count_ = 0;
    bool started_ = false;
    bool stoppedEarly_ = false;
    bool declined_ = false;
    std::size_t pagesPrinted_ = 0;
    std::function<bool(std::size_t)> pageHook_;
    std::function<bool()> idleHook_;
    std::vector<std::size_t> refused_;
    QString error_;
    QString logError_;
    std::optional<StoreError> logFailure_;
    std::vector<FieldCut> cuts_;
    std::optional<std::size_t> waybillNumberColumn_; // of the file, once opened
    std::optional<std::size_t> orderNumberColumn_;
    // Shrink: the records check() found cut, in file order, with the fonts that fit them; a
    // few bytes for each, the texts are read again.
    std::vector<std::pair<std::size_t, FieldFontHeights>> shrunk_;
};

} // namespace dorvane
