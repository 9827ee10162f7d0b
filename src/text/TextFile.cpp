#include "text/TextFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <process.h>
#include <windows.h>
#define DORVANE_GETPID() _getpid()
#define DORVANE_FSYNC(fd) _commit(fd)
#define DORVANE_FILENO(f) _fileno(f)
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#define DORVANE_GETPID() getpid()
#define DORVANE_FSYNC(fd) fsync(fd)
#define DORVANE_FILENO(f) fileno(f)
#endif

namespace dorvane {

namespace fs = std::filesystem;

namespace {

// Opens a file by its own name: on Windows the wide one, as the narrow name would be read in
// the ANSI code page and a Chinese folder name would not survive it.
std::FILE* OpenFile(const fs::path& path, const char* mode)
{
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

// The file a path finally names, symbolic links followed (a relative link counts from its own
// folder), so that a save replaces the target and the link stays; nullopt for a loop of links.
std::optional<fs::path> FollowLinks(fs::path path)
{
    constexpr int kMaxLinks = 40; // as the kernel's own limit
    std::error_code ec;
    for (int i = 0; i < kMaxLinks; ++i) {
        if (!fs::is_symlink(path, ec))
            return path;
        const fs::path link = fs::read_symlink(path, ec);
        if (ec)
            return std::nullopt;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return std::nullopt;
}

// Writes content in chunks, flushes it to disk and closes the file.
bool WriteAndClose(std::FILE* file, std::string_view content, const ChunkWriter& writer)
{
    bool ok = true;
    constexpr std::size_t kChunk = 4096;
    for (std::size_t pos = 0; ok && pos < content.size(); pos += kChunk) {
        const std::string_view chunk = content.substr(pos, kChunk);
        ok = writer ? writer(file, chunk) : std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
    }
    ok = ok && std::fflush(file) == 0 && DORVANE_FSYNC(DORVANE_FILENO(file)) == 0;
    return (std::fclose(file) == 0) && ok;
}

// Gives the new file the old one's permissions and, where the system allows it (root saving
// someone else's file, a group the user belongs to), its owner and group.
void TakeAccessOf(const fs::path& old, std::FILE* file, const fs::path& fresh)
{
    std::error_code ec;
    const fs::perms perms = fs::status(old, ec).permissions();
    if (!ec)
        fs::permissions(fresh, perms, ec);
#ifndef _WIN32
    struct stat info {};
    if (::stat(old.c_str(), &info) == 0 && fchown(fileno(file), info.st_uid, info.st_gid) != 0) {
        // Not allowed to give it away: the file stays this user's, as any new file would be.
    }
#else
    (void)file;
#endif
}

fs::path LockPathOf(const fs::path& path)
{
    fs::path lockPath = FollowLinks(path).value_or(path);
    lockPath += ".lock";
    return lockPath;
}

// A name no other save uses, this process's or another's: the process id and a count.
fs::path TemporaryNameFor(const fs::path& target)
{
    static std::atomic<unsigned long> count{0};
    fs::path temp = target;
    temp += "." + std::to_string(DORVANE_GETPID()) + "-" + std::to_string(++count) + ".tmp";
    return temp;
}

// Temporary files of target left by a save that died part-way. Only called under the lock,
// when no other save of target is writing one.
void RemoveLeftovers(const fs::path& target)
{
    const std::string prefix = target.filename().string() + ".";
    std::error_code ec;
    std::vector<fs::path> leftovers;
    for (fs::directory_iterator it(target.parent_path().empty() ? fs::path(".") : target.parent_path(), ec),
         end;
         !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > prefix.size() + 4 && name.starts_with(prefix) && name.ends_with(".tmp") &&
            it->is_regular_file(ec))
            leftovers.push_back(it->path());
    }
    for (const fs::path& leftover : leftovers)
        fs::remove(leftover, ec);
}

bool WriteLocked(bool locked, const fs::path& path, std::string_view content, const ChunkWriter& writer);

} // namespace

FileLock::FileLock(const fs::path& path)
{
    const fs::path lockPath = LockPathOf(path);
#ifdef _WIN32
    HANDLE handle = CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    OVERLAPPED whole{};
    if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole)) {
        CloseHandle(handle);
        return;
    }
    handle_ = handle;
#else
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    int result;
    while ((result = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (result != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
#endif
}

FileLock::~FileLock()
{
#ifdef _WIN32
    if (handle_) {
        OVERLAPPED whole{};
        UnlockFileEx(static_cast<HANDLE>(handle_), 0, 1, 0, &whole);
        CloseHandle(static_cast<HANDLE>(handle_));
    }
#else
    if (fd_ >= 0)
        ::close(fd_); // closing the only descriptor releases the lock
#endif
}

bool FileLock::held() const
{
#ifdef _WIN32
    return handle_ != nullptr;
#else
    return fd_ >= 0;
#endif
}

std::optional<std::vector<std::string>> ReadLines(const fs::path& path)
{
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string LineOr(const std::vector<std::string>& lines, std::size_t i)
{
    return i < lines.size() ? lines[i] : std::string();
}

bool WriteFileAtomically(const fs::path& path, std::string_view content, const ChunkWriter& writer)
{
    return WriteLocked(false, path, content, writer);
}

bool WriteFileAtomically(const FileLock& lock, const fs::path& path, std::string_view content,
                         const ChunkWriter& writer)
{
    return WriteLocked(lock.held(), path, content, writer);
}

namespace {

bool WriteLocked(bool locked, const fs::path& path, std::string_view content, const ChunkWriter& writer)
{
    const auto target = FollowLinks(path);
    if (!target)
        return false;
    std::error_code ec;
    const bool exists = fs::exists(*target, ec);
    if (ec || (exists && !fs::is_regular_file(*target, ec)))
        return false;
    if (exists) {
        // Opening for appending writes nothing: it only asks whether this user may write.
        std::FILE* probe = OpenFile(*target, "ab");
        if (!probe)
            return false;
        std::fclose(probe);
    }

    if (locked)
        RemoveLeftovers(*target);
    const fs::path temp = TemporaryNameFor(*target);
    std::FILE* file = OpenFile(temp, "wb");
    if (!file) {
        if (!exists || (errno != EACCES && errno != EPERM))
            return false;
        std::FILE* inPlace = OpenFile(*target, "wb");
        return inPlace && WriteAndClose(inPlace, content, writer);
    }
    if (exists)
        TakeAccessOf(*target, file, temp);

    bool ok = WriteAndClose(file, content, writer);
    if (ok) {
        fs::rename(temp, *target, ec);
        ok = !ec;
    }
    if (!ok)
        fs::remove(temp, ec);
    return ok;
}

} // namespace

std::string JoinLines(const std::vector<std::string>& lines, bool lastWithoutEnd)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (!(lastWithoutEnd && i + 1 == lines.size()))
            text += kLineEnd;
    }
    return text;
}

std::vector<std::string> SplitAt(std::string_view text, char separator)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find(separator, start)) != std::string_view::npos; start = pos + 1)
        pieces.emplace_back(text.substr(start, pos - start));
    pieces.emplace_back(text.substr(start));
    return pieces;
}

int ToInt(std::string_view text)
{
    // strtol on a bounded copy; out-of-range values clamp as atoi's usual implementation does
    // on 64-bit longs, then narrow to the 32-bit range.
    const std::string copy(text);
    errno = 0;
    const long value = std::strtol(copy.c_str(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace dorvane
