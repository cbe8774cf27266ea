// The browser editor's request handling, without sockets: each input is a
// few requests (method and path, headers, body) that EditorServer::respond
// answers as the HTTP server's threads do, on a fresh copy of the example
// catalog. Promises: no request crashes or hangs; none changes a file outside
// the catalog; one that is refused (an answer of 400 or more) changes no file
// in it; nothing is left in the scratch folder once a request is answered.
//
// Input: requests separated by NUL bytes, at most eight. A request's first
// byte picks its method and path, its second which of the page's headers it
// leaves out or replaces, and the rest is its body (or, for a path of the
// input's own, the path, a newline, then the body). In a body "@v" stands for
// the last version the editor answered and "@record" for the example ISO
// 19139 record, so that inputs can reach past the version check and import.

#include <httplib.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>

#include "server.h"
#include "support.h"
#include "tidewise/host/classes.h"
#include "tidewise/host/session.h"
#include "tidewise/platform.h"
#include "tool.h"

namespace {

namespace fs = std::filesystem;
using tw::fuzz::broken;

constexpr const char* kToken = "0123456789abcdef0123456789abcdef";
constexpr int kPort = 8080;

struct Route {
  const char* method;
  const char* path;  // nullptr: the input's own
};
constexpr Route kRoutes[] = {
    {"POST", "/api/catalog"},
    {"POST", "/api/create-item"},
    {"POST", "/api/import-item"},
    {"POST", "/api/open-item"},
    {"POST", "/api/item"},
    {"POST", "/api/open-page"},
    {"POST", "/api/edit"},
    {"POST", "/api/review"},
    {"POST", "/api/save"},
    {"POST", "/api/revert"},
    {"POST", "/api/close-item"},
    {"POST", "/api/import"},
    {"POST", "/api/export"},
    {"POST", "/api/answer"},
    {"POST", "/api/pending"},
    {"GET", "/"},
    {"GET", "/app.js"},
    {"PUT", "/api/catalog"},
    {"POST", nullptr},
    {"GET", nullptr},
};

fs::path work() {
  static const fs::path folder = fs::path(std::getenv("TIDEWISE_HOME")) / "work";
  return folder;
}

// Every file below `folder` with its content.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = fs::relative(it->path(), folder).string();
    if (it->is_symlink(ec)) {
      files[name] = "<link>" + fs::read_symlink(it->path(), ec).string();
    } else if (it->is_regular_file(ec)) {
      std::ifstream in(it->path(), std::ios::binary);
      files[name] = {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    } else {
      files[name] = "<folder>";
    }
  }
  return files;
}

// What lies outside the catalog: the rest of the work folder but the
// editors' scratch folders.
std::map<std::string, std::string> outside() {
  auto files = snapshot(work());
  std::erase_if(files, [](const auto& file) {
    return file.first.starts_with("catalog") || file.first.starts_with("tmp/");
  });
  return files;
}

std::string replaced(std::string text, std::string_view what, const std::string& with) {
  for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += with.size()) {
    text.replace(at, what.size(), with);
  }
  return text;
}

httplib::Request request_of(const std::string& input, const std::string& version,
                            const std::string& record) {
  httplib::Request request;
  const Route& route =
      kRoutes[input.empty() ? 0 : static_cast<unsigned char>(input[0]) % std::size(kRoutes)];
  const unsigned flags = input.size() > 1 ? static_cast<unsigned char>(input[1]) : 0;
  std::string body = input.size() > 2 ? input.substr(2) : std::string("{}");
  request.method = route.method;
  std::string target = route.path ? route.path : "";
  if (!route.path) {
    const auto line = body.find('\n');
    target = body.substr(0, line);
    body = line == std::string::npos ? std::string() : body.substr(line + 1);
  }
  // The path and its query, as the server parses them.
  const auto query = target.find('?');
  request.path = target.substr(0, query);
  if (query != std::string::npos) {
    std::string_view rest = std::string_view(target).substr(query + 1);
    while (!rest.empty()) {
      const std::string_view pair = rest.substr(0, rest.find('&'));
      const auto equals = pair.find('=');
      request.params.emplace(
          std::string(pair.substr(0, equals)),
          equals == std::string_view::npos ? std::string() : std::string(pair.substr(equals + 1)));
      rest.remove_prefix(std::min(rest.size(), pair.size() + 1));
    }
  }
  request.body = replaced(replaced(body, "\"@v\"", version), "@record", record);

  const std::string port = std::to_string(kPort);
  request.headers.emplace("Host", flags & 0x01 ? "evil.example:" + port : "127.0.0.1:" + port);
  if (flags & 0x02) {
    request.headers.emplace("Cookie", "tidewise-" + port + "=" + kToken);
  } else if (!(flags & 0x04)) {
    request.headers.emplace("X-Tidewise-Token", kToken);
  }
  request.headers.emplace("Content-Type", flags & 0x08 ? "text/plain" : "application/json");
  if (flags & 0x10) request.headers.emplace("Origin", "http://evil.example");
  if (flags & 0x20) request.headers.emplace("Sec-Fetch-Site", "cross-site");
  return request;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  tw::fuzz::quiet_private_home();
  ::setenv("TIDEWISE_STYLESHEETS", TIDEWISE_SOURCE_DIR "/stylesheets", 1);
  tw::cli::ensure_registered();
  static tw::host::ComponentHost components;
  // No message box at every item opened.
  std::ofstream(fs::path(std::getenv("TIDEWISE_HOME")) / "settings.json")
      << R"({"synchronizers":{"ISO Metadata Synchronizer":false,)"
         R"("Item Description Synchronizer":false,"Geography Synchronizer":false}})";
  fs::create_directories(work() / "outside");
  std::ofstream(work() / "outside" / "other.xml") << "<metadata><keep/></metadata>\n";
  fs::create_directories(work() / "tmp");
  ::setenv("TMPDIR", (work() / "tmp").c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tw;
  static const std::string record = [] {
    std::ifstream in(TIDEWISE_SOURCE_DIR "/examples/coastal-dataset-iso19139.xml");
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string json = nlohmann::json(text).dump();
    return json.substr(1, json.size() - 2);  // what stands between the quotes
  }();

  const fs::path catalog = work() / "catalog";
  std::error_code ec;
  fs::remove_all(catalog, ec);
  fs::create_directories(catalog);
  for (const auto& entry : fs::directory_iterator(TIDEWISE_SOURCE_DIR "/examples")) {
    if (entry.path().extension() == ".xml")
      fs::copy_file(entry.path(), catalog / entry.path().filename());
  }
  const auto outside_before = outside();

  server::ServerOptions options;
  options.catalog = catalog;
  options.port = kPort;
  options.web = (cli::executable_path().parent_path() / ".." / "share" / "tidewise" / "web")
                    .lexically_normal();
  options.token = kToken;
  options.dialog_timeout = std::chrono::milliseconds(20);
  options.listen = false;
  server::EditorServer editor(options);

  std::string version = "0";
  for (const std::string& input : fuzz::split(data, size, 8)) {
    const httplib::Request request = request_of(input, version, record);
    const auto catalog_before = snapshot(catalog);
    httplib::Response response;
    editor.respond(request, response);
    if (response.status < 100 || response.status > 599) {
      broken("an answer without a status", request.method + " " + request.path);
    }
    if (response.status >= 400 && snapshot(catalog) != catalog_before) {
      broken("a refused request changed the catalog", request.method + " " + request.path + " " +
                                                          std::to_string(response.status) + " " +
                                                          response.body.substr(0, 300));
    }
    if (outside() != outside_before) {
      broken("a request changed a file outside the catalog", request.path);
    }
    if (!fs::is_empty(editor.scratch_folder(), ec)) {
      broken("a request left a file in the scratch folder", request.path);
    }
    const auto answer = nlohmann::json::parse(response.body, nullptr, false);
    if (answer.is_object() && answer.contains("version") && answer["version"].is_number()) {
      version = answer["version"].dump();
    }
  }
  editor.stop();
  if (fs::exists(editor.scratch_folder())) broken("the scratch folder outlived the editor");
  return 0;
}
