// The receipt provider at scale: fetching and applying a receipt of 10,000
// lines, fetching 100,000 lines compared with SQLite's own query of the
// same rows, and saving a new receipt of 100,000 lines over TCP (the
// largest real save, whose frame sets the server's frame limit).
#include <benchmark/benchmark.h>

#include <chrono>

#include "remark_delta.h"
#include "standins/appserver/session.h"
#include "standins/appserver/tcp_transport.h"
#include "standins/appserver/wire_frame.h"

using namespace standin;
using plat::Variant;

namespace {

// A receipt 5901/BIG<n> with n lines copied from a demo line.
void AddReceipt(AppServer& server, const std::string& number, int lines) {
    Database& db = server.Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    db.Exec(
        "INSERT INTO MOCTH (TH001, TH002, TH003, TH004, TH005, TH007, TH029) "
        "VALUES ('5901', '" +
        number + "', '20240301', '01', 'S001', 'RMB', '20240301')");
    db.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(lines) +
            ") INSERT INTO MOCTI (TI001, TI002, TI003, TI004, TI005, TI006, TI007, TI008, TI009, "
            "TI013, TI014, TI019, "
            "TI024, TI025) SELECT '5901', '" +
            number +
            "', printf('%06d', i), 'A1001-01', '铝合金外壳', '规格', 10, 'PCS', "
            "'W01', '5201', '20240105001', 10, 12.5, 125 FROM n");
}

std::unique_ptr<AppSession> Signed(AppServer& server) {
    auto s = server.NewSession();
    s->Call("Connect", plat::VarArrayOf({"KTRB52", "DS", "DEMO", "DEMO", "True", "True"}));
    return s;
}

plat::TDataPacket FetchReceipt(AppSession& s, const std::string& number) {
    plat::IProvider* p = s.FindProvider("pvdMain");
    p->DataRequest(plat::VarArrayOf({"MOCTH.TH002 = '" + number + "'", ""}));
    return p->GetRecords({});
}

void BM_FetchReceipt10kLines(benchmark::State& state) {
    auto server = AppServer::Open(":memory:");
    AddReceipt(*server, "BIG10K", 10000);
    auto s = Signed(*server);
    for (auto _ : state) {
        plat::TDataPacket p = FetchReceipt(*s, "BIG10K");
        if (p.rows.size() != 1 || p.rows[0].details[0].size() != 10000)
            state.SkipWithError("wrong rows");
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_FetchReceipt10kLines)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ApplyReceipt10kLines(benchmark::State& state) {
    auto server = AppServer::Open(":memory:");
    AddReceipt(*server, "BIG10K", 10000);
    auto s = Signed(*server);
    plat::TDataPacket p = FetchReceipt(*s, "BIG10K");
    const std::vector<plat::TPacketField> lineFields = p.fields.back().fields;
    int pass = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Every line changes its remark: one delta of 10,000 updates under the header.
        const plat::TDelta delta =
            bench::ChangedRemarks(p, lineFields, "pass " + std::to_string(++pass));
        state.ResumeTiming();
        plat::TApplyReply reply = s->FindProvider("pvdMain")->ApplyUpdates(delta, 0);
        state.PauseTiming();
        if (!reply.committed) state.SkipWithError("apply refused");
        p = FetchReceipt(*s, "BIG10K");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_ApplyReceipt10kLines)->Unit(benchmark::kMillisecond)->Iterations(3);

// The provider's fetch of 100,000 lines (derived columns, nesting, packet
// encoding of the values) against SQLite stepping the same rows and columns.
void BM_Fetch100kLinesProviderVsSqlite(benchmark::State& state) {
    auto server = AppServer::Open(":memory:", DemoRows::With);
    AddReceipt(*server, "BIG100K", 100000);
    auto s = Signed(*server);
    // Both timed in every round, side by side, so that a busy machine
    // weighs on both alike.
    auto sqliteRead = [&] {
        Database& db = server->Db();
        std::lock_guard<std::recursive_mutex> lock(db.Mutex());
        auto t0 = std::chrono::steady_clock::now();
        Statement st(
            db, "SELECT * FROM MOCTI WHERE TI001 = '5901' AND TI002 = 'BIG100K' ORDER BY TI003");
        size_t rows = 0;
        while (st.Step()) {
            for (int i = 0; i < st.ColumnCount(); ++i) benchmark::DoNotOptimize(st.Column(i));
            ++rows;
        }
        if (rows != 100000) state.SkipWithError("wrong rows");
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    };
    double sqliteSeconds = 0, providerSeconds = 0;
    for (auto _ : state) {
        sqliteSeconds += sqliteRead();
        auto t0 = std::chrono::steady_clock::now();
        plat::TDataPacket p = FetchReceipt(*s, "BIG100K");
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        providerSeconds += seconds;
        state.SetIterationTime(seconds);
        if (p.rows[0].details[0].size() != 100000) state.SkipWithError("wrong rows");
    }
    state.counters["sqlite_ms"] = sqliteSeconds * 1000 / (double)state.iterations();
    state.counters["provider_ms"] = providerSeconds * 1000 / (double)state.iterations();
    state.counters["ratio"] = providerSeconds / sqliteSeconds;
}
BENCHMARK(BM_Fetch100kLinesProviderVsSqlite)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

// A row inserted with every value of `from` but those `set`.
plat::TDeltaRow Inserted(uint64_t id, const plat::TValueRow& from,
                         const std::vector<std::pair<int, std::string>>& set, size_t detailLevels) {
    plat::TDeltaRow d;
    d.id = id;
    d.status = plat::TUpdateStatus::usInserted;
    std::vector<Variant> v = from.Values();
    for (auto& [field, value] : set) v[(size_t)field] = Variant(value);
    for (const Variant& x : v) d.changed.push_back(!x.IsEmptyOrNull());
    d.newValues = plat::TValueRow(v);
    d.details.resize(detailLevels);
    return d;
}

// Line numbers of four characters beyond 9999: "0000" to "ZZZZ".
std::string LineCode(uint64_t n) {
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string code(4, '0');
    for (int i = 3; i >= 0; --i, n /= 36) code[(size_t)i] = digits[n % 36];
    return code;
}

int FieldIndex(const std::vector<plat::TPacketField>& fields, const std::string& name) {
    int i = 0;
    while (fields[(size_t)i].name != name) ++i;
    return i;
}

// A new receipt whose 100,000 lines carry every value a stored line has,
// saved in one request over TCP with the server's default limits. (Numbered
// lines stop at 9,999, the line key's four digits; the rest stands for the
// serial numbers a receipt may carry besides.)
void BM_SaveNewReceipt100kLinesOverTcp(benchmark::State& state) {
    auto server = AppServer::Open(":memory:");
    AddReceipt(*server, "BIG100K", 100000);
    plat::TDataPacket p = FetchReceipt(*Signed(*server), "BIG100K");
    TcpServer tcp(server, "127.0.0.1", 0);
    tcp.Start();
    auto c = RemoteAppServer::Connect("127.0.0.1", tcp.Port());
    c->Call("Connect", plat::VarArrayOf({"KTRB52", "DS", "DEMO", "DEMO", "True", "True"}));
    const std::vector<plat::TPacketField>& lineFields = p.fields.back().fields;
    const int headNumber = FieldIndex(p.fields, "TH002"),
              lineNumber = FieldIndex(lineFields, "TI002"),
              lineKey = FieldIndex(lineFields, "TI003");
    int pass = 0;
    size_t frameBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string number = "N100K" + std::to_string(++pass);
        plat::TDeltaRow head = Inserted(1, p.rows[0].values, {{headNumber, number}}, 1);
        const auto& lines = p.rows[0].details[0];
        for (uint64_t i = 0; i < lines.size(); ++i)
            head.details[0].push_back(Inserted(
                i + 2, lines[i].values, {{lineNumber, number}, {lineKey, LineCode(i + 1)}}, 1));
        plat::TDelta delta{p.fields, {std::move(head)}};
        frameBytes = EncodeFrame(plat::VarArrayOf(
                                     {"AS_ApplyUpdates", 0,
                                      plat::VarArrayOf({"pvdMain", plat::EncodeDelta(delta), 0})}))
                         .size();
        state.ResumeTiming();
        plat::TApplyReply reply = c->FindProvider("pvdMain")->ApplyUpdates(delta, 0);
        if (!reply.committed) {
            state.SkipWithError(reply.rows.empty() ? "save refused"
                                                   : reply.rows[0].message.c_str());
            break;
        }
    }
    state.counters["frame_MB"] = (double)frameBytes / (1 << 20);
    state.counters["bytes_per_line"] = (double)frameBytes / 100000;
    tcp.Stop();
}
BENCHMARK(BM_SaveNewReceipt100kLinesOverTcp)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
