#include "print/PrintQueue.h"

#include <QPageLayout>
#include <QPrinter>

#ifdef DORVANE_HAS_CUPS
#include <cups/cups.h>
#endif

namespace dorvane {

namespace {

const char* SidesOf(const QPrinter& printer)
{
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        return "one-sided";
    case QPrinter::DuplexAuto:
        return printer.pageLayout().orientation() == QPageLayout::Portrait ? "two-sided-long-edge"
                                                                           : "two-sided-short-edge";
    case QPrinter::DuplexLongSide:
        return "two-sided-long-edge";
    case QPrinter::DuplexShortSide:
        return "two-sided-short-edge";
    }
    return "one-sided";
}

#ifdef DORVANE_HAS_CUPS
class CupsPrintQueue : public PrintQueue {
public:
    explicit CupsPrintQueue(const QString& printerName)
        // Qt names a printer's instance "queue/instance"; the spooler knows the queue.
        : name_(printerName.section(QLatin1Char('/'), 0, 0).toLocal8Bit())
    {
    }

    std::optional<int> waitingJobs() override
    {
        cups_job_t* jobs = nullptr;
        const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name_.constData(), 0, CUPS_WHICHJOBS_ACTIVE);
        if (count < 0)
            return std::nullopt;
        int waiting = 0;
        for (int i = 0; i < count; ++i) {
            // Held jobs wait for someone to release them, not for the printer.
            if (jobs[i].state == IPP_JSTATE_PENDING)
                ++waiting;
        }
        cupsFreeJobs(count, jobs);
        return waiting;
    }

    // Qt's CUPS engine submits the job with cupsPrintFile on this thread as the painter ends,
    // and drops its answer; the library keeps that answer as the thread's last status.
    bool lastJobAccepted() override { return cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE; }

    bool sendsPdf() const override { return true; }

    // One Print-Job request with the document: cupsCreateJob and cupsPrintFile first fetch
    // every attribute of the queue, which costs more than the job itself.
    bool sendPdf(const std::string& pdf, const PdfJobOptions& job) override
    {
        cups_option_t* options = nullptr;
        int count = cupsAddOption("media", job.media.constData(), 0, &options);
        count = cupsAddOption("copies", "1", count, &options);
        count = cupsAddOption("sides", job.sides.constData(), count, &options);
        if (job.landscape)
            count = cupsAddOption("landscape", "", count, &options);
        // Encoded as an operation attribute with the options (else they add one of their own).
        count = cupsAddOption("document-format", CUPS_FORMAT_PDF, count, &options);
        char uri[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                         "/printers/%s", name_.constData());
        ipp_t* request = ippNewRequest(IPP_OP_PRINT_JOB);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, job.title.constData());
        cupsEncodeOptions2(request, count, options, IPP_TAG_OPERATION);
        cupsEncodeOptions2(request, count, options, IPP_TAG_JOB);
        cupsFreeOptions(count, options);

        const QByteArray resource = "/printers/" + name_;
        // The length is the request's and the document's together.
        http_status_t status = cupsSendRequest(CUPS_HTTP_DEFAULT, request, resource.constData(),
                                               ippLength(request) + pdf.size());
        if (status == HTTP_STATUS_CONTINUE)
            status = cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.data(), pdf.size());
        ipp_t* response = cupsGetResponse(CUPS_HTTP_DEFAULT, resource.constData());
        const bool accepted = status == HTTP_STATUS_CONTINUE && response != nullptr &&
                              cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE &&
                              ippFindAttribute(response, "job-id", IPP_TAG_INTEGER) != nullptr;
        ippDelete(response);
        ippDelete(request);
        return accepted;
    }

private:
    QByteArray name_;
};
#endif

class UntoldPrintQueue : public PrintQueue {
public:
    std::optional<int> waitingJobs() override { return std::nullopt; }
    bool lastJobAccepted() override { return true; }
};

} // namespace

PdfJobOptions JobOptionsOf(const QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    return {printer.docName().toLocal8Bit(), layout.pageSize().key().toLocal8Bit(), SidesOf(printer),
            layout.orientation() == QPageLayout::Landscape};
}

std::unique_ptr<PrintQueue> SystemPrintQueue(const QString& printerName)
{
#ifdef DORVANE_HAS_CUPS
    return std::make_unique<CupsPrintQueue>(printerName);
#else
    (void)printerName;
    return std::make_unique<UntoldPrintQueue>();
#endif
}

bool WaitForRoom(PrintQueue& queue, const std::function<bool()>& idle)
{
    for (;;) {
        const std::optional<int> waiting = queue.waitingJobs();
        if (!waiting || *waiting < kMostWaitingJobs)
            return true;
        if (!idle())
            return false;
    }
}

} // namespace dorvane
