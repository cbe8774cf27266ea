// The browser editor's requests, answered by the editor's own request
// handling (routing, the apartment thread, JSON in and out) without sockets,
// on the example item and on a large one: the example with 200,000 log
// entries after its content (about 17 MB). The baselines run in the same
// process: xmllint reading the large item (--noout) and reading and writing it
// (--output), as whole processes. Figures are reported, never asserted.
//
// It registers the build tree's component libraries in a TIDEWISE_HOME of
// its own, with the built tool.

#include <benchmark/benchmark.h>
#include <httplib.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "server.h"
#include "tidewise/host/session.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr const char* kExample = TIDEWISE_SOURCE_DIR "/examples/coastal-dataset.xml";
constexpr const char* kToken = "bench-token";
constexpr int kPort = 8123;
constexpr int kLogEntries = 200'000;

fs::path work() {
  static const fs::path folder = fs::temp_directory_path() / "tidewise-editor-bench";
  return folder;
}

// The example with the log entries before its end, in the catalog.
void write_items() {
  std::ifstream in(kExample, std::ios::binary);
  const std::string example{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::size_t end = example.rfind("</metadata>");
  if (!in || end == std::string::npos) throw std::runtime_error("the example is not an item");
  std::string large = example.substr(0, end);
  for (int i = 0; i < kLogEntries; ++i) {
    large += "  <logEntry n=\"" + std::to_string(i) +
             "\"><at>2023-06-14T08:00:00</at><depth>12.5</depth></logEntry>\n";
  }
  large += example.substr(end);
  fs::create_directories(work() / "catalog");
  std::ofstream(work() / "catalog" / "example.xml", std::ios::binary) << example;
  std::ofstream(work() / "catalog" / "large.xml", std::ios::binary) << large;
}

struct Bench {
  std::unique_ptr<tw::host::ComponentHost> components;
  std::unique_ptr<tw::server::EditorServer> editor;

  Bench() {
    std::error_code ec;
    fs::remove_all(work(), ec);
    const fs::path home = work() / "home";
    fs::create_directories(home);
    ::setenv("TIDEWISE_HOME", home.c_str(), 1);
    ::setenv("TIDEWISE_STYLESHEETS", TIDEWISE_SOURCE_DIR "/stylesheets", 1);
    // The synchronizers are off, so that the tree is built without message boxes.
    std::ofstream(home / "settings.json")
        << R"({"synchronizers":{"ISO Metadata Synchronizer":false,)"
        << R"("Item Description Synchronizer":false,"Geography Synchronizer":false}})";
    if (std::system(TIDEWISE_BIN_DIR "/tidewise register > /dev/null") != 0) {
      throw std::runtime_error("tidewise register failed");
    }
    write_items();
    components = std::make_unique<tw::host::ComponentHost>();
    tw::server::ServerOptions options;
    options.catalog = work() / "catalog";
    options.port = kPort;
    options.web = fs::path(TIDEWISE_BIN_DIR) / ".." / "share" / "tidewise" / "web";
    options.token = kToken;
    options.listen = false;
    editor = std::make_unique<tw::server::EditorServer>(options);
  }
  ~Bench() {
    editor->stop();
    editor.reset();
    components.reset();
    std::error_code ec;
    fs::remove_all(work(), ec);
  }

  json post(const std::string& name, const json& body) {
    httplib::Request request;
    request.method = "POST";
    request.path = "/api/" + name;
    request.body = body.dump();
    request.headers.emplace("Host", "127.0.0.1:" + std::to_string(kPort));
    request.headers.emplace("X-Tidewise-Token", kToken);
    request.headers.emplace("Content-Type", "application/json");
    httplib::Response response;
    editor->respond(request, response);
    if (response.status != 200) {
      throw std::runtime_error(name + ": " + std::to_string(response.status) + " " +
                               response.body.substr(0, 300));
    }
    return json::parse(response.body);
  }
};

std::unique_ptr<Bench> the_bench;

// Made at the first benchmark, so that --benchmark_list_tests makes nothing.
Bench& bench() {
  if (!the_bench) the_bench = std::make_unique<Bench>();
  return *the_bench;
}

const char* item_of(const benchmark::State& state) {
  return state.range(0) == 0 ? "example.xml" : "large.xml";
}

// The text a page's text box gets: another one each time.
std::string next_text() {
  static int n = 0;
  return "Shoreline survey " + std::to_string(++n);
}

void edit_purpose(const char* item) {
  bench().post("edit",
               {{"item", item},
                {"page", "Purpose"},
                {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", next_text()}}}});
}

void State(benchmark::State& state) {
  const char* item = item_of(state);
  bench().post("open-item", {{"item", item}});
  bench().post("open-page", {{"item", item}, {"page", "Purpose"}});
  for (auto _ : state) benchmark::DoNotOptimize(bench().post("item", {{"item", item}}));
}

// The page left holds an edit: it is written, and the tree's marks are
// asked again of a document that changed.
void SwitchAfterEdit(benchmark::State& state) {
  const char* item = item_of(state);
  bench().post("open-item", {{"item", item}});
  for (auto _ : state) {
    state.PauseTiming();
    bench().post("open-page", {{"item", item}, {"page", "Purpose"}});
    edit_purpose(item);
    state.ResumeTiming();
    benchmark::DoNotOptimize(bench().post("open-page", {{"item", item}, {"page", "Contact"}}));
  }
}

void Review(benchmark::State& state) {
  const char* item = item_of(state);
  bench().post("open-item", {{"item", item}});
  for (auto _ : state) {
    state.PauseTiming();
    edit_purpose(item);
    state.ResumeTiming();
    benchmark::DoNotOptimize(bench().post("review", {{"item", item}}));
  }
}

// A save after the review the author saw.
void Save(benchmark::State& state) {
  const char* item = item_of(state);
  bench().post("open-item", {{"item", item}});
  for (auto _ : state) {
    state.PauseTiming();
    edit_purpose(item);
    const json reviewed = bench().post("review", {{"item", item}});
    state.ResumeTiming();
    benchmark::DoNotOptimize(
        bench().post("save", {{"item", item}, {"reviewed", reviewed["review"]["digest"]}}));
  }
}

void run(std::vector<std::string> args) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("cannot run " + args[0]);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(args[0] + " failed");
}

void XmllintNoout(benchmark::State& state) {
  bench();
  const std::string large = (work() / "catalog" / "large.xml").string();
  for (auto _ : state) run({"xmllint", "--noout", large});
}

void XmllintOutput(benchmark::State& state) {
  bench();
  const std::string large = (work() / "catalog" / "large.xml").string();
  const std::string out = (work() / "xmllint-out.xml").string();
  for (auto _ : state) run({"xmllint", "--output", out, large});
}

}  // namespace

BENCHMARK(State)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SwitchAfterEdit)
    ->ArgName("large")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(Review)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Save)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(XmllintNoout)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(XmllintOutput)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The editor stops before the statics of the libraries go.
  the_bench.reset();
  return 0;
}
