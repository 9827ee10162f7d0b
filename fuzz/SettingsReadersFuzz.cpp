// Feeds arbitrary bytes to the settings readers: set.ini, FontSet.ini, mould.ini, address.ini.
#include "base/LogFont.h"
#include "base/SettingsFiles.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("dorvane-fuzz-settings-" + std::to_string(getpid()));
    static const dorvane::SettingsPaths paths(folder);
    static const bool ready = dorvane::EnsureSetFolder(paths);
    if (!ready)
        return 0;
    for (const auto& path : {paths.setIni, paths.fontSetIni, paths.mouldIni, paths.addressIni}) {
        if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
            std::fwrite(data, 1, size, file);
            std::fclose(file);
        }
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    dorvane::LogFont font;
    dorvane::TextToLogFont(text, font);
    if (font.faceName.size() > dorvane::kMaxFaceName)
        __builtin_trap();
    dorvane::TextToLogFont(dorvane::LogFontToText(font), font);

    dorvane::LoadOrCreateSetIni(paths.setIni);
    dorvane::LoadOrCreateFontSet(paths.fontSetIni);
    dorvane::LoadOrCreateMould(paths.mouldIni);
    dorvane::LoadOrCreateAddress(paths.addressIni);
    return 0;
}
