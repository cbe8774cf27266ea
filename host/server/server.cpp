#include "server.h"

#include <httplib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "connections.h"
#include "failures.h"
#include "tidewise/com/error.h"
#include "tidewise/host/session.h"
#include "tidewise/platform.h"

namespace tw::server {

namespace fs = std::filesystem;

namespace {

constexpr const char* kJson = "application/json; charset=utf-8";
constexpr std::size_t kMaxBody = 48u << 20;

constexpr const char* kContentSecurityPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

std::string random_token() {
  std::random_device device;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string token;
  for (int i = 0; i < 8; ++i) {
    std::uint32_t word = device();
    for (int j = 0; j < 8; ++j, word >>= 4) token += kDigits[word & 0xF];
  }
  return token;
}

// Compares in time that does not depend on where the texts first differ.
bool same_secret(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  }
  return difference == 0;
}

std::string cookie_value(const httplib::Request& request, std::string_view name) {
  const std::string header = request.get_header_value("Cookie");
  std::size_t start = 0;
  while (start < header.size()) {
    std::size_t end = header.find(';', start);
    if (end == std::string::npos) end = header.size();
    std::string_view pair(header.data() + start, end - start);
    while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
    const auto equals = pair.find('=');
    if (equals != std::string_view::npos && pair.substr(0, equals) == name) {
      return std::string(pair.substr(equals + 1));
    }
    start = end + 1;
  }
  return {};
}

std::string content_type_of(const fs::path& file) {
  const std::string extension = file.extension().string();
  if (extension == ".html") return "text/html; charset=utf-8";
  if (extension == ".js") return "text/javascript; charset=utf-8";
  if (extension == ".css") return "text/css; charset=utf-8";
  if (extension == ".svg") return "image/svg+xml";
  if (extension == ".png") return "image/png";
  return {};
}

void send_json(httplib::Response& response, int status, const Json& body) {
  response.status = status;
  response.set_content(body.dump(-1, ' ', false, Json::error_handler_t::replace), kJson);
}

void refuse(httplib::Response& response, int status, const std::string& message) {
  send_json(response, status, {{"error", message}});
}

// What the HTTP library's own refusals mean, said as the editor says things.
std::string refusal_of(int status) {
  switch (status) {
    case 400:
      return "the request is not one the editor understands";
    case 404:
      return "nothing is here";
    case 405:
      return "the editor answers GET for its files and POST for its requests";
    case 413:
      return "the request is larger than " + std::to_string(kMaxBody >> 20) +
             " MiB, the most the editor takes";
    case 414:
      return "the request's address is too long";
    case 431:
      return "the request's headers are too large";
    default:
      return status >= 500 ? "the editor failed to answer" : "the request was refused";
  }
}

constexpr std::string_view kScratchPrefix = "tidewise-serve-";

// The scratch folders of editors that were killed (their process is gone):
// an editor that stops removes its own.
void remove_abandoned_scratch(const fs::path& temp) {
  std::error_code ec;
  for (fs::directory_iterator it(temp, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(kScratchPrefix)) continue;
    const std::string rest = name.substr(kScratchPrefix.size());
    const auto dash = rest.find('-');
    if (dash == std::string::npos || dash == 0 || rest.find_first_not_of("0123456789") != dash ||
        dash > 9) {
      continue;
    }
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
      continue;
    }
    if (!platform::process_exists(std::stoi(rest.substr(0, dash)))) {
      std::error_code ignored;
      fs::remove_all(it->path(), ignored);
    }
  }
}

// Each connection is a descriptor: as many as the system lets this process
// have, so that a burst of connections is not refused for want of them.
std::size_t most_connections() {
  rlimit files{};
  if (::getrlimit(RLIMIT_NOFILE, &files) != 0) return 256;
  if (files.rlim_cur < files.rlim_max && files.rlim_cur < 8192) {
    files.rlim_cur = std::min<rlim_t>(files.rlim_max, 8192);
    ::setrlimit(RLIMIT_NOFILE, &files);
    ::getrlimit(RLIMIT_NOFILE, &files);
  }
  const rlim_t usable = files.rlim_cur > 128 ? files.rlim_cur - 96 : 32;
  return static_cast<std::size_t>(std::min<rlim_t>(usable, 1024));
}

// The editor's requests by name.
using Member = Json (Editor::*)(const Json&);
const std::map<std::string, Member, std::less<>>& members() {
  static const std::map<std::string, Member, std::less<>> table = {
      {"catalog", &Editor::catalog},
      {"create-item", &Editor::create_item},
      {"import-item", &Editor::import_item},
      {"open-item", &Editor::open_item},
      {"item", &Editor::item_state},
      {"open-page", &Editor::open_page},
      {"edit", &Editor::edit},
      {"review", &Editor::review},
      {"save", &Editor::save},
      {"revert", &Editor::revert},
      {"close-item", &Editor::close_item},
      {"import", &Editor::import_into},
      {"export", &Editor::export_item},
      {"recover", &Editor::recover},
      {"reload-file", &Editor::reload_file},
      {"undo", &Editor::undo},
      {"redo", &Editor::redo},
      {"problems", &Editor::problems},
      {"rename-item", &Editor::rename_item},
      {"duplicate-item", &Editor::duplicate_item},
      {"delete-item", &Editor::delete_item},
      {"trash", &Editor::trash},
      {"restore-item", &Editor::restore_item},
      {"empty-trash", &Editor::empty_trash},
      {"search-items", &Editor::search_items},
  };
  return table;
}

// What the browser gets for an outcome of the apartment.
void send_outcome(httplib::Response& response, Outcome outcome) {
  Json body;
  int status = 200;
  switch (outcome.state) {
    case Outcome::State::Asking:
      body = {{"dialog", outcome.dialog->json()}};
      break;
    case Outcome::State::Busy:
      status = 409;
      body = {{"error", "a message box is waiting for an answer"},
              {"dialog", outcome.dialog->json()},
              {"busy", true}};
      break;
    case Outcome::State::Done:
      if (!outcome.error) {
        body = std::move(outcome.result);
        break;
      }
      {
        const ApiError failed = as_api_error(outcome.error);
        status = failed.status();
        body = failed.extra();
        body["error"] = failed.what();
      }
      break;
  }
  if (!body.is_object()) body = {{"result", body}};
  if (!outcome.notes.empty()) body["notes"] = outcome.notes;
  send_json(response, status, body);
}

}  // namespace

EditorServer::EditorServer(ServerOptions options)
    : options_(std::move(options)), token_(options_.token.value_or(random_token())) {
  remove_abandoned_scratch(fs::temp_directory_path());
  // Named with the process, so that the next editor can tell it was left.
  scratch_ = std::make_unique<host::ScratchFolder>(std::string(kScratchPrefix) +
                                                   std::to_string(::getpid()));

  // Only the files found now are ever served: no request path reaches the disk.
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(options_.web, ec)) {
    const std::string type = content_type_of(entry.path());
    if (type.empty() || !entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    web_["/" + entry.path().filename().string()] = {
        {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}, type};
  }
  if (ec || !web_.contains("/index.html")) {
    throw std::runtime_error("the editor's web files are not in \"" + options_.web.string() + "\"");
  }

  // Half the threads at most wait for an item to move on.
  events_ =
      std::make_unique<ItemEvents>(static_cast<std::size_t>(std::max(1, options_.threads / 2)));
  apartment_ = std::make_unique<Apartment>(options_.dialog_timeout);
  const Outcome made = apartment_->run([this] {
    editor_ =
        std::make_unique<Editor>(options_.catalog, *scratch_, events_.get(), options_.schemas);
    return Json();
  });
  if (made.error) {
    apartment_.reset();
    std::rethrow_exception(made.error);
  }

  if (!options_.listen) {
    port_ = options_.port;
    return;
  }
  ConnectionLimits limits;
  limits.workers = static_cast<std::size_t>(std::max(1, options_.threads));
  limits.connections = most_connections();
  // Requests carrying the token are answered first; admit() decides.
  http_ = std::make_unique<GuardedServer>(limits, [this](std::string_view head) {
    return head.find(token_) != std::string_view::npos;
  });
  http_->set_payload_max_length(kMaxBody);
  // Small answers go out at once instead of waiting for the browser's
  // acknowledgement of the previous packet.
  http_->set_tcp_nodelay(true);
  http_->set_default_headers({
      {"Content-Security-Policy", kContentSecurityPolicy},
      {"X-Content-Type-Options", "nosniff"},
      {"X-Frame-Options", "DENY"},
      {"Referrer-Policy", "no-referrer"},
      {"Cross-Origin-Opener-Policy", "same-origin"},
      {"Cross-Origin-Resource-Policy", "same-origin"},
      {"Cache-Control", "no-store"},
  });
  // Admission comes before a body is read, as well as in respond().
  http_->set_pre_routing_handler(
      [this](const httplib::Request& request, httplib::Response& response) {
        return admit(request, response) ? httplib::Server::HandlerResponse::Unhandled
                                        : httplib::Server::HandlerResponse::Handled;
      });
  const auto respond_to = [this](const httplib::Request& request, httplib::Response& response) {
    respond(request, response);
  };
  http_->Get(".*", respond_to);
  http_->Post(".*", respond_to);
  http_->Put(".*", respond_to);
  http_->Delete(".*", respond_to);
  http_->Patch(".*", respond_to);
  http_->Options(".*", respond_to);
  http_->set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (response.body.empty()) refuse(response, response.status, refusal_of(response.status));
  });
  http_->set_exception_handler(
      [](const httplib::Request&, httplib::Response& response, std::exception_ptr error) {
        std::string what = "unexpected failure";
        try {
          std::rethrow_exception(std::move(error));
        } catch (const std::exception& e) {
          what = e.what();
        } catch (...) {
        }
        refuse(response, 500, what);
      });

  port_ = options_.port == 0
              ? http_->bind_to_any_port("127.0.0.1")
              : (http_->bind_to_port("127.0.0.1", options_.port) ? options_.port : -1);
  if (port_ <= 0) {
    const int wanted = options_.port;
    stop();
    throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(wanted));
  }
  http_->widen_backlog();
}

EditorServer::~EditorServer() {
  stop();
}

std::string EditorServer::address() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/?token=" + token_;
}

void EditorServer::start() {
  // The socket is bound and listening already: connections wait in its
  // backlog until the thread accepts them.
  if (http_) listener_ = std::thread([this] { http_->listen_after_bind(); });
}

void EditorServer::stop() {
  if (stopped_) return;
  stopped_ = true;
  // Tabs waiting for their item are answered first: they hold threads.
  if (events_) events_->stop();
  // Boxes still open get their default answer, so no request waits on them;
  // the editor's objects are released on the thread that made them.
  if (apartment_) {
    apartment_->stop([this] {
      editor_.reset();
      return Json();
    });
  }
  if (http_) http_->shut();
  if (listener_.joinable()) listener_.join();
  apartment_.reset();
  scratch_->remove();
}

void EditorServer::abandon() {
  scratch_->remove();
}

void EditorServer::respond(const httplib::Request& request, httplib::Response& response) {
  if (!admit(request, response)) return;
  if (request.method == "GET" || request.method == "HEAD") {
    if (request.path.find('/', 1) != std::string::npos) {
      refuse(response, 404, refusal_of(404));
      return;
    }
    serve_file(request, response);
    return;
  }
  if (request.method != "POST") {
    refuse(response, 405, refusal_of(405));
    return;
  }
  constexpr std::string_view kApi = "/api/";
  const std::string_view path = request.path;
  const std::string_view name = path.starts_with(kApi) ? path.substr(kApi.size()) : "";
  if (name.empty() || name.find_first_not_of("abcdefghijklmnopqrstuvwxyz-") != std::string::npos) {
    refuse(response, 404, refusal_of(404));
    return;
  }
  answer_api(std::string(name), request, response);
}

bool EditorServer::admit(const httplib::Request& request, httplib::Response& response) const {
  const std::string port = std::to_string(port_);
  const std::string host = request.get_header_value("Host");
  if (host != "127.0.0.1:" + port && host != "localhost:" + port) {
    refuse(response, 403, "this editor answers only to 127.0.0.1:" + port);
    return false;
  }
  if (request.has_header("Origin")) {
    const std::string origin = request.get_header_value("Origin");
    if (origin != "http://127.0.0.1:" + port && origin != "http://localhost:" + port) {
      refuse(response, 403, "requests from other sites are refused");
      return false;
    }
  }
  if (request.has_header("Sec-Fetch-Site")) {
    const std::string site = request.get_header_value("Sec-Fetch-Site");
    if (site != "same-origin" && site != "none") {
      refuse(response, 403, "requests from other sites are refused");
      return false;
    }
  }
  const bool token_ok = same_secret(request.get_header_value("X-Tidewise-Token"), token_) ||
                        same_secret(cookie_value(request, "tidewise-" + port), token_) ||
                        (request.method == "GET" && request.path == "/" &&
                         same_secret(request.get_param_value("token"), token_));
  if (!token_ok) {
    refuse(response, 403,
           "this request does not carry the editor's token: open the address that "
           "\"tidewise serve\" printed");
    return false;
  }
  return true;
}

void EditorServer::serve_file(const httplib::Request& request, httplib::Response& response) const {
  if (request.path == "/" && request.has_param("token")) {
    // The token moves from the address into a cookie that scripts cannot
    // read and other sites cannot send, and leaves the address bar.
    response.set_header("Set-Cookie", "tidewise-" + std::to_string(port_) + "=" + token_ +
                                          "; HttpOnly; SameSite=Strict; Path=/");
    response.set_redirect("/", 303);
    return;
  }
  const auto found = web_.find(request.path == "/" ? "/index.html" : request.path);
  if (found == web_.end()) {
    refuse(response, 404, "no file \"" + platform::shown(request.path) + "\"");
    return;
  }
  response.status = 200;
  response.set_content(found->second.content, found->second.type.c_str());
}

void EditorServer::answer_api(const std::string& name, const httplib::Request& request,
                              httplib::Response& response) {
  const std::string type = request.get_header_value("Content-Type");
  if (type.rfind("application/json", 0) != 0) {
    refuse(response, 400, "requests carry a JSON body (Content-Type: application/json)");
    return;
  }
  Json body;
  try {
    body = Json::parse(request.body);
  } catch (const Json::exception& e) {
    refuse(response, 400, std::string("the body is not JSON: ") + e.what());
    return;
  }
  if (!body.is_object()) {
    refuse(response, 400, "the body must be a JSON object");
    return;
  }

  if (name == "answer") {
    const auto number = [&](const char* field) -> std::optional<std::int64_t> {
      const auto found = body.find(field);
      if (found == body.end() || !found->is_number_integer()) return std::nullopt;
      return found->get<std::int64_t>();
    };
    const auto call = number("call"), dialog = number("dialog"), answer = number("answer");
    if (!call || !dialog || !answer) {
      refuse(response, 400, "an answer names its \"call\", \"dialog\" and \"answer\" as numbers");
      return;
    }
    try {
      send_outcome(response, apartment_->answer(static_cast<std::uint64_t>(*call),
                                                static_cast<std::uint64_t>(*dialog),
                                                static_cast<int>(*answer)));
    } catch (const std::out_of_range& e) {
      refuse(response, 404, e.what());
    }
    return;
  }
  if (name == "wait") {
    // A tab waits here for its item to move on (a change in another tab, or
    // of the file by another program), off the apartment.
    const auto item = body.find("item");
    const auto version = body.find("version");
    if (item == body.end() || !item->is_string() || version == body.end() ||
        !version->is_number_unsigned()) {
      refuse(response, 400, "a wait names its \"item\" and the \"version\" the tab shows");
      return;
    }
    const bool outside_known = body.value("outsideKnown", false);
    // Without a socket no other tab can move the item on while this one
    // waits: a tool driving the editor so is answered at once.
    const auto patience =
        options_.listen ? std::chrono::milliseconds(20'000) : std::chrono::milliseconds(0);
    const ItemEvents::Answer answer = events_->wait(
        item->get<std::string>(), version->get<std::uint64_t>(), outside_known, patience);
    send_json(response, 200,
              {{"waited", answer.waited},
               {"open", answer.open},
               {"version", answer.version},
               {"outside", answer.outside}});
    return;
  }
  if (name == "pending") {
    const auto dialog = apartment_->pending();
    send_json(response, 200, {{"dialog", dialog ? dialog->json() : Json()}});
    return;
  }
  const auto found = members().find(name);
  if (found == members().end()) {
    refuse(response, 404, "the editor has no request \"" + name + "\"");
    return;
  }
  const Member member = found->second;
  send_outcome(response, apartment_->run([this, member, body = std::move(body)] {
    return (editor_.get()->*member)(body);
  }));
}

}  // namespace tw::server
