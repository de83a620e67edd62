// The heap a sign-off job of 39 printed pages takes: the page pictures
// (GIF) of a 1,000-line receipt gathered into the job's byte array and
// queued by the server with the document's pages; beside it the same bytes
// written into a TCP frame. The baseline is the pictures' own bytes; beside it the
// same bytes as an array of one variant each.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QGuiApplication>
#include <filesystem>

#include "forms/SignOffImages.h"
#include "heap_meter.h"
#include "platform/data/valuecodec.h"
#include "standins/appserver/session.h"
#include "standins/appserver/sqlite_db.h"
#include "standins/print/page_renderer.h"
#include "standins/print/printed_document.h"

namespace {

namespace fs = std::filesystem;
using plat::Variant;

// The pages of the demo receipt 5901-20240108001 made 1,001 lines long.
std::vector<std::string> PagePictures(standin::AppServer& server, const fs::path& folder) {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char arg0[] = "bench";
        static char* argv[] = {arg0, nullptr};
        new QGuiApplication(argc, argv);
    }
    standin::Database& db = server.Db();
    db.Exec(
        "WITH RECURSIVE k(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM k WHERE i < 1001) "
        "INSERT INTO MOCTI (TI001, TI002, TI003, TI004, TI005, TI006, TI007, TI008, TI009, "
        "TI013, TI014, TI019, TI024, TI025) SELECT '5901', '20240108001', printf('%04d', i), "
        "'A1001-01', '铝合金外壳', '120x80x30mm 阳极氧化', 300, 'PCS', 'W01', '5201', "
        "'20240105001', 300, 12.5, 3750 FROM k");
    standin::PrintedDocument doc;
    std::string error;
    std::vector<std::string> files;
    fs::create_directories(folder);
    if (!standin::LoadPrintedDocument(db, "KTRD52", plat::VarArrayOf({"5901", "20240108001"}),
                                      standin::PrintLanguage::Chinese, doc, error) ||
        !standin::WritePageImages(doc, (folder / "page").string(), standin::PageImageFormat::Gif,
                                  96, files, error))
        files.clear();
    return files;
}

void BM_SignOffJobOf39PagesHeap(benchmark::State& state) {
    auto server = standin::AppServer::Open(":memory:");
    const fs::path folder =
        fs::temp_directory_path() / ("ktrb_bench_signoff_" + std::to_string(::getpid()));
    const std::vector<std::string> files = PagePictures(*server, folder);
    auto session = server->NewSession();
    session->Call("Connect", plat::VarArrayOf({"KTRB52", "DS", "DEMO", "DEMO", "True", "True"}));
    double imageBytes = 0, jobPeak = 0, framePeak = 0, perVariantPeak = 0;
    int queued = 0;
    for (auto _ : state) {
        const long long before = bench::heapLive.load();
        bench::ResetHeapPeak();
        {
            // As the form gathers them: the stream goes once the array is made.
            Variant bytes;
            std::string sizes;
            {
                ktrb::TMemoryStream stream;
                ktrb::AppendFilesToStream(files, stream, sizes);
                imageBytes = double(stream.Bytes().size());
                bytes = ktrb::StreamToByteArray(std::move(stream));
            }
            const std::string key = "5901||20240108001||" + std::to_string(++queued);
            const Variant item = plat::VarArrayOf(
                {"DEMO", "KTRB52", key, "DS", plat::VarArrayOf({"", "", "", "", ""}), "N", "",
                 Variant::Null(), Variant::Null(), "", "936", bytes, sizes, "SP7"});
            if (session->CallOperation("INSERTSVJOB", plat::VarArrayOf({item})).AsInteger() != 0) {
                state.SkipWithError("the job was not queued");
                break;
            }
        }
        jobPeak = double(bench::heapPeak.load() - before);

        // Over TCP the frame carries each byte as a Byte element.
        bench::ResetHeapPeak();
        {
            ktrb::TMemoryStream stream;
            std::string sizes;
            ktrb::AppendFilesToStream(files, stream, sizes);
            const Variant item = plat::VarArrayOf({ktrb::StreamToByteArray(stream), sizes});
            std::string frame;
            plat::codec::PutValue(frame, item);
            benchmark::DoNotOptimize(frame.data());
        }
        framePeak = double(bench::heapPeak.load() - before);

        bench::ResetHeapPeak();
        {
            Variant each = Variant::CreateArray({0, int(imageBytes) - 1}, plat::VarType::Byte);
            for (int i = 0; i < int(imageBytes); ++i)
                each[i] = Variant::Integer(plat::VarType::Byte, i & 0xff);
            benchmark::DoNotOptimize(each);
        }
        perVariantPeak = double(bench::heapPeak.load() - before);
    }
    fs::remove_all(folder);
    state.counters["pages"] = double(files.size());
    state.counters["image_MB"] = imageBytes / (1 << 20);
    state.counters["job_peak_MB"] = jobPeak / (1 << 20);
    state.counters["ratio"] = jobPeak / imageBytes;
    state.counters["tcp_frame_ratio"] = framePeak / imageBytes;
    state.counters["per_variant_array_ratio"] = perVariantPeak / imageBytes;
}
BENCHMARK(BM_SignOffJobOf39PagesHeap)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
