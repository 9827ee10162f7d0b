#include "app/TextFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#define DORVANE_FSYNC(fd) _commit(fd)
#define DORVANE_FILENO(f) _fileno(f)
#else
#include <unistd.h>
#define DORVANE_FSYNC(fd) fsync(fd)
#define DORVANE_FILENO(f) fileno(f)
#endif

namespace dorvane {

std::optional<std::vector<std::string>> ReadLines(const std::filesystem::path& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return std::nullopt;
    // Opened for reading and writing: a file that cannot be written counts as not openable.
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
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

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content,
                         const ChunkWriter& writer)
{
    std::filesystem::path temp = path;
    temp += ".tmp";
    std::FILE* file = std::fopen(temp.string().c_str(), "wb");
    if (!file)
        return false;

    bool ok = true;
    constexpr std::size_t kChunk = 4096;
    for (std::size_t pos = 0; ok && pos < content.size(); pos += kChunk) {
        const std::string_view chunk = content.substr(pos, kChunk);
        ok = writer ? writer(file, chunk)
                    : std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
    }
    ok = ok && std::fflush(file) == 0 && DORVANE_FSYNC(DORVANE_FILENO(file)) == 0;
    ok = (std::fclose(file) == 0) && ok;

    std::error_code ec;
    if (ok) {
        std::filesystem::rename(temp, path, ec);
        ok = !ec;
    }
    if (!ok)
        std::filesystem::remove(temp, ec);
    return ok;
}

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
