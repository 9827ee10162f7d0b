// Loading the settings files at start-up, and listing a folder of 1,000 templates.
#include "base/SettingsFiles.h"
#include "support/TempFolder.h"
#include "template/TemplateStore.h"

#include <benchmark/benchmark.h>

using namespace dorvane;

static void LoadAllSettings(benchmark::State& state)
{
    test::TempFolder work;
    const SettingsPaths paths(work.path());
    EnsureSetFolder(paths);
    LoadOrCreateSetIni(paths.setIni);
    LoadOrCreateFontSet(paths.fontSetIni);
    LoadOrCreateMould(paths.mouldIni);
    LoadOrCreateAddress(paths.addressIni);
    for (auto _ : state) {
        benchmark::DoNotOptimize(LoadOrCreateSetIni(paths.setIni));
        benchmark::DoNotOptimize(LoadOrCreateFontSet(paths.fontSetIni));
        benchmark::DoNotOptimize(LoadOrCreateMould(paths.mouldIni));
        benchmark::DoNotOptimize(LoadOrCreateAddress(paths.addressIni));
    }
}
BENCHMARK(LoadAllSettings);

static void ListThousandTemplates(benchmark::State& state)
{
    test::TempFolder work;
    const auto data = DataFolder(work.path());
    std::filesystem::create_directories(data);
    for (int i = 0; i < 1000; ++i) {
        test::WriteBytes(data / ("form" + std::to_string(i) + ".dat"), "0,x,2300,1270,870,480\r\n");
        test::WriteBytes(data / ("form" + std::to_string(i) + ".bmp"), "");
    }
    for (auto _ : state) {
        auto names = ListTemplateNames(data);
        std::sort(names.begin(), names.end(), TemplateNameLess);
        benchmark::DoNotOptimize(names);
    }
}
BENCHMARK(ListThousandTemplates)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
