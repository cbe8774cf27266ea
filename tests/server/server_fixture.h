#pragma once
// The browser editor's server in this process, on a free loopback port, on a
// copy of the example catalog, with the component libraries registered in a
// temporary TIDEWISE_HOME by the built tool.

#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <nlohmann/json.hpp>

#include "server.h"
#include "support/files.h"
#include "support/page_json.h"
#include "tidewise/host/session.h"

namespace tw::server {

namespace fs = std::filesystem;
using nlohmann::json;
using test::control;

inline constexpr const char* kToken = "0123456789abcdef0123456789abcdef";
inline constexpr const char* kItem = "coastal-dataset.xml";

// Runs the built tool with these arguments; returns its exit status.
inline int run_tool(std::vector<std::string> args) {
  const std::string program = std::string(TIDEWISE_BIN_DIR) + "/tidewise";
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The synchronizers switched off beforehand, so that opening an item shows
// no message box; the tests of message boxes leave them on.
inline void switch_off_synchronizers(const test::TempHome& home) {
  test::write_file(home / "settings.json",
                   R"({"synchronizers":{"ISO Metadata Synchronizer":false,)"
                   R"("Item Description Synchronizer":false,"Geography Synchronizer":false}})");
}

// clang-tidy 14 looks into json's noexcept destructor and takes what it finds
// there for a throw from the implicit members.
struct Reply {  // NOLINT(bugprone-exception-escape)
  int status = 0;
  json body;
  httplib::Headers headers;
};

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(run_tool({"register"}), 0);
    catalog_ = home_ / "catalog";
    fs::create_directories(catalog_);
    fs::copy_file(fs::path(TIDEWISE_SOURCE_DIR) / "examples" / kItem, catalog_ / kItem);
    original_ = test::read_file(catalog_ / kItem);
  }
  void TearDown() override {
    server_.reset();
    components_.reset();
  }

  void start(std::chrono::milliseconds dialog_timeout = std::chrono::seconds(30),
             bool quiet = true) {
    if (quiet) switch_off_synchronizers(home_);
    components_ = std::make_unique<host::ComponentHost>();
    ServerOptions options;
    options.catalog = catalog_;
    options.web = fs::path(TIDEWISE_BIN_DIR) / ".." / "share" / "tidewise" / "web";
    options.schemas = fs::path(TIDEWISE_BIN_DIR) / ".." / "share" / "tidewise" / "schemas";
    options.token = kToken;
    options.dialog_timeout = dialog_timeout;
    server_ = std::make_unique<EditorServer>(options);
    server_->start();
  }

  std::string local_host() const { return "127.0.0.1:" + std::to_string(server_->port()); }

  // A request as the page makes it, with the headers given added or replacing.
  Reply send(const std::string& method, const std::string& path, const std::string& body,
             httplib::Headers headers = {}, const std::string& type = "application/json") const {
    httplib::Client client("127.0.0.1", server_->port());
    client.set_read_timeout(60, 0);
    if (!headers.contains("X-Tidewise-Token")) headers.emplace("X-Tidewise-Token", kToken);
    if (!headers.contains("Host")) headers.emplace("Host", local_host());
    httplib::Result result =
        method == "GET"      ? client.Get(path.c_str(), headers)
        : method == "POST"   ? client.Post(path.c_str(), headers, body, type.c_str())
        : method == "PUT"    ? client.Put(path.c_str(), headers, body, type.c_str())
        : method == "DELETE" ? client.Delete(path.c_str(), headers)
                             : client.Options(path.c_str(), headers);
    Reply reply;
    if (!result) {
      ADD_FAILURE() << method << " " << path << ": no answer";
      return reply;
    }
    reply.status = result->status;
    reply.headers = result->headers;
    reply.body = json::parse(result->body, nullptr, false);
    if (reply.body.is_discarded()) reply.body = result->body;
    return reply;
  }

  Reply post(const std::string& name, const json& body, httplib::Headers headers = {}) const {
    return send("POST", "/api/" + name, body.dump(), std::move(headers));
  }

  // Posts and answers every message box with its default button.
  Reply post_answering(const std::string& name, const json& body) const {
    Reply reply = post(name, body);
    while (reply.status == 200 && reply.body.contains("dialog")) {
      const json& dialog = reply.body["dialog"];
      reply = post("answer", {{"call", dialog["call"]},
                              {"dialog", dialog["id"]},
                              {"answer", dialog["defaultAnswer"]}});
    }
    return reply;
  }

  json ok(const std::string& name, const json& body) const {
    const Reply reply = post_answering(name, body);
    EXPECT_EQ(reply.status, 200) << name << " " << body.dump() << " -> " << reply.body.dump();
    return reply.body;
  }

  test::TempHome home_;
  fs::path catalog_;
  std::string original_;
  std::unique_ptr<host::ComponentHost> components_;
  std::unique_ptr<EditorServer> server_;
};

}  // namespace tw::server
