// Every page the editor's start-up adds, opened and left as a user would
// (created by its programmatic identifier, loaded, its first text box
// retyped so that it writes back, asked to unload, unloaded), on the example
// item and on the large item named by TIDEWISE_BENCH_ITEM. The baseline is
// the same document reads and writes, recorded from one pass, done with
// direct libxml2 child walks that stop at the first match of each step (the
// pages use the first value of a read).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "framework/page_classes.h"
#include "tidewise/com/factory.h"
#include "tidewise/host/classes.h"
#include "tidewise/host/document.h"
#include "tidewise/host/trace.h"
#include "tidewise/host/tree.h"
#include "tidewise/platform.h"

namespace {

using namespace tw;
using com::ComPtr;
namespace fs = std::filesystem;

const char* kExample = TIDEWISE_SOURCE_DIR "/examples/coastal-dataset.xml";

// A benchmark cannot go on past a failed call: it says which and stops.
void must(com::HRESULT hr, const char* what) {
  if (com::succeeded(hr)) return;
  const auto info = com::GetErrorInfo();
  std::fprintf(stderr, "pages_bench: %s failed: %s\n", what,
               info ? info->description.c_str() : com::hresult_hex(hr).c_str());
  std::abort();
}

// The library's classes, registered in a scratch folder and served from
// this executable, as the tool would create them from the library.
std::string scratch_home;  // removed when the benchmarks end

void serve_the_library() {
  static const bool done = [] {
    std::string home = (fs::temp_directory_path() / "tidewise-bench-XXXXXX").string();
    if (::mkdtemp(home.data()) == nullptr) std::abort();
    scratch_home = home;
    ::setenv("TIDEWISE_HOME", home.c_str(), 1);
    must(com::module_register(custom::kModule, home + "/TidewiseCustomPage.so"),
         "DllRegisterServer");
    host::serve_host_classes();
    platform::set_msgbox_handler(
        [](std::string_view, int, std::string_view) { return platform::kAnswerOk; });
    for (const com::ClassEntry& entry : custom::kModule.classes) {
      com::register_class_object(
          entry.clsid, ComPtr<com::IClassFactory>(com::make_object<com::ClassFactory>(entry)));
    }
    return true;
  }();
  (void)done;
}

template <com::Interface I>
ComPtr<I> create(const std::string& prog_id) {
  com::GUID clsid;
  ComPtr<I> object;
  must(com::CLSIDFromProgID(prog_id, &clsid), "CLSIDFromProgID");
  must(com::CoCreateInstance(clsid, I::IID, object.put_void()), "CoCreateInstance");
  return object;
}

struct Editor {
  ComPtr<host::XmlMetadataDocument> document = com::make_object<host::XmlMetadataDocument>();
  ComPtr<host::MetadataSections> tree = host::make_default_tree();
  std::vector<host::PageInfo> pages;

  explicit Editor(const char* item) {
    serve_the_library();
    document->load_file(item);
    com::VARIANT_BOOL result = 0;
    const auto connect = create<host::ICustomPages>("TidewiseCustomPage.Connect");
    must(connect->LoadCustomPages(tree.get(), ComPtr<host::IMetadataValues>(document).get(),
                                  &result),
         "LoadCustomPages");
    for (const host::BookInfo& book : tree->snapshot()) {
      pages.insert(pages.end(), book.pages.begin(), book.pages.end());
    }
  }

  void pass() {
    host::IMetadataValues* values = document.get();
    for (const host::PageInfo& info : pages) {
      const auto page = create<host::IMetaDataPage>(info.prog_id);
      must(page->LoadPage(values, tree.get(), info.unique_name), "LoadPage");
      forms::Form* form = nullptr;
      must(page.template as<forms::IUserControl>()->GetForm(&form), "GetForm");
      for (const auto& control : form->controls()) {
        if (control->kind() == forms::Kind::TextBox) {
          control->type(control->text());
          break;
        }
      }
      com::VARIANT_BOOL may = 0, unloaded = 0;
      must(page->QueryUnload(values, tree.get(), &may), "QueryUnload");
      must(page->UnloadPage(values, tree.get(), &unloaded), "UnloadPage");
    }
  }
};

void PagePass(benchmark::State& state, const char* item) {
  Editor editor(item);
  for (auto _ : state) editor.pass();
  state.SetLabel(std::to_string(editor.pages.size()) + " pages");
}

// ---- The baseline

struct Call {
  enum Kind { Read, ReadAttribute, Write, WriteAttribute } kind;
  std::vector<std::string> steps;
  std::string name, value;
};

std::vector<Call> record_pass(const char* item) {
  Editor editor(item);
  std::vector<Call> calls;
  const auto text = [](const nlohmann::json& j) {
    return j.is_string() ? j.get<std::string>() : j.dump();
  };
  const auto previous = host::set_trace_sink([&](const nlohmann::json& line) {
    const std::string call = line.at("call");
    const auto& args = line.at("args");
    Call recorded{};
    if (call == "IMetadataValues.ReadValues") {
      recorded.kind = Call::Read;
    } else if (call == "IMetadataXml.ReadAttribute") {
      recorded = {Call::ReadAttribute, {}, text(args[1]), {}};
    } else if (call == "IMetadataValues.WriteValue") {
      recorded = {Call::Write, {}, {}, text(args[1])};
    } else if (call == "IMetadataXml.WriteAttribute") {
      recorded = {Call::WriteAttribute, {}, text(args[1]), text(args[2])};
    } else {
      return;
    }
    const std::string path = args[0];
    for (std::size_t start = 0;;) {
      const std::size_t slash = path.find('/', start);
      recorded.steps.push_back(path.substr(start, slash - start));
      if (slash == std::string::npos) break;
      start = slash + 1;
    }
    calls.push_back(std::move(recorded));
  });
  editor.pass();
  host::set_trace_sink(previous);
  return calls;
}

xmlNode* first_child(xmlNode* parent, const std::string& name) {
  for (xmlNode* child = parent->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE && child->ns == nullptr &&
        name == reinterpret_cast<const char*>(child->name)) {
      return child;
    }
  }
  return nullptr;
}

const xmlChar* x(const std::string& s) {
  return reinterpret_cast<const xmlChar*>(s.c_str());
}

void BaselineChildWalks(benchmark::State& state, const char* item) {
  const std::vector<Call> calls = record_pass(item);
  const xml::DocPtr doc = xml::parse_file(item);
  xmlNode* const root = xmlDocGetRootElement(doc.get());
  for (auto _ : state) {
    for (const Call& call : calls) {
      xmlNode* node = root;
      const bool writes = call.kind == Call::Write || call.kind == Call::WriteAttribute;
      for (const std::string& step : call.steps) {
        xmlNode* child = first_child(node, step);
        if (child == nullptr && writes) {
          child = xmlNewDocNode(doc.get(), nullptr, x(step), nullptr);
          xmlAddChild(node, child);
        }
        node = child;
        if (node == nullptr) break;
      }
      if (node == nullptr) continue;
      switch (call.kind) {
        case Call::Read: {
          std::string text;
          for (xmlNode* child = node->children; child != nullptr; child = child->next) {
            if (child->type == XML_TEXT_NODE) text += reinterpret_cast<const char*>(child->content);
          }
          benchmark::DoNotOptimize(text);
          break;
        }
        case Call::ReadAttribute: {
          xmlChar* value = xmlGetNoNsProp(node, x(call.name));
          benchmark::DoNotOptimize(value);
          xmlFree(value);
          break;
        }
        case Call::Write: {
          xmlNode* text = node->children;
          while (text != nullptr && text->type != XML_TEXT_NODE) text = text->next;
          if (text != nullptr) {
            xmlNodeSetContent(text, x(call.value));
          } else {
            xmlAddChild(node, xmlNewDocText(doc.get(), x(call.value)));
          }
          break;
        }
        case Call::WriteAttribute:
          xmlSetProp(node, x(call.name), x(call.value));
          break;
      }
    }
  }
  state.SetLabel(std::to_string(calls.size()) + " document calls");
}

// The editor's page switch is measured through the editing session, as the
// editor makes it, by page_switch_bench.cpp.

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RegisterBenchmark("PagePass/example", PagePass, kExample)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("BaselineChildWalks/example", BaselineChildWalks, kExample)
      ->Unit(benchmark::kMicrosecond);
  if (const char* large = std::getenv("TIDEWISE_BENCH_ITEM")) {
    benchmark::RegisterBenchmark("PagePass/large", PagePass, large)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BaselineChildWalks/large", BaselineChildWalks, large)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (!scratch_home.empty()) {
    std::error_code ec;
    fs::remove_all(scratch_home, ec);
  }
  return 0;
}
