#pragma once
// Putting an update's files in place so that the program folder is never left half old, half
// new, or without its program, even when the updater dies between two renames. Before the first
// rename a journal of the swap is written into the program folder; the next start of any of the
// programs finds it and completes the swap, or undoes it, before doing anything else.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

// The journal in the program folder, and the folders an update stages its files in there.
inline constexpr std::string_view kSwapJournalName = ".dorvane-swap";
inline constexpr std::string_view kStagingPrefix = ".updorv-";

// One file of a swap. The new file waits in the staging folder as "new-I" (I its place in the
// journal); the file it replaces is set aside there as "old/old-I" until the swap is done.
struct SwapEntry {
    std::string name;         // in the program folder, UTF-8
    std::string sha256;       // of the new file
    bool replacesOld = false; // a file stood under the name before the swap
    bool operator==(const SwapEntry&) const = default;
};

struct SwapJournal {
    std::string staging; // the staging folder's name in the program folder
    bool undo = false;   // the swap failed and is being taken back
    std::vector<SwapEntry> files;
    bool operator==(const SwapJournal&) const = default;
};

// "swap STAGING", then "undo" or "do", then one "file SHA256 old|new NAME" line per file.
std::string WriteSwapJournal(const SwapJournal& journal);
// nullopt for anything else, for a staging folder that is not one, and for a name that is not
// plain or comes twice.
std::optional<SwapJournal> ParseSwapJournal(std::string_view text);

std::filesystem::path StagedFile(const std::filesystem::path& folder, const SwapJournal& journal,
                                 std::size_t i);
std::filesystem::path SetAsideFile(const std::filesystem::path& folder, const SwapJournal& journal,
                                   std::size_t i);

// Called before each change the swap makes to the program folder, numbered from 0: writing the
// journal, setting aside each file that is replaced, putting each new file in place, removing
// the journal. The updater's test build pauses there to be killed.
using SwapStepHook = std::function<void(int step)>;

// Puts journal's staged files in place in folder (journal.replacesOld is found here): all or
// none. The staged files are flushed to disk and the journal written before the first rename.
// On a failure every file is put back as it was and false is returned. Refused before any
// change when a name is taken by anything but a file.
bool SwapIn(const std::filesystem::path& folder, SwapJournal journal, const SwapStepHook& beforeStep = {});

// True while folder holds the journal of a swap not yet done or undone.
bool HasSwapJournal(const std::filesystem::path& folder);

enum class SwapRecovery {
    None,       // no journal: no swap was interrupted
    Completed,  // every new file is in place
    RolledBack, // every file is as it was before the swap
    Failed,     // the journal cannot be read or a file cannot be moved; it stays for the next start
};

// Completes a swap whose journal lies in folder when every new file is still to be had (in the
// staging folder or already in place) and the swap was not being undone; otherwise undoes it.
// Then removes the journal and the staging folder. Waits for an updater swapping right now.
SwapRecovery RecoverSwap(const std::filesystem::path& folder);

} // namespace dorvane
