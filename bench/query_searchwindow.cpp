// The lookup window over 100,000 candidate rows: opening it (request, first
// packet, columns, shown) and paging on at the start, the middle and the end
// of the rows.
#include <benchmark/benchmark.h>

#include <functional>

#include "dataframe/Connection.h"
#include "platform/automation/dispatch.h"
#include "platform/data/provider.h"
#include "platform/ui/forms.h"
#include "query/SearchCF.h"

namespace {

using plat::Variant;

constexpr int kRows = 100000;

// A lookup server holding its rows in memory.
class Server : public plat::DispatchObject, public plat::IProviderSource {
  public:
    explicit Server(int rows = kRows)
        : DispatchObject("DravocS.Class1"),
          provider("pvdDravoc", {plat::PacketField("TI003", plat::TFieldType::ftString, 10),
                                 plat::PacketField("TI005", plat::TFieldType::ftString, 60),
                                 plat::PacketField("TI019", plat::TFieldType::ftFloat)}) {
        for (int i = 0; i < rows; ++i) {
            plat::TPacketRow r;
            r.values = plat::TValueRow(std::vector<Variant>{
                Variant(std::to_string(100000 + i)), Variant("铝合金外壳加工"), Variant(i * 1.5)});
            provider.Rows().push_back(std::move(r));
        }
        Method("GetF2Data", [](plat::DispArgs a) {
            a[1] = std::string(
                "==============MI005 END=================\r\n--DISPLAY;\r\n"
                "序号;品名;数量\r\n");
            return Variant(true);
        });
    }
    plat::IProvider* FindProvider(const std::string&) override { return &provider; }
    plat::TMemoryProvider provider;
};

// Runs the work on each window while it is shown, then closes it.
class RunThenClose : public plat::IDialogRunner {
  public:
    explicit RunThenClose(std::function<void(ktrb::TfrmSearch&)> work) : work_(std::move(work)) {}
    void RunModal(plat::TCustomForm& form) override {
        work_(static_cast<ktrb::TfrmSearch&>(form));
        form.SetModalResult(plat::mrOk);
        form.CloseModal();
    }

  private:
    std::function<void(ktrb::TfrmSearch&)> work_;
};

// Opens a window on the server and runs the work while it is shown.
void OpenWindow(const std::shared_ptr<Server>& server,
                std::function<void(ktrb::TfrmSearch&)> work) {
    ktrb::TBrokers broker;
    auto* form = plat::CreateForm<ktrb::TfrmSearch>(nullptr);
    form->MIDAS1->SetAppServer(server);
    plat::DialogRunnerScope scope{std::make_shared<RunThenClose>(std::move(work))};
    form->Execute(&broker, "MOCTI", "60", plat::VarArrayOf({"1"}), std::string(), Variant(),
                  Variant(), "", "", 3, "");
    form->Free();
}

// The window on 100,000 candidate rows; on 20 as the baseline.
void BM_OpenWindowOnRows(benchmark::State& state) {
    auto server = std::make_shared<Server>((int)state.range(0));
    int held = 0;
    for (auto _ : state)
        OpenWindow(server, [&](ktrb::TfrmSearch& w) { held = w.cdsMain->RecordCount(); });
    state.counters["rows_read"] = held;
}
BENCHMARK(BM_OpenWindowOnRows)->Arg(20)->Arg(kRows)->Unit(benchmark::kMicrosecond);

// One page further, starting at the given row of the 100,000.
void BM_NextPageAtRow(benchmark::State& state) {
    auto server = std::make_shared<Server>();
    OpenWindow(server, [&](ktrb::TfrmSearch& w) {
        auto* ds = w.cdsMain;
        // To the starting row, holding at most 1000 rows as the window does.
        for (int64_t fetched = ds->RecordCount(); fetched < state.range(0);) {
            if (ds->RecordCount() >= 1000) ds->DiscardFetchedRows();
            fetched += ds->GetNextPacket();
        }
        for (auto _ : state) {
            w.btnLastClick(nullptr);
            w.btnNextClick(nullptr);
            if (ds->AllFetched()) state.SkipWithError("the rows ran out");
        }
    });
}
BENCHMARK(BM_NextPageAtRow)
    ->Arg(0)
    ->Arg(50000)
    ->Arg(90000)
    ->Iterations(400)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
