// SampleImporter.Import through the registry against the same work done
// directly with libxml2/libxslt in one function, and SampleExporter.Export
// against a direct transform to a file, on generated records of three sizes.
//
//   convert_bench RECORDS_DIR STYLESHEET_DIR [benchmark options]
//
// RECORDS_DIR holds record-50k.xml, record-1m.xml and record-20m.xml
// (bench/make_records.py); STYLESHEET_DIR holds toVelmarModel.xslt and
// toTidewiseModel.xslt. Files are written to a temporary folder beside the
// records.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <libxml/parser.h>
#include <libxslt/transform.h>
#include <libxslt/xsltutils.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "tidewise/com/factory.h"
#include "tidewise/host/classes.h"
#include "tidewise/host/item.h"

namespace {

namespace fs = std::filesystem;
using tw::com::ComPtr;

fs::path records;
fs::path sheets;
fs::path work;

const char* const kSizes[] = {"50k", "1m", "20m"};

fs::path record(std::int64_t size) {
  return records / ("record-" + std::string(kSizes[size]) + ".xml");
}

void fail(const std::string& what) {
  std::cerr << "convert_bench: " << what << '\n';
  std::exit(1);
}

// The components registered from beside this program, in a registry of its own.
void register_components() {
  const fs::path bin = tw::com::module_path_of(reinterpret_cast<const void*>(&fail)).parent_path();
  for (const char* name : {"Importer.so", "Exporter.so", "TidewiseXml.so"}) {
    void* library = ::dlopen((bin / name).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) fail(::dlerror());
    const auto entry =
        reinterpret_cast<tw::com::HRESULT (*)() noexcept>(::dlsym(library, "DllRegisterServer"));
    if (entry == nullptr || entry() != tw::com::S_OK) fail(std::string("cannot register ") + name);
  }
  tw::host::serve_host_classes();
}

template <class I>
ComPtr<I> create(std::string_view prog_id) {
  try {
    return tw::com::create_instance<I>(prog_id);
  } catch (const tw::com::Error& e) {
    fail(e.what());
  }
  return nullptr;
}

void Import(benchmark::State& state) {
  const std::string source = record(state.range(0)).string();
  const auto importer = create<tw::host::IMetadataImport>("Importer.SampleImporter");
  const auto item = tw::host::CatalogItem::open(work / "imported.xml");
  for (auto _ : state) {
    if (importer->Import(source, item->identity()) != tw::com::S_OK) fail("Import failed");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(source)));
}

// What Import does, with nothing between: parse the source, parse the
// stylesheet, transform, serialize, parse the result.
void ImportDirect(benchmark::State& state) {
  const std::string source = record(state.range(0)).string();
  const std::string sheet = (sheets / "toVelmarModel.xslt").string();
  for (auto _ : state) {
    xmlDoc* doc = xmlReadFile(source.c_str(), nullptr, XML_PARSE_NONET);
    xsltStylesheet* style =
        xsltParseStylesheetFile(reinterpret_cast<const xmlChar*>(sheet.c_str()));
    xmlDoc* result = xsltApplyStylesheet(style, doc, nullptr);
    xmlChar* text = nullptr;
    int length = 0;
    xsltSaveResultToString(&text, &length, result, style);
    xmlDoc* imported = xmlReadMemory(reinterpret_cast<const char*>(text), length, nullptr, nullptr,
                                     XML_PARSE_NONET);
    if (imported == nullptr) fail("the direct import failed");
    xmlFreeDoc(imported);
    xmlFree(text);
    xmlFreeDoc(result);
    xsltFreeStylesheet(style);
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(source)));
}

// An item holding the imported record of that size.
ComPtr<tw::host::CatalogItem> imported_item(std::int64_t size) {
  const auto importer = create<tw::host::IMetadataImport>("Importer.SampleImporter");
  auto item = tw::host::CatalogItem::open(work / "item.xml");
  if (importer->Import(record(size).string(), item->identity()) != tw::com::S_OK) {
    fail("Import failed");
  }
  return item;
}

void Export(benchmark::State& state) {
  const auto item = imported_item(state.range(0));
  const auto exporter = create<tw::host::IMetadataExport>("Exporter.SampleExporter");
  const std::string destination = (work / "exported.xml").string();
  for (auto _ : state) {
    if (exporter->Export(item->identity(), destination) != tw::com::S_OK) fail("Export failed");
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(fs::file_size(record(state.range(0)))));
}

// What Export does, with nothing between: parse the stylesheet, transform the
// item's document, write the result to the file.
void ExportDirect(benchmark::State& state) {
  const auto item = imported_item(state.range(0));
  tw::xml::DocPtr doc = tw::xml::parse_text(item->document()->xml());
  const std::string sheet = (sheets / "toTidewiseModel.xslt").string();
  const std::string destination = (work / "exported-direct.xml").string();
  for (auto _ : state) {
    xsltStylesheet* style =
        xsltParseStylesheetFile(reinterpret_cast<const xmlChar*>(sheet.c_str()));
    xmlDoc* result = xsltApplyStylesheet(style, doc.get(), nullptr);
    if (xsltSaveResultToFilename(destination.c_str(), result, style, 0) < 0) {
      fail("the direct export failed");
    }
    xmlFreeDoc(result);
    xsltFreeStylesheet(style);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(fs::file_size(record(state.range(0)))));
}

// Each measured against its direct counterpart in the same run, sizes side by side.
BENCHMARK(Import)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ImportDirect)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Export)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ExportDirect)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc != 3) fail("usage: convert_bench RECORDS_DIR STYLESHEET_DIR [benchmark options]");
  records = fs::absolute(argv[1]);
  sheets = fs::absolute(argv[2]);
  work = records / "work";
  fs::create_directories(work);
  ::setenv("TIDEWISE_HOME", (work / "home").c_str(), 1);
  ::setenv("TIDEWISE_STYLESHEETS", sheets.c_str(), 1);
  register_components();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  tw::com::revoke_class_objects();
  return 0;
}
