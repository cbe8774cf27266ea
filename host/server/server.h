#pragma once
// The browser editor's HTTP server: the page, its scripts and style, and the
// JSON requests of the editor, on the loopback address only.
//
// Every request carries this run's token (the cookie the printed address
// sets, or the X-Tidewise-Token header) and names the server by its loopback
// address and port in Host; anything else is refused with 403 before it
// reaches the editor. Requests that change something are POSTs of a JSON
// body. Answers carry no CORS headers and a Content-Security-Policy that lets
// the page run only its own scripts and styles.

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "apartment.h"
#include "editor.h"
#include "events.h"

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace tw::server {

class GuardedServer;

struct ServerOptions {
  std::filesystem::path catalog;  // a folder of items, or one item file
  int port = 0;                   // 0: any free port
  std::filesystem::path web;      // the page, its scripts and its style
  std::filesystem::path schemas;  // the ISO schemas exports are checked against (none: not checked)
  std::optional<std::string> token;  // a fresh random one when not given
  std::chrono::milliseconds dialog_timeout = std::chrono::minutes(2);
  int threads = 8;
  // False: no socket is opened; requests reach the editor through respond()
  // alone, for `port` as given (tools that drive it without a network).
  bool listen = true;
};

// TidewiseEditor.so serves a catalog until Ctrl-C or SIGTERM through its one
// exported function, named kServeEntry: 0 when stopped, else 1 with the
// reason in `failure`.
using ServeEntry = int (*)(const ServerOptions& options, std::string& failure) noexcept;
inline constexpr const char* kEditorModule = "TidewiseEditor.so";
inline constexpr const char* kServeEntry = "tidewise_serve";

class EditorServer {
 public:
  // Binds 127.0.0.1 and reads the web files; throws std::runtime_error (or
  // ApiError for a catalog that cannot be opened).
  explicit EditorServer(ServerOptions options);
  ~EditorServer();
  EditorServer(const EditorServer&) = delete;
  EditorServer& operator=(const EditorServer&) = delete;

  int port() const { return port_; }
  const std::string& token() const { return token_; }
  // The address to open: it hands the browser the token.
  std::string address() const;

  // Serves on a thread of its own until stop().
  void start();
  void stop();
  // Gives up without waiting for the work in progress, for a process that
  // ends at once: removes the scratch folder; the rest goes with the process.
  void abandon();

  // Answers one request as the HTTP server does, from admission to the
  // answer: what the server's threads call, and what can be called without
  // a socket.
  void respond(const httplib::Request& request, httplib::Response& response);

  Apartment& apartment() { return *apartment_; }
  // Where the editor puts the files it hands to components; gone after stop().
  const std::filesystem::path& scratch_folder() const { return scratch_->path(); }

 private:
  bool admit(const httplib::Request& request, httplib::Response& response) const;
  void answer_api(const std::string& name, const httplib::Request& request,
                  httplib::Response& response);
  void serve_file(const httplib::Request& request, httplib::Response& response) const;

  ServerOptions options_;
  std::string token_;
  std::unique_ptr<host::ScratchFolder> scratch_;
  std::unique_ptr<ItemEvents> events_;  // before the editor, which tells it
  std::unique_ptr<Apartment> apartment_;
  std::unique_ptr<Editor> editor_;  // made, used and dropped on the apartment's thread
  struct WebFile {
    std::string content;
    std::string type;
  };
  std::map<std::string, WebFile> web_;  // by request path
  std::unique_ptr<GuardedServer> http_;
  int port_ = 0;
  std::thread listener_;
  bool stopped_ = false;
};

}  // namespace tw::server
