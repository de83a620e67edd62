// The host's system-parameter file read at every start: an installation with
// many companies holds tens of thousands of rows.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "standins/host/system_parameters.h"

namespace {

std::string WriteParameters(int64_t rows) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("bench_sysparams_" + std::to_string(rows) + ".tsv"))
                                 .string();
    std::ofstream out(path, std::ios::binary);
    // A tenth are defaults, the rest spread over companies of 100 rows each.
    for (int64_t i = 0; i < rows; ++i) {
        const std::string company = i % 10 == 0 ? "*" : "C" + std::to_string(i / 100);
        out << company << "\tSYS" << i << "\tV" << i << "\tx\n";
    }
    return path;
}

void BM_LoadSystemParameters(benchmark::State& state) {
    const std::string path = WriteParameters(state.range(0));
    for (auto _ : state) {
        auto p = standin::SystemParameters::Load(path);
        benchmark::DoNotOptimize(p.ForCompany("C7").size());
    }
    std::filesystem::remove(path);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadSystemParameters)
    ->Arg(7500)
    ->Arg(15000)
    ->Arg(30000)
    ->Arg(60000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
