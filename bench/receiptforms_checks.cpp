// The receipt form's checks on the embedded demo database, as the host runs
// them: the confirm checks of a receipt of 10,000 open lines on one work
// order (every line converted once and summed into the order's over-receipt,
// the order's materials asked once), and the line checks of one line. The
// baseline is the 10,000 unit conversions alone, which the confirm cannot
// do without.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "platform/data/clientdataset.h"
#include "receipt_form_started.h"
#include "runtime/Brokers.h"

namespace {

const int kOffscreenDefault = ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

using namespace ktrb;
using plat::Variant;

constexpr int kLines = 10000;

using Started = ktrb::bench::StartedReceiptForm;

// The demo installation with a receipt 5901/BIG10K of 10,000 lines on the
// demo's work order 5201-20240105001, the form started on it.
std::string BigReceiptSql() {
    return "INSERT INTO MOCTH (TH001, TH002, TH003, TH004, TH005, TH007, TH029) "
           "VALUES ('5901', 'BIG10K', '20240301', '01', 'S001', 'RMB', '20240301');"
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(kLines) +
           ") INSERT INTO MOCTI (TI001, TI002, TI003, TI004, TI007, TI008, TI009, TI010, "
           "TI013, TI014, TI018, TI019, TI020, TI023) SELECT '5901', 'BIG10K', "
           "printf('%05d', i), 'A1001-01', 10, 'PCS', 'W01', 'L240108', '5201', "
           "'20240105001', '20240301', 10, 10, 'PCS' FROM n";
}

Started& Receipt() {
    static Started* started = new Started(BigReceiptSql(), "BIG10K");
    return *started;
}

void BM_ConfirmChecks10kLines(benchmark::State& state) {
    Started& r = Receipt();
    if (r.dm->cdsBody1->RecordCount() != kLines) state.SkipWithError("the receipt did not open");
    for (auto _ : state) benchmark::DoNotOptimize(r.form->CheckStatusChange(3));
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_ConfirmChecks10kLines)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_UnitConversions10k(benchmark::State& state) {
    Started& r = Receipt();
    for (auto _ : state)
        for (int i = 0; i < kLines; ++i)
            benchmark::DoNotOptimize(r.form->Brokers()->CallServerMethod(
                "UnitConvert", plat::VarArrayOf({"A1001-01", 10.0, "PCS", ""})));
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_UnitConversions10k)->Unit(benchmark::kMillisecond)->Iterations(3);

// One line of the big receipt being edited, every check run.
void BM_LineChecksOneLine(benchmark::State& state) {
    Started& r = Receipt();
    r.dm->cdsBody1->First();
    r.dm->cdsBody1->Edit();
    for (auto _ : state) benchmark::DoNotOptimize(r.form->ValidateRequiredFields(r.dm->cdsBody1));
    r.dm->cdsBody1->Cancel();
}
BENCHMARK(BM_LineChecksOneLine)->Unit(benchmark::kMicrosecond);

}  // namespace
