// Registration of the three component libraries, the host's own page
// library, the platform's XML DOM library and the host's classes.
// The tool links no component: it loads each library and lets it write its
// own registry entries.

#include <dlfcn.h>

#include <iostream>

#include "tidewise/com/error.h"
#include "tidewise/com/factory.h"
#include "tidewise/com/registry.h"
#include "tidewise/host/classes.h"
#include "tool.h"

namespace tw::cli {

namespace fs = std::filesystem;

namespace {

struct Component {
  std::string_view file;
  std::string_view prog_id;  // one class of the library, to tell whether it is registered
};
constexpr Component kComponents[] = {
    {"TidewiseCustomPage.so", "TidewiseCustomPage.Connect"},
    // The host's own pages, which its default tree names.
    {"TidewiseHostPages.so", "TidewiseHostPages.Citation"},
    {"Importer.so", "Importer.SampleImporter"},
    {"Exporter.so", "Exporter.SampleExporter"},
    // The platform's XML DOM document, which the importer creates.
    {"TidewiseXml.so", "TidewiseXml.DOMDocument"},
};
constexpr std::string_view kHostProgId = "TidewiseHost.XmlMetadataDocument";

fs::path canonical_or_same(const fs::path& path) {
  std::error_code ec;
  fs::path result = fs::canonical(path, ec);
  return ec ? path : result;
}

std::vector<fs::path> search_folders() {
  const fs::path folder = executable_path().parent_path();
  return {folder, folder / ".." / "lib" / "tidewise"};
}

}  // namespace

fs::path shared_folder(std::string_view name) {
  return (executable_path().parent_path() / ".." / "share" / "tidewise" / name).lexically_normal();
}

std::optional<std::string> stylesheet_folder(const std::optional<fs::path>& given) {
  std::error_code ec;
  if (given) {
    if (!fs::is_directory(*given, ec)) {
      throw UsageError("--stylesheets: \"" + given->string() + "\" is not a folder");
    }
    return fs::absolute(*given).lexically_normal().string();
  }
  if (std::string set = platform::Environ(platform::kStylesheetFolder); !set.empty()) return set;
  // Beside the tool in the build tree, in share/tidewise once installed.
  for (const fs::path& bundled :
       {executable_path().parent_path() / "stylesheets", shared_folder("stylesheets")}) {
    if (fs::is_regular_file(bundled / "toVelmarModel.xslt", ec)) return bundled.string();
  }
  return std::nullopt;
}

std::optional<fs::path> find_library(std::string_view file) {
  for (const fs::path& folder : search_folders()) {
    std::error_code ec;
    if (fs::is_regular_file(folder / file, ec)) return canonical_or_same(folder / file);
  }
  return std::nullopt;
}

namespace {

std::string where_searched() {
  std::string text;
  for (const fs::path& folder : search_folders()) {
    text += (text.empty() ? "" : " or ") + folder.lexically_normal().string();
  }
  return text;
}

using EntryPoint = com::HRESULT (*)() noexcept;

// Loads the library and calls one of its registration entry points. The
// library stays loaded: its classes are created from it later in the run.
void call_entry_point(const fs::path& library, const char* name) {
  void* handle = com::load_library(library);
  auto entry = reinterpret_cast<EntryPoint>(::dlsym(handle, name));
  if (entry == nullptr) {
    throw com::Error(com::CO_E_ERRORINDLL,
                     "\"" + library.string() + "\" exports no " + std::string(name));
  }
  com::call(entry(), name);
}

// Whether the class named by `prog_id` is registered as served from `server`.
bool registered_at(const com::Registry& registry, std::string_view prog_id,
                   std::string_view server_kind, const fs::path& server) {
  const auto clsid = registry.get(std::string(prog_id) + "\\CLSID");
  if (!clsid) return false;
  const auto path = registry.get("CLSID\\" + *clsid + "\\" + std::string(server_kind));
  if (!path) return false;
  std::error_code ec;
  return fs::exists(*path, ec) && canonical_or_same(*path) == server;
}

}  // namespace

fs::path executable_path() {
  static const fs::path path = canonical_or_same(fs::read_symlink("/proc/self/exe"));
  return path;
}

namespace {

// Calls the entry point of every component library found; a library that is
// not found is reported after the others were handled.
void for_each_component(const char* entry_point, std::string_view done, bool verbose,
                        void (*host_classes)()) {
  std::string missing;
  for (const Component& component : kComponents) {
    const auto library = find_library(component.file);
    if (!library) {
      missing += (missing.empty() ? "" : ", ") + std::string(component.file);
      continue;
    }
    call_entry_point(*library, entry_point);
    if (verbose) std::cout << done << ' ' << library->string() << '\n';
  }
  host_classes();
  if (verbose) std::cout << done << " the host classes of " << executable_path().string() << '\n';
  if (!missing.empty()) {
    throw com::Error(com::CO_E_DLLNOTFOUND, "not found in " + where_searched() + ": " + missing);
  }
}

}  // namespace

std::vector<fs::path> component_libraries() {
  std::vector<fs::path> found;
  for (const Component& component : kComponents) {
    if (const auto library = find_library(component.file)) found.push_back(*library);
  }
  return found;
}

void register_all(bool verbose) {
  for_each_component("DllRegisterServer", "registered", verbose,
                     [] { host::register_host_classes(executable_path()); });
}

void unregister_all(bool verbose) {
  for_each_component("DllUnregisterServer", "unregistered", verbose,
                     [] { host::unregister_host_classes(); });
}

void ensure_registered() {
  const std::shared_ptr<const com::Registry> registry = com::Registry::current();
  for (const Component& component : kComponents) {
    // A library that is not there is not registered; creating its classes
    // then fails and says so.
    const auto library = find_library(component.file);
    if (library && !registered_at(*registry, component.prog_id, "InprocServer32", *library)) {
      call_entry_point(*library, "DllRegisterServer");
    }
  }
  if (!registered_at(*registry, kHostProgId, "LocalServer32", executable_path())) {
    host::register_host_classes(executable_path());
  }
}

}  // namespace tw::cli
