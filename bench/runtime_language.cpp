// Display conversion of 100,000 database texts, a language package applied to
// a form of 300 controls, and one localized literal.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "runtime/CodeConverter.h"
#include "runtime/LanguageController.h"
#include "support/component/test_components.h"

namespace {

namespace fs = std::filesystem;

// A traditional-Chinese client on a simplified database, with the demo
// table and packages.
struct Installation {
    Installation() {
        fs::path root = fs::path(__FILE__).parent_path().parent_path();
        char pattern[] = "/tmp/ktrb-bench-XXXXXX";
        folder = ::mkdtemp(pattern) ? pattern : "/tmp/ktrb-bench";
        std::string client = folder + "/client/";
        fs::create_directories(client);
        fs::copy_file(root / "standins/data/client/Language", client + "Language");
        fs::copy(root / "standins/data/client/MultiLanguage", client + "MultiLanguage",
                 fs::copy_options::recursive);
        std::ofstream(client + "MireltaC.ini")
            << "[CodePage]\r\nUICodePage=950\r\nDBCodePage=936\r\n";
        std::string registry = folder + "/registry.txt";
        std::ofstream(registry) << "[Software\\QRV\\Mirelta]\nClientPath=" << client << "\n";
        ::setenv("KTRB_REGISTRY", registry.c_str(), 1);
        ::setenv("KTRB_ANSI_CODEPAGE", "950", 1);
    }
    ~Installation() { fs::remove_all(folder); }
    std::string folder;
};

Installation& installation() {
    static Installation i;
    return i;
}

void BM_ConvertDBToUI_100k(benchmark::State& state) {
    installation();
    ktrb::TCodeConverter converter;
    std::vector<plat::Variant> texts;
    for (int i = 0; i < 100000; ++i)
        texts.emplace_back("委外进货单" + std::to_string(i) + "验收数量");
    for (auto _ : state)
        for (const plat::Variant& t : texts) benchmark::DoNotOptimize(converter.ConvertDBToUI(t));
    state.SetItemsProcessed(state.iterations() * (int64_t)texts.size());
}
BENCHMARK(BM_ConvertDBToUI_100k)->Unit(benchmark::kMillisecond);

void BM_ApplyPackage_300Controls(benchmark::State& state) {
    installation();
    plat::testing::TTestForm form;
    form.SetName("frmBench");
    std::string xml = "<TfrmBench Caption=\"委外进货单\">";
    for (int i = 0; i < 300; ++i) {
        auto* label = new plat::testing::TTestLabel(&form);
        label->SetName("lbl" + std::to_string(i));
        xml += "<lbl" + std::to_string(i) + " Caption=\"单头" + std::to_string(i) +
               "\" Font.Charset=\"136\"/>";
    }
    xml += "</TfrmBench>";
    ktrb::TQvLangController controller(&form);
    controller.SetPackageText(xml);
    controller.SetActive(true);
    for (auto _ : state) controller.GetLangReader().LoadComponent(&form);
}
BENCHMARK(BM_ApplyPackage_300Controls)->Unit(benchmark::kMillisecond);

void BM_LangMessage(benchmark::State& state) {
    installation();
    for (auto _ : state)
        benchmark::DoNotOptimize(ktrb::LangMessage(false, "TfrmDouble", "sConfirmInfo", ""));
}
BENCHMARK(BM_LangMessage)->Unit(benchmark::kMicrosecond);

}  // namespace
