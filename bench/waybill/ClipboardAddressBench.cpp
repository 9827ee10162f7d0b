// Parsing copied shop addresses of each shape, and text that is rejected at once.
#include "waybill/ClipboardAddress.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace dorvane;

namespace {
// 张三，13900000000，0574-88888888，浙江省 宁波市 鄞州区 某路 8 号，315000
const std::string kCommaShaped = "\xD5\xC5\xC8\xFD\xA3\xAC" "13900000000\xA3\xAC" "0574-88888888\xA3\xAC"
                                 "\xD5\xE3\xBD\xAD\xCA\xA1 \xC4\xFE\xB2\xA8\xCA\xD0 \xDB\xB4\xD6\xDD\xC7\xF8 "
                                 "\xC4\xB3\xC2\xB7 8 \xBA\xC5\xA3\xAC" "315000";
// 浙江省  宁波市  鄞州区  某路8号  315000  张三  13900000000
const std::string kBlankShaped = "\xD5\xE3\xBD\xAD\xCA\xA1  \xC4\xFE\xB2\xA8\xCA\xD0  \xDB\xB4\xD6\xDD\xC7\xF8  "
                                 "\xC4\xB3\xC2\xB7" "8\xBA\xC5  315000  \xD5\xC5\xC8\xFD  13900000000";

void Parse(benchmark::State& state, const std::string& text, bool accepted)
{
    if (ParseClipboardAddress(text).has_value() != accepted)
        state.SkipWithError("unexpected parse result");
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseClipboardAddress(text));
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
} // namespace

BENCHMARK_CAPTURE(Parse, CommaShape, kCommaShaped, true);
BENCHMARK_CAPTURE(Parse, BlankShape, kBlankShaped, true);
// A paragraph of copied prose without a city: the common case of text that is no address.
BENCHMARK_CAPTURE(Parse, RejectedProse, std::string(2000, 'x'), false);

BENCHMARK_MAIN();
