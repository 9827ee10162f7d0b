#pragma once
// The spooler's queue of one printer, as far as a batch of one job per waybill needs it: how
// many jobs wait there, whether the job just ended was taken, and, with CUPS, sending a PDF
// drawn elsewhere as a job of its own. The window and dorvane-cli
// pace their jobs through it, so that Pause and Cancel stop the paper within a few sheets.

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QPrinter;

namespace dorvane {

// A job is sent only while fewer than this many wait ahead of it: with the one printing, at
// most this many sheets follow a Pause or a Cancel.
inline constexpr int kMostWaitingJobs = 2;

// What a job is sent with, as Qt's CUPS engine sends a printer's document: its title, the
// paper named by the page size's key, the sides, one copy. Taken once from the printer: asking
// a CUPS printer for its settings reads the queue's attributes each time.
struct PdfJobOptions {
    QByteArray title;
    QByteArray media;
    QByteArray sides;
    bool landscape = false;
};
PdfJobOptions JobOptionsOf(const QPrinter& printer);

class PrintQueue {
public:
    virtual ~PrintQueue() = default;
    // The jobs waiting in the queue, the one printing not counted; nullopt when the spooler
    // cannot tell (no pacing then).
    virtual std::optional<int> waitingJobs() = 0;
    // Whether the spooler took the job that this thread's printer last ended.
    virtual bool lastJobAccepted() = 0;

    // Whether sendPdf() can hand documents to the spooler; when not, each job goes through a
    // QPrinter of its own.
    virtual bool sendsPdf() const { return false; }
    // Sends one PDF as a job of its own; true when the spooler took it.
    virtual bool sendPdf(const std::string& pdf, const PdfJobOptions& options)
    {
        (void)pdf;
        (void)options;
        return false;
    }
};

// The system spooler's queue of printerName (CUPS on Linux). Elsewhere a queue that cannot
// tell: jobs are sent at once and taken as accepted when the printer ended them.
std::unique_ptr<PrintQueue> SystemPrintQueue(const QString& printerName);

// Waits until the queue has room for one more job. idle() is called between two looks at the
// queue (it lets the window take its events, or sleeps); false from it stops the wait, and
// then this returns false.
bool WaitForRoom(PrintQueue& queue, const std::function<bool()>& idle);

} // namespace dorvane
