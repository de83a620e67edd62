// The base data module on a document of many lines: showing formatted
// quantities, the data-rights walk, the FLAG sweep before a save, and sorting
// by a clicked column.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "dataframe/BaseCD.h"
#include "dataframe/knlRadical.h"
#include "platform/automation/dispatch.h"
#include "platform/core/text.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"

namespace {

using namespace ktrb;
using plat::TFieldType;
using plat::Variant;

std::string lineNo(int i) {
    return ktrb::ZeroPad(6, i);
}

// A header with n lines: TI001..TI003 keys, TI004 item, TI007 quantity, FLAG.
struct Document {
    explicit Document(int n, double flag = 0) {
        std::vector<plat::TPacketField> lineFields = {
            plat::PacketField("TI001", TFieldType::ftString, 4),
            plat::PacketField("TI002", TFieldType::ftString, 11),
            plat::PacketField("TI003", TFieldType::ftString, 6),
            plat::PacketField("TI004", TFieldType::ftString, 20),
            plat::PacketField("TI007", TFieldType::ftFloat),
            plat::PacketField("FLAG", TFieldType::ftFloat)};
        std::vector<plat::TPacketField> fields = {
            plat::PacketField("TH001", TFieldType::ftString, 4),
            plat::PacketField("TH002", TFieldType::ftString, 11),
            plat::PacketField("FLAG", TFieldType::ftFloat),
            plat::PacketField("qryBody", TFieldType::ftDataSet, 0, lineFields)};
        plat::TPacketRow header;
        header.values =
            plat::TValueRow({Variant("5901"), Variant("20240001"), Variant(0.0), Variant()});
        header.details.emplace_back();
        for (int i = 0; i < n; ++i) {
            plat::TPacketRow line;
            line.values = plat::TValueRow({Variant("5901"), Variant("20240001"), Variant(lineNo(i)),
                                           Variant("ITEM" + std::to_string(i % 97)),
                                           Variant(1234.5 + i), Variant(flag)});
            header.details[0].push_back(std::move(line));
        }
        provider = std::make_unique<plat::TMemoryProvider>("pvdMain", fields,
                                                           std::vector<plat::TPacketRow>{header});
        dm.cdsMain->SetProvider(provider.get());
        dm.cdsMain->Open();
        body = new TwwClientDataSet(&dm);
        body->SetName("cdsBody1");
        body->SetDataSetField(
            dynamic_cast<plat::TDataSetField*>(dm.cdsMain->FieldByName("qryBody")));
        body->Open();
    }

    struct Module : TdmBase {
        Module() : TdmBase(nullptr) {}
    };
    std::unique_ptr<plat::TMemoryProvider> provider;
    Module dm;
    TwwClientDataSet* body = nullptr;
};

void BM_QuantityDisplayText(benchmark::State& state) {
    Document doc((int)state.range(0));
    doc.dm.SetKindFields(3, "cdsBody1:TI007");
    plat::TField* qty = doc.body->FieldByName("TI007");
    for (auto _ : state) {
        size_t chars = 0;
        for (doc.body->First(); !doc.body->Eof(); doc.body->Next())
            chars += qty->DisplayText().size();
        benchmark::DoNotOptimize(chars);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_QuantityDisplayText)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

struct AllowEveryRow : plat::DispatchObject {
    explicit AllowEveryRow(int n) : DispatchObject("Server") {
        std::vector<Variant> keys;
        for (int i = 0; i < n; ++i)
            keys.emplace_back(plat::PadRightToWidth("5901", 4) + "-" +
                              plat::PadRightToWidth("20240001", 11) + "-" + lineNo(i));
        answer = plat::VarArrayOf({Variant(n + 1), Variant::ArrayOf(keys)});
        Method("GetBaseLimitedRecs", [this](plat::DispArgs) { return answer; });
        Method("GetRecCount", [](plat::DispArgs) { return Variant(1); });
    }
    Variant answer;
};

void BM_BodyDataRights(benchmark::State& state) {
    int n = (int)state.range(0);
    Document doc(n);
    doc.dm.KeyFields = "TH001,TH002";
    doc.dm.MainTable = "MOCTH";
    doc.dm.AppServer =
        Variant(std::static_pointer_cast<plat::Dispatch>(std::make_shared<AllowEveryRow>(n)));
    TBrokers broker;
    broker.HostParams().SetText("D11_KEY=TI001,TI002,TI003\r\n");
    doc.dm.Broker = &broker;
    for (auto _ : state) {
        std::string denied;
        bool ok = doc.dm.CheckBodyDataRights(doc.body, "D11", denied);
        benchmark::DoNotOptimize(ok);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_BodyDataRights)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ResetNegativeFlags(benchmark::State& state) {
    int n = (int)state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        Document doc(n, -1);
        state.ResumeTiming();
        ResetNegativeFlags(doc.dm.cdsMain, true);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ResetNegativeFlags)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

void BM_SortByClickedColumn(benchmark::State& state) {
    Document doc((int)state.range(0));
    for (auto _ : state) doc.dm.SortDataSetByField(doc.body, "TI004");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SortByClickedColumn)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
