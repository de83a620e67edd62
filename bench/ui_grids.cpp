// The data grid over 1,000 and 100,000 records: opening, a page down, a jump
// to the last record and a repaint cost the same at either size, since only
// the rows in view are read and painted.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/forms.h"
#include "platform/ui/screenshot.h"

using namespace plat;

namespace {

// One dataset per row count, filled once.
TClientDataSet* Rows(int n) {
    static std::map<int, std::unique_ptr<TClientDataSet>> cache;
    auto& ds = cache[n];
    if (!ds) {
        ds = std::make_unique<TClientDataSet>();
        ds->FieldDefs().Add("CODE", TFieldType::ftString, 10);
        ds->FieldDefs().Add("NAME", TFieldType::ftString, 20);
        ds->FieldDefs().Add("QTY", TFieldType::ftFloat);
        ds->CreateDataSet();
        for (int i = 0; i < n; ++i) {
            ds->Append();
            ds->Fields()[0]->SetAsString("C" + std::to_string(100000 + i));
            ds->Fields()[1]->SetAsString("委外进货单" + std::to_string(i));
            ds->Fields()[2]->SetAsFloat(i * 1.5);
            ds->Post();
        }
        ds->First();
    }
    return ds.get();
}

struct Shown {
    TForm* form = CreateForm<TForm>(nullptr);
    TDataSource* src = new TDataSource(form);
    TDataGrid* grid = new TDataGrid(form);
    explicit Shown(TDataSet* ds) {
        form->SetBounds(0, 0, 640, 480);
        grid->SetParent(form);
        grid->SetAlign(TAlign::alClient);
        src->SetDataSet(ds);
        grid->SetDataSource(src);
        form->Show();
        Application->ProcessMessages();
    }
    ~Shown() { form->Free(); }
};

void GridOpen(benchmark::State& state) {
    TDataSet* ds = Rows((int)state.range(0));
    for (auto _ : state) {
        ds->First();
        Shown s(ds);
        benchmark::DoNotOptimize(Screenshot(s.grid).Width());
    }
}
BENCHMARK(GridOpen)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void GridPageDown(benchmark::State& state) {
    TDataSet* ds = Rows((int)state.range(0));
    ds->First();
    Shown s(ds);
    for (auto _ : state) {
        if (ds->RecNo() > 500) ds->First();
        s.grid->SimulateKey(VK_NEXT);
    }
}
BENCHMARK(GridPageDown)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void GridJumpToEnd(benchmark::State& state) {
    TDataSet* ds = Rows((int)state.range(0));
    ds->First();
    Shown s(ds);
    for (auto _ : state) {
        ds->Last();
        ds->First();
    }
}
BENCHMARK(GridJumpToEnd)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void GridRepaintAtEnd(benchmark::State& state) {
    TDataSet* ds = Rows((int)state.range(0));
    ds->Last();
    Shown s(ds);
    for (auto _ : state) benchmark::DoNotOptimize(Screenshot(s.grid).Width());
}
BENCHMARK(GridRepaintAtEnd)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
