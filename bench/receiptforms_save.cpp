// The receipt form on the demo database: saving an edited receipt of 10,000
// lines through every save check (a tenth of the lines on one arrival
// line), and the document-level totals recalculation over 100 and 100,000
// lines. The baseline walks the same lines once, reading one amount.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "platform/core/numbers.h"
#include "platform/data/clientdataset.h"
#include "receipt_form_started.h"
#include "runtime/PropAccess.h"

namespace {

const int kOffscreenDefault = ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

using namespace ktrb;
using plat::Variant;

// The form on the open receipt of `lines` lines.
struct Receipt : bench::StartedReceiptForm {
    explicit Receipt(int lines, bool arrivals = false)
        : StartedReceiptForm(bench::ReceiptLinesSql(lines, arrivals), "20240112001") {
        form->Show();
        if (dm->cdsBody1->RecordCount() != lines) std::abort();
    }
};

void BM_SaveEditedReceipt(benchmark::State& state) {
    Receipt r((int)state.range(0), true);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Edited as the edit command leaves it; the command's own walk over
        // the lines is not what is measured.
        r.form->SetFormMode(1);
        r.dm->cdsMain->Edit();
        SetFieldTextQuiet(r.dm->cdsMain->FieldByName("TH010"), "第" + std::to_string(++round));
        state.ResumeTiming();
        if (!r.form->SaveDocument()) std::abort();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SaveEditedReceipt)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

// A cent of tax more on the header than the lines hold: the split puts the
// cent back on the largest line, and the header follows the lines.
void BM_RecalculateTotals(benchmark::State& state) {
    Receipt r((int)state.range(0));
    plat::TClientDataSet* head = r.dm->cdsMain;
    head->Edit();
    SetFieldTextQuiet(head->FieldByName("TH005C1"), "1");
    // The lines' own split differs from the document's: settled once here.
    r.form->RecalculateTotals();
    for (auto _ : state) {
        state.PauseTiming();
        if (head->State() == plat::dsBrowse) head->Edit();
        plat::TField* tax = head->FieldByName("TH020");
        SetFieldTextQuiet(tax, plat::FloatToStr(tax->AsFloat() + 0.01));
        state.ResumeTiming();
        r.form->RecalculateTotals();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RecalculateTotals)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond);

// Baseline: one walk over the lines, reading one amount, with the line
// scroll rules detached and the controls disabled, as the search for the
// largest line has them.
void BM_WalkLines(benchmark::State& state) {
    Receipt r((int)state.range(0));
    plat::TClientDataSet* body = r.dm->cdsBody1;
    plat::TField* amount = body->FieldByName("TI044");
    body->BeforeScroll = {};
    body->AfterScroll = {};
    body->DisableControls();
    for (auto _ : state) {
        double sum = 0;
        for (body->First(); !body->Eof(); body->Next()) sum += amount->AsFloat();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WalkLines)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
