// The browser editor under load on loopback: a bounded number of requests
// from concurrent clients mixing page loads, edits and saves on a few items,
// against `tidewise serve` in a process of its own. Every request must
// succeed, each saved item must equal the same edits made one after the
// other, and the server's memory must stay flat. It also measures cpp-httplib
// serving a static answer of the same size, the baseline of the figures in
// docs/performance.md.
//
// TIDEWISE_LOAD_REQUESTS and TIDEWISE_LOAD_CLIENTS change the load;
// TIDEWISE_LOAD_REPORT names a file to append the figures to.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <thread>

#include "support/files.h"
#include "tidewise/host/session.h"

namespace tw::load {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using nlohmann::json;

int setting(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::atoi(value) : fallback;
}

// The field a client owns on its item: no two clients of an item write the
// same page, so the end result does not depend on how their requests mix.
struct Field {
  const char* page;
  const char* control;
};
constexpr Field kFields[] = {
    {"Purpose", "txtInfo"},
    {"ReferenceSys", "txtName"},
    {"QualityScope", "txtDataSet"},
};
constexpr const char* kItems[] = {"a.xml", "b.xml", "c.xml"};

// `tidewise serve` in a child process.
class Served {
 public:
  Served(const fs::path& catalog, const fs::path& output) {
    const std::string program = std::string(TIDEWISE_BIN_DIR) + "/tidewise";
    pid_ = ::fork();
    if (pid_ == 0) {
      const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(out, 1);
      ::dup2(out, 2);
      ::execl(program.c_str(), program.c_str(), "serve", catalog.c_str(), "--port", "0",
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    const std::regex address(R"(http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]+))");
    for (int i = 0; i < 300 && port_ == 0; ++i) {
      std::smatch found;
      const std::string printed = test::read_file(output);
      if (std::regex_search(printed, found, address)) {
        port_ = std::stoi(found[1]);
        token_ = found[2];
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
    }
  }
  ~Served() {
    if (pid_ > 0) {
      ::kill(pid_, SIGINT);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
  }
  int port() const { return port_; }
  const std::string& token() const { return token_; }
  // The server's resident memory in KiB.
  long rss() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
  }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::string token_;
};

struct Figures {
  double per_second = 0;
  double median_ms = 0;
  double p99_ms = 0;
};

Figures figures(std::vector<double> latencies, double seconds) {
  std::sort(latencies.begin(), latencies.end());
  const auto at = [&](double q) {
    return latencies[std::min(latencies.size() - 1,
                              static_cast<std::size_t>(q * static_cast<double>(latencies.size())))];
  };
  return {static_cast<double>(latencies.size()) / seconds, at(0.5), at(0.99)};
}

// Runs `clients` threads, each making `per_client` requests with `request`;
// returns the latencies in milliseconds and the wall time.
template <class Request>
std::pair<std::vector<double>, double> drive(int clients, int per_client, Request request) {
  std::vector<std::vector<double>> latencies(static_cast<std::size_t>(clients));
  std::vector<std::thread> threads;
  threads.reserve(static_cast<std::size_t>(clients));
  const auto start = Clock::now();
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&, c] {
      for (int i = 0; i < per_client; ++i) {
        const auto before = Clock::now();
        request(c, i);
        latencies[static_cast<std::size_t>(c)].push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - before).count());
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::vector<double> all;
  for (const auto& some : latencies) all.insert(all.end(), some.begin(), some.end());
  return {all, seconds};
}

TEST(Load, ConcurrentEditsAndSavesAllSucceedAndEqualTheSameEditsOneAfterTheOther) {
  const int clients = setting("TIDEWISE_LOAD_CLIENTS", 8);
  const int requests = setting("TIDEWISE_LOAD_REQUESTS", 2000);
  const int per_client = requests / clients;
  test::TempHome home;
  // No message box on start-up: the synchronizers are off already.
  json settings;
  for (const std::string_view name :
       {"ISO Metadata Synchronizer", "Item Description Synchronizer", "Geography Synchronizer"}) {
    settings["synchronizers"][std::string(name)] = false;
  }
  test::write_file(home / "settings.json", settings.dump());
  const fs::path catalog = home / "catalog";
  fs::create_directories(catalog);
  const fs::path example = fs::path(TIDEWISE_SOURCE_DIR) / "examples" / "coastal-dataset.xml";
  for (const char* item : kItems) fs::copy_file(example, catalog / item);

  Served served(catalog, home / "serve.txt");
  ASSERT_GT(served.port(), 0) << test::read_file(home / "serve.txt");
  const httplib::Headers headers = {{"X-Tidewise-Token", served.token()}};

  // What each client typed last, by item and field.
  std::vector<std::string> last(static_cast<std::size_t>(clients));
  std::atomic<int> failed{0};
  std::string failure;
  std::mutex failure_mutex;
  std::atomic<long> warm_rss{0};
  std::atomic<std::size_t> answer_bytes{0};
  std::atomic<int> done{0};

  const auto [latencies, seconds] = drive(clients, per_client, [&](int c, int i) {
    thread_local std::unique_ptr<httplib::Client> client;
    if (!client) {
      client = std::make_unique<httplib::Client>("127.0.0.1", served.port());
      client->set_keep_alive(true);
      client->set_tcp_nodelay(true);
      client->set_read_timeout(60, 0);
    }
    const std::string item = kItems[c % std::size(kItems)];
    const Field& field = kFields[static_cast<std::size_t>(c / static_cast<int>(std::size(kItems))) %
                                 std::size(kFields)];
    json body = {{"item", item}};
    std::string name;
    switch (i % 10) {
      case 0:
        name = "open-page";
        body["page"] = field.page;
        break;
      case 8:
        name = "item";
        break;
      case 9:
        name = "save";
        break;
      default: {
        name = "edit";
        last[static_cast<std::size_t>(c)] =
            "client " + std::to_string(c) + " edit " + std::to_string(i);
        body["page"] = field.page;
        body["edit"] = {{"kind", "type"},
                        {"control", field.control},
                        {"value", last[static_cast<std::size_t>(c)]}};
      }
    }
    const auto result =
        client->Post(("/api/" + name).c_str(), headers, body.dump(), "application/json");
    if (!result || result->status != 200) {
      ++failed;
      std::lock_guard lock(failure_mutex);
      failure = name + ": " +
                (result ? std::to_string(result->status) + " " + result->body : "no answer");
    } else if (name == "edit") {
      std::size_t none = 0;
      answer_bytes.compare_exchange_strong(none, result->body.size());
    }
    if (++done == requests / 4) warm_rss = served.rss();
  });
  const long end_rss = served.rss();
  EXPECT_EQ(failed, 0) << failure;

  // A last save of each item, then the same edits made one after the other.
  httplib::Client client("127.0.0.1", served.port());
  for (const char* item : kItems) {
    const auto saved =
        client.Post("/api/save", headers, json{{"item", item}}.dump(), "application/json");
    ASSERT_TRUE(saved && saved->status == 200) << (saved ? saved->body : "no answer");
  }
  {
    ASSERT_EQ(
        std::system((std::string(TIDEWISE_BIN_DIR) + "/tidewise register >/dev/null").c_str()), 0);
    host::ComponentHost components;
    for (std::size_t i = 0; i < std::size(kItems); ++i) {
      const fs::path expected = home / ("expected-" + std::string(kItems[i]));
      fs::copy_file(example, expected);
      host::EditingSession session(expected);
      for (int c = 0; c < clients; ++c) {
        if (static_cast<std::size_t>(c) % std::size(kItems) != i ||
            last[static_cast<std::size_t>(c)].empty())
          continue;
        const Field& field =
            kFields[static_cast<std::size_t>(c / static_cast<int>(std::size(kItems))) %
                    std::size(kFields)];
        session.open(field.page);
        const std::vector<host::Edit> edit = {
            {host::Edit::Kind::Type, field.control, last[static_cast<std::size_t>(c)]}};
        session.edit(edit);
        session.leave();
      }
      session.save();
      const auto differences =
          host::differences(test::read_file(expected), test::read_file(catalog / kItems[i]));
      for (const host::Difference& d : differences) {
        ADD_FAILURE() << kItems[i] << ": " << d.path << " " << d.before.value_or("(absent)")
                      << " -> " << d.after.value_or("(absent)");
      }
    }
  }

  // cpp-httplib serving a static answer of the same size, measured the same way.
  httplib::Server baseline;
  baseline.set_tcp_nodelay(true);
  const std::string page(answer_bytes.load(), 'x');
  baseline.Post("/static", [&](const httplib::Request&, httplib::Response& response) {
    response.set_content(page, "application/json");
  });
  const int baseline_port = baseline.bind_to_any_port("127.0.0.1");
  std::thread listener([&] { baseline.listen_after_bind(); });
  const auto [base_latencies, base_seconds] = drive(clients, per_client, [&](int, int) {
    thread_local std::unique_ptr<httplib::Client> client;
    if (!client) {
      client = std::make_unique<httplib::Client>("127.0.0.1", baseline_port);
      client->set_keep_alive(true);
      client->set_tcp_nodelay(true);
    }
    const auto result = client->Post("/static", "{}", "application/json");
    if (!result || result->status != 200) ++failed;
  });
  baseline.stop();
  listener.join();

  const Figures editor = figures(latencies, seconds);
  const Figures base = figures(base_latencies, base_seconds);
  char report[512];
  std::snprintf(report, sizeof report,
                "| tidewise serve | %d | %d | %.0f | %.2f | %.2f |\n"
                "| cpp-httplib, static %zu-byte answer | %d | %d | %.0f | %.2f | %.2f |\n"
                "server memory: %ld KiB after a quarter of the requests, %ld KiB at the end\n",
                per_client * clients, clients, editor.per_second, editor.median_ms, editor.p99_ms,
                answer_bytes.load(), per_client * clients, clients, base.per_second, base.median_ms,
                base.p99_ms, warm_rss.load(), end_rss);
  std::cout << report;
  if (const char* file = std::getenv("TIDEWISE_LOAD_REPORT"))
    std::ofstream(file, std::ios::app) << report;

#ifndef TIDEWISE_SANITIZED
  // Flat: after the first quarter of the requests the server holds what it
  // needs; the rest may not keep adding to it.
  ASSERT_GT(warm_rss, 0);
  EXPECT_LT(end_rss - warm_rss, 16 * 1024) << "KiB grown over three quarters of the requests";
#endif
}

}  // namespace
}  // namespace tw::load
