// Every page of the library, loaded from and left onto a document made from
// hostile input, as the host's editor drives it. The first byte picks the
// page entry of the editor's tree, the second how the user edits it, the
// rest is the document. A page may fail, but only with a status code, and
// the document it leaves must still be one the host can write and read.

#include <filesystem>

#include "pages.h"
#include "support.h"
#include "tidewise/com/error.h"
#include "tidewise/host/classes.h"
#include "tidewise/host/document.h"
#include "tidewise/host/tree.h"

namespace {

using tw::com::ComPtr;

struct Entry {
  std::string class_name;
  std::string unique_name;
};

struct Editor {
  ComPtr<tw::host::MetadataSections> tree;
  std::vector<Entry> entries;
};

// The editor as it stands after start-up: the library registered, its
// pages in the tree.
Editor& editor() {
  static Editor made = [] {
    tw::fuzz::quiet_private_home();
    const std::filesystem::path home = std::getenv("TIDEWISE_HOME");
    if (tw::com::failed(
            tw::com::module_register(tw::custom::kModule, home / "TidewiseCustomPage.so"))) {
      tw::fuzz::broken("cannot register the library");
    }
    try {
      tw::fuzz::register_host_pages();
    } catch (const tw::com::Error& error) {
      tw::fuzz::broken("cannot register the host's pages", error.what());
    }
    tw::host::serve_host_classes();
    Editor e{tw::host::make_default_tree(), {}};
    for (const tw::com::ClassEntry& entry : tw::custom::kModule.classes) {
      if (entry.name != "Connect") continue;
      const auto connect = entry.create().as<tw::host::ICustomPages>();
      tw::com::VARIANT_BOOL result = 0;
      if (tw::com::failed(connect->LoadCustomPages(e.tree.get(), nullptr, &result))) {
        tw::fuzz::broken("the start-up failed");
      }
    }
    for (const tw::host::BookInfo& book : e.tree->snapshot()) {
      for (const tw::host::PageInfo& page : book.pages) {
        e.entries.push_back({page.prog_id.substr(page.prog_id.find('.') + 1), page.unique_name});
      }
    }
    // Not in the tree, but a page all the same.
    e.entries.push_back({"QualityReport", "QualityReport"});
    return e;
  }();
  return made;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  editor();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  Editor& e = editor();
  const Entry& entry = e.entries[data[0] % e.entries.size()];
  const std::uint8_t edits = data[1];
  const auto doc = tw::com::make_object<tw::host::XmlMetadataDocument>();
  try {
    doc->load_text(std::string_view(reinterpret_cast<const char*>(data + 2), size - 2));
  } catch (const tw::com::Error&) {
    return 0;
  }
  const ComPtr<tw::host::IMetadataValues> values(doc);
  tw::fuzz::Page page = tw::fuzz::create_page(entry.class_name);
  if (!page.page || page.form == nullptr) tw::fuzz::broken("no page", entry.class_name);

  if (tw::com::succeeded(page.page->LoadPage(values.get(), e.tree.get(), entry.unique_name))) {
    // Bit 0: type into every box; bit 1: click every check box and option;
    // bit 2: pick the last item of every list.
    int n = 0;
    for (const auto& control : page.form->controls()) {
      try {
        if ((edits & 1) && control->has_text()) control->type("fuzzed " + std::to_string(n++));
        if ((edits & 2) && (control->kind() == tw::forms::Kind::CheckBox ||
                            control->kind() == tw::forms::Kind::OptionButton)) {
          control->click();
        }
        if ((edits & 4) && control->kind() == tw::forms::Kind::ComboBox &&
            !control->items().empty()) {
          control->pick(control->items().back());
        }
      } catch (const tw::com::Error&) {
        // A disabled control refuses; so would the user's mouse.
      }
    }
    tw::com::VARIANT_BOOL leave = 0, unloaded = 0;
    if (tw::com::succeeded(page.page->QueryUnload(values.get(), e.tree.get(), &leave)) &&
        tw::com::from_variant_bool(leave)) {
      page.page->UnloadPage(values.get(), e.tree.get(), &unloaded);
    }
  }
  tw::com::ClearErrorInfo();
  try {
    tw::com::make_object<tw::host::XmlMetadataDocument>()->load_text(doc->xml());
  } catch (const tw::com::Error& error) {
    tw::fuzz::broken("a page left a document the host cannot read back", error.what());
  }
  return 0;
}
