#pragma once
// What makes an update trustworthy: where its files may come from, what they may be called
// on disk, and the signed manifest stating each file's size and SHA-256. Whoever controls
// the network between a shop and the update server must not be able to choose what runs.

#include "updater/UpdateProtocol.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dorvane {

// The maker's update server; tests point the check and the updater at a local one.
inline constexpr const char* kUpdateServer = "https://update.example.com";

// Beside the version file: the manifest and its detached Ed25519 signature (64 raw bytes).
inline constexpr std::string_view kManifestPath = "/DRV_update/manifest.txt";
inline constexpr std::string_view kManifestSignaturePath = "/DRV_update/manifest.sig";

// Neither file is anywhere near this big; a larger answer is refused unread.
inline constexpr std::uint64_t kManifestMaxBytes = 64 * 1024;

using PublicKey = std::array<unsigned char, 32>;
using SecretKey = std::array<unsigned char, 64>;

// The key the maker signs manifests with (public half, built in). The secret half is kept by
// whoever publishes updates and never enters the repository.
PublicKey BuiltInUpdateKey();

// Where the updater fetches from and whose signature it believes.
struct UpdateTrust {
    std::string server; // base address, e.g. "https://update.example.com"
    PublicKey key{};
};
UpdateTrust BuiltInUpdateTrust();

struct UrlParts {
    std::string scheme;  // lower case
    std::string userInfo;
    std::string host;    // lower case, brackets of an IPv6 address removed
    std::string port;    // empty when the URL names none
    std::string path;
    bool hasQuery = false;
    bool hasFragment = false;
};
// nullopt when url is not of the form scheme://authority[/path][?query][#fragment].
std::optional<UrlParts> SplitUrl(std::string_view url);

// server's base address joined with an absolute path on it.
std::string ServerFileUrl(std::string_view server, std::string_view path);

// 127.0.0.0/8, ::1 and "localhost".
bool IsLoopbackHost(std::string_view host);

// An address the program fetches from at all: https: anywhere, http: only on a loopback
// address (where nobody between the two ends can read or change the traffic).
bool IsAllowedAddress(std::string_view url);

// A file of the update: an allowed address on the update server's own scheme, host and port,
// without user info, query or fragment, and without "." or ".." among its path segments.
bool IsAllowedUpdateUrl(std::string_view url, std::string_view server);

// A name that can only mean a file in the updater's own folder: not empty, not "." or "..",
// no "/" or "\\", no drive letter (no ":" at all), no control character.
bool IsPlainFileName(std::string_view name);

// The last path segment of url with its %XX escapes decoded: the name the server knows the
// file by. Empty for a URL that is not one or whose escapes are malformed.
std::string DecodedFileName(std::string_view url);

struct ManifestEntry {
    std::string name;    // the server's file name, a plain name
    std::uint64_t size = 0;
    std::string sha256;  // 64 lower-case hex digits
    bool executable = false; // installed as a program where the file is new
    bool operator==(const ManifestEntry&) const = default;
};

struct Manifest {
    int version = 0;
    std::vector<ManifestEntry> files;
    const ManifestEntry* find(std::string_view name) const;
    bool operator==(const Manifest&) const = default;
};

// The manifest's text: "version N", then one "file SIZE SHA256 NAME" line per file, each
// line ending in "\n". Parsing is strict: any other line, a repeated name, a name that is not
// plain or a malformed number or hash refuses the whole manifest.
// An executable file is marked by a further line of the same form, for an empty file named
// "+x NAME" (kExecutableMark and the file's name) after all the files: updaters that know
// nothing of the mark read it as a file nobody asks for, so they still accept the manifest.
inline constexpr std::string_view kExecutableMark = "+x ";
std::string WriteManifest(const Manifest& manifest);
std::optional<Manifest> ParseManifest(std::string_view text);

// The manifest of files as they lie on the publisher's disk: each under its own file name,
// executable when its owner may execute it there. nullopt when a file cannot be read, its name
// is not plain or starts with kExecutableMark.
std::optional<Manifest> ManifestOfFiles(int version, const std::vector<std::filesystem::path>& files);

// SHA-256 and Ed25519 through libsodium.
std::string Sha256Hex(std::string_view bytes);
std::optional<std::string> Sha256HexOfFile(const std::filesystem::path& path);
std::string SignDetached(std::string_view message, const SecretKey& key);
bool VerifyDetached(std::string_view message, std::string_view signature, const PublicKey& key);
std::pair<PublicKey, SecretKey> MakeKeyPair();

std::string ToHex(std::string_view bytes);
// nullopt unless text is exactly bytes * 2 hex digits.
std::optional<std::string> FromHex(std::string_view text, std::size_t bytes);

// One file the updater fetches.
struct UpdateItem {
    std::string url;
    std::string serverName; // how the manifest names it
    std::string localName;  // what it replaces in the updater's folder
    std::uint64_t size = 0;
    std::string sha256;
    bool executable = false; // the manifest marks it, or it is the main program
};

// What a failed update tells the user.
enum class UpdateFailure {
    None,
    Network,    // no answer, an error status, a broken connection
    TimedOut,   // a transfer not done within its time
    Signature,  // the manifest is not signed by the key, or does not vouch for the files
    Incomplete, // a file's size or hash is not the manifest's
    Refused,    // the version file names an address or a name the updater refuses
    NotNewer,   // the signed release is not newer than the running program
    NotPlaced,  // the new files could not be put in place
};

struct UpdatePlan {
    std::vector<UpdateItem> items; // the new main program first
    std::string error;             // empty when the plan may be followed
    UpdateFailure failure = UpdateFailure::None;
};

// The local name of the new main program from the version file's second line: the
// server's name with its three-letter extension replaced by the platform's suffix. Empty when
// the address is not on the update server or the name is not plain, so that nothing named by
// a refused line is ever started.
std::string ProgramFileFor(std::string_view programUrl, std::string_view server);

// A name an update may never write in the program folder, letter case ignored: the settings
// and template folders, the address book, the version file and the updater's own work files.
bool IsReservedName(std::string_view localName);

// The files named by the version file, checked before any request is made: every address
// on the update server, every name plain and not reserved, no local name twice, the main
// program present.
UpdatePlan PlanUpdate(const VersionFile& versionFile, std::string_view server);

// The first planned name that something other than a file (a folder, a link to one) takes in
// folder; empty when every name is free or a file. Such a thing is never replaced.
std::string TakenByFolder(const std::filesystem::path& folder, const std::vector<UpdateItem>& items);

// Gives each planned file its stated size and hash from the manifest, once its signature
// has been checked against key. The signed release is installed whole or not at all: refuses
// a manifest whose version is not newer than runningVersion, is not the version file's, that
// lacks one of the planned files or lists a file the version file leaves out.
UpdatePlan ConfirmPlan(UpdatePlan plan, const VersionFile& versionFile, std::string_view manifestText,
                       std::string_view signature, const PublicKey& key, int runningVersion = kRunningVersion);

// The error of a downloaded file against its entry; empty when size and hash agree.
std::string CheckDownloadedFile(const std::filesystem::path& file, const UpdateItem& item);

// Gives a staged file the mode of the file it replaces, so that neither a program loses its
// execute bits nor a file its narrower mode; an executable file may also be executed by
// whoever may read it. A new file gets 0755 when executable, else 0644.
bool GiveInstalledMode(const std::filesystem::path& staged, const std::filesystem::path& target, bool executable);

} // namespace dorvane
