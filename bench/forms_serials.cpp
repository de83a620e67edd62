// Interval input of 10,000 serial numbers into a document line that holds
// 10,000 already (another line holds 1,000): every candidate is checked
// against every serial of the document, then the rows are written at the
// top of the line. The baseline writes the same rows straight into the
// dataset, without any check.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "controls/FDBGrid.h"
#include "controls/QrvEdit.h"
#include "forms/BaseCF.h"
#include "forms/PSMSimpleBodyCF.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/data/provider.h"
#include "runtime/PropAccess.h"

namespace {

const int kOffscreenDefault = ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

using plat::TFieldType;
using plat::Variant;

constexpr int kHeld = 10000, kOther = 1000, kAdded = 10000;

class TBenchDocForm : public ktrb::TfrmBase {
  public:
    using TfrmBase::TfrmBase;
    bool SaveDocument() override { return true; }
};

plat::TPacketRow Row(std::vector<Variant> values, std::vector<plat::TPacketRow> details = {},
                     bool nested = false) {
    plat::TPacketRow r;
    if (nested) values.push_back(Variant());
    r.values = plat::TValueRow(values);
    if (nested) r.details.push_back(std::move(details));
    return r;
}

// A document form with a header, two lines and their serials open, the
// first line current.
struct Document {
    TBenchDocForm* doc = new TBenchDocForm(nullptr);
    plat::TClientDataSet* cdsMain = new plat::TClientDataSet(doc);
    plat::TClientDataSet* cdsBody1 = new plat::TClientDataSet(doc);
    plat::TClientDataSet* cdsFoot = new plat::TClientDataSet(doc);
    plat::TDataSource* dsFoot = new plat::TDataSource(doc);

    Document() {
        doc->ModuleFileName = "libktrb52c.so";
        doc->AfterConstruction();
        using plat::PacketField;
        std::vector<plat::TPacketField> serials = {PacketField("MB001", TFieldType::ftString, 4),
                                                   PacketField("MB002", TFieldType::ftString, 11),
                                                   PacketField("MB003", TFieldType::ftString, 4),
                                                   PacketField("MB004", TFieldType::ftString, 255),
                                                   PacketField("FLAG", TFieldType::ftFloat)};
        std::vector<plat::TPacketField> lines = {
            PacketField("TI001", TFieldType::ftString, 4),
            PacketField("TI002", TFieldType::ftString, 11),
            PacketField("TI003", TFieldType::ftString, 4),
            PacketField("qryFoot", TFieldType::ftDataSet, 0, serials)};
        auto serialRows = [](const std::string& line, const std::string& prefix, int n) {
            std::vector<plat::TPacketRow> rows;
            for (int i = 1; i <= n; ++i)
                rows.push_back(Row({"5901", "20240118001", line, prefix + std::to_string(i), 1.0}));
            return rows;
        };
        plat::TDataPacket packet;
        packet.fields = {PacketField("TH001", TFieldType::ftString, 4),
                         PacketField("TH002", TFieldType::ftString, 11),
                         PacketField("qryBody", TFieldType::ftDataSet, 0, lines)};
        packet.rows = {
            Row({"5901", "20240118001"},
                {Row({"5901", "20240118001", "0001"}, serialRows("0001", "OLD-", kHeld), true),
                 Row({"5901", "20240118001", "0002"}, serialRows("0002", "OTHER-", kOther), true)},
                true)};
        cdsMain->SetName("cdsMain");
        cdsBody1->SetName("cdsBody1");
        cdsFoot->SetName("cdsFoot");
        cdsMain->LoadFromPacket(packet);
        cdsBody1->SetDataSetField(
            dynamic_cast<plat::TDataSetField*>(cdsMain->FieldByName("qryBody")));
        if (!cdsBody1->Active()) cdsBody1->Open();
        cdsFoot->SetDataSetField(
            dynamic_cast<plat::TDataSetField*>(cdsBody1->FieldByName("qryFoot")));
        if (!cdsFoot->Active()) cdsFoot->Open();
        dsFoot->SetDataSet(cdsFoot);
        cdsMain->Edit();
    }
    ~Document() { doc->Free(); }
};

void BM_IntervalInput(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<Document>();
        auto* f = new ktrb::TfrmPSMSimpleBody(document->doc);
        f->DBGrid->SetDataSource(document->dsFoot);
        f->AfterConstruction();
        f->SetMaintainMode(true);
        f->SetInputMode(ktrb::TSerialInputMode::Interval);
        f->edFormatText->SetText("NEW-*****");
        f->RunStart = 5;
        f->RunEnd = 9;
        f->edBegSeq->SetText("1");
        f->edEndSeq->SetText(std::to_string(kAdded));
        state.ResumeTiming();
        f->btnSureClick(f->btnSure);
        state.PauseTiming();
        if (document->cdsFoot->RecordCount() != kHeld + kAdded)
            state.SkipWithError("the interval was not written");
        document.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kAdded);
}
BENCHMARK(BM_IntervalInput)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_IntervalInputBaseline(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<Document>();
        plat::TClientDataSet* rows = document->cdsFoot;
        state.ResumeTiming();
        rows->DisableControls();
        for (int n = 1; n <= kAdded; ++n) {
            rows->First();
            rows->Insert();
            ktrb::SetFieldText(rows->FieldByName("MB004"), "NEW-" + std::to_string(n));
            rows->Post();
        }
        rows->EnableControls();
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kAdded);
}
BENCHMARK(BM_IntervalInputBaseline)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
