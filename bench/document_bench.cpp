// Reading and writing a value of the example item through the document's
// interface, against the baseline of one XPath evaluation of the same path
// on the same libxml2 tree; the same read on the large item named by
// TIDEWISE_BENCH_ITEM, whose root has many more children; and elements
// created one after another under one parent, whose cost per element is to
// stay flat as their number grows.

#include <benchmark/benchmark.h>
#include <libxml/xpath.h>

#include <cstdlib>
#include <string>

#include "tidewise/host/document.h"
#include "tidewise/host/session.h"
#include "tidewise/xml/xml.h"

namespace {

using tw::com::ComPtr;
using tw::com::Variant;

const char* kItem = TIDEWISE_SOURCE_DIR "/examples/coastal-dataset.xml";
const std::string kPath = "dataIdInfo/idPoC/rpCntInfo/cntAddress/city";

ComPtr<tw::host::XmlMetadataDocument> load_item(const char* item = kItem) {
  auto document = tw::com::make_object<tw::host::XmlMetadataDocument>();
  document->load_file(item);
  return document;
}

void ReadValuesByPath(benchmark::State& state) {
  const auto document = load_item();
  for (auto _ : state) {
    Variant values;
    document->ReadValues(kPath, &values);
    benchmark::DoNotOptimize(values);
  }
}
BENCHMARK(ReadValuesByPath);

void WriteValueByPath(benchmark::State& state) {
  const auto document = load_item();
  const Variant value = Variant::str("Harbour Point");
  for (auto _ : state) benchmark::DoNotOptimize(document->WriteValue(kPath, value));
}
BENCHMARK(WriteValueByPath);

// The baseline: the same lookup as an XPath evaluation.
void BaselineXPathEvaluation(benchmark::State& state) {
  xmlDoc* doc = xmlReadFile(kItem, nullptr, XML_PARSE_NONET);
  xmlXPathContext* context = xmlXPathNewContext(doc);
  const std::string xpath = "/*/" + kPath;
  for (auto _ : state) {
    xmlXPathObject* result =
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(xpath.c_str()), context);
    benchmark::DoNotOptimize(result);
    xmlXPathFreeObject(result);
  }
  xmlXPathFreeContext(context);
  xmlFreeDoc(doc);
}
BENCHMARK(BaselineXPathEvaluation);

void ReadPurposeOfTheExample(benchmark::State& state) {
  const auto document = load_item();
  for (auto _ : state) {
    Variant values;
    document->ReadValues("dataIdInfo/idPurp", &values);
    benchmark::DoNotOptimize(values);
  }
}
BENCHMARK(ReadPurposeOfTheExample);

void ReadPurposeOfTheLargeItem(benchmark::State& state) {
  const char* large = std::getenv("TIDEWISE_BENCH_ITEM");
  if (large == nullptr) {
    state.SkipWithError("TIDEWISE_BENCH_ITEM names no item");
    return;
  }
  const auto document = load_item(large);
  for (auto _ : state) {
    Variant values;
    document->ReadValues("dataIdInfo/idPurp", &values);
    benchmark::DoNotOptimize(values);
  }
}
BENCHMARK(ReadPurposeOfTheLargeItem);

// Each element is new, so each write looks for it among all created before.
void CreateSiblings(benchmark::State& state) {
  const Variant value = Variant::str("v");
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(state.range(0)));
  for (int i = 0; i < state.range(0); ++i) paths.push_back("rec" + std::to_string(i) + "/v");
  for (auto _ : state) {
    state.PauseTiming();
    auto document = tw::com::make_object<tw::host::XmlMetadataDocument>();
    state.ResumeTiming();
    for (const std::string& path : paths) document->WriteValue(path, value);
    benchmark::DoNotOptimize(document);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(CreateSiblings)
    ->RangeMultiplier(2)
    ->Range(1000, 8000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// The review of an item of `depth` nested elements with names of 40,000
// characters and 20,000 elements added at the bottom, against the baseline of
// parsing it once: the ratio is to stay small and the same at every depth
// (it grew with depth times the length of the names).
std::string deep_item(int depth, bool with_added) {
  std::string open, close;
  for (int level = 0; level < depth; ++level) {
    const std::string name = std::string(40'000, 'n') + std::to_string(level);
    open += "<" + name + ">";
    close = "</" + name + ">" + close;
  }
  std::string added;
  if (with_added) {
    for (int i = 0; i < 20'000; ++i) added += "<e/>";
  }
  return "<metadata>" + open + added + close + "</metadata>";
}

void BaselineParseDeepItem(benchmark::State& state) {
  const std::string item = deep_item(static_cast<int>(state.range(0)), true);
  for (auto _ : state) benchmark::DoNotOptimize(tw::xml::parse_text(item));
}
BENCHMARK(BaselineParseDeepItem)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

void ReviewDeepItem(benchmark::State& state) {
  const auto before = tw::xml::parse_text(deep_item(static_cast<int>(state.range(0)), false));
  const auto after = tw::xml::parse_text(deep_item(static_cast<int>(state.range(0)), true));
  for (auto _ : state) benchmark::DoNotOptimize(tw::host::compare_documents(*before, *after));
}
BENCHMARK(ReviewDeepItem)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace
