// The print log of a busy shop: 100,000 logged waybills listed in full, searched by a
// telephone number, by a name over a month, and the newest 1,000 listed, each on its own
// connection as the log dialog and dorvane-cli log do.
#include "BusyPrintLog.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

using namespace dorvane;

namespace {

using bench::Folder;
using bench::Waybill;

// Times read on the busy log; read gives a result whose value() has a size, the rows counted.
template <typename Read>
void Run(benchmark::State& state, Read read)
{
    if (!Folder().ok) {
        state.SkipWithError("the log could not be filled");
        return;
    }
    const PrintLog log(Folder().file);
    std::size_t rows = 0;
    for (auto _ : state) {
        auto found = read(log);
        if (!found) {
            state.SkipWithError("the log could not be read");
            return;
        }
        rows = found.value().size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void Run(benchmark::State& state, const PrintLogFilter& filter)
{
    Run(state, [&filter](const PrintLog& log) { return log.Search(filter); });
}

} // namespace

static void ListAll(benchmark::State& state)
{
    Run(state, {});
}
BENCHMARK(ListAll)->Unit(benchmark::kMillisecond);

static void ListNewestThousand(benchmark::State& state)
{
    Run(state, {.limit = 1000});
}
BENCHMARK(ListNewestThousand)->Unit(benchmark::kMillisecond);

static void FindTelephone(benchmark::State& state)
{
    Run(state, {.anyText = "1390000777"});
}
BENCHMARK(FindTelephone)->Unit(benchmark::kMillisecond);

static void FindNameInAMonth(benchmark::State& state)
{
    Run(state, {.since = "2026-03-01", .until = "2026-03-31", .name = "\xD5\xC5\xC8\xFD" "12"});
}
BENCHMARK(FindNameInAMonth)->Unit(benchmark::kMillisecond);

// What the batch dialog reads once to mark the orders printed before.
static void RecipientKeys(benchmark::State& state)
{
    Run(state, [](const PrintLog& log) { return log.RecipientKeys(); });
}
BENCHMARK(RecipientKeys)->Unit(benchmark::kMillisecond);

static void AppendThousand(benchmark::State& state)
{
    test::TempFolder dir;
    const auto file = dir / "Dorvane.dorv";
    std::filesystem::copy_file(DORVANE_EMPTY_ADDRESS_BOOK, file);
    std::vector<PrintLogEntry> entries;
    for (int i = 0; i < 1000; ++i)
        entries.push_back(Waybill(i));
    const PrintLog log(file);
    for (auto _ : state) {
        if (!log.Append(entries)) {
            state.SkipWithError("the log could not be written");
            return;
        }
    }
}
BENCHMARK(AppendThousand)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
