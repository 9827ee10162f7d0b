// Parsing copied shop addresses of each shape, and text that is rejected at once.
#include "address/ClipboardAddress.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
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

// The second stage: a labelled order page (收货人：张三 / 手机号码：138****1111-1234 /
// 所在地区：浙江省 杭州市 西湖区 / 详细地址：文三路100号) and a free line (张三 13800001111
// 杭州市西湖区文三路100号 310012), both looked up in the region table.
const std::string kLabelled = "\xCA\xD5\xBB\xF5\xC8\xCB\xA3\xBA\xD5\xC5\xC8\xFD\n"
                              "\xCA\xD6\xBB\xFA\xBA\xC5\xC2\xEB\xA3\xBA" "138****1111-1234\n"
                              "\xCB\xF9\xD4\xDA\xB5\xD8\xC7\xF8\xA3\xBA\xD5\xE3\xBD\xAD\xCA\xA1 "
                              "\xBA\xBC\xD6\xDD\xCA\xD0 \xCE\xF7\xBA\xFE\xC7\xF8\n"
                              "\xCF\xEA\xCF\xB8\xB5\xD8\xD6\xB7\xA3\xBA\xCE\xC4\xC8\xFD\xC2\xB7" "100\xBA\xC5\n";
const std::string kFree = "\xD5\xC5\xC8\xFD 13800001111 \xBA\xBC\xD6\xDD\xCA\xD0\xCE\xF7\xBA\xFE\xC7\xF8"
                          "\xCE\xC4\xC8\xFD\xC2\xB7" "100\xBA\xC5 310012";

// A buyer's message around the address (麻烦发到：浙江省杭州市西湖区文三路1号 李明13812345678
// 谢谢，不要到付), read after the plain readings fail; and 1,000 characters of chat words and
// city names (谢谢 杭州市 ...), which every reading goes through before it is rejected.
const std::string kMessage = "\xC2\xE9\xB7\xB3\xB7\xA2\xB5\xBD\xA3\xBA"
                             "\xD5\xE3\xBD\xAD\xCA\xA1\xBA\xBC\xD6\xDD\xCA\xD0\xCE\xF7\xBA\xFE\xC7\xF8"
                             "\xCE\xC4\xC8\xFD\xC2\xB7" "1\xBA\xC5 \xC0\xEE\xC3\xF7" "13812345678 "
                             "\xD0\xBB\xD0\xBB\xA3\xAC\xB2\xBB\xD2\xAA\xB5\xBD\xB8\xB6";
const std::string kLongChat = [] {
    std::string text;
    while (text.size() < 1600)
        text += "\xD0\xBB\xD0\xBB \xBA\xBC\xD6\xDD\xCA\xD0 ";
    return text;
}();

BENCHMARK_CAPTURE(Parse, CommaShape, kCommaShaped, true);
BENCHMARK_CAPTURE(Parse, BlankShape, kBlankShaped, true);
BENCHMARK_CAPTURE(Parse, LabelledAddress, kLabelled, true);
BENCHMARK_CAPTURE(Parse, FreeAddress, kFree, true);
BENCHMARK_CAPTURE(Parse, BuyersMessage, kMessage, true);
BENCHMARK_CAPTURE(Parse, RejectedLongChat, kLongChat, false);
// A paragraph of copied prose without a city: the common case of text that is no address.
BENCHMARK_CAPTURE(Parse, RejectedProse, std::string(2000, 'x'), false);

int main(int argc, char** argv)
{
    // The region table from the source tree when the run folder's is not beside the program.
    setenv("DORVANE_SOURCE_DIR", DORVANE_SOURCE_DIR, 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
