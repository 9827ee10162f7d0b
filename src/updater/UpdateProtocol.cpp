#include "updater/UpdateProtocol.h"

#include "text/TextFile.h"

#include <algorithm>

namespace dorvane {

namespace fs = std::filesystem;

std::string UpdaterProgramName()
{
    return "Updorv" + std::string(kProgramSuffix);
}

int FileTimeoutMs(unsigned long long size)
{
    const unsigned long long ms = 60000 + size / 32;
    return ms > 24ULL * 3600 * 1000 ? 24 * 3600 * 1000 : static_cast<int>(ms);
}

std::string_view WithoutByteOrderMark(std::string_view text)
{
    return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
}

bool IsNewerVersion(std::string_view firstLine)
{
    return ToInt(WithoutByteOrderMark(firstLine)) > kRunningVersion;
}

VersionFile ParseVersionFile(std::string_view content)
{
    content = WithoutByteOrderMark(content);
    std::vector<std::string> lines;
    for (std::string line : SplitAt(content, '\n')) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
    }
    VersionFile file;
    file.latestVersion = LineOr(lines, 0);
    file.programUrl = LineOr(lines, 1);
    for (std::size_t i = 2; i < lines.size(); ++i) {
        if (!lines[i].empty())
            file.furtherUrls.push_back(lines[i]);
    }
    return file;
}

std::string UrlFileName(std::string_view url)
{
    const auto slash = url.rfind('/');
    return std::string(slash == std::string_view::npos ? url : url.substr(slash + 1));
}

std::string NewProgramFileName(std::string_view programUrl, std::string_view suffix)
{
    std::string name = UrlFileName(programUrl);
    name.resize(name.size() > 4 ? name.size() - 4 : 0);
    return name + std::string(suffix);
}

fs::path Utf8FileName(std::string_view name)
{
    return fs::path(std::u8string(name.begin(), name.end()));
}

fs::path UpdaterFolderFor(const fs::path& modulePath, std::string_view programName)
{
    // Compared as the system holds names: the updater's own name, renamed or not, is never
    // converted through a locale that may not know its characters.
    auto fileName = modulePath.filename().native();
    auto wanted = Utf8FileName(programName).native();
#ifdef _WIN32
    auto lower = [](std::wstring& s) {
        std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; });
    };
    lower(fileName);
    lower(wanted);
#endif
    if (fileName.empty() || fileName != wanted)
        return {};
    return modulePath.parent_path();
}

fs::path FindVersionFile(const fs::path& folder)
{
    const fs::path base = folder.empty() ? fs::path(".") : folder;
    // The names are compared as the folder lists them: on a case-insensitive file system
    // looking up "version.txt" would find "Version.txt" as well.
    bool local = false;
    bool other = false;
    std::error_code ec;
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        const fs::path name = it->path().filename();
        local = local || name == kLocalVersionFile;
        other = other || name == "Version.txt";
    }
    if (local)
        return folder / kLocalVersionFile;
    if (other)
        return folder / "Version.txt";
    return {};
}

} // namespace dorvane
