#include <benchmark/benchmark.h>

#include "platform/core/text.h"

using namespace plat;

namespace {

// About 10 MB of mixed Chinese and ASCII text that both 936 and 950 can write.
const std::string& tenMegabytes() {
    static const std::string text = [] {
        const std::string line =
            "委外進貨單 TG001-20240305 中文資料庫測試 數量 1,234.50 單價 12.5\r\n";
        std::string s;
        s.reserve(10u << 20);
        while (s.size() < (10u << 20)) s += line;
        return s;
    }();
    return text;
}

void BM_ToCodePage(benchmark::State& state, CodePage cp) {
    const std::string& text = tenMegabytes();
    for (auto _ : state) benchmark::DoNotOptimize(ToCodePage(text, cp));
    state.SetBytesProcessed(state.iterations() * (int64_t)text.size());
}

void BM_FromCodePage(benchmark::State& state, CodePage cp) {
    std::string bytes = ToCodePage(tenMegabytes(), cp);
    for (auto _ : state) benchmark::DoNotOptimize(FromCodePage(bytes, cp));
    state.SetBytesProcessed(state.iterations() * (int64_t)bytes.size());
}

void BM_TextWidth(benchmark::State& state) {
    const std::string& text = tenMegabytes();
    for (auto _ : state) benchmark::DoNotOptimize(TextWidth(text));
    state.SetBytesProcessed(state.iterations() * (int64_t)text.size());
}

void BM_CutToWidth(benchmark::State& state) {
    const std::string& text = tenMegabytes();
    int half = TextWidth(text) / 2;
    for (auto _ : state) benchmark::DoNotOptimize(CutToWidth(text, half));
    state.SetBytesProcessed(state.iterations() * (int64_t)text.size() / 2);
}

// Many short field-sized cuts, as grids and size checks do.
void BM_CutFieldsMillion(benchmark::State& state) {
    const std::string field = "委外進貨單 TG001 中文資料";
    for (auto _ : state)
        for (int i = 0; i < 1000000; ++i) benchmark::DoNotOptimize(CutToWidth(field, 1 + i % 20));
}

}  // namespace

BENCHMARK_CAPTURE(BM_ToCodePage, cp936, CodePage::Gbk)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToCodePage, cp950, CodePage::Big5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FromCodePage, cp936, CodePage::Gbk)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FromCodePage, cp950, CodePage::Big5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextWidth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutToWidth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutFieldsMillion)->Unit(benchmark::kMillisecond);
