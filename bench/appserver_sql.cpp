// SimpleSQL round trips: in process, and over loopback TCP with 1 and 8
// clients at once.
#include <benchmark/benchmark.h>

#include "standins/appserver/session.h"
#include "standins/appserver/tcp_transport.h"

using namespace standin;
using plat::Variant;

namespace {

const char* kSql = " SELECT MQ042,MQ043,MQC02,MQC03,MQC04 FROM $$CMSMQ WHERE MQ001='5901' ";

Variant Args() {
    return plat::VarArrayOf({kSql, "MQ042,MQ043,MQC02,MQC03,MQC04", "DEMO", "N"});
}

std::shared_ptr<AppServer> Server() {
    static std::shared_ptr<AppServer> s = AppServer::Open(":memory:");
    return s;
}

TcpServer& Tcp() {
    static std::unique_ptr<TcpServer> t = [] {
        auto server = std::make_unique<TcpServer>(Server(), "127.0.0.1", 0);
        server->Start();
        return server;
    }();
    return *t;
}

void BM_SimpleSqlInProcess(benchmark::State& state) {
    auto session = Server()->NewSession();
    Variant args = Args();
    for (auto _ : state)
        benchmark::DoNotOptimize(session->Call("GETCOUNTER", "SimpleSQL", args, Variant()));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SimpleSqlInProcess)->MinTime(0.2);

void BM_SimpleSqlTcp(benchmark::State& state) {
    auto client = RemoteAppServer::Connect("127.0.0.1", Tcp().Port());
    client->Call("Connect", plat::VarArrayOf({"KTRB52", "ZHANGW", "DEMO", "DEMO", "True", "True"}));
    Variant args = Args();
    for (auto _ : state)
        benchmark::DoNotOptimize(client->Call("GETCOUNTER", "SimpleSQL", args, Variant()));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SimpleSqlTcp)->Threads(1)->Threads(8)->UseRealTime()->MinTime(0.2);

}  // namespace
