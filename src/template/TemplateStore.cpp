#include "template/TemplateStore.h"

#include "text/CodePageChars.h"
#include "base/SettingsFiles.h"
#include "text/TextFile.h"

namespace dorvane {

namespace fs = std::filesystem;

fs::path DataFolder(const fs::path& workFolder)
{
    return workFolder / "dataM";
}

fs::path LayoutPath(const fs::path& workFolder, const std::string& name)
{
    return DataFolder(workFolder) / fs::u8path(name + ".dat");
}

fs::path PicturePath(const fs::path& workFolder, const std::string& name)
{
    return DataFolder(workFolder) / fs::u8path(name + ".bmp");
}

fs::path ReplacementPicturePath(const fs::path& workFolder, const std::string& name)
{
    return DataFolder(workFolder) / fs::u8path(name + ".new.bmp");
}

std::optional<std::string> TemplateNameOf(std::string_view fileName)
{
    const std::size_t dot = fileName.find('.');
    if (dot == std::string_view::npos || fileName.substr(dot + 1) != "dat")
        return std::nullopt;
    return std::string(fileName.substr(0, dot));
}

std::vector<std::string> ListTemplateNames(const fs::path& dataFolder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dataFolder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError))
            continue;
        const auto u8 = it->path().filename().u8string();
        if (auto name = TemplateNameOf(std::string_view(reinterpret_cast<const char*>(u8.data()), u8.size())))
            names.push_back(std::move(*name));
    }
    return names;
}

bool TemplateExists(const fs::path& dataFolder, const std::string& name)
{
    for (const auto& listed : ListTemplateNames(dataFolder))
        if (listed == name)
            return true;
    return false;
}

bool TemplateNameLess(std::string_view a, std::string_view b)
{
    return CompareCodePageText(a, b) < 0;
}

int TemplateIndexFromPosition(const std::string& position, int count)
{
    const int index = ToInt(position);
    return index >= 0 && index < count ? index : 0;
}

bool ShiftTemplatePosition(const fs::path& mouldIni, std::string& templatePosition, int delta)
{
    templatePosition = std::to_string(ToInt(templatePosition) + delta);
    return SaveTemplatePosition(mouldIni, templatePosition);
}

} // namespace dorvane
