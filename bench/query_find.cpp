// The find-in-grid search over 100,000 records, and one screen of cells
// coloured from a colour data set of 100,000 records.
#include <benchmark/benchmark.h>

#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/forms.h"
#include "query/ColorComponents.h"
#include "query/QvSearch.h"

namespace {

constexpr int kRows = 100000;

struct Data {
    plat::TForm* form = plat::CreateForm<plat::TForm>(nullptr);
    plat::TClientDataSet* ds = new plat::TClientDataSet(form);
    plat::TClientDataSet* colors = new plat::TClientDataSet(form);
    plat::TDataSource* src = new plat::TDataSource(form);
    plat::TDataGrid* grid = new plat::TDataGrid(form);
    std::unique_ptr<ktrb::TColorComponents> set;

    Data() {
        ds->FieldDefs().Add("TH002", plat::TFieldType::ftString, 11);
        ds->FieldDefs().Add("TH010", plat::TFieldType::ftString, 40);
        ds->CreateDataSet();
        colors->FieldDefs().Add("TH002", plat::TFieldType::ftString, 11);
        colors->FieldDefs().Add("gdHead", plat::TFieldType::ftString, 255);
        colors->CreateDataSet();
        for (int i = 0; i < kRows; ++i) {
            std::string key = std::to_string(10000000 + i);
            ds->Append();
            ds->FieldByName("TH002")->SetAsString(key);
            ds->FieldByName("TH010")->SetAsString(i == kRows - 1 ? "最后一张" : "外壳加工");
            ds->Post();
            colors->Append();
            colors->FieldByName("TH002")->SetAsString(key);
            colors->FieldByName("gdHead")->SetAsString(i % 3 ? "" : "bkcolor=255;colorx=0;");
            colors->Post();
        }
        src->SetDataSet(ds);
        grid->SetName("gdHead");
        grid->SetDataSource(src);
        set = ktrb::LoadColorComponents(
            form,
            "<colormanager><head><component name=\"gdHead\" enable=\"Y\"/></head></colormanager>",
            "head");
    }
};

Data& Shared() {
    static Data d;
    return d;
}

void BM_FindTextThroughAllRecords(benchmark::State& state) {
    Data& d = Shared();
    for (auto _ : state) {
        d.ds->First();
        bool found = ktrb::FindText(d.grid, "TH010", "最后", true, false, false, false, "");
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_FindTextThroughAllRecords)->Unit(benchmark::kMillisecond);

// 30 rows of 10 cells near the end of the colour data.
void BM_ColourOneScreenOfCells(benchmark::State& state) {
    Data& d = Shared();
    plat::TField* field = d.ds->FieldByName("TH010");
    for (auto _ : state) {
        for (int row = 0; row < 30; ++row) {
            plat::Variant key(std::to_string(10000000 + kRows - 40 + row));
            for (int col = 0; col < 10; ++col) {
                plat::TFont font;
                plat::TBrush brush;
                d.set->CalcCellColors(d.grid, field, "TH002", key, d.colors, &font, &brush);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * 300);
}
BENCHMARK(BM_ColourOneScreenOfCells)->Unit(benchmark::kMillisecond);

}  // namespace
