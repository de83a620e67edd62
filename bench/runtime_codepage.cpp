// GB <-> Big5 table conversion of a 10 MB text.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/core/text.h"
#include "runtime/Translator.h"

namespace {

// A registry naming the demo client folder, which holds the "Language" table.
struct DemoInstallation {
    DemoInstallation() {
        std::filesystem::path root = std::filesystem::path(__FILE__).parent_path().parent_path();
        std::string client = (root / "standins/data/client/").string();
        char pattern[] = "/tmp/ktrb-bench-XXXXXX";
        folder = ::mkdtemp(pattern) ? pattern : "/tmp";
        std::string registry = folder + "/registry.txt";
        std::ofstream(registry) << "[Software\\QRV\\Mirelta]\nClientPath=" << client << "\n";
        ::setenv("KTRB_REGISTRY", registry.c_str(), 1);
    }
    ~DemoInstallation() { std::filesystem::remove_all(folder); }
    std::string folder;
};

const std::string& gbText() {
    static const std::string text = [] {
        static DemoInstallation installation;
        std::string line = plat::ToCodePage(
            "委外进货单 TH001-2024/03/05: 加工厂商交回委外工单的货品，验收数量 1,234.50，"
            "报废与破坏数量照单核对；发票号码 AB12345678，税额与本币金额随后计算。\r\n",
            plat::CodePage::Gbk);
        std::string text;
        text.reserve(10 * 1024 * 1024 + line.size());
        while (text.size() < 10 * 1024 * 1024) text += line;
        return text;
    }();
    return text;
}

void BM_GbToBig5_10MB(benchmark::State& state) {
    const std::string& gb = gbText();
    for (auto _ : state) benchmark::DoNotOptimize(ktrb::GbToBig5Text(gb));
    state.SetBytesProcessed(state.iterations() * (int64_t)gb.size());
}
BENCHMARK(BM_GbToBig5_10MB)->Unit(benchmark::kMillisecond);

void BM_Big5ToGb_10MB(benchmark::State& state) {
    const std::string big5 = ktrb::GbToBig5Text(gbText());
    for (auto _ : state) benchmark::DoNotOptimize(ktrb::Big5ToGbText(big5));
    state.SetBytesProcessed(state.iterations() * (int64_t)big5.size());
}
BENCHMARK(BM_Big5ToGb_10MB)->Unit(benchmark::kMillisecond);

}  // namespace
