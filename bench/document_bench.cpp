// Reading and writing a value of the example item through the document's
// interface, against the baseline of one XPath evaluation of the same path
// on the same libxml2 tree.

#include <benchmark/benchmark.h>
#include <libxml/xpath.h>

#include "tidewise/host/document.h"

namespace {

using tw::com::ComPtr;
using tw::com::Variant;

const char* kItem = TIDEWISE_SOURCE_DIR "/examples/coastal-dataset.xml";
const std::string kPath = "dataIdInfo/idPoC/rpCntInfo/cntAddress/city";

ComPtr<tw::host::XmlMetadataDocument> load_item() {
  auto document = tw::com::make_object<tw::host::XmlMetadataDocument>();
  document->load_file(kItem);
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

}  // namespace
