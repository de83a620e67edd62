// The host's print run of a 1,000-line receipt: reading it by the layout,
// writing the PDF, and the sign-off's page pictures (GIF).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QGuiApplication>
#include <filesystem>

#include "standins/appserver/database_setup.h"
#include "standins/print/page_renderer.h"
#include "standins/print/printed_document.h"

namespace {

struct Receipt {
    std::unique_ptr<standin::Database> db = standin::OpenServerDatabase(":memory:");
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("ktrb_bench_print_" + std::to_string(::getpid()));
    Receipt() {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char arg0[] = "bench";
            static char* argv[] = {arg0, nullptr};
            new QGuiApplication(argc, argv);
        }
        db->Exec(
            "WITH RECURSIVE k(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM k WHERE i < 1001) "
            "INSERT INTO MOCTI (TI001, TI002, TI003, TI004, TI005, TI006, TI007, TI008, TI009, "
            "TI013, TI014, TI019, TI024, TI025) SELECT '5901', '20240108001', printf('%04d', i), "
            "'A1001-01', '铝合金外壳', '120x80x30mm 阳极氧化', 300, 'PCS', 'W01', '5201', "
            "'20240105001', 300, 12.5, 3750 FROM k");
        std::filesystem::create_directories(folder);
    }
    ~Receipt() { std::filesystem::remove_all(folder); }
    standin::PrintedDocument Load() {
        standin::PrintedDocument doc;
        std::string error;
        standin::LoadPrintedDocument(*db, "KTRD52", plat::VarArrayOf({"5901", "20240108001"}),
                                     standin::PrintLanguage::Chinese, doc, error);
        return doc;
    }
};

Receipt& TheReceipt() {
    static Receipt r;
    return r;
}

void BM_LoadReceipt1000Lines(benchmark::State& state) {
    auto& r = TheReceipt();
    for (auto _ : state) benchmark::DoNotOptimize(r.Load());
}
BENCHMARK(BM_LoadReceipt1000Lines)->Unit(benchmark::kMillisecond);

void BM_PrintReceipt1000LinesToPdf(benchmark::State& state) {
    auto& r = TheReceipt();
    const std::string file = (r.folder / "r.pdf").string();
    std::string error;
    for (auto _ : state) {
        standin::PrintedDocument doc = r.Load();
        if (!standin::WritePdf(doc, file, error)) state.SkipWithError(error.c_str());
    }
    state.counters["pages"] = double(standin::Paginate(r.Load()).size());
}
BENCHMARK(BM_PrintReceipt1000LinesToPdf)->Unit(benchmark::kMillisecond);

void BM_PrintReceipt1000LinesToGifPages(benchmark::State& state) {
    auto& r = TheReceipt();
    const std::string base = (r.folder / "page").string();
    std::vector<std::string> files;
    std::string error;
    const standin::PrintedDocument doc = r.Load();
    for (auto _ : state)
        if (!standin::WritePageImages(doc, base, standin::PageImageFormat::Gif, 96, files, error))
            state.SkipWithError(error.c_str());
}
BENCHMARK(BM_PrintReceipt1000LinesToGifPages)->Unit(benchmark::kMillisecond);

}  // namespace
