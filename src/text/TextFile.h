#pragma once
// Line-oriented text files of the settings and layout kinds: read with either line end,
// written with "\r\n" through a temporary file renamed over the target, so a crash or a full
// disk never leaves a truncated file behind.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

inline constexpr std::string_view kLineEnd = "\r\n";

// The lines of a file without their line ends ("\r\n" or "\n"); nullopt when the file
// does not exist or cannot be read. A file that may be read but not written is read: whether
// it may be replaced is the writer's question.
std::optional<std::vector<std::string>> ReadLines(const std::filesystem::path& path);

// Line i of lines, or an empty string when the file has fewer lines.
std::string LineOr(const std::vector<std::string>& lines, std::size_t i);

// Writes one chunk of the new content; returns false when the write failed. Tests replace it
// to interrupt a save part-way.
using ChunkWriter = std::function<bool(std::FILE* file, std::string_view chunk)>;

// An exclusive lock on one file, held while the object lives, so that parallel runs (one per
// printer, say) never save over each other's changes. The lock is taken on a file beside the
// target ("name.lock"), which is left in place: removing it would let two runs lock two
// different files. Where the folder takes no new file the lock cannot be had and the save goes
// ahead without it. Not reentrant: a holder passes the lock on rather than taking it again.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const;

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// Replaces path's content with content: writes a temporary file beside it, flushes it to
// disk and renames it over path. On any failure the old file is untouched, the temporary
// file is removed and false is returned.
// The save changes the content and nothing else: a symbolic link is followed and its target
// written, the file keeps its permissions (and, where allowed, its owner and group), and a
// file this user may not write is left as it is even when its folder would allow replacing
// it. Where the folder takes no new file but the file itself is writable, the file is
// overwritten in place, the only way left, without the rename's protection.
// The temporary file's name is this save's own. Files written by parallel runs (the settings)
// are saved by the holder of their lock, below.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content,
                         const ChunkWriter& writer = {});
// The same save by the holder of the file's lock, which also clears temporary files left by a
// save that died part-way. A read-modify-write holds the lock from its read to its write, so
// that no other save falls between.
bool WriteFileAtomically(const FileLock& lock, const std::filesystem::path& path, std::string_view content,
                         const ChunkWriter& writer = {});

// Joins lines, each followed by "\r\n"; when lastWithoutEnd, the last line gets none.
std::string JoinLines(const std::vector<std::string>& lines, bool lastWithoutEnd = false);

// Cuts text at every occurrence of the single-byte separator.
std::vector<std::string> SplitAt(std::string_view text, char separator);

// The C library's decimal conversion: leading blanks, a sign, digits; anything else is 0.
int ToInt(std::string_view text);

} // namespace dorvane
