// The platform's data grid beside the toolkit's table view: opening with the
// first paint, and a page down with its paint, at 1,000, 10,000 and 100,000
// rows.
#include "grid_side_by_side.h"

namespace {

void OpenAndFirstPaint(benchmark::State& state) {
    gridbench::OpenAndFirstPaint<plat::TDataGrid>(state);
}
BENCHMARK(OpenAndFirstPaint)->Apply(gridbench::RowCounts);

void PageDownAndPaint(benchmark::State& state) {
    gridbench::PageDownAndPaint<plat::TDataGrid>(state);
}
BENCHMARK(PageDownAndPaint)->Apply(gridbench::RowCounts);

}  // namespace
