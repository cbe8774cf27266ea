#pragma once
// The control library's page classes, created in process as the tests do.

#include "framework/page_classes.h"
#include "tidewise/forms/forms.h"
#include "tidewise/host/interfaces.h"

namespace tw::fuzz {

struct Page {
  com::ComPtr<host::IMetaDataPage> page;
  forms::Form* form = nullptr;
};

// The page of the class with that name (not Connect); empty when none.
inline Page create_page(std::string_view class_name) {
  for (const com::ClassEntry& entry : custom::kModule.classes) {
    if (entry.name != class_name || entry.name == "Connect") continue;
    Page made;
    const com::ComPtr<com::IUnknown> object = entry.create();
    made.page = object.as<host::IMetaDataPage>();
    if (com::failed(object.as<forms::IUserControl>()->GetForm(&made.form))) return {};
    return made;
  }
  return {};
}

}  // namespace tw::fuzz
