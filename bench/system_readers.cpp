// Readers of hostile configuration files at 1,000 to 100,000 entries: INI
// sections, a long section of values, a file of bare line ends, and a
// registry key nested as deep as the entries.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <string>

#include "platform/system/files.h"
#include "platform/system/inifile.h"
#include "platform/system/registry.h"

namespace {

// Heap in use, the large blocks the allocator maps apart included.
size_t heapInUse() {
    struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

std::string benchFile(const char* ext) {
    return plat::TempFolder() + "ktrb-bench-" + std::to_string(::getpid()) + ext;
}

void BM_IniSections(benchmark::State& state) {
    std::string file = benchFile(".ini");
    std::string text;
    for (int64_t s = 0; s < state.range(0); ++s) text += "[S" + std::to_string(s) + "]\r\nK=V\r\n";
    plat::WriteFileBytes(file, text);
    for (auto _ : state) {
        plat::TIniFile ini(file);
        benchmark::DoNotOptimize(ini.ReadSections());
    }
    plat::DeleteFile(file);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_IniSections)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

void BM_IniSectionValues(benchmark::State& state) {
    std::string file = benchFile(".ini");
    std::string text = "[WorkDLLPath]\r\n";
    for (int64_t k = 0; k < state.range(0); ++k)
        text += "P" + std::to_string(k) + "=D:\\Lib" + std::to_string(k) + "\r\n";
    plat::WriteFileBytes(file, text);
    for (auto _ : state) {
        plat::TIniFile ini(file);
        benchmark::DoNotOptimize(ini.ReadSectionValues("WorkDLLPath"));
    }
    plat::DeleteFile(file);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_IniSectionValues)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

// Memory held for a file of bare line ends, in bytes per byte of the file.
void BM_IniBareLineEnds(benchmark::State& state) {
    std::string file = benchFile(".ini");
    plat::WriteFileBytes(file, std::string(size_t(state.range(0)), '\n'));
    double perByte = 0;
    for (auto _ : state) {
        size_t before = heapInUse();
        plat::TIniFile ini(file);
        benchmark::DoNotOptimize(ini.ReadString("S", "K", ""));
        perByte = double(heapInUse() - before) / double(state.range(0));
    }
    state.counters["heap_per_byte"] = perByte;
    plat::DeleteFile(file);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_IniBareLineEnds)->RangeMultiplier(10)->Range(1000, 1000000)->Complexity();

// A key of n levels ("Software\k\k..."), opened at its deepest level.
void BM_RegistryDeepKey(benchmark::State& state) {
    std::string file = benchFile(".reg");
    std::string key = "Software";
    for (int64_t i = 0; i < state.range(0); ++i) key += "\\k";
    plat::WriteFileBytes(file, "[" + key + "]\nName=deep\n");
    for (auto _ : state) {
        plat::TRegistry reg(file);
        benchmark::DoNotOptimize(reg.OpenKeyReadOnly(key));
    }
    plat::DeleteFile(file);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_RegistryDeepKey)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

}  // namespace
