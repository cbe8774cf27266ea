#pragma once
// Class factories, the table a component library describes itself with, and
// creation of classes by identifier or programmatic identifier.

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "tidewise/com/object.h"

namespace tw::com {

struct IClassFactory : IUnknown {
  static constexpr GUID IID = guid("{00000001-0000-0000-C000-000000000046}");
  static constexpr std::string_view Name = "IClassFactory";

  virtual HRESULT CreateInstance(IUnknown* outer, const GUID& iid, void** out) noexcept = 0;
  virtual HRESULT LockServer(VARIANT_BOOL lock) noexcept = 0;

 protected:
  ~IClassFactory() = default;
};

using CreateFunction = ComPtr<IUnknown> (*)();

// One creatable class. Registration, unregistration and DllGetClassObject
// all walk the same table.
struct ClassEntry {
  GUID clsid;
  std::string_view name;     // "Purpose"
  std::string_view prog_id;  // "TidewiseCustomPage.Purpose"
  GUID default_iid;          // the class's default interface
  std::string_view default_interface_name;
  CreateFunction create;
};

struct TypeLibrary {
  GUID libid;
  std::string_view name;
  std::string_view version;  // "1.0"
};

struct ModuleInfo {
  TypeLibrary type_library;
  std::span<const ClassEntry> classes;
};

// A factory for one entry of a table. Defined here, not in the platform
// library, so that its objects and locks count in the library that serves it.
class ClassFactory final : public Object<ClassFactory, IClassFactory> {
 public:
  explicit ClassFactory(const ClassEntry& entry) : entry_(entry) {}

  HRESULT CreateInstance(IUnknown* outer, const GUID& iid, void** out) noexcept override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return boundary("IClassFactory.CreateInstance", [&] {
      const ComPtr<IUnknown> object = entry_.create();
      return object->QueryInterface(iid, out);
    });
  }
  HRESULT LockServer(VARIANT_BOOL lock) noexcept override {
    ModuleCount::count += from_variant_bool(lock) ? 1 : -1;
    return S_OK;
  }

 private:
  const ClassEntry& entry_;
};

// What DllGetClassObject does, given the library's table.
inline HRESULT module_get_class_object(const ModuleInfo& module, const GUID& clsid, const GUID& iid,
                                       void** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  for (const ClassEntry& entry : module.classes) {
    if (entry.clsid == clsid) {
      return boundary("DllGetClassObject",
                      [&] { return make_object<ClassFactory>(entry)->QueryInterface(iid, out); });
    }
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}
// `server_path` is the library file, or the executable for classes that a
// host serves itself.
HRESULT module_register(const ModuleInfo& module, const std::filesystem::path& server_path,
                        bool in_process = true) noexcept;
HRESULT module_unregister(const ModuleInfo& module) noexcept;

// Loads a component library (dlopen, RTLD_NOW | RTLD_LOCAL) once its file is
// checked to be a whole ELF shared object: a file cut short would otherwise
// bring the process down inside dlopen. Throws Error (CO_E_DLLNOTFOUND)
// naming the file and what is wrong with it.
void* load_library(const std::filesystem::path& file);

// The file that holds the code at `address`.
std::filesystem::path module_path_of(const void* address);

// Classes served by the running executable itself; consulted before the
// registry's library entries.
void register_class_object(const GUID& clsid, ComPtr<IClassFactory> factory);
void revoke_class_objects();

HRESULT CLSIDFromProgID(std::string_view prog_id, GUID* clsid) noexcept;
HRESULT CoCreateInstance(const GUID& clsid, const GUID& iid, void** out) noexcept;

// Creation for code inside a component: throws Error on failure.
template <Interface I>
ComPtr<I> create_instance(const GUID& clsid) {
  ComPtr<I> result;
  check(CoCreateInstance(clsid, I::IID, result.put_void()), "CoCreateInstance");
  return result;
}
template <Interface I>
ComPtr<I> create_instance(std::string_view prog_id) {
  GUID clsid;
  check(CLSIDFromProgID(prog_id, &clsid), "CLSIDFromProgID");
  return create_instance<I>(clsid);
}

}  // namespace tw::com

// The four entry points a component library exports, walking `module_info`.
#define TW_EXPORT_COM_MODULE(module_info)                                                 \
  extern "C" __attribute__((visibility("default"))) ::tw::com::HRESULT DllGetClassObject( \
      const ::tw::com::GUID& clsid, const ::tw::com::GUID& iid, void** out) noexcept {    \
    return ::tw::com::module_get_class_object(module_info, clsid, iid, out);              \
  }                                                                                       \
  extern "C" __attribute__((visibility("default"))) ::tw::com::HRESULT                    \
  DllCanUnloadNow() noexcept {                                                            \
    return ::tw::com::ModuleCount::count == 0 ? ::tw::com::S_OK : ::tw::com::S_FALSE;     \
  }                                                                                       \
  extern "C" __attribute__((visibility("default"))) ::tw::com::HRESULT                    \
  DllRegisterServer() noexcept {                                                          \
    return ::tw::com::module_register(                                                    \
        module_info,                                                                      \
        ::tw::com::module_path_of(reinterpret_cast<const void*>(&DllGetClassObject)));    \
  }                                                                                       \
  extern "C" __attribute__((visibility("default"))) ::tw::com::HRESULT                    \
  DllUnregisterServer() noexcept {                                                        \
    return ::tw::com::module_unregister(module_info);                                     \
  }
