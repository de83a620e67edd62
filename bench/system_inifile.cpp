// INI reads as the configuration readers do them, and writes that rewrite
// the file atomically.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>

#include "platform/system/files.h"
#include "platform/system/inifile.h"

namespace {

std::string makeIni(int sections, int keys) {
    std::string text;
    for (int s = 0; s < sections; ++s) {
        text += "[Section" + std::to_string(s) + "]\r\n";
        for (int k = 0; k < keys; ++k)
            text += "Key" + std::to_string(k) + "=值" + std::to_string(k) + "\r\n";
        text += "\r\n";
    }
    return text;
}

std::string benchFile() {
    return plat::TempFolder() + "ktrb-bench-" + std::to_string(::getpid()) + ".ini";
}

void BM_IniReadString(benchmark::State& state) {
    std::string file = benchFile();
    plat::WriteTextFile(file, makeIni(10, int(state.range(0))), 936);
    plat::TIniFile ini(file, 936);
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ini.ReadString("Section9", "Key" + std::to_string(i++ % state.range(0)), ""));
    }
    plat::DeleteFile(file);
}
BENCHMARK(BM_IniReadString)->Arg(20)->Arg(200);

void BM_IniFreshReaderThirteenKeys(benchmark::State& state) {
    std::string file = benchFile();
    plat::WriteTextFile(file, makeIni(8, 10), 936);
    for (auto _ : state) {
        plat::TIniFile ini(file, 936);
        for (int k = 0; k < 13; ++k)
            benchmark::DoNotOptimize(
                ini.ReadString("Section" + std::to_string(k % 8), "Key" + std::to_string(k), ""));
    }
    plat::DeleteFile(file);
}
BENCHMARK(BM_IniFreshReaderThirteenKeys);

void BM_IniWriteString(benchmark::State& state) {
    std::string file = benchFile();
    plat::WriteTextFile(file, makeIni(10, 20), 936);
    plat::TIniFile ini(file, 936);
    int i = 0;
    for (auto _ : state) ini.WriteString("Section5", "Key3", std::to_string(i++));
    plat::DeleteFile(file);
}
BENCHMARK(BM_IniWriteString)->Iterations(200);

}  // namespace
