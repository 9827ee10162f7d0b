#pragma once
// The print log's entries that could not reach the store, in a file beside the settings: one
// entry a line, its cells tab-separated, sent to the store when it answers again.

#include "store/PrintLog.h"

#include <filesystem>
#include <functional>
#include <vector>

namespace dorvane {

// Appends the entries to the queue file; false when it cannot be written.
bool QueueLogEntries(const std::filesystem::path& queue, const std::vector<PrintLogEntry>& entries);

// Hands what the queue holds to store, and forgets it once stored. The file is first moved
// aside, so that entries queued meanwhile by another program wait for the next time; files
// moved aside by a program that stopped half-way are sent too. What store refuses goes back
// into the queue. Sending an entry twice is harmless: the log keeps one per entry id.
Result<void> SendLogQueue(const std::filesystem::path& queue,
                          const std::function<Result<void>(const std::vector<PrintLogEntry>&)>& store);

// The line and back: exposed for the tests of odd texts.
std::string QueueLine(const PrintLogEntry& entry);
std::optional<PrintLogEntry> EntryFromQueueLine(std::string_view line);

} // namespace dorvane
