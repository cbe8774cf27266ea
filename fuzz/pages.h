#pragma once
// The control library's page classes, created in process as the tests do.

#include <dlfcn.h>

#include <string>

#include "framework/page_classes.h"
#include "tidewise/com/factory.h"
#include "tidewise/forms/forms.h"
#include "tidewise/host/interfaces.h"

namespace tw::fuzz {

struct Page {
  com::ComPtr<host::IMetaDataPage> page;
  forms::Form* form = nullptr;
};

// The host's own page library, beside the target, registered as the tool
// registers it: its pages are created through the registry, as the host's
// tree creates them.
inline void register_host_pages() {
  void* library = com::load_library(
      com::module_path_of(reinterpret_cast<const void*>(&register_host_pages)).parent_path() /
      "TidewiseHostPages.so");
  using Entry = com::HRESULT (*)();
  const auto entry = reinterpret_cast<Entry>(::dlsym(library, "DllRegisterServer"));
  if (entry == nullptr || com::failed(entry())) throw com::Error(com::E_FAIL, "host pages");
}

inline Page page_of(const com::ComPtr<com::IUnknown>& object) {
  Page made;
  made.page = object.as<host::IMetaDataPage>();
  if (!made.page || com::failed(object.as<forms::IUserControl>()->GetForm(&made.form))) return {};
  return made;
}

// The page of the class with that name (not Connect) in the control library,
// or else among the host's own pages; empty when none.
inline Page create_page(std::string_view class_name) {
  for (const com::ClassEntry& entry : custom::kModule.classes) {
    if (entry.name != class_name || entry.name == "Connect") continue;
    return page_of(entry.create());
  }
  com::GUID clsid;
  if (com::failed(com::CLSIDFromProgID("TidewiseHostPages." + std::string(class_name), &clsid))) {
    return {};
  }
  com::ComPtr<com::IUnknown> object;
  if (com::failed(com::CoCreateInstance(clsid, com::IUnknown::IID, object.put_void()))) return {};
  return page_of(object);
}

}  // namespace tw::fuzz
