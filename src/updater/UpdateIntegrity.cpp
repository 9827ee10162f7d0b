#include "updater/UpdateIntegrity.h"

#include "text/TextFile.h"
#include "updater/SwapJournal.h"

#include <sodium.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <set>

namespace dorvane {

namespace fs = std::filesystem;

namespace {

// The maker's signing key, public half. Replace it with the output of
// `dorvane-updsign keygen` when the signing key changes.
constexpr std::string_view kBuiltInKeyHex = "4c960363cc0f83a7b1611e57a4325b3b5fb13f9c9476d2537e73d6db67e253e1";

void InitSodium()
{
    // sodium_init may be called any number of times from any thread; it only fails when the
    // system offers no randomness, and then key generation is the only thing that cannot work.
    static const int ready = sodium_init();
    (void)ready;
}

std::string Lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> PercentDecoded(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

bool SameOrigin(const UrlParts& a, const UrlParts& b)
{
    auto port = [](const UrlParts& url) {
        if (!url.port.empty())
            return url.port;
        return std::string(url.scheme == "https" ? "443" : "80");
    };
    return a.scheme == b.scheme && a.host == b.host && port(a) == port(b);
}

bool IsAllowedParts(const UrlParts& url)
{
    if (url.host.empty())
        return false;
    return url.scheme == "https" || (url.scheme == "http" && IsLoopbackHost(url.host));
}

} // namespace

std::string ServerFileUrl(std::string_view server, std::string_view path)
{
    std::string base(server);
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base + std::string(path);
}

PublicKey BuiltInUpdateKey()
{
    PublicKey key{};
    const auto bytes = FromHex(kBuiltInKeyHex, key.size());
    std::copy(bytes->begin(), bytes->end(), key.begin());
    return key;
}

UpdateTrust BuiltInUpdateTrust()
{
    return {kUpdateServer, BuiltInUpdateKey()};
}

std::optional<UrlParts> SplitUrl(std::string_view url)
{
    const auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || url.substr(colon, 3) != "://")
        return std::nullopt;
    UrlParts parts;
    parts.scheme = Lower(url.substr(0, colon));
    auto schemeChar = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    };
    if (!std::all_of(parts.scheme.begin(), parts.scheme.end(), schemeChar))
        return std::nullopt;
    std::string_view rest = url.substr(colon + 3);
    const auto authorityEnd = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, authorityEnd);
    rest = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        parts.userInfo = std::string(authority.substr(0, at));
        authority = authority.substr(at + 1);
    }
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        parts.host = Lower(authority.substr(1, close - 1));
        authority = authority.substr(close + 1);
        if (!authority.empty() && authority.front() != ':')
            return std::nullopt;
    } else {
        const auto portColon = authority.find(':');
        parts.host = Lower(authority.substr(0, portColon));
        authority = portColon == std::string_view::npos ? std::string_view() : authority.substr(portColon);
    }
    if (!authority.empty()) {
        parts.port = std::string(authority.substr(1));
        auto digit = [](char c) { return c >= '0' && c <= '9'; };
        if (parts.port.empty() || !std::all_of(parts.port.begin(), parts.port.end(), digit))
            return std::nullopt;
    }
    const auto pathEnd = rest.find_first_of("?#");
    parts.path = std::string(rest.substr(0, pathEnd));
    if (pathEnd != std::string_view::npos) {
        parts.hasFragment = rest.find('#') != std::string_view::npos;
        parts.hasQuery = rest[pathEnd] == '?';
    }
    return parts;
}

bool IsLoopbackHost(std::string_view host)
{
    if (host == "localhost" || host == "::1")
        return true;
    // 127.a.b.c written as four decimal numbers.
    if (!host.starts_with("127."))
        return false;
    const auto fields = SplitAt(host, '.');
    if (fields.size() != 4)
        return false;
    return std::all_of(fields.begin(), fields.end(), [](const std::string& field) {
        int value = -1;
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
        return !field.empty() && field.size() <= 3 && error == std::errc() && end == field.data() + field.size()
               && value <= 255;
    });
}

bool IsAllowedAddress(std::string_view url)
{
    const auto parts = SplitUrl(url);
    return parts && parts->userInfo.empty() && IsAllowedParts(*parts);
}

bool IsAllowedUpdateUrl(std::string_view url, std::string_view server)
{
    // Control characters and blanks never belong in an address; a client might quietly drop them.
    if (std::any_of(url.begin(), url.end(), [](unsigned char c) { return c <= 0x20 || c == 0x7f; }))
        return false;
    const auto parts = SplitUrl(url);
    const auto base = SplitUrl(server);
    if (!parts || !base || !parts->userInfo.empty() || parts->hasQuery || parts->hasFragment)
        return false;
    if (!IsAllowedParts(*parts) || !IsAllowedParts(*base) || !SameOrigin(*parts, *base))
        return false;
    if (parts->path.empty() || parts->path.front() != '/')
        return false;
    for (const std::string& segment : SplitAt(std::string_view(parts->path).substr(1), '/')) {
        const auto decoded = PercentDecoded(segment);
        if (!decoded || *decoded == "." || *decoded == ".." || decoded->find_first_of("/\\") != std::string::npos)
            return false;
    }
    return true;
}

bool IsPlainFileName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return std::none_of(name.begin(), name.end(), [](unsigned char c) {
        return c < 0x20 || c == 0x7f || c == '/' || c == '\\' || c == ':';
    });
}

std::string DecodedFileName(std::string_view url)
{
    const auto parts = SplitUrl(url);
    if (!parts)
        return {};
    const auto decoded = PercentDecoded(UrlFileName(parts->path));
    return decoded ? *decoded : std::string();
}

const ManifestEntry* Manifest::find(std::string_view name) const
{
    const auto found =
        std::find_if(files.begin(), files.end(), [name](const ManifestEntry& e) { return e.name == name; });
    return found == files.end() ? nullptr : &*found;
}

std::string WriteManifest(const Manifest& manifest)
{
    std::string text = "version " + std::to_string(manifest.version) + "\n";
    for (const ManifestEntry& file : manifest.files)
        text += "file " + std::to_string(file.size) + " " + file.sha256 + " " + file.name + "\n";
    for (const ManifestEntry& file : manifest.files) {
        if (file.executable)
            text += "file 0 " + Sha256Hex({}) + " " + std::string(kExecutableMark) + file.name + "\n";
    }
    return text;
}

std::optional<Manifest> ParseManifest(std::string_view text)
{
    if (text.empty() || text.back() != '\n')
        return std::nullopt;
    auto lines = SplitAt(text.substr(0, text.size() - 1), '\n');
    auto number = [](std::string_view digits, auto& value) {
        // Digits only, and no leading zero: the text must be the one the writer makes.
        if (digits.empty() || digits.size() > 15 || (digits.size() > 1 && digits.front() == '0')
            || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return error == std::errc() && end == digits.data() + digits.size();
    };
    Manifest manifest;
    if (lines.empty() || !lines[0].starts_with("version ")
        || !number(std::string_view(lines[0]).substr(8), manifest.version))
        return std::nullopt;
    std::set<std::string> names;
    std::vector<std::string> executables;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (!line.starts_with("file "))
            return std::nullopt;
        const auto sizeEnd = line.find(' ', 5);
        if (sizeEnd == std::string_view::npos || line.size() < sizeEnd + 1 + 64 + 2 || line[sizeEnd + 65] != ' ')
            return std::nullopt;
        ManifestEntry entry;
        entry.sha256 = std::string(line.substr(sizeEnd + 1, 64));
        entry.name = std::string(line.substr(sizeEnd + 66));
        if (!number(line.substr(5, sizeEnd - 5), entry.size) || !IsPlainFileName(entry.name)
            || !std::all_of(entry.sha256.begin(), entry.sha256.end(),
                            [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); })
            || !names.insert(entry.name).second)
            return std::nullopt;
        if (entry.name.starts_with(kExecutableMark)) {
            if (entry.size != 0 || entry.sha256 != Sha256Hex({}))
                return std::nullopt;
            executables.push_back(entry.name.substr(kExecutableMark.size()));
        } else if (!executables.empty()) {
            return std::nullopt; // the marks come after the files, as the writer puts them
        } else {
            manifest.files.push_back(std::move(entry));
        }
    }
    for (const std::string& name : executables) {
        const auto found = std::find_if(manifest.files.begin(), manifest.files.end(),
                                        [&name](const ManifestEntry& e) { return e.name == name; });
        if (found == manifest.files.end())
            return std::nullopt;
        found->executable = true;
    }
    return manifest;
}

std::optional<Manifest> ManifestOfFiles(int version, const std::vector<fs::path>& files)
{
    Manifest manifest;
    manifest.version = version;
    for (const fs::path& file : files) {
        ManifestEntry entry;
        entry.name = file.filename().string();
        std::error_code ec;
        entry.size = fs::file_size(file, ec);
        const auto hash = Sha256HexOfFile(file);
        if (ec || !hash || !IsPlainFileName(entry.name) || entry.name.starts_with(kExecutableMark)
            || manifest.find(entry.name))
            return std::nullopt;
        entry.executable = (fs::status(file, ec).permissions() & fs::perms::owner_exec) != fs::perms::none;
        entry.sha256 = *hash;
        manifest.files.push_back(std::move(entry));
    }
    return manifest;
}

std::string Sha256Hex(std::string_view bytes)
{
    InitSodium();
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return ToHex(std::string_view(reinterpret_cast<const char*>(digest), sizeof digest));
}

std::optional<std::string> Sha256HexOfFile(const fs::path& path)
{
    InitSodium();
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    char buffer[64 * 1024];
    while (file) {
        file.read(buffer, sizeof buffer);
        crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char*>(buffer),
                                  static_cast<unsigned long long>(file.gcount()));
    }
    if (file.bad())
        return std::nullopt;
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256_final(&state, digest);
    return ToHex(std::string_view(reinterpret_cast<const char*>(digest), sizeof digest));
}

std::string SignDetached(std::string_view message, const SecretKey& key)
{
    InitSodium();
    std::string signature(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(message.data()), message.size(), key.data());
    return signature;
}

bool VerifyDetached(std::string_view message, std::string_view signature, const PublicKey& key)
{
    InitSodium();
    if (signature.size() != crypto_sign_BYTES)
        return false;
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                       reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                                       key.data())
           == 0;
}

std::pair<PublicKey, SecretKey> MakeKeyPair()
{
    static_assert(sizeof(PublicKey) == crypto_sign_PUBLICKEYBYTES && sizeof(SecretKey) == crypto_sign_SECRETKEYBYTES);
    InitSodium();
    std::pair<PublicKey, SecretKey> pair;
    crypto_sign_keypair(pair.first.data(), pair.second.data());
    return pair;
}

std::string ToHex(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

std::optional<std::string> FromHex(std::string_view text, std::size_t bytes)
{
    if (text.size() != bytes * 2)
        return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

std::string ProgramFileFor(std::string_view programUrl, std::string_view server)
{
    const std::string name = DecodedFileName(programUrl);
    if (!IsAllowedUpdateUrl(programUrl, server) || !IsPlainFileName(name) || name.size() <= 4)
        return {};
    const std::string local = name.substr(0, name.size() - 4) + std::string(kProgramSuffix);
    return IsPlainFileName(local) ? local : std::string();
}

bool IsReservedName(std::string_view localName)
{
    const std::string name = Lower(localName);
    return name == "set" || name == "datam" || name == Lower(kLocalVersionFile) || name.ends_with(".dorv")
           || name.starts_with(kStagingPrefix) || name.starts_with(kSwapJournalName);
}

std::string TakenByFolder(const fs::path& folder, const std::vector<UpdateItem>& items)
{
    for (const UpdateItem& item : items) {
        const fs::path target = (folder.empty() ? fs::path(".") : folder) / Utf8FileName(item.localName);
        std::error_code ec;
        if (fs::exists(fs::symlink_status(target, ec)) && !fs::is_regular_file(fs::status(target, ec)))
            return item.localName;
    }
    return {};
}

UpdatePlan PlanUpdate(const VersionFile& versionFile, std::string_view server)
{
    UpdatePlan plan;
    if (!IsAllowedAddress(server)) {
        plan.error = "update server not allowed: " + std::string(server);
        plan.failure = UpdateFailure::Refused;
        return plan;
    }
    if (versionFile.programUrl.empty()) {
        plan.error = "the version file names no program";
        plan.failure = UpdateFailure::Refused;
        return plan;
    }
    std::vector<std::string> urls{versionFile.programUrl};
    urls.insert(urls.end(), versionFile.furtherUrls.begin(), versionFile.furtherUrls.end());
    std::set<std::string> localNames;
    for (std::size_t i = 0; i < urls.size(); ++i) {
        UpdateItem item;
        item.url = urls[i];
        item.serverName = DecodedFileName(item.url);
        if (!IsAllowedUpdateUrl(item.url, server) || !IsPlainFileName(item.serverName)) {
            plan.error = "address refused: " + item.url;
            plan.failure = UpdateFailure::Refused;
            return plan;
        }
        item.localName = i == 0 ? ProgramFileFor(item.url, server) : item.serverName;
        item.executable = i == 0;
        if (!IsPlainFileName(item.localName) || IsReservedName(item.localName)
            || !localNames.insert(Lower(item.localName)).second) {
            plan.error = "file name refused: " + item.localName;
            plan.failure = UpdateFailure::Refused;
            return plan;
        }
        plan.items.push_back(std::move(item));
    }
    return plan;
}

UpdatePlan ConfirmPlan(UpdatePlan plan, const VersionFile& versionFile, std::string_view manifestText,
                       std::string_view signature, const PublicKey& key, int runningVersion)
{
    if (!plan.error.empty())
        return plan;
    if (!VerifyDetached(manifestText, signature, key)) {
        plan.error = "the manifest's signature does not match";
        plan.failure = UpdateFailure::Signature;
        return plan;
    }
    const auto manifest = ParseManifest(manifestText);
    if (!manifest) {
        plan.error = "the manifest cannot be read";
        plan.failure = UpdateFailure::Signature;
        return plan;
    }
    // An old release, however well signed, is never put over a newer program.
    if (manifest->version <= runningVersion) {
        plan.error = "the manifest is for version " + std::to_string(manifest->version) + ", not newer than "
                     + std::to_string(runningVersion);
        plan.failure = UpdateFailure::NotNewer;
        return plan;
    }
    // A signed manifest of another release must not vouch for this version file's files.
    if (manifest->version != ToInt(versionFile.latestVersion)) {
        plan.error = "the manifest is for version " + std::to_string(manifest->version);
        plan.failure = UpdateFailure::Signature;
        return plan;
    }
    for (UpdateItem& item : plan.items) {
        const ManifestEntry* entry = manifest->find(item.serverName);
        if (!entry) {
            plan.error = "the manifest does not list " + item.serverName;
            plan.failure = UpdateFailure::Signature;
            return plan;
        }
        item.size = entry->size;
        item.sha256 = entry->sha256;
        item.executable = item.executable || entry->executable;
    }
    // A version file naming only some of the release's files would leave a mixed folder.
    for (const ManifestEntry& entry : manifest->files) {
        const bool planned = std::any_of(plan.items.begin(), plan.items.end(),
                                         [&entry](const UpdateItem& item) { return item.serverName == entry.name; });
        if (!planned) {
            plan.error = "the version file leaves out " + entry.name;
            plan.failure = UpdateFailure::Refused;
            return plan;
        }
    }
    return plan;
}

std::string CheckDownloadedFile(const fs::path& file, const UpdateItem& item)
{
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec)
        return item.serverName + " was not saved";
    if (size != item.size)
        return item.serverName + " has " + std::to_string(size) + " bytes, not " + std::to_string(item.size);
    const auto hash = Sha256HexOfFile(file);
    if (!hash || *hash != item.sha256)
        return item.serverName + " does not match its SHA-256";
    return {};
}

bool GiveInstalledMode(const fs::path& staged, const fs::path& target, bool executable)
{
    std::error_code ec;
    const fs::file_status old = fs::status(target, ec);
    fs::perms mode = executable ? fs::perms(0755) : fs::perms(0644);
    if (!ec && fs::is_regular_file(old)) {
        mode = old.permissions() & fs::perms::mask;
        // A program must stay runnable by whoever could read the file it replaces.
        if (executable) {
            const auto has = [&mode](fs::perms bit) { return (mode & bit) != fs::perms::none; };
            if (has(fs::perms::owner_read))
                mode |= fs::perms::owner_exec;
            if (has(fs::perms::group_read))
                mode |= fs::perms::group_exec;
            if (has(fs::perms::others_read))
                mode |= fs::perms::others_exec;
        }
    }
    fs::permissions(staged, mode, fs::perm_options::replace, ec);
    return !ec;
}

} // namespace dorvane
