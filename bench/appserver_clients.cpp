// Eight TCP clients doing look-ups while a ninth runs a query that takes
// its whole time limit: every client on the one shared connection (the
// server as it was), and each client thread on its own connection (WAL).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "standins/appserver/session.h"
#include "standins/appserver/tcp_transport.h"

using namespace standin;
using plat::Variant;

namespace {

constexpr int kLookupClients = 8;

std::shared_ptr<RemoteAppServer> SignedOn(int port) {
    auto c = RemoteAppServer::Connect("127.0.0.1", port);
    c->Call("Connect", plat::VarArrayOf({"KTRB52", "ZHANGW", "DEMO", "DEMO", "True", "True"}));
    return c;
}

void BM_LookupsBesideASlowQuery(benchmark::State& state) {
    const bool shared = state.range(0) == 0;
    std::string path = std::filesystem::temp_directory_path().string() + "/ktrb_bench_" +
                       std::to_string(::getpid()) + ".db";
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
    auto server = AppServer::Open(path);
    server->ShareOneConnection(shared);
    server->SetQueryTimeLimit(std::chrono::milliseconds(500));
    TcpServer tcp(server, "127.0.0.1", 0);
    tcp.Start();
    for (auto _ : state) {
        std::atomic<bool> stop{false};
        std::atomic<long> lookups{0};
        std::thread slow([&] {
            auto c = SignedOn(tcp.Port());
            Variant args =
                plat::VarArrayOf({"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                                  "SELECT COUNT(*) AS N FROM c",
                                  "N"});
            while (!stop) {
                try {
                    c->Call("GETCOUNTER", "SimpleSQL", args, Variant());
                } catch (const plat::Exception&) {
                    // stopped by the time limit, as meant
                }
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::vector<std::thread> clients;
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kLookupClients; ++i)
            clients.emplace_back([&] {
                auto c = SignedOn(tcp.Port());
                Variant keys = plat::VarArrayOf({"S001"});
                while (!stop) {
                    Variant out;
                    c->Call("CheckValue", "PURMA", "01", keys, out);
                    ++lookups;
                }
            });
        std::this_thread::sleep_for(std::chrono::seconds(2));
        stop = true;
        for (auto& t : clients) t.join();
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        slow.join();
        state.SetIterationTime(seconds);
        state.counters["lookups_per_s"] = (double)lookups / seconds;
    }
    tcp.Stop();
    server.reset();
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
}
// 0: one shared connection; 1: a connection per client thread.
BENCHMARK(BM_LookupsBesideASlowQuery)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
