// Feeds arbitrary bytes to the layout file reader and writes the result back.
#include "template/TemplateLayout.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("dorvane-fuzz-layout-" + std::to_string(getpid()) + ".dat");
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    dorvane::TemplateLayout layout;
    if (dorvane::LoadLayoutFile(path, layout)) {
        dorvane::ComputePrintRects(layout, dorvane::ComputePrintScales(layout));
        const std::string text = dorvane::LayoutFileText(layout);
        if (text.size() < 21 * 2)
            __builtin_trap(); // 21 lines, each ended
    }
    return 0;
}
