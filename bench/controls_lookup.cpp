// The lookup combo's incremental search: one keystroke filters 10,000
// candidate rows (code, name, specification) by the match rule. Under code
// page 936 every Chinese text is also matched by its initials; the literal
// search of 950 is the baseline, and the initials taken through the code
// page's byte form show what the table-driven text form saves.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "controls/QvLookUpComboCommon.h"
#include "platform/core/text.h"

using namespace ktrb;

namespace {

struct Row {
    std::string code, name, spec;
};

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = [] {
        std::mt19937 rng(20240301);
        std::uniform_int_distribution<int> lead(0xB0, 0xD7), trail(0xA1, 0xFE), len(2, 8);
        auto chinese = [&](int n) {
            std::string bytes;
            for (int i = 0; i < n; ++i) {
                bytes += (char)lead(rng);
                bytes += (char)trail(rng);
            }
            return plat::FromCodePageReplacing(bytes, plat::CodePage::Gbk).text;
        };
        std::vector<Row> r;
        for (int i = 0; i < 10000; ++i)
            r.push_back({"A" + std::to_string(100000 + i), chinese(len(rng)),
                         std::to_string(i % 97) + "x40mm " + chinese(2)});
        return r;
    }();
    return rows;
}

template <class Match>
int Filter(const Match& match) {
    int accepted = 0;
    for (const Row& r : Rows()) accepted += match(r.code) || match(r.name) || match(r.spec);
    return accepted;
}

void BM_KeystrokeInitials936(benchmark::State& state) {
    Rows();
    for (auto _ : state) {
        TLookupMatcher m("hdq", "936");
        benchmark::DoNotOptimize(Filter([&](const std::string& t) { return m.Matches(t); }));
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)Rows().size());
}
BENCHMARK(BM_KeystrokeInitials936)->Unit(benchmark::kMillisecond);

void BM_KeystrokeLiteral950(benchmark::State& state) {
    Rows();
    for (auto _ : state) {
        TLookupMatcher m("hdq", "950");
        benchmark::DoNotOptimize(Filter([&](const std::string& t) { return m.Matches(t); }));
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)Rows().size());
}
BENCHMARK(BM_KeystrokeLiteral950)->Unit(benchmark::kMillisecond);

void BM_KeystrokeInitialsThroughBytes(benchmark::State& state) {
    Rows();
    for (auto _ : state) {
        const std::string s = "HDQ";
        benchmark::DoNotOptimize(Filter([&](const std::string& t) {
            std::string bytes = plat::ToCodePageReplacing(t, plat::CodePage::Gbk).text;
            std::string p =
                plat::FromCodePageReplacing(PinyinInitials(bytes), plat::CodePage::Gbk).text;
            return plat::UpperCase(t).find(s) != std::string::npos ||
                   plat::UpperCase(p).find(s) != std::string::npos;
        }));
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)Rows().size());
}
BENCHMARK(BM_KeystrokeInitialsThroughBytes)->Unit(benchmark::kMillisecond);

}  // namespace
