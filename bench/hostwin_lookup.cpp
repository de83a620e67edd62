// The host's lookup window on 10,000 candidate suppliers: opening it (first
// page read, grid filled, shown) and narrowing it by two initials, against
// the lookup server's own first request on the same rows as the baseline
// (it reads up to a thousand rows at once).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <cstdlib>

#include "standins/appserver/server.h"
#include "standins/appserver/session.h"
#include "standins/host/server_link.h"
#include "standins/hostwin/dravoc_windows.h"

namespace {

struct Suppliers {
    std::shared_ptr<standin::AppServer> server = standin::AppServer::Open(":memory:");
    std::shared_ptr<standin::HostServices> services = standin::MakeHostServices();
    Suppliers() {
        static int argc = 1;
        static char name[] = "bench_hostwin_lookup";
        static char* argv[] = {name, nullptr};
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        if (!qApp) new QApplication(argc, argv);
        std::lock_guard<std::recursive_mutex> lock(server->Db().Mutex());
        server->Db().Exec(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000) "
            "INSERT INTO PURMA (MA001, MA002, MA003, MA016, MA021, MA025, MA064) "
            "SELECT printf('V%05d', i), substr('华达精工永固恒通顺达绿源', 1 + (i % 5) * 2, 2) || "
            "'加工' || i, '供应商' || i, '1', 'RMB', 'M30', 0.13 FROM n");
        standin::ConnectInProcess(*services, server);
    }
    standin::LookupWindowRequest Request() const {
        standin::LookupWindowRequest r;
        r.table = "PURMA";
        r.query = "02";
        r.params = "";
        return r;
    }
};

Suppliers& TheSuppliers() {
    static Suppliers s;
    return s;
}

void BM_LookupWindowOpens(benchmark::State& state) {
    auto& s = TheSuppliers();
    for (auto _ : state) {
        standin::LookupWindow w(s.services->lookups, s.Request(), standin::HostLanguage::Simplified,
                                {}, {});
        w.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(w.RowCount());
    }
}
BENCHMARK(BM_LookupWindowOpens)->Unit(benchmark::kMillisecond);

void BM_LookupWindowNarrowsByInitials(benchmark::State& state) {
    auto& s = TheSuppliers();
    standin::LookupWindow w(s.services->lookups, s.Request(), standin::HostLanguage::Simplified, {},
                            {});
    for (auto _ : state) {
        w.FilterEdit()->setText("hd");
        w.ApplyFilter();
        benchmark::DoNotOptimize(w.RowCount());
    }
}
BENCHMARK(BM_LookupWindowNarrowsByInitials)->Unit(benchmark::kMillisecond);

// Baseline: the lookup server's first request (the module's search window).
void BM_LookupServerFirstRequest(benchmark::State& state) {
    auto& s = TheSuppliers();
    auto session = s.server->NewSession();
    for (auto _ : state) {
        plat::Variant request =
            plat::Variant::ArrayOf({"PURMA", "02", "", 1, "", "DEMO", 3, "", "", "", "N"});
        plat::Variant reply;
        benchmark::DoNotOptimize(session->Call("GetF2Data", request, reply));
    }
}
BENCHMARK(BM_LookupServerFirstRequest)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
