// The host calls a receipt makes most: messages by code and validator
// look-ups, through the late-bound work-centre object over the in-process
// application server.
#include <benchmark/benchmark.h>

#include "standins/appserver/server.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"

namespace {

struct Host {
    std::shared_ptr<standin::HostServices> services = standin::MakeHostServices();
    plat::DispatchPtr center;
    plat::DispatchPtr validator;
    Host() {
        standin::ConnectInProcess(*services, standin::AppServer::Open(":memory:"));
        center = standin::CreateWorkCenter(services);
        validator = plat::VarToDispatch(center->Get("Com_Validator"));
    }
};

Host& TheHost() {
    static Host host;
    return host;
}

void BM_GetMessage(benchmark::State& state) {
    auto& h = TheHost();
    for (auto _ : state) benchmark::DoNotOptimize(h.center->Call("GetMessage", "E", "100061"));
}
BENCHMARK(BM_GetMessage);

void BM_ValidatorCheckValue(benchmark::State& state) {
    auto& h = TheHost();
    plat::Variant key = "DEMO", keys = plat::Variant::ArrayOf({"01"}), result;
    for (auto _ : state)
        benchmark::DoNotOptimize(h.validator->Call("CheckValue", "CMSMB", "01", key, keys, result));
}
BENCHMARK(BM_ValidatorCheckValue);

}  // namespace
