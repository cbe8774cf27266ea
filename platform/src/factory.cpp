#include "tidewise/com/factory.h"

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <unordered_map>

#include "tidewise/com/registry.h"

namespace tw::com {

namespace fs = std::filesystem;

namespace {

std::string clsid_key(const GUID& clsid) {
  return "CLSID\\" + to_string(clsid);
}

// Every key a class writes, so that unregistration removes exactly those.
struct ClassKeys {
  std::string clsid, server, prog_id_of_class, type_lib_of_class, prog_id, prog_id_clsid;
};
ClassKeys keys_of(const ClassEntry& entry, bool in_process) {
  const std::string c = clsid_key(entry.clsid);
  const std::string p(entry.prog_id);
  return {c,
          c + (in_process ? "\\InprocServer32" : "\\LocalServer32"),
          c + "\\ProgID",
          c + "\\TypeLib",
          p,
          p + "\\CLSID"};
}

std::string interface_key(const GUID& iid) {
  return "Interface\\" + to_string(iid);
}
std::string type_library_key(const TypeLibrary& lib) {
  return "TypeLib\\" + to_string(lib.libid) + "\\" + std::string(lib.version);
}

}  // namespace

fs::path module_path_of(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
    raise(E_FAIL, "cannot tell which library holds the code");
  }
  std::error_code ec;
  fs::path path = fs::canonical(info.dli_fname, ec);
  return ec ? fs::path(info.dli_fname) : path;
}

HRESULT module_register(const ModuleInfo& module, const fs::path& server_path,
                        bool in_process) noexcept {
  return boundary("DllRegisterServer", [&] {
    Registry registry = Registry::open();
    const TypeLibrary& lib = module.type_library;
    const std::string libid = to_string(lib.libid);
    registry.set(type_library_key(lib), "", lib.name);
    registry.set(type_library_key(lib) + "\\0\\linux", "", server_path.string());
    for (const ClassEntry& entry : module.classes) {
      const ClassKeys k = keys_of(entry, in_process);
      registry.set(k.clsid, "", entry.name);
      registry.set(k.server, "", server_path.string());
      registry.set(k.server, "ThreadingModel", "Apartment");
      registry.set(k.prog_id_of_class, "", entry.prog_id);
      registry.set(k.type_lib_of_class, "", libid);
      registry.set(k.prog_id, "", entry.name);
      registry.set(k.prog_id_clsid, "", to_string(entry.clsid));
      const std::string iface = interface_key(entry.default_iid);
      registry.set(iface, "", entry.default_interface_name);
      registry.set(iface + "\\TypeLib", "", libid);
      registry.set(iface + "\\TypeLib", "Version", lib.version);
    }
    registry.save();
  });
}

HRESULT module_unregister(const ModuleInfo& module) noexcept {
  return boundary("DllUnregisterServer", [&] {
    Registry registry = Registry::open();
    registry.remove_tree(type_library_key(module.type_library));
    // The version key is gone; drop the library's key once no version is left.
    const std::string lib_key = "TypeLib\\" + to_string(module.type_library.libid);
    const auto below = registry.keys().lower_bound(lib_key + '\\');
    if (below == registry.keys().end() || !below->first.starts_with(lib_key + '\\')) {
      registry.remove_tree(lib_key);
    }
    for (const ClassEntry& entry : module.classes) {
      registry.remove_tree(clsid_key(entry.clsid));
      // Only the identifier that still names this class: another library may
      // have taken the name over since.
      const std::string prog_id(entry.prog_id);
      if (registry.get(prog_id + "\\CLSID") == to_string(entry.clsid)) {
        registry.remove_tree(prog_id);
      }
      const std::string iface = interface_key(entry.default_iid);
      if (registry.get(iface + "\\TypeLib") == to_string(module.type_library.libid)) {
        registry.remove_tree(iface);
      }
    }
    registry.save();
  });
}

namespace {

struct ClassObjects {
  std::mutex mutex;
  std::unordered_map<GUID, ComPtr<IClassFactory>, GuidHash> served;
  std::map<std::string, void*> libraries;  // loaded once, kept for the process
};
ClassObjects& class_objects() {
  static ClassObjects objects;
  return objects;
}

using GetClassObjectFn = HRESULT (*)(const GUID&, const GUID&, void**) noexcept;

ComPtr<IClassFactory> factory_from_library(const GUID& clsid) {
  const std::shared_ptr<const Registry> registry = Registry::current();
  const auto path = registry->get(clsid_key(clsid) + "\\InprocServer32");
  if (!path) {
    if (registry->has_key(clsid_key(clsid) + "\\LocalServer32")) {
      raise(CLASS_E_CLASSNOTAVAILABLE,
            "the class " + to_string(clsid) + " is served by a program that is not running");
    }
    raise(REGDB_E_CLASSNOTREG, "the class " + to_string(clsid) + " is not registered");
  }
  ClassObjects& objects = class_objects();
  void* library = nullptr;
  {
    std::lock_guard lock(objects.mutex);
    const auto loaded = objects.libraries.find(*path);
    library = loaded != objects.libraries.end() ? loaded->second : nullptr;
    if (library == nullptr) {
      library = load_library(*path);
      objects.libraries.emplace(*path, library);
    }
  }
  auto get_class_object = reinterpret_cast<GetClassObjectFn>(dlsym(library, "DllGetClassObject"));
  if (get_class_object == nullptr) {
    raise(CO_E_ERRORINDLL, "\"" + *path + "\" exports no DllGetClassObject");
  }
  ComPtr<IClassFactory> factory;
  check(get_class_object(clsid, IClassFactory::IID, factory.put_void()), "DllGetClassObject");
  return factory;
}

}  // namespace

void register_class_object(const GUID& clsid, ComPtr<IClassFactory> factory) {
  ClassObjects& objects = class_objects();
  std::lock_guard lock(objects.mutex);
  objects.served[clsid] = std::move(factory);
}

void revoke_class_objects() {
  std::unordered_map<GUID, ComPtr<IClassFactory>, GuidHash> revoked;
  {
    ClassObjects& objects = class_objects();
    std::lock_guard lock(objects.mutex);
    revoked.swap(objects.served);
  }
}  // released outside the lock

HRESULT CLSIDFromProgID(std::string_view prog_id, GUID* clsid) noexcept {
  return boundary("CLSIDFromProgID", [&] {
    GUID& out = out_param(clsid);
    const auto text = Registry::current()->get(std::string(prog_id) + "\\CLSID");
    const auto parsed = text ? parse_guid(*text) : std::nullopt;
    if (!parsed) raise(CO_E_CLASSSTRING, "\"" + std::string(prog_id) + "\" is not registered");
    out = *parsed;
  });
}

HRESULT CoCreateInstance(const GUID& clsid, const GUID& iid, void** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return boundary("CoCreateInstance", [&] {
    ComPtr<IClassFactory> factory;
    {
      ClassObjects& objects = class_objects();
      std::lock_guard lock(objects.mutex);
      if (auto it = objects.served.find(clsid); it != objects.served.end()) factory = it->second;
    }
    if (!factory) factory = factory_from_library(clsid);
    check(factory->CreateInstance(nullptr, iid, out), "IClassFactory.CreateInstance");
  });
}

}  // namespace tw::com
