#pragma once
// The update protocol shared by the main program's update check and the updater: the
// server's version file (line 1 the latest version number, line 2 the new main program's
// URL, further lines further files) and the names the downloads are saved under.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

// The running main program's version, 2.2.2 written without its points.
inline constexpr int kRunningVersion = 222;

// Where the version file lies on the update server, and its local name.
inline constexpr std::string_view kVersionFilePath = "/DRV_update/version.txt";
inline constexpr std::string_view kLocalVersionFile = "version.txt";

// The version file is a few short lines: a longer answer is not one, and is refused rather
// than written into the program's folder.
inline constexpr long long kVersionFileMaxBytes = 8 * 1024;

// How long a transfer may take in all, so that a server sending a byte now and then cannot
// keep a station waiting: 20 s for the small files (version file, manifest, signature); a
// program file gets a minute plus a second for every 32 KB it has.
inline constexpr int kSmallFileTimeoutMs = 20000;
int FileTimeoutMs(unsigned long long size);

// text without a leading UTF-8 byte-order mark, which an editor on Windows may put before the
// version number.
std::string_view WithoutByteOrderMark(std::string_view text);

// The suffix of a program file on this platform.
#ifdef _WIN32
inline constexpr std::string_view kProgramSuffix = ".exe";
#else
inline constexpr std::string_view kProgramSuffix = "";
#endif

// The updater's file name on this platform.
std::string UpdaterProgramName();

// True when the first line of the server's version file names a version newer than the
// running one. The line is read as the C library reads a decimal (leading blanks, a sign,
// digits), after a byte-order mark; a line that does not start with a number counts as 0, so
// as not newer.
bool IsNewerVersion(std::string_view firstLine);

struct VersionFile {
    std::string latestVersion;           // line 1, not used by the updater
    std::string programUrl;              // line 2, empty when the file has one line
    std::vector<std::string> furtherUrls; // lines 3 on; blank lines are skipped
};

// Splits the version file's content, after a byte-order mark; lines may end in "\r\n" or "\n".
VersionFile ParseVersionFile(std::string_view content);

// The file name of a URL: its text after the last "/".
std::string UrlFileName(std::string_view url);

// The local name of the new main program: the file name of its URL with the last four
// characters (a dot and a three-letter extension on the server) replaced by suffix.
// A name of four characters or less leaves only the suffix.
std::string NewProgramFileName(std::string_view programUrl, std::string_view suffix = kProgramSuffix);

// A file name the update protocol carries as UTF-8, as a path in the system's encoding.
std::filesystem::path Utf8FileName(std::string_view name);

// The updater's folder, from its own file path: the path's folder when the file carries
// the updater's name (letter case ignored on Windows), else empty, so that the current
// directory serves.
std::filesystem::path UpdaterFolderFor(const std::filesystem::path& modulePath,
                                       std::string_view programName);

// The version file in folder: "version.txt", the name the main program's update check writes,
// or else "Version.txt"; empty when neither exists. A "Version.txt" left by an earlier update
// never hides the one just written.
std::filesystem::path FindVersionFile(const std::filesystem::path& folder);

} // namespace dorvane
