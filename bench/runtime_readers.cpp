// Runtime readers at 1,000 to 100,000 entries: the client INI's server
// address list and work folders, the system parameters from the counter, and
// a language package element with that many attributes.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/automation/dispatch.h"
#include "platform/component/classes.h"
#include "platform/xml/xmldocument.h"
#include "runtime/Brokers.h"
#include "runtime/LanguageController.h"
#include "runtime/MireltaINI.h"

namespace {

namespace fs = std::filesystem;

// A client folder named by the registry, with a MireltaC.ini of the text.
struct Client {
    explicit Client(const std::string& ini) {
        char pattern[] = "/tmp/ktrb-bench-XXXXXX";
        folder = ::mkdtemp(pattern) ? pattern : "/tmp/ktrb-bench";
        std::ofstream(folder + "/MireltaC.ini") << ini;
        std::string registry = folder + "/registry.txt";
        std::ofstream(registry) << "[Software\\QRV\\Mirelta]\nClientPath=" << folder << "/\n";
        ::setenv("KTRB_REGISTRY", registry.c_str(), 1);
    }
    ~Client() { fs::remove_all(folder); }
    std::string folder;
};

void BM_ServerAddressList(benchmark::State& state) {
    std::string ini = "[Server Information]\r\nComputerName=";
    for (int64_t i = 0; i < state.range(0); ++i)
        ini += "10.0." + std::to_string(i / 256 % 256) + "." + std::to_string(i % 256) + ";";
    Client client(ini + "\r\n");
    int servers = 0;
    for (auto _ : state) {
        ktrb::TMireltaIniC c;
        servers = c.Servers.IsArray() ? c.Servers.HighBound(2) + 1 : 0;
    }
    state.counters["servers"] = servers;
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ServerAddressList)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

void BM_WorkDLLPaths(benchmark::State& state) {
    std::string ini = "[WorkDLLPath]\r\n";
    for (int64_t i = 0; i < state.range(0); ++i)
        ini += "P" + std::to_string(i) + "=Lib" + std::to_string(i) + "\r\n";
    Client client(ini);
    size_t paths = 0;
    for (auto _ : state) {
        ktrb::TMireltaIniC c;
        paths = c.WorkDLLPaths.size();
    }
    state.counters["paths"] = double(paths);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_WorkDLLPaths)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

void BM_SystemParameters(benchmark::State& state) {
    int n = int(state.range(0));
    plat::Variant reply = plat::Variant::CreateArray({0, 1, 0, n - 1});
    for (int c = 0; c < n; ++c) {
        reply.At(0, c) = "SYS" + std::to_string(c);
        reply.At(1, c) = std::to_string(c);
    }
    struct Object : plat::DispatchObject {
        using DispatchObject::DispatchObject;
        using DispatchObject::Method;
        using DispatchObject::Property;
    };
    auto counter = std::make_shared<Object>("Com_Counter");
    counter->Method("GetSysInfo", [&](plat::DispArgs) { return reply; });
    auto main = std::make_shared<Object>("WorkCenter");
    for (const char* name : {"Com_Validator", "Com_Dravoc", "Com_Counter"})
        main->Property(name, [&] { return plat::Variant(plat::DispatchPtr(counter)); });
    size_t params = 0;
    for (auto _ : state) {
        ktrb::TBrokers b;
        b.SetMainObject(plat::Variant(plat::DispatchPtr(main)));
        b.AttachSubObjects();
        benchmark::DoNotOptimize(b.GetSysInfo());
        params = size_t(b.SysParams().Count());
    }
    state.counters["params"] = double(params);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SystemParameters)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

void BM_PackageAttributes(benchmark::State& state) {
    std::string text = "<r><btnOK";
    for (int64_t i = 0; i < state.range(0); ++i) text += " Hint" + std::to_string(i) + "=\"x\"";
    text += "/></r>";
    plat::XmlDocument doc;
    doc.LoadXML(text);
    plat::XmlNode node = doc.SelectSingleNode("//btnOK");
    plat::TComponent component(nullptr);
    for (auto _ : state) {
        size_t seen = 0;
        ktrb::TComponentRead reader(&component, node);
        reader.OnReadAttribute = [&](const plat::XmlNode&) { ++seen; };
        reader.ReadAllAttributes();
        benchmark::DoNotOptimize(seen);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PackageAttributes)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

}  // namespace
