// tidewise serve: the browser editor on a catalog, until Ctrl-C. The editor
// itself is TidewiseEditor.so, loaded here only.

#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "server.h"
#include "tidewise/com/error.h"
#include "tidewise/com/factory.h"
#include "tool.h"

namespace tw::cli {

namespace fs = std::filesystem;

void run_serve(const ServeOptions& options) {
  std::error_code ec;
  if (!fs::exists(options.catalog, ec)) {
    throw UsageError("\"" + options.catalog.string() + "\" does not exist");
  }
  if (options.port < 0 || options.port > 65535) throw UsageError("--port: not a port number");
  const platform::HostSetting stylesheets(platform::kStylesheetFolder,
                                          stylesheet_folder(options.stylesheets));
  ensure_registered();

  const auto module = find_library(server::kEditorModule);
  if (!module) {
    throw com::Error(com::CO_E_DLLNOTFOUND, std::string(server::kEditorModule) + " is not beside " +
                                                executable_path().string());
  }
  // Stays loaded until the process ends: its threads are gone by then.
  void* handle = com::load_library(*module);
  const auto serve = reinterpret_cast<server::ServeEntry>(::dlsym(handle, server::kServeEntry));
  if (serve == nullptr) {
    throw com::Error(com::CO_E_ERRORINDLL,
                     "\"" + module->string() + "\" exports no " + server::kServeEntry);
  }
  server::ServerOptions server_options;
  server_options.catalog = options.catalog;
  server_options.port = options.port;
  server_options.web = shared_folder("web");
  server_options.schemas = shared_folder("schemas");
  server_options.dialog_timeout = options.dialog_timeout;
  std::string failure;
  if (serve(server_options, failure) != 0) throw std::runtime_error(failure);
}

}  // namespace tw::cli
