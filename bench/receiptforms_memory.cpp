// The memory of a receipt of 100,000 lines opened in the receipt form
// through the provider: the C++ heap at its peak while the form opens the
// receipt and what stays live once it is open, per line, against the bytes
// per line of the SQLite file that holds the same lines (the baseline). The
// lines are the demo's own receipt lines copied, each its own line number
// and batch.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "heap_meter.h"
#include "platform/data/clientdataset.h"
#include "receipt_form_started.h"

namespace {

const int kOffscreenDefault = ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

struct Opened {
    long long peak = 0, live = 0, fileBytes = 0;
    int lines = 0;
};

// The file's bytes once SQLite has packed it (free pages dropped).
long long FileBytes(const std::string& file) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return 0;
    }
    sqlite3_close(db);
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? (long long)st.st_size : 0;
}

// The form opened on the demo database after `prepare`; the heap counted
// from before the form is made.
Opened Open(const std::string& prepare) {
    Opened o;
    const long long before = bench::heapLive.load();
    bench::ResetHeapPeak();
    {
        ktrb::bench::StartedReceiptForm r(prepare, "20240112001");
        o.lines = r.dm->cdsBody1->RecordCount();
        o.live = bench::heapLive.load() - before;
        o.peak = bench::heapPeak.load() - before;
        o.fileBytes = FileBytes(r.installation.client() + "demo.db");
    }
    return o;
}

void BM_OpenReceipt100kLinesMemory(benchmark::State& state) {
    Opened demo, big;
    for (auto _ : state) {
        demo = Open("SELECT 1");
        big = Open(ktrb::bench::ReceiptLinesSql((int)state.range(0)));
    }
    const double lines = big.lines - demo.lines;
    if (big.lines != state.range(0) || lines <= 0 || big.fileBytes <= demo.fileBytes) {
        state.SkipWithError("the receipt did not open with its lines");
        return;
    }
    const double sqlite = double(big.fileBytes - demo.fileBytes) / lines;
    const double peak = double(big.peak - demo.peak) / lines;
    const double live = double(big.live - demo.live) / lines;
    state.counters["sqlite_B_per_line"] = sqlite;
    state.counters["peak_B_per_line"] = peak;
    state.counters["live_B_per_line"] = live;
    state.counters["peak_ratio"] = peak / sqlite;
    state.counters["live_ratio"] = live / sqlite;
}
BENCHMARK(BM_OpenReceipt100kLinesMemory)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
