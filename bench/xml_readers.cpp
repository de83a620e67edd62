// The XML layer on hostile documents at 1,000 to 100,000 entries: the text of
// an element nested that deep, and an element with that many attributes.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/xml/xmldocument.h"

namespace {

void BM_XmlDeepText(benchmark::State& state) {
    std::string text;
    for (int64_t i = 0; i < state.range(0); ++i) text += "<e>";
    text += "x";
    for (int64_t i = 0; i < state.range(0); ++i) text += "</e>";
    plat::XmlDocument doc;
    doc.LoadXML(text);
    for (auto _ : state) benchmark::DoNotOptimize(doc.DocumentElement().Text());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_XmlDeepText)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

void BM_XmlAttributes(benchmark::State& state) {
    std::string text = "<e";
    for (int64_t i = 0; i < state.range(0); ++i)
        text += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    text += "/>";
    plat::XmlDocument doc;
    doc.LoadXML(text);
    for (auto _ : state) {
        size_t total = 0;
        for (const plat::XmlNode& a : doc.DocumentElement().Attributes()) total += a.Text().size();
        benchmark::DoNotOptimize(total);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_XmlAttributes)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

}  // namespace
