#include "tidewise/host/classes.h"

#include <array>

#include "tidewise/host/document.h"
#include "tidewise/host/reference_systems.h"
#include "tidewise/host/synchronizers.h"

namespace tw::host {

namespace {

template <class T>
com::ComPtr<IUnknown> create() {
  auto object = com::make_object<T>();
  return com::ComPtr<IUnknown>(object->identity());
}

constexpr std::array kClasses = {
    com::ClassEntry{CLSID_XmlMetadataDocument, "XmlMetadataDocument",
                    "TidewiseHost.XmlMetadataDocument", IMetadataValues::IID, IMetadataValues::Name,
                    &create<XmlMetadataDocument>},
    com::ClassEntry{CLSID_SynchronizerList, "SynchronizerList", "TidewiseHost.SynchronizerList",
                    ISynchronizerList::IID, ISynchronizerList::Name, &create<SynchronizerList>},
    com::ClassEntry{CLSID_ReferenceSystems, "ReferenceSystems", "TidewiseHost.ReferenceSystems",
                    IReferenceSystems::IID, IReferenceSystems::Name, &create<ReferenceSystems>},
};

const com::ModuleInfo kModule{{LIBID_TidewiseHost, "TidewiseHost", "1.0"}, kClasses};

}  // namespace

const com::ModuleInfo& host_module() {
  return kModule;
}

void serve_host_classes() {
  for (const com::ClassEntry& entry : kModule.classes) {
    com::register_class_object(entry.clsid, com::make_object<com::ClassFactory>(entry));
  }
}

void register_host_classes(const std::filesystem::path& executable) {
  com::check(com::module_register(kModule, executable, /*in_process=*/false), "DllRegisterServer");
}

void unregister_host_classes() {
  com::check(com::module_unregister(kModule), "DllUnregisterServer");
}

}  // namespace tw::host
