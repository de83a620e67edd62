// Loading and selecting in a settings document of many components.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/xml/xmldocument.h"
#include "platform/xml/xpath.h"

namespace {

std::string makeSettings(int components) {
    std::string text = "<?xml version=\"1.0\" encoding=\"GB2312\"?><MT_User><Components>";
    for (int i = 0; i < components; ++i)
        text += "<Component ID=\"ed" + std::to_string(i) + "\"><Required>" +
                (i % 3 == 0 ? "-1" : "0") + "</Required><Caption>标题" + std::to_string(i) +
                "</Caption></Component>";
    return text + "</Components></MT_User>";
}

void BM_XmlLoad(benchmark::State& state) {
    std::string text = makeSettings(int(state.range(0)));
    for (auto _ : state) {
        plat::XmlDocument doc;
        benchmark::DoNotOptimize(doc.LoadXML(text));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_XmlLoad)->Arg(1000)->Arg(10000);

void BM_XmlSelectById(benchmark::State& state) {
    plat::XmlDocument doc;
    doc.LoadXML(makeSettings(int(state.range(0))));
    plat::XmlNode comps = doc.DocumentElement().SelectSingleNode("Components");
    int i = 0;
    for (auto _ : state) {
        std::string path =
            plat::XPathAttributeStep("Component", "ID", "ed" + std::to_string(i++ % 100)) +
            "/Caption";
        benchmark::DoNotOptimize(comps.SelectSingleNode(path).Text());
    }
}
BENCHMARK(BM_XmlSelectById)->Arg(1000);

void BM_XmlSelectRequired(benchmark::State& state) {
    plat::XmlDocument doc;
    doc.LoadXML(makeSettings(int(state.range(0))));
    plat::XmlNode root = doc.DocumentElement();
    for (auto _ : state)
        benchmark::DoNotOptimize(root.SelectNodes("Components/*[Required='-1']").Length());
}
BENCHMARK(BM_XmlSelectRequired)->Arg(10000);

}  // namespace
