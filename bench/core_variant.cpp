#include <benchmark/benchmark.h>

#include "platform/core/variant.h"

using namespace plat;

namespace {

constexpr int kElements = 100000;

Variant build() {
    Variant a = VarArrayCreate({0, kElements - 1});
    for (int i = 0; i < kElements; ++i)
        a[i] = i % 3 == 0 ? Variant(i) : i % 3 == 1 ? Variant(i * 0.5) : Variant("TI004");
    return a;
}

void BM_VariantArrayBuild(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(build());
}

// A copy is by value: writing to it must copy the elements.
void BM_VariantArrayCopyAndWrite(benchmark::State& state) {
    Variant a = build();
    for (auto _ : state) {
        Variant b = a;
        b[0] = 1;
        benchmark::DoNotOptimize(b);
    }
}

// Rows of a two-level array, as server replies arrive.
void BM_VariantNestedRows(benchmark::State& state) {
    for (auto _ : state) {
        Variant rows = VarArrayCreate({0, kElements / 10 - 1});
        for (int r = 0; r < kElements / 10; ++r) {
            Variant row = VarArrayCreate({0, 9});
            for (int c = 0; c < 10; ++c) row[c] = c;
            rows[r] = row;
        }
        Variant copy = rows;
        copy[0] = 0;
        benchmark::DoNotOptimize(copy);
    }
}

}  // namespace

BENCHMARK(BM_VariantArrayBuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VariantArrayCopyAndWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VariantNestedRows)->Unit(benchmark::kMillisecond);
