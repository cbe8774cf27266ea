// The editor's in-process page switch on the example item: the open page is
// left (QueryUnload, UnloadPage), the next one created and loaded (LoadPage)
// and its controls read for drawing, through the editing session. The
// baseline is reading the item's file into a document, in the same run. The
// budget for a switch is 2 ms; the figure is reported, not asserted.
//
// It registers the build tree's component libraries in a TIDEWISE_HOME of
// its own, with the built tool.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tidewise/host/session.h"

namespace {

namespace fs = std::filesystem;
const char* kItem = TIDEWISE_SOURCE_DIR "/examples/coastal-dataset.xml";

// Pages that write on every unload and pages that write only when edited,
// with and without frames.
constexpr const char* kPages[] = {
    "Purpose", "Contact", "QualityScope", "ReferenceSys", "DQAbsExtPosAccQuan", "TidewiseExt"};

struct Editor {
  tw::host::ComponentHost components;
  fs::path copy;
  std::unique_ptr<tw::host::EditingSession> session;

  Editor() {
    const fs::path home = fs::temp_directory_path() / "tidewise-page-switch-home";
    fs::create_directories(home);
    ::setenv("TIDEWISE_HOME", home.c_str(), 1);
    // The synchronizers are off, so that the tree is built without message boxes.
    std::ofstream(home / "settings.json")
        << R"({"synchronizers":{"ISO Metadata Synchronizer":false,)"
        << R"("Item Description Synchronizer":false,"Geography Synchronizer":false}})";
    if (std::system(TIDEWISE_BIN_DIR "/tidewise register > /dev/null") != 0) {
      throw std::runtime_error("tidewise register failed");
    }
    copy = fs::temp_directory_path() / "tidewise-page-switch.xml";
    fs::copy_file(kItem, copy, fs::copy_options::overwrite_existing);
    session = std::make_unique<tw::host::EditingSession>(copy);
  }
  ~Editor() {
    session.reset();
    std::error_code ec;
    fs::remove(copy, ec);
  }
};

void PageSwitch(benchmark::State& state) {
  Editor editor;
  std::size_t next = 0;
  editor.session->open(kPages[next++]);
  for (auto _ : state) {
    editor.session->leave();
    tw::host::OpenPage& page = editor.session->open(kPages[next++ % std::size(kPages)]);
    benchmark::DoNotOptimize(page.json());
  }
}
BENCHMARK(PageSwitch)->Unit(benchmark::kMicrosecond);

// The baseline: reading the example item's file into a document.
void BaselineReadItem(benchmark::State& state) {
  for (auto _ : state) {
    auto document = tw::com::make_object<tw::host::XmlMetadataDocument>();
    document->load_file(kItem);
    benchmark::DoNotOptimize(document.get());
  }
}
BENCHMARK(BaselineReadItem)->Unit(benchmark::kMicrosecond);

}  // namespace
