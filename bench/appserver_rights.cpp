// What the rights and document-status checks of a save cost: a save of
// 1,000 lines through the receipt provider against the same save through a
// provider of the same tables without those checks, both timed in every
// round, side by side and in turns, by the thread's processor time, so that
// a busy machine weighs on neither. The counters give each one's median
// and the checks' share of the checked save.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "remark_delta.h"
#include "standins/appserver/session.h"
#include "standins/appserver/table_provider.h"

using namespace standin;
using plat::Variant;

namespace {

constexpr int kLines = 1000;

std::unique_ptr<TableProvider> Unchecked(AppSession& s) {
    LevelSpec header;
    header.table = "MOCTH";
    header.versionColumns = {"FLAG", "TH023"};
    header.statusColumn = "TH023";
    LevelSpec lines;
    lines.table = "MOCTI";
    lines.nestedField = "qryBody";
    lines.linkColumns = {"TI001", "TI002"};
    LevelSpec serials;
    serials.table = "PSMMB";
    serials.nestedField = "qryFoot";
    serials.linkColumns = {"MB001", "MB002", "MB003"};
    return std::make_unique<TableProvider>(
        "pvdMain", s, std::vector<LevelSpec>{header, lines, serials}, ProviderOptions{});
}

int FieldOf(const std::vector<plat::TPacketField>& f, const std::string& name) {
    for (size_t i = 0; i < f.size(); ++i)
        if (f[i].name == name) return (int)i;
    return -1;
}

plat::TDeltaRow Row(uint64_t id, plat::TUpdateStatus status, std::vector<Variant> values,
                    size_t nested) {
    plat::TDeltaRow d;
    d.id = id;
    d.status = status;
    d.newValues = plat::TValueRow(std::move(values));
    d.changed.assign(d.newValues.Values().size(), true);
    d.details.resize(nested);
    return d;
}

// A new receipt with kLines lines, as the client sends it.
plat::TDelta NewReceipt(const std::vector<plat::TPacketField>& hf, const std::string& number) {
    const auto& lf = hf[(size_t)FieldOf(hf, "qryBody")].fields;
    std::vector<Variant> h(hf.size());
    h[(size_t)FieldOf(hf, "TH001")] = Variant("5901");
    h[(size_t)FieldOf(hf, "TH002")] = Variant(number);
    h[(size_t)FieldOf(hf, "TH029")] = Variant("20240301");
    h[(size_t)FieldOf(hf, "TH023")] = Variant("N");
    plat::TDeltaRow head = Row(1, plat::TUpdateStatus::usInserted, h, 1);
    for (int i = 0; i < kLines; ++i) {
        std::vector<Variant> l(lf.size());
        char seq[8];
        std::snprintf(seq, sizeof seq, "%04d", i + 1);
        l[(size_t)FieldOf(lf, "TI001")] = Variant("5901");
        l[(size_t)FieldOf(lf, "TI002")] = Variant(number);
        l[(size_t)FieldOf(lf, "TI003")] = Variant(seq);
        l[(size_t)FieldOf(lf, "TI004")] = Variant("A1001-01");
        l[(size_t)FieldOf(lf, "TI007")] = Variant(10.0);
        head.details[0].push_back(Row((uint64_t)i + 2, plat::TUpdateStatus::usInserted, l, 1));
    }
    return plat::TDelta{hf, {std::move(head)}};
}

// Every line of a stored receipt with a new remark, under the unchanged header.
plat::TDelta ChangedLines(const plat::TDataPacket& p, const std::string& remark) {
    return bench::ChangedRemarks(p, p.fields[(size_t)FieldOf(p.fields, "qryBody")].fields, remark);
}

double ThreadMillis() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

double Millis(plat::IProvider& p, const plat::TDelta& delta, benchmark::State& state) {
    const double t0 = ThreadMillis();
    plat::TApplyReply reply = p.ApplyUpdates(delta, 0);
    const double ms = ThreadMillis() - t0;
    if (!reply.committed)
        state.SkipWithError(reply.rows.empty() ? "refused" : reply.rows[0].message.c_str());
    return ms;
}

struct Pair {
    std::shared_ptr<AppServer> server = AppServer::Open(":memory:");
    std::unique_ptr<AppSession> session = server->NewSession();
    std::unique_ptr<TableProvider> unchecked;
    Pair() {
        session->Call("Connect",
                      plat::VarArrayOf({"KTRB52", "ZHANGW", "DEMO", "DEMO", "True", "True"}));
        unchecked = Unchecked(*session);
    }
    plat::IProvider& Checked() { return *session->FindProvider("pvdMain"); }
    plat::TDataPacket Fetch(plat::IProvider& p, const std::string& number) {
        p.DataRequest(plat::VarArrayOf({"MOCTH.TH002 = '" + number + "'", ""}));
        return p.GetRecords({});
    }
};

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + (ptrdiff_t)(v.size() / 2), v.end());
    return v[v.size() / 2];
}

void Report(benchmark::State& state, const std::vector<double>& checked,
            const std::vector<double>& baseline) {
    const double c = Median(checked), b = Median(baseline);
    state.counters["checked_ms"] = c;
    state.counters["baseline_ms"] = b;
    state.counters["checks_pct"] = 100.0 * (c - b) / c;
}

void BM_Save1000NewLinesRightsAndStatus(benchmark::State& state) {
    Pair pair;
    const std::vector<plat::TPacketField> hf = pair.Fetch(pair.Checked(), "none").fields;
    std::vector<double> checked, baseline;
    int round = 0;
    for (auto _ : state) {
        ++round;
        const plat::TDelta c = NewReceipt(hf, "C" + std::to_string(round));
        const plat::TDelta u = NewReceipt(hf, "U" + std::to_string(round));
        if (round % 2) checked.push_back(Millis(pair.Checked(), c, state));
        baseline.push_back(Millis(*pair.unchecked, u, state));
        if (round % 2 == 0) checked.push_back(Millis(pair.Checked(), c, state));
    }
    Report(state, checked, baseline);
}
BENCHMARK(BM_Save1000NewLinesRightsAndStatus)->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_Save1000ChangedLinesRightsAndStatus(benchmark::State& state) {
    Pair pair;
    pair.Checked().ApplyUpdates(NewReceipt(pair.Fetch(pair.Checked(), "none").fields, "E1"), 0);
    std::vector<double> checked, baseline;
    int round = 0;
    for (auto _ : state) {
        const std::string text = "round " + std::to_string(++round);
        for (int turn = 0; turn < 2; ++turn) {
            const bool checks = (turn + round) % 2 == 0;
            plat::TDelta d =
                ChangedLines(pair.Fetch(pair.Checked(), "E1"), text + "/" + std::to_string(turn));
            plat::IProvider& p = checks ? pair.Checked() : *pair.unchecked;
            (checks ? checked : baseline).push_back(Millis(p, d, state));
        }
    }
    Report(state, checked, baseline);
}
BENCHMARK(BM_Save1000ChangedLinesRightsAndStatus)->Unit(benchmark::kMillisecond)->Iterations(40);

}  // namespace
