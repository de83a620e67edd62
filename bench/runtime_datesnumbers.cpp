// Date texts, rounding, comparison and tax split of the runtime utilities.
#include <benchmark/benchmark.h>

#include "platform/core/dates.h"
#include "runtime/LibStrs.h"

namespace {

void BM_DateToText(benchmark::State& state) {
    double d = plat::EncodeDate(2024, 3, 5);
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ktrb::DateToText(1 + i % 5, "/", d + (i & 1023)));
        ++i;
    }
}
BENCHMARK(BM_DateToText);

void BM_TextToDate(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ktrb::TextToDate("2024/03/05", 1, "/"));
}
BENCHMARK(BM_TextToDate);

void BM_YmdToDate(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ktrb::YmdToDate("20240305"));
}
BENCHMARK(BM_YmdToDate);

void BM_IncYmdDateMonths(benchmark::State& state) {
    plat::Variant date("20240131");
    int n = 0;
    for (auto _ : state) benchmark::DoNotOptimize(ktrb::IncYmdDate(date, "M", n++ % 24));
}
BENCHMARK(BM_IncYmdDateMonths);

void BM_DisplayDateToYmd(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ktrb::DisplayDateToYmd("113/03/05", 5, "/"));
}
BENCHMARK(BM_DisplayDateToYmd);

void BM_RoundToDecimals(benchmark::State& state) {
    double v = 1.005;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ktrb::RoundToDecimals(2, v));
        v += 0.001;
    }
}
BENCHMARK(BM_RoundToDecimals);

void BM_CompareFloats(benchmark::State& state) {
    double v = 0.1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ktrb::CompareFloats(v + 0.2, 0.3));
        v += 1e-12;
    }
}
BENCHMARK(BM_CompareFloats);

void BM_SplitTaxAmounts(benchmark::State& state) {
    plat::Variant in =
        plat::VarArrayOf({"USD", "NTD", 0.05, "1", 30.5, 2, 0, 1234.56, 12.0, 102.88});
    for (auto _ : state) benchmark::DoNotOptimize(ktrb::SplitTaxAmounts(in));
}
BENCHMARK(BM_SplitTaxAmounts);

}  // namespace
