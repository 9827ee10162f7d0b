#include "updater/SwapJournal.h"

#include "text/TextFile.h"
#include "updater/UpdateIntegrity.h"
#include "updater/UpdateProtocol.h"

#include <fstream>
#include <set>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace dorvane {

namespace fs = std::filesystem;

namespace {

// Makes a file's bytes, or a folder's list of names, durable before the next step relies on them.
bool Sync(const fs::path& path, bool folder)
{
#ifdef _WIN32
    if (folder)
        return true; // NTFS journals its renames itself
    HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = FlushFileBuffers(handle);
    CloseHandle(handle);
    return ok;
#else
    const int fd = ::open(path.c_str(), (folder ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
#endif
}

fs::path Base(const fs::path& folder)
{
    return folder.empty() ? fs::path(".") : folder;
}

fs::path JournalPath(const fs::path& folder)
{
    return Base(folder) / kSwapJournalName;
}

// Written under a temporary name, flushed and renamed: a journal is whole or absent.
bool SaveJournal(const fs::path& folder, const SwapJournal& journal)
{
    fs::path temp = JournalPath(folder);
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << WriteSwapJournal(journal);
        if (!out.flush())
            return false;
    }
    std::error_code ec;
    if (!Sync(temp, false))
        return false;
    fs::rename(temp, JournalPath(folder), ec);
    return !ec && Sync(Base(folder), true);
}

bool RemoveJournal(const fs::path& folder)
{
    std::error_code ec;
    fs::remove(JournalPath(folder), ec);
    return !ec && Sync(Base(folder), true);
}

bool Exists(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

bool HoldsNewFile(const fs::path& path, const SwapEntry& entry)
{
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(path, ec)))
        return false;
    const auto hash = Sha256HexOfFile(path);
    return hash && *hash == entry.sha256;
}

fs::path Target(const fs::path& folder, const SwapEntry& entry)
{
    return Base(folder) / Utf8FileName(entry.name);
}

// Puts every file back as it stood before the swap, whichever of its steps were made.
bool RollBack(const fs::path& folder, const SwapJournal& journal)
{
    bool ok = true;
    for (std::size_t i = 0; i < journal.files.size(); ++i) {
        const SwapEntry& entry = journal.files[i];
        const fs::path target = Target(folder, entry);
        std::error_code ec;
        if (Exists(SetAsideFile(folder, journal, i)))
            fs::rename(SetAsideFile(folder, journal, i), target, ec);
        else if (!entry.replacesOld && HoldsNewFile(target, entry))
            fs::remove(target, ec); // a file the update added
        ok = ok && !ec;
    }
    return Sync(Base(folder), true) && ok;
}

// Makes the remaining steps of the swap: sets aside what still stands in the way and moves in
// every new file not yet in place.
bool Complete(const fs::path& folder, const SwapJournal& journal)
{
    bool ok = true;
    for (std::size_t i = 0; i < journal.files.size(); ++i) {
        const SwapEntry& entry = journal.files[i];
        const fs::path target = Target(folder, entry);
        if (HoldsNewFile(target, entry))
            continue;
        std::error_code ec;
        if (Exists(target) && entry.replacesOld && !Exists(SetAsideFile(folder, journal, i)))
            fs::rename(target, SetAsideFile(folder, journal, i), ec);
        if (!ec)
            fs::rename(StagedFile(folder, journal, i), target, ec);
        ok = ok && !ec;
    }
    return Sync(Base(folder), true) && ok;
}

} // namespace

std::string WriteSwapJournal(const SwapJournal& journal)
{
    std::string text = "swap " + journal.staging + "\n" + (journal.undo ? "undo\n" : "do\n");
    for (const SwapEntry& entry : journal.files)
        text += "file " + entry.sha256 + (entry.replacesOld ? " old " : " new ") + entry.name + "\n";
    return text;
}

std::optional<SwapJournal> ParseSwapJournal(std::string_view text)
{
    if (text.empty() || text.back() != '\n')
        return std::nullopt;
    const auto lines = SplitAt(text.substr(0, text.size() - 1), '\n');
    if (lines.size() < 2 || !lines[0].starts_with("swap ") || (lines[1] != "do" && lines[1] != "undo"))
        return std::nullopt;
    SwapJournal journal;
    journal.staging = lines[0].substr(5);
    journal.undo = lines[1] == "undo";
    if (!IsPlainFileName(journal.staging) || !journal.staging.starts_with(kStagingPrefix))
        return std::nullopt;
    std::set<std::string> names;
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        // "file " + 64 hex digits + " old " or " new " + the name
        if (!line.starts_with("file ") || line.size() < 5 + 64 + 5 + 1)
            return std::nullopt;
        SwapEntry entry;
        entry.sha256 = std::string(line.substr(5, 64));
        const std::string_view kind = line.substr(69, 5);
        entry.name = std::string(line.substr(74));
        if ((kind != " old " && kind != " new ") || !FromHex(entry.sha256, 32) ||
            !IsPlainFileName(entry.name) || !names.insert(entry.name).second)
            return std::nullopt;
        entry.replacesOld = kind == " old ";
        journal.files.push_back(std::move(entry));
    }
    return journal;
}

fs::path StagedFile(const fs::path& folder, const SwapJournal& journal, std::size_t i)
{
    return Base(folder) / journal.staging / ("new-" + std::to_string(i));
}

fs::path SetAsideFile(const fs::path& folder, const SwapJournal& journal, std::size_t i)
{
    return Base(folder) / journal.staging / "old" / ("old-" + std::to_string(i));
}

bool SwapIn(const fs::path& folder, SwapJournal journal, const SwapStepHook& beforeStep)
{
    auto step = [&beforeStep, next = 0]() mutable {
        if (beforeStep)
            beforeStep(next);
        ++next;
    };
    // A start of another of the programs waits here rather than take this swap for an
    // interrupted one. The lock's file stays in the folder, as every lock file does.
    const FileLock lock(JournalPath(folder));
    std::error_code ec;
    for (std::size_t i = 0; i < journal.files.size(); ++i) {
        SwapEntry& entry = journal.files[i];
        const fs::path target = Target(folder, entry);
        const auto status = fs::symlink_status(target, ec);
        entry.replacesOld = fs::exists(status);
        if (entry.replacesOld && !fs::is_regular_file(fs::status(target, ec)))
            return false; // a folder, or a link to one: never replaced by a file
        if (!Sync(StagedFile(folder, journal, i), false))
            return false;
    }
    fs::create_directories(Base(folder) / journal.staging / "old", ec);
    step();
    if (ec || !SaveJournal(folder, journal))
        return false;

    auto undo = [&] {
        journal.undo = true;
        // Should the journal not take the change, the next start still finds this swap, and
        // undoes it when it cannot complete it either.
        SaveJournal(folder, journal);
        if (RollBack(folder, journal))
            RemoveJournal(folder);
        return false;
    };
    for (std::size_t i = 0; i < journal.files.size(); ++i) {
        if (!journal.files[i].replacesOld)
            continue;
        step();
        fs::rename(Target(folder, journal.files[i]), SetAsideFile(folder, journal, i), ec);
        if (ec)
            return undo();
    }
    for (std::size_t i = 0; i < journal.files.size(); ++i) {
        step();
        fs::rename(StagedFile(folder, journal, i), Target(folder, journal.files[i]), ec);
        if (ec)
            return undo();
    }
    if (!Sync(Base(folder), true))
        return undo();
    step();
    RemoveJournal(folder);
    return true;
}

bool HasSwapJournal(const fs::path& folder)
{
    return Exists(JournalPath(folder));
}

SwapRecovery RecoverSwap(const fs::path& folder)
{
    // Nearly every start finds no journal, and then takes no lock.
    if (!HasSwapJournal(folder))
        return SwapRecovery::None;
    const FileLock lock(JournalPath(folder));
    std::error_code ec;
    fs::path temp = JournalPath(folder);
    temp += ".tmp";
    fs::remove(temp, ec); // a journal never finished: its swap never began
    std::ifstream in(JournalPath(folder), std::ios::binary);
    if (!in)
        return Exists(JournalPath(folder)) ? SwapRecovery::Failed : SwapRecovery::None;
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    in.close();
    auto journal = ParseSwapJournal(text);
    if (!journal)
        return SwapRecovery::Failed;

    bool forward = !journal->undo;
    for (std::size_t i = 0; forward && i < journal->files.size(); ++i) {
        const SwapEntry& entry = journal->files[i];
        forward = HoldsNewFile(Target(folder, entry), entry) ||
                  HoldsNewFile(StagedFile(folder, *journal, i), entry);
    }
    if (forward && !Complete(folder, *journal)) {
        // What cannot be completed is taken back, and the journal says so first.
        forward = false;
        journal->undo = true;
        SaveJournal(folder, *journal);
    }
    if ((!forward && !RollBack(folder, *journal)) || !RemoveJournal(folder))
        return SwapRecovery::Failed;
    fs::remove_all(Base(folder) / journal->staging, ec);
    return forward ? SwapRecovery::Completed : SwapRecovery::RolledBack;
}

} // namespace dorvane
