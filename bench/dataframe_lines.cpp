// A header with n lines in the header/body module: numbering a new line,
// checking a duplicate line key, summing the lines, copying the header key
// into every line, applying the document, and building a document of n lines
// line by line (numbering and duplicate check on every post).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "dataframe/DoubleCD.h"
#include "dataframe/LibDouble.h"
#include "platform/data/provider.h"

namespace {

using plat::TFieldType;
using plat::Variant;

std::vector<plat::TPacketField> Layout() {
    using plat::PacketField;
    auto key = [](plat::TPacketField f) {
        f.inKey = true;
        return f;
    };
    std::vector<plat::TPacketField> lines = {key(PacketField("TI001", TFieldType::ftString, 4)),
                                             key(PacketField("TI002", TFieldType::ftString, 11)),
                                             key(PacketField("TI003", TFieldType::ftString, 6)),
                                             PacketField("TI004", TFieldType::ftString, 20),
                                             PacketField("TI009", TFieldType::ftString, 10),
                                             PacketField("TI044", TFieldType::ftFloat),
                                             PacketField("FLAG", TFieldType::ftFloat)};
    return {key(PacketField("TH001", TFieldType::ftString, 4)),
            key(PacketField("TH002", TFieldType::ftString, 11)),
            PacketField("TH019", TFieldType::ftFloat), PacketField("FLAG", TFieldType::ftFloat),
            PacketField("qryBody", TFieldType::ftDataSet, 0, lines)};
}

std::string Number(const char* pattern, int i) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, i);
    return text;
}

plat::TPacketRow Header(const std::string& number, int lines) {
    plat::TPacketRow row;
    row.values =
        plat::TValueRow({Variant("5901"), Variant(number), Variant(0.0), Variant(0.0), Variant()});
    std::vector<plat::TPacketRow> details;
    details.reserve((size_t)lines);
    for (int i = 1; i <= lines; ++i) {
        plat::TPacketRow line;
        line.values = plat::TValueRow({Variant("5901"), Variant(number), Variant(Number("%06d", i)),
                                       Variant(Number("ITEM%06d", i)), Variant("W01"),
                                       Variant(1.25 * i), Variant(0.0)});
        details.push_back(line);
    }
    row.details.push_back(std::move(details));
    return row;
}

// The module of a document, with its fields designed and no form.
struct Document {
    explicit Document(int lines)
        : provider("pvdMain", Layout(),
                   lines > 0 ? std::vector<plat::TPacketRow>{Header("20240001", lines)}
                             : std::vector<plat::TPacketRow>{}) {
        for (const plat::TPacketField& pf : Layout()) {
            plat::TField* f = plat::CreateField(pf.type, dm.cdsMain);
            f->SetFieldName(pf.name);
            if (pf.size > 0) f->SetSize(pf.size);
            f->SetDataSet(dm.cdsMain);
        }
        dm.cdsBody1->SetDataSetField(
            dynamic_cast<plat::TDataSetField*>(dm.cdsMain->FieldByName("qryBody")));
        dm.cdsMain->SetProvider(&provider);
        dm.SetKeyFields("TH001,TH002");
        dm.SetBodyKeyFields("TI001,TI002,TI003");
        dm.cdsMain->Open();
        dm.cdsBody1->Open();
    }
    void Edit() {
        dm.cdsMain->Edit();
        dm.RefreshBodyClone();
    }

    plat::TMemoryProvider provider;
    ktrb::TdmDouble dm{nullptr};
};

void BM_NumberNewLine(benchmark::State& state) {
    Document doc((int)state.range(0));
    doc.Edit();
    for (auto _ : state) {
        doc.dm.cdsBody1->Append();
        benchmark::DoNotOptimize(doc.dm.cdsBody1->FieldByName("TI003")->AsString());
        doc.dm.cdsBody1->Cancel();
    }
}
BENCHMARK(BM_NumberNewLine)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The routine alone, walking every line of a cursor in its own order.
void BM_NextLineNumberWalk(benchmark::State& state) {
    Document doc((int)state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(ktrb::NextLineNumber(doc.dm.BodyClone, "TI003"));
}
BENCHMARK(BM_NextLineNumberWalk)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_DuplicateKeyCheck(benchmark::State& state) {
    Document doc((int)state.range(0));
    doc.dm.cdsBody1->Last();
    plat::TField* item = doc.dm.cdsBody1->FieldByName("TI004");
    for (auto _ : state) benchmark::DoNotOptimize(doc.dm.IsDuplicateBodyKey(item, "TI004+TI009"));
}
BENCHMARK(BM_DuplicateKeyCheck)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_SumLines(benchmark::State& state) {
    Document doc((int)state.range(0));
    doc.dm.cdsMain->Edit();
    std::vector<plat::TField*> head = {doc.dm.cdsMain->FieldByName("TH019")};
    for (auto _ : state) doc.dm.SumBodyFields(head, {"TI044"}, {2}, {"TI009=W01"});
}
BENCHMARK(BM_SumLines)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ReapplyHeadKey(benchmark::State& state) {
    Document doc((int)state.range(0));
    doc.dm.cdsMain->Edit();
    for (auto _ : state) doc.dm.ReapplyHeadKeyToBody();
}
BENCHMARK(BM_ReapplyHeadKey)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A new document of n lines: each line numbered and checked against the
// others as it is posted, then the header key copied in and the whole applied.
void BM_BuildAndApplyDocument(benchmark::State& state) {
    const int n = (int)state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<Document>(0);
        ktrb::TdmDouble& dm = doc->dm;
        dm.cdsMain->Append();
        dm.cdsMain->FieldByName("TH001")->SetAsString("5901");
        dm.cdsMain->FieldByName("TH002")->SetAsString("20240099");
        dm.RefreshBodyClone();
        plat::TField* item = dm.cdsBody1->FieldByName("TI004");
        state.ResumeTiming();
        for (int i = 1; i <= n; ++i) {
            dm.cdsBody1->Append();
            item->SetAsString(Number("ITEM%06d", i));
            dm.cdsBody1->FieldByName("TI044")->SetAsFloat(i);
            if (dm.IsDuplicateBodyKey(item, "TI004")) state.SkipWithError("duplicate");
            dm.cdsBody1->Post();
        }
        dm.ReapplyHeadKeyToBody();
        if (!dm.ApplyData(dm.cdsMain)) state.SkipWithError("not applied");
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildAndApplyDocument)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace
