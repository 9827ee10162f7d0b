#pragma once
// The print log: every waybill printed, in the table PrintLog beside the address book (the
// file dataM/Dorvane.dorv or the shared server, StoreLocation.h). In the file the table is
// created by the first append that finds it missing; the address book's own tables are never
// touched. Text going in and out is GB18030 code-page
// bytes; the database holds UTF-8, as the address book does.

#include "store/StoreLocation.h"
#include "store/StoreResult.h"
#include "template/WaybillField.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace dorvane {

// Where a waybill was printed from; the words stored in the log's source column.
inline constexpr const char* kLogSourceWindow = "window";
inline constexpr const char* kLogSourcePreview = "preview";
inline constexpr const char* kLogSourceBatch = "batch";
inline constexpr const char* kLogSourceCli = "cli";

struct PrintLogEntry {
    std::int64_t id = 0;          // given by the database on append
    std::string time;             // local time, "YYYY-MM-DD HH:MM:SS"
    std::string templateName;     // as the template lists show it
    std::string printer;          // the printer's name, or the PDF file written
    std::string source;           // kLogSource...
    std::string waybillNumber;    // typed or scanned beside the print button; may be empty
    std::array<std::string, kFieldCount> texts; // the twenty fields, catalogue order
    std::string orderNumber;      // the order export's order number, when it has that column
    bool toPrinter = true;        // false: printed into a PDF file
    bool checkPrint = false;      // on plain paper, the form's picture under the texts
    // Given when the waybill is printed (Append gives one when empty): the log keeps one entry
    // per id, so an entry appended twice (a queue sent again) is stored once.
    std::string entryId;
};

// What a search keeps; every part given must match. Texts are code-page bytes and match
// anywhere inside the field.
struct PrintLogFilter {
    std::string since{};     // "YYYY-MM-DD", printed on or after that day; empty: from the first
    std::string until{};     // "YYYY-MM-DD", printed on or before that day; empty: to the last
    std::string name{};      // the recipient's name (and the sender's, with includeSender)
    std::string telephone{}; // the recipient's two numbers (and the sender's, with includeSender)
    std::string address{};   // the recipient's address (and the sender's, with includeSender)
    std::string anyText{};   // a name, a number, an address or the waybill number
    std::size_t limit = 0;   // at most this many, the newest; 0: all
    // The shop's own name, number and address are on every waybill: a search finds them only
    // when asked to.
    bool includeSender = false;
};

// What makes two waybills go to the same recipient: name, mobile, telephone and address. An
// order whose key the log holds was printed before.
std::string RecipientKey(const std::array<std::string, kFieldCount>& texts);

// What makes an order the same as one logged: its order number when the export has that column
// (orderNumber not empty), otherwise the recipient with the goods and their quantity.
std::string OrderKey(const std::array<std::string, kFieldCount>& texts, const std::string& orderNumber);

// A new, random entry id.
std::string NewLogEntryId();

// "YYYY-MM-DD HH:MM:SS" for a moment, in local time.
std::string LocalTimeText(std::time_t moment);

// True for a real calendar day written "YYYY-MM-DD".
bool IsLogDate(std::string_view text);

class StoreSession;

// The print log's columns: the entry's six (the id first), its fields, then the four that came
// later (order number, destination, check print, entry id).
inline constexpr int kPrintLogEntryColumns = 6;
inline constexpr int kPrintLogLaterColumnCount = 4;
// Every column but the id.
inline constexpr int kPrintLogInsertedColumns =
    kPrintLogEntryColumns - 1 + kFieldCount + kPrintLogLaterColumnCount;

// Whether the log's table has all four later columns; a file's log made before them reads them
// as null (the statements' Older twins) until its next append adds them.
Result<bool> PrintLogHasLaterColumns(StoreSession& session);
// Adds the later columns and the entry ids' index to a file's log made before them.
Result<void> UpgradePrintLog(StoreSession& session);

class PrintLog {
public:
    explicit PrintLog(StoreLocation location) : location_(std::move(location)) {}

    // Appends all entries in one transaction: all are stored or, on any failure (or a process
    // killed half-way), none. Their ids are ignored; an entry whose entryId the log holds is
    // left out. When the store cannot be reached (or stays locked) and the location has a
    // queue file, the entries go there instead and the append succeeds; every append and read
    // that reaches the store first sends what the queue holds.
    Result<void> Append(const std::vector<PrintLogEntry>& entries) const;
    // Sends the queue file's entries to the store; nothing to do succeeds.
    Result<void> SendQueued() const;
    // Newest first. A database without the table yet holds no entries.
    Result<std::vector<PrintLogEntry>> Search(const PrintLogFilter& filter) const;
    // The RecipientKey of every logged waybill.
    Result<std::unordered_set<std::string>> RecipientKeys() const;
    // The time of the newest waybill printed at or after since ("YYYY-MM-DD HH:MM:SS") to the
    // recipient of texts (the same RecipientKey); nullopt when there is none. Found through the
    // log's index, not by reading the log.
    Result<std::optional<std::string>> LastPrintTo(const std::array<std::string, kFieldCount>& texts,
                                                   const std::string& since) const;
    // The RecipientKey of the newest logged waybill; nullopt for an empty log.
    Result<std::optional<std::string>> NewestRecipientKey() const;
    // The OrderKeys of the waybills sent to a printer (check prints and PDF files are not):
    // what tells an order printed before. A logged waybill with an order number gives both
    // its keys, so an export without that column still finds it by its contents.
    Result<std::unordered_set<std::string>> PrintedOrderKeys() const;
    // nullopt for an id the log does not hold.
    Result<std::optional<PrintLogEntry>> Find(std::int64_t id) const;

private:
    StoreLocation location_;
};

} // namespace dorvane
