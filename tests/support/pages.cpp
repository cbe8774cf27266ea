#include "support/pages.h"

namespace tw::testing {

const com::ClassEntry& library_class(std::string_view name) {
  for (const com::ClassEntry& entry : custom::kModule.classes) {
    if (entry.name == name) return entry;
  }
  ADD_FAILURE() << "the library has no class " << name;
  return custom::kModule.classes.front();
}

forms::Form& form_of(host::IMetaDataPage* page) {
  const auto control = ComPtr<host::IMetaDataPage>(page).as<forms::IUserControl>();
  forms::Form* form = nullptr;
  EXPECT_EQ(control->GetForm(&form), com::S_OK);
  return *form;
}

std::string last_error() {
  const auto info = com::GetErrorInfo();
  return info ? info->description : "(no error information)";
}

}  // namespace tw::testing
