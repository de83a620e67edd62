// Property lookup by name and event dispatch, a million at a time.
#include <benchmark/benchmark.h>

#include "platform/component/properties.h"
#include "support/component/test_components.h"

using namespace plat;
using namespace plat::testing;

namespace {

constexpr int kMillion = 1000000;
const char* const kNames[] = {"Text", "items", "STYLE",    "ItemIndex",
                              "Font", "Color", "TabOrder", "Name"};

void LookupByName(benchmark::State& state) {
    TTestComboBox combo;
    for (auto _ : state) {
        for (int i = 0; i < kMillion; ++i)
            benchmark::DoNotOptimize(GetPropInfo(&combo, kNames[i & 7]));
    }
    state.SetItemsProcessed(state.iterations() * kMillion);
}
BENCHMARK(LookupByName)->Unit(benchmark::kMillisecond);

void LookupMissingName(benchmark::State& state) {
    TTestComboBox combo;
    for (auto _ : state) {
        for (int i = 0; i < kMillion; ++i)
            benchmark::DoNotOptimize(GetPropInfo(&combo, "DataField"));
    }
    state.SetItemsProcessed(state.iterations() * kMillion);
}
BENCHMARK(LookupMissingName)->Unit(benchmark::kMillisecond);

void ReadStringByName(benchmark::State& state) {
    TTestEdit edit;
    edit.SetText("A0123456789");
    for (auto _ : state) {
        for (int i = 0; i < kMillion; ++i) benchmark::DoNotOptimize(GetStrProp(&edit, "Text"));
    }
    state.SetItemsProcessed(state.iterations() * kMillion);
}
BENCHMARK(ReadStringByName)->Unit(benchmark::kMillisecond);

void WriteOrdinalByName(benchmark::State& state) {
    TTestEdit edit;
    for (auto _ : state) {
        for (int i = 0; i < kMillion; ++i) SetOrdProp(&edit, "MaxLength", i & 255);
    }
    state.SetItemsProcessed(state.iterations() * kMillion);
}
BENCHMARK(WriteOrdinalByName)->Unit(benchmark::kMillisecond);

void WriteByPathAsVariant(benchmark::State& state) {
    TTestEdit edit;
    const Variant charset("GB2312_CHARSET");
    for (auto _ : state) {
        for (int i = 0; i < kMillion; ++i) SetPropValueByPath(&edit, "Font.Charset", charset);
    }
    state.SetItemsProcessed(state.iterations() * kMillion);
}
BENCHMARK(WriteByPathAsVariant)->Unit(benchmark::kMillisecond);

void DispatchEvent(benchmark::State& state) {
    TTestForm form;
    TTestButton button;
    button.OnClick = TNotifyEvent(&form, &TTestForm::edCodeChange);
    int n = 0;
    TNotifyEvent counting([&n](TObject*) { ++n; });
    for (auto _ : state) {
        for (int i = 0; i < kMillion; ++i) counting(&button);
    }
    benchmark::DoNotOptimize(n);
    state.SetItemsProcessed(state.iterations() * kMillion);
}
BENCHMARK(DispatchEvent)->Unit(benchmark::kMillisecond);

void DispatchEmptyEvent(benchmark::State& state) {
    TTestButton button;
    for (auto _ : state) {
        for (int i = 0; i < kMillion; ++i) button.OnClick(&button);
    }
    state.SetItemsProcessed(state.iterations() * kMillion);
}
BENCHMARK(DispatchEmptyEvent)->Unit(benchmark::kMillisecond);

void SaveClearRestoreEventByName(benchmark::State& state) {
    TTestForm form;
    TTestEdit edit;
    edit.OnChange = TNotifyEvent(&form, &TTestForm::edCodeChange);
    for (auto _ : state) {
        for (int i = 0; i < kMillion; ++i) {
            EventHandle saved = GetMethodProp(&edit, "OnChange");
            SetMethodProp(&edit, "OnChange", EventHandle());
            SetMethodProp(&edit, "OnChange", saved);
        }
    }
    state.SetItemsProcessed(state.iterations() * kMillion);
}
BENCHMARK(SaveClearRestoreEventByName)->Unit(benchmark::kMillisecond);

}  // namespace
