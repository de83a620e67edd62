// What a receiving clerk feels, through the host program's own start: the
// start of the host program to the painted browse of the demo quarter, on
// an existing installation and on a first start that makes it, each against
// a plain Qt program showing the same receipts in a QTableView; the query
// of 10,000 receipts with every row fetched, against SQLite reading them;
// opening a receipt of 9,999 lines (line numbers have four digits); keying
// and posting one line into a receipt of that size; saving 1,000 new lines
// over TCP.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "platform/data/clientdataset.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/screenshot.h"
#include "programs/ktrb52/host_session.h"
#include "programs/ktrb52/road_walk.h"
#include "standins/appserver/server.h"
#include "standins/appserver/sqlite_db.h"
#include "standins/appserver/tcp_transport.h"

using namespace standin;

namespace {

namespace fs = std::filesystem;

constexpr int kReceipts = 10000;
constexpr int kBigLines = 9999;
const char* const kBigNumber = "20250101999";

std::string benchHome(const char* name) {
    return (fs::temp_directory_path() /
            ("ktrb52-bench-" + std::string(name) + "-" + std::to_string(::getpid())))
               .string() +
           "/";
}

// The work orders the keyed lines take, one each.
std::string WorkOrder(int i) {
    return "2025020" + std::to_string(1000 + i).substr(0, 4);
}

// The demo installation with 10,000 more receipts of type 5903 and one
// receipt of 9,999 lines on the work order the short road uses.
std::string PreparedHome(const char* name) {
    const std::string home = benchHome(name);
    fs::remove_all(home);
    std::ostringstream quiet;
    {
        HostOptions o;
        o.library = KTRB_DEFAULT_LIBRARY;
        o.home = home;
        HostSession session(o, quiet);
    }
    Database db(home + "data/ktrb52-demo.db");
    db.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(kReceipts) +
            ") INSERT INTO MOCTH (TH001, TH002, TH003, TH004, TH005, TH007, TH008, TH015, TH023, "
            "TH028, TH029, TH030, TH033, TH038, COMPANY, CREATOR, USR_GROUP, FLAG) SELECT '5903', "
            "printf('2025%07d', i), '20250105', '01', 'S001', 'RMB', 1, '2', 'N', '202501', "
            "'20250105', 0.13, 'M30', 'PUR', 'DEMO', 'DS', 'ADMIN', 1 FROM n;"
            "INSERT INTO MOCTH (TH001, TH002, TH003, TH004, TH005, TH007, TH008, TH015, TH023, "
            "TH028, TH029, TH030, TH033, TH038, COMPANY, CREATOR, USR_GROUP, FLAG) VALUES ('5901', "
            "'" +
            std::string(kBigNumber) +
            "', '20250101', '01', 'S002', 'RMB', 1, '1', 'N', '202501', '20250101', 0.13, 'M60', "
            "'PUR', 'DEMO', 'DS', 'ADMIN', 1);"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(kBigLines) +
            ") INSERT INTO MOCTI (TI001, TI002, TI003, TI004, TI005, TI006, TI007, TI008, TI009, "
            "TI013, TI014, TI019, TI020, TI023, TI024, TI025, TI044, TI045, TI046, TI047, TI061, "
            "TI062, COMPANY, CREATOR, USR_GROUP, FLAG) SELECT '5901', '" +
            kBigNumber +
            "', printf('%04d', i), 'C3001', '电镀螺丝', 'M4x10 镀锌', 0.001, 'KG', 'W02', '5201', "
            "'20240110001', 0.001, 0.001, 'KG', 20, 0.02, 0.02, 0, 0.02, 0, 'KG', 0.001, 'DEMO', "
            "'DS', 'ADMIN', 1 FROM n;"
            "UPDATE MOCTA SET TA015 = 100000, TA059 = 100000 WHERE TA002 = '20240110001';"
            // Work orders of the same kind, one for each keyed line.
            "CREATE TEMP TABLE wo AS SELECT * FROM MOCTA WHERE TA002 = '20240110001';");
    db.Exec("BEGIN");
    for (int i = 1; i <= 500; ++i)
        db.Exec("UPDATE wo SET TA002 = '" + WorkOrder(i) +
                "'; INSERT INTO MOCTA SELECT * FROM wo;");
    db.Exec("COMMIT");
    return home;
}

// A host session on the prepared home, the form shown, a walk over it.
struct Road {
    explicit Road(const std::string& home, const std::string& server = "127.0.0.1",
                  int port = 211) {
        HostOptions o;
        o.library = KTRB_DEFAULT_LIBRARY;
        o.home = home;
        o.serverAddress = server;
        o.serverPort = port;
        session = std::make_unique<HostSession>(o, log);
        if (session->Start() != 0) throw std::runtime_error("the form did not open: " + log.str());
        session->Controller().SetVisible(-1);
        walk = std::make_unique<RoadWalk>(*session->MainForm(), "", log);
    }
    // The query dialog's OK with no record limit, with the key of one
    // receipt when given.
    void Query(const std::string& type = "", const std::string& number = "",
               const std::string& limit = "0") {
        walk->Expect("TQBEForm", [type, number, limit](plat::TCustomForm& f) {
            auto* grid = dynamic_cast<plat::TStringGrid*>(f.FindComponent("sg1"));
            if (grid && !type.empty()) {
                grid->SetCells(2, 1, type);
                grid->SetCells(2, 2, number);
            }
            if (auto* top = dynamic_cast<plat::TWinControl*>(f.FindComponent("cbTopRow")))
                top->SetText(limit);
            dynamic_cast<plat::TControl*>(f.FindComponent("BBOK"))->Click();
            return f.ModalResult();
        });
        walk->Click("btnQuery");
    }
    // A failed step with the last message the form showed.
    std::string Why(const std::exception& e) const {
        return std::string(e.what()) + " " +
               (walk->Messages().empty() ? "" : walk->Messages().back());
    }
    std::ostringstream log;
    std::unique_ptr<HostSession> session;
    std::unique_ptr<RoadWalk> walk;
};

const std::string& Home() {
    static const std::string home = PreparedHome("road");
    return home;
}

double SecondsOf(const std::string& command) {
    const auto t = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

// The host program started on `home` to its painted browse and closed,
// against the plain Qt program on the same database, in turns; with
// `fresh`, every start is a first start that makes the installation.
void StartAgainstPlainQt(benchmark::State& state, bool fresh) {
    const std::string home = benchHome(fresh ? "first-start" : "start");
    fs::remove_all(home);
    const std::string host = std::string("QT_QPA_PLATFORM=offscreen '") + KTRB_HOST_PROGRAM +
                             "' --home '" + home + "' --screenshot '" + home +
                             "../start.png' --close > /dev/null 2>&1";
    if (SecondsOf(host) < 0) {
        state.SkipWithError("the host program failed");
        return;
    }
    const std::string plain = std::string("QT_QPA_PLATFORM=offscreen '") + KTRB_PLAIN_PROGRAM +
                              "' '" + home + "data/ktrb52-demo.db' '" + home +
                              "../plain.png' > /dev/null 2>&1";
    double hostSeconds = 0, plainSeconds = 0;
    for (auto _ : state) {
        if (fresh) fs::remove_all(home);
        const double h = SecondsOf(host);
        // On a first start the baseline reads the installation it made.
        const double p = SecondsOf(plain);
        if (h < 0 || p < 0) {
            state.SkipWithError(h < 0 ? "the host program failed" : "the plain program failed");
            break;
        }
        state.SetIterationTime(h);
        hostSeconds += h;
        plainSeconds += p;
    }
    fs::remove_all(home);
    if (plainSeconds > 0) {
        state.counters["plain_qt_ms"] = plainSeconds * 1000 / (double)state.iterations();
        state.counters["ratio"] = hostSeconds / plainSeconds;
    }
}

void BM_StartToThePaintedBrowse(benchmark::State& state) {
    StartAgainstPlainQt(state, false);
}
BENCHMARK(BM_StartToThePaintedBrowse)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);

void BM_FirstStartToThePaintedBrowse(benchmark::State& state) {
    StartAgainstPlainQt(state, true);
}
BENCHMARK(BM_FirstStartToThePaintedBrowse)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

// The query of the 10,000 receipts of type 5903 with no record limit, then
// Last as the clerk presses it: every row fetched into the browse. The
// baseline is SQLite stepping the same rows and columns.
void BM_Query10000ReceiptsIntoTheBrowseGrid(benchmark::State& state) {
    Road road(Home());
    const size_t before = road.walk->Messages().size();
    Database db(Home() + "data/ktrb52-demo.db");
    plat::TClientDataSet& head = road.walk->DataSet("cdsMain");
    double querySeconds = 0, sqliteSeconds = 0;
    for (auto _ : state) {
        auto t = std::chrono::steady_clock::now();
        try {
            road.Query("5903");
            road.walk->Click("btnLast");
        } catch (const std::exception& e) {
            state.SkipWithError(road.Why(e).c_str());
            break;
        }
        const double q =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
        t = std::chrono::steady_clock::now();
        Statement st(db, "SELECT * FROM MOCTH WHERE TH001 = '5903' ORDER BY TH002");
        int rows = 0;
        while (st.Step()) {
            for (int i = 0; i < st.ColumnCount(); ++i) benchmark::DoNotOptimize(st.Column(i));
            ++rows;
        }
        sqliteSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
        querySeconds += q;
        state.SetIterationTime(q);
        if (!head.Active() || head.RecordCount() != kReceipts || rows != kReceipts) {
            state.SkipWithError("not every receipt reached the browse");
            break;
        }
    }
    state.counters["rows"] = head.Active() ? head.RecordCount() : 0;
    if (sqliteSeconds > 0) {
        state.counters["sqlite_ms"] = sqliteSeconds * 1000 / (double)state.iterations();
        state.counters["ratio"] = querySeconds / sqliteSeconds;
    }
    if (road.walk->Messages().size() > before) state.SetLabel(road.walk->Messages().back());
}
BENCHMARK(BM_Query10000ReceiptsIntoTheBrowseGrid)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

void BM_OpenAReceiptOf9999Lines(benchmark::State& state) {
    Road road(Home());
    for (auto _ : state) road.Query("5901", kBigNumber);
    state.counters["lines"] = road.walk->DataSet("cdsBody1").RecordCount();
}
BENCHMARK(BM_OpenAReceiptOf9999Lines)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_KeyAndPostOneLineInto9990Lines(benchmark::State& state) {
    Road road(Home());
    road.session->Server()->Db().Exec("DELETE FROM MOCTI WHERE TI002 = '" +
                                      std::string(kBigNumber) + "' AND TI003 > '9990'");
    road.Query("5901", kBigNumber);
    road.walk->Click("btnEdit");
    plat::TClientDataSet& lines = road.walk->DataSet("cdsBody1");
    int keyed = 0;
    double postMs = 0;
    for (auto _ : state) {
        try {
            lines.Append();
            road.walk->Key("cdsBody1", "TI013", "5201");
            road.walk->Key("cdsBody1", "TI014", WorkOrder(++keyed));
            road.walk->Key("cdsBody1", "TI007", "1");
            const auto t = std::chrono::steady_clock::now();
            lines.Post();
            postMs +=
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t)
                    .count();
        } catch (const std::exception& e) {
            state.SkipWithError(road.Why(e).c_str());
            break;
        }
    }
    state.counters["post_ms"] = keyed ? postMs / keyed : 0;
    state.counters["lines"] = lines.RecordCount();
    road.walk->Click("btnCancel");
}
// Line numbers end at 9999: nine lines fit.
BENCHMARK(BM_KeyAndPostOneLineInto9990Lines)->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_Save1000NewLinesOverTcp(benchmark::State& state) {
    const std::string home = Home();
    auto server = AppServer::Open(home + "data/ktrb52-demo.db");
    TcpServer tcp(server, "127.0.0.1", 0);
    tcp.Start();
    Road road(home, "localhost", tcp.Port());
    plat::TClientDataSet& lines = road.walk->DataSet("cdsBody1");
    for (auto _ : state) {
        try {
            state.PauseTiming();
            road.walk->Click("btnAdd");
            road.walk->Key("cdsMain", "TH001", "5901");
            road.walk->Key("cdsMain", "TH005", "S002");
            for (int i = 1; i <= 1000; ++i) {
                lines.Append();
                road.walk->Key("cdsBody1", "TI013", "5201");
                road.walk->Key("cdsBody1", "TI014", WorkOrder(1 + (i - 1) % 500));
                // Locations are in use: the item has no default one in the
                // warehouse, so the clerk keys one.
                road.walk->Key("cdsBody1", "TI009", "W01");
                road.walk->Key("cdsBody1", "TI060", i <= 500 ? "A-01-01" : "B-02-01");
                road.walk->Key("cdsBody1", "TI007", "0.001");
                lines.Post();
            }
            state.ResumeTiming();
            road.walk->Click("btnOK");
        } catch (const std::exception& e) {
            state.SkipWithError(road.Why(e).c_str());
            break;
        }
        if (road.walk->DataSet("cdsMain").State() != plat::dsBrowse) {
            state.SkipWithError(
                ("the receipt was not saved: " +
                 (road.walk->Messages().empty() ? std::string() : road.walk->Messages().back()))
                    .c_str());
            break;
        }
    }
    state.counters["lines"] = lines.RecordCount();
}
BENCHMARK(BM_Save1000NewLinesOverTcp)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
