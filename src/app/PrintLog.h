#pragma once
// The print log: every waybill printed, in the table PrintLog beside the address book (the
// file dataM/Dorvane.dorv or the shared server, StoreLocation.h). In the file the table is
// created by the first append that finds it missing; the address book's own tables are never
// touched. Text going in and out is GB18030 code-page
// bytes; the database holds UTF-8, as the address book does.

#include "app/StoreLocation.h"
#include "app/StoreResult.h"
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
};

// What a search keeps; every part given must match. Texts are code-page bytes and match
// anywhere inside the field.
struct PrintLogFilter {
    std::string since{};     // "YYYY-MM-DD", printed on or after that day; empty: from the first
    std::string until{};     // "YYYY-MM-DD", printed on or before that day; empty: to the last
    std::string name{};      // either name, sender or recipient
    std::string telephone{}; // any of the four numbers
    std::string address{};   // either address
    std::string anyText{};   // a name, a number, an address or the waybill number
    std::size_t limit = 0;   // at most this many, the newest; 0: all
};

// What makes two waybills go to the same recipient: name, mobile, telephone and address. An
// order whose key the log holds was printed before.
std::string RecipientKey(const std::array<std::string, kFieldCount>& texts);

// "YYYY-MM-DD HH:MM:SS" for a moment, in local time.
std::string LocalTimeText(std::time_t moment);

// True for a real calendar day written "YYYY-MM-DD".
bool IsLogDate(std::string_view text);

class PrintLog {
public:
    explicit PrintLog(StoreLocation location) : location_(std::move(location)) {}

    // Appends all entries in one transaction: all are stored or, on any failure (or a process
    // killed half-way), none. Their ids are ignored.
    Result<void> Append(const std::vector<PrintLogEntry>& entries) const;
    // Newest first. A database without the table yet holds no entries.
    Result<std::vector<PrintLogEntry>> Search(const PrintLogFilter& filter) const;
    // The RecipientKey of every logged waybill: what tells an order printed before.
    Result<std::unordered_set<std::string>> RecipientKeys() const;
    // The time of the newest waybill printed at or after since ("YYYY-MM-DD HH:MM:SS") to the
    // recipient of texts (the same RecipientKey); nullopt when there is none. Found through the
    // log's index, not by reading the log.
    Result<std::optional<std::string>> LastPrintTo(const std::array<std::string, kFieldCount>& texts,
                                                   const std::string& since) const;
    // The RecipientKey of the newest logged waybill; nullopt for an empty log.
    Result<std::optional<std::string>> NewestRecipientKey() const;
    // nullopt for an id the log does not hold.
    Result<std::optional<PrintLogEntry>> Find(std::int64_t id) const;

private:
    StoreLocation location_;
};

} // namespace dorvane
