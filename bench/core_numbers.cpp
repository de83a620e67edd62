#include <benchmark/benchmark.h>

#include "platform/core/format.h"
#include "platform/core/numbers.h"

using namespace plat;

namespace {

constexpr int kValues = 1000000;

double valueAt(int i) {
    return (i % 100000) * 1.37 + i * 0.001;
}

void BM_FloatToStrMillion(benchmark::State& state) {
    for (auto _ : state)
        for (int i = 0; i < kValues; ++i) benchmark::DoNotOptimize(FloatToStr(valueAt(i)));
}

void BM_FormatFixedMillion(benchmark::State& state) {
    for (auto _ : state)
        for (int i = 0; i < kValues; ++i) benchmark::DoNotOptimize(FormatFixed(valueAt(i), 2));
}

void BM_FormatFloatMillion(benchmark::State& state) {
    for (auto _ : state)
        for (int i = 0; i < kValues; ++i)
            benchmark::DoNotOptimize(FormatFloat("#,##0.00", valueAt(i)));
}

void BM_FormatMillion(benchmark::State& state) {
    for (auto _ : state)
        for (int i = 0; i < kValues; ++i)
            benchmark::DoNotOptimize(
                Format("%-*s %.2d %10.*f", {8, "TI004", i % 100, 2, valueAt(i)}));
}

}  // namespace

BENCHMARK(BM_FloatToStrMillion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatFixedMillion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatFloatMillion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatMillion)->Unit(benchmark::kMillisecond);
