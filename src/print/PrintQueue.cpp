#include "print/PrintQueue.h"

#ifdef DORVANE_HAS_CUPS
#include <cups/cups.h>
#endif

namespace dorvane {

namespace {

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
