#pragma once
// A print job of one or many waybills, all pages in one document. The batch is checked in
// full before the first page is started, and printed in a second pass over the file, one
// record and one page at a time, so that neither the records nor the pages are held.

#include "cli/RowSelection.h"
#include "waybill/WaybillDefaults.h"
#include "print/WaybillPrintSetup.h"

#include <QString>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>

namespace dorvane {

struct BatchJob {
    WaybillPrintSetup setup;
    FieldTexts texts;             // every waybill's texts before its record's columns
    std::vector<int> fixedFields; // fields set on the command line: no column may name them
    std::optional<std::filesystem::path> csv;
    std::optional<RowSelection> rows;
    QString pdfPath;     // a PDF file, or else ...
    QString printerName; // ... this system printer
};

class BatchPrinter {
public:
    explicit BatchPrinter(BatchJob job) : job_(std::move(job)) {}

    // The first pass: false, with error(), when anything would stop the batch.
    bool check();
    std::size_t waybillCount() const { return count_; }

    // The second pass; progress(done, total) after each page. False, with error(), when the
    // printer or file fails or the file changed since check(); the job is aborted then.
    bool print(const std::function<void(std::size_t, std::size_t)>& progress);

    const QString& error() const { return error_; }
    // False when print() failed before its first page was started: nothing was printed.
    bool started() const { return started_; }

private:
    bool fail(const QString& message);
    QString csvName() const;

    BatchJob job_;
    std::size_t count_ = 0;
    bool started_ = false;
    QString error_;
};

} // namespace dorvane
