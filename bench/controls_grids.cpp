// The string grid at 10,000 rows x 20 columns with settings on every cell:
// inserting and removing a row, moving a column and a repaint, the plain
// string grid's repaint their baseline; and the striped grid opening and
// paging down beside the toolkit's table view.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "controls/Aligrid.h"
#include "controls/FDBGrid.h"
#include "grid_side_by_side.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/ui/forms.h"
#include "platform/ui/screenshot.h"

using namespace plat;
using namespace ktrb;

namespace {

struct StringGridShown {
    TForm* form = CreateForm<TForm>(nullptr);
    TStringAlignGrid* grid = new TStringAlignGrid(form);
    explicit StringGridShown(int rows) {
        form->SetBounds(0, 0, 800, 600);
        grid->SetParent(form);
        grid->SetAlign(TAlign::alClient);
        grid->SetColCount(20);
        grid->SetRowCount(rows);
        for (int c = 0; c < 20; ++c)
            for (int r = 0; r < rows; ++r) {
                grid->SetCells(c, r, "委外" + std::to_string(r));
                grid->SetAlignCell(c, r, TMyAlign::alRight);
                if (c == 3) grid->SetControlInfo(c, r, 2, "Y;N", 0);
            }
        form->Show();
        Application->ProcessMessages();
    }
    ~StringGridShown() { form->Free(); }
};

StringGridShown& Big(int rows) {
    // Kept to the end of the program: forms outlive no application.
    static std::map<int, StringGridShown*> cache;
    auto& g = cache[rows];
    if (!g) g = new StringGridShown(rows);
    return *g;
}

void StringGridInsertRemoveRow(benchmark::State& state) {
    auto& s = Big((int)state.range(0));
    for (auto _ : state) {
        s.grid->InsertRow(5);
        s.grid->RemoveRow(5);
    }
}
BENCHMARK(StringGridInsertRemoveRow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void StringGridMoveColumn(benchmark::State& state) {
    auto& s = Big((int)state.range(0));
    for (auto _ : state) {
        s.grid->MoveColumn(2, 15);
        s.grid->MoveColumn(15, 2);
    }
}
BENCHMARK(StringGridMoveColumn)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void StringGridRepaint(benchmark::State& state) {
    auto& s = Big((int)state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(Screenshot(s.grid).Width());
}
BENCHMARK(StringGridRepaint)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The grid's own drawing work, without the window system's rendering.
void StringGridPaintToRecording(benchmark::State& state) {
    auto& s = Big((int)state.range(0));
    for (auto _ : state) {
        TRecordingCanvas c;
        s.grid->PaintTo(c);
        benchmark::DoNotOptimize(c.Ops().size());
    }
}
BENCHMARK(StringGridPaintToRecording)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Baseline: the platform's plain string grid of the same size and texts.
void PlainStringGridRepaint(benchmark::State& state) {
    TForm* form = CreateForm<TForm>(nullptr);
    form->SetBounds(0, 0, 800, 600);
    auto* grid = new TStringGrid(form);
    grid->SetParent(form);
    grid->SetAlign(TAlign::alClient);
    grid->SetColCount(20);
    grid->SetRowCount((int)state.range(0));
    for (int c = 0; c < 20; ++c)
        for (int r = 0; r < grid->RowCount(); ++r) grid->SetCells(c, r, "委外" + std::to_string(r));
    form->Show();
    Application->ProcessMessages();
    for (auto _ : state) benchmark::DoNotOptimize(Screenshot(grid).Width());
    form->Free();
}
BENCHMARK(PlainStringGridRepaint)->Arg(10000)->Unit(benchmark::kMillisecond);

// The striped grid of the document windows beside the toolkit's table view
// on the same receipt lines.
void StripedGridOpenAndFirstPaint(benchmark::State& state) {
    gridbench::OpenAndFirstPaint<TFDBGrid>(state);
}
BENCHMARK(StripedGridOpenAndFirstPaint)->Apply(gridbench::RowCounts);

void StripedGridPageDownAndPaint(benchmark::State& state) {
    gridbench::PageDownAndPaint<TFDBGrid>(state);
}
BENCHMARK(StripedGridPageDownAndPaint)->Apply(gridbench::RowCounts);

}  // namespace
