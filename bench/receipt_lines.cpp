// The receipt data module on one receipt of 100,000 lines (loaded from a
// packet, no server): the header totals, a line post with its checks and
// totals, the line scroll rules, the search for an unconfirmed line, a new
// tax rate recalculating every line's amounts, and one valuation quantity
// keyed with the amounts that follow it.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dataframe/OwnerForm.h"
#include "platform/data/provider.h"
#include "receipt/rules/Ktrb52CD.h"
#include "runtime/Brokers.h"
#include "runtime/PropAccess.h"
#include "support/receipt/ReceiptFormDouble.h"

using namespace ktrb;
using plat::TFieldType;
using plat::Variant;

namespace {

constexpr int kLines = 100000;

// The receipt form double in edit mode; its module (below) has inspection in
// use and the line rules' flags on, as an edit leaves them.
class BenchForm : public test::ReceiptFormDouble {
  public:
    BenchForm() {
        mode = TFormMode::Edit;
        for (int i = 0; i <= 12; ++i) lookupTexts[i] = "[F2]" + std::to_string(i);
    }
    ~BenchForm() override { BeginDestroy(); }
};

std::vector<plat::TPacketField> packetFields(plat::TDataSet* dataSet) {
    std::vector<plat::TPacketField> out;
    for (plat::TField* f : dataSet->Fields()) {
        plat::TPacketField p = plat::PacketField(f->FieldName(), f->DataType(), f->Size());
        if (auto* nested = dynamic_cast<plat::TDataSetField*>(f))
            p.fields = packetFields(nested->DetailDataSets().front());
        out.push_back(p);
    }
    return out;
}

std::vector<Variant> blankRow(plat::TDataSet* dataSet) {
    std::vector<Variant> row;
    for (plat::TField* f : dataSet->Fields()) {
        if (f->DataType() == TFieldType::ftDataSet)
            row.emplace_back();
        else if (f->IsNumeric())
            row.emplace_back(0.0);
        else
            row.emplace_back(std::string());
    }
    return row;
}

struct Receipt {
    std::unique_ptr<BenchForm> form = std::make_unique<BenchForm>();
    TdmKtrb52* dm = new TdmKtrb52(form.get());

    explicit Receipt(int lineCount) {
        dm->Session.ValidationActive = dm->Session.QuantityEditActive = true;
        dm->Session.QualityParam = "Y";
        dm->Broker = form->broker;
        form->broker->SetSysParam("SYS024", "1");
        plat::TDataPacket packet;
        packet.fields = packetFields(dm->cdsMain);
        auto set = [](std::vector<Variant>& row, plat::TDataSet* ds, const char* name, Variant v) {
            row[ds->FieldByName(name)->Index()] = std::move(v);
        };
        std::vector<Variant> head = blankRow(dm->cdsMain);
        set(head, dm->cdsMain, "TH001", Variant("5901"));
        set(head, dm->cdsMain, "TH002", Variant("20240301001"));
        set(head, dm->cdsMain, "TH001C1", Variant("Y"));
        plat::TPacketRow headRow;
        headRow.values = plat::TValueRow(head);
        std::vector<plat::TPacketRow> lines;
        lines.reserve(lineCount);
        const std::vector<Variant> blank = blankRow(dm->cdsBody1);
        for (int i = 1; i <= lineCount; ++i) {
            std::vector<Variant> row = blank;
            char no[8];
            std::snprintf(no, sizeof no, "%04d", i % 10000);
            set(row, dm->cdsBody1, "TI001", Variant("5901"));
            set(row, dm->cdsBody1, "TI002", Variant("20240301001"));
            set(row, dm->cdsBody1, "TI003", Variant(std::string(no)));
            set(row, dm->cdsBody1, "TI004", Variant("ITEM" + std::to_string(i % 500)));
            set(row, dm->cdsBody1, "TI014", Variant("2024" + std::to_string(100000 + i)));
            set(row, dm->cdsBody1, "TI015", Variant("****"));
            set(row, dm->cdsBody1, "TIC01", Variant(i % 7 == 0 ? "1" : "2"));
            set(row, dm->cdsBody1, "TI035", Variant(i % 3 == 0 ? "0" : "2"));
            set(row, dm->cdsBody1, "TI037", Variant(i == lineCount ? "N" : "Y"));
            set(row, dm->cdsBody1, "TI049", Variant(i % 2 ? "BOX" : ""));
            set(row, dm->cdsBody1, "TI007", Variant(10.5 + i % 10));
            set(row, dm->cdsBody1, "TI019", Variant(10.0 + i % 10));
            set(row, dm->cdsBody1, "TI025", Variant(100.25 + i % 13));
            set(row, dm->cdsBody1, "TI044", Variant(100.25 + i % 13));
            set(row, dm->cdsBody1, "TI045", Variant(13.0));
            plat::TPacketRow line;
            line.values = plat::TValueRow(row);
            line.details.emplace_back();
            lines.push_back(std::move(line));
        }
        headRow.details.push_back(std::move(lines));
        packet.rows.push_back(std::move(headRow));
        dm->cdsMain->LoadFromPacket(packet);
        dm->OpenDataSets();
        dm->cdsMain->Edit();
    }
};

Receipt& receipt(int lines = kLines) {
    static std::map<int, std::unique_ptr<Receipt>> receipts;
    auto& r = receipts[lines];
    if (!r) r = std::make_unique<Receipt>(lines);
    return *r;
}

void BM_HeadTotals(benchmark::State& state) {
    Receipt& r = receipt();
    r.form->broker->SetSysParam("SYS024", state.range(0) == 2 ? "2" : "1");
    for (auto _ : state) r.dm->CalcHeadTotals();
    benchmark::DoNotOptimize(r.dm->HeadField("TH042")->AsFloat());
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_HeadTotals)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(10);

// One line changed and posted: the post rules and the header totals, on a
// receipt of 100 lines and on one of 100,000.
void BM_PostLine(benchmark::State& state) {
    Receipt& r = receipt((int)state.range(0));
    r.form->broker->SetSysParam("SYS024", "1");
    r.dm->cdsBody1->First();
    double quantity = 1;
    // The first post builds what later posts keep (the duplicate-key order,
    // the store's sums): once per opened receipt, not per line.
    r.dm->cdsBody1->Edit();
    r.dm->LineField("TI007")->SetAsFloat(quantity);
    r.dm->cdsBody1->Post();
    for (auto _ : state) {
        r.dm->cdsBody1->Edit();
        r.dm->LineField("TI007")->SetAsFloat(quantity += 1);
        r.dm->cdsBody1->Post();
    }
    state.counters["lines"] = (double)state.range(0);
}
BENCHMARK(BM_PostLine)->Arg(100)->Arg(kLines)->Unit(benchmark::kMicrosecond)->Iterations(200);

// The scroll rules of one line, the cursor moving on by one.
void BM_ScrollLine(benchmark::State& state) {
    Receipt& r = receipt();
    r.dm->cdsBody1->First();
    for (auto _ : state) {
        r.dm->cdsBody1->Next();
        if (r.dm->cdsBody1->Eof()) r.dm->cdsBody1->First();
    }
}
BENCHMARK(BM_ScrollLine)->Unit(benchmark::kMicrosecond)->Iterations(20000);

void BM_UnconfirmedLine(benchmark::State& state) {
    Receipt& r = receipt();
    for (auto _ : state) benchmark::DoNotOptimize(r.dm->HasNoUnconfirmedLine());
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_UnconfirmedLine)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_RecalcAllLineAmounts(benchmark::State& state) {
    Receipt& r = receipt();
    r.form->broker->SetSysParam("SYS003", "RMB");
    SetFieldTextQuiet(r.dm->HeadField("TH007"), "RMB");
    SetFieldTextQuiet(r.dm->HeadField("TH015"), "2");
    SetFieldTextQuiet(r.dm->HeadField("TH030"), "0.13");
    r.dm->cdsBody1->First();
    for (auto _ : state) r.dm->RecalcAllLineAmounts();
    benchmark::DoNotOptimize(r.dm->HeadField("TH020")->AsFloat());
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_RecalcAllLineAmounts)->Unit(benchmark::kMillisecond)->Iterations(3);

// A valuation quantity keyed: processing amount, tax split and local amounts.
void BM_KeyValuationQuantity(benchmark::State& state) {
    Receipt& r = receipt();
    r.dm->cdsBody1->First();
    r.dm->cdsBody1->Edit();
    double quantity = 1;
    for (auto _ : state) r.dm->LineField("TI020")->SetAsFloat(quantity += 1);
    r.dm->cdsBody1->Cancel();
}
BENCHMARK(BM_KeyValuationQuantity)->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace
