// The commands that run the control library as the host's metadata editor
// would: the tree at start-up, and a page opened, edited and left.

#include <fstream>
#include <iostream>

#include "tidewise/com/factory.h"
#include "tidewise/host/classes.h"
#include "tidewise/host/item.h"
#include "tidewise/host/trace.h"
#include "tidewise/host/tree.h"
#include "tidewise/platform.h"
#include "tool.h"

namespace tw::cli {

using com::ComPtr;
using com::HRESULT;
using com::IUnknown;
using com::VARIANT_BOOL;
using host::ICustomPages;
using host::IMetaDataPage;
using host::IMetadataValues;
using host::MetadataSections;

namespace {

constexpr std::string_view kConnect = "TidewiseCustomPage.Connect";
constexpr std::string_view kPagePrefix = "TidewiseCustomPage.";

// The editor's start-up: its own tree, handed to the control library.
struct LoadedTree {
  ComPtr<MetadataSections> tree;
  bool result = false;
};
LoadedTree load_tree(IUnknown* document, TraceFile* trace) {
  LoadedTree loaded{host::make_default_tree()};
  const auto connect = create<ICustomPages>(kConnect);
  if (trace) trace->start();
  VARIANT_BOOL result = com::VARIANT_FALSE;
  const HRESULT hr = connect->LoadCustomPages(loaded.tree.get(), document, &result);
  if (trace) trace->stop();
  call(hr, "ICustomPages.LoadCustomPages");
  loaded.result = com::from_variant_bool(result);
  return loaded;
}

std::string yes_no(bool value) {
  return value ? "True" : "False";
}

void print_tree(const MetadataSections& tree, bool result, bool json) {
  const auto books = tree.snapshot();
  if (json) {
    Json out = {{"result", result}, {"books", Json::array()}};
    for (const host::BookInfo& book : books) {
      Json pages = Json::array();
      for (const host::PageInfo& page : book.pages) {
        pages.push_back({{"uniqueName", page.unique_name}, {"progId", page.prog_id}});
      }
      out["books"].push_back({{"key", book.key}, {"caption", book.caption}, {"pages", pages}});
    }
    std::cout << out.dump(2) << '\n';
    return;
  }
  std::cout << "LoadCustomPages returned " << yes_no(result) << "\n";
  for (const host::BookInfo& book : books) {
    std::cout << book.key << " \"" << book.caption << "\"\n";
    for (const host::PageInfo& page : book.pages) {
      std::cout << "  " << page.unique_name << " (" << page.prog_id << ")\n";
    }
  }
}

// An open page: what show prints and what edit works on.
struct OpenPage {
  std::string unique_name;
  std::string prog_id;
  ComPtr<IMetaDataPage> page;
  forms::Form* form = nullptr;  // lives as long as the page
};

std::string page_prog_id(const MetadataSections& tree, const Options& options) {
  if (options.page_class) return std::string(kPagePrefix) + *options.page_class;
  const host::MetadataPageEntry* entry = tree.find_page(options.unique_name);
  if (entry == nullptr) {
    throw UsageError("no page has the unique name \"" + options.unique_name + "\"");
  }
  return entry->prog_id();
}

OpenPage open_page(const MetadataSections& tree, const Options& options, TraceFile& trace) {
  OpenPage open{options.unique_name, page_prog_id(tree, options), nullptr, nullptr};
  com::GUID clsid;
  if (const HRESULT hr = com::CLSIDFromProgID(open.prog_id, &clsid); com::failed(hr)) {
    if (options.page_class) {
      com::ClearErrorInfo();
      throw UsageError("--class: no page class \"" + *options.page_class + "\" is registered");
    }
    call(hr, "CLSIDFromProgID");
  }
  trace.start();
  ComPtr<IUnknown> object;
  call(com::CoCreateInstance(clsid, IUnknown::IID, object.put_void()), "CoCreateInstance");
  call(object->QueryInterface(IMetaDataPage::IID, open.page.put_void()), "IUnknown.QueryInterface");
  ComPtr<forms::IUserControl> control;
  call(object->QueryInterface(forms::IUserControl::IID, control.put_void()),
       "IUnknown.QueryInterface");
  call(control->GetForm(&open.form), "IUserControl.GetForm");
  if (open.form == nullptr) throw com::Error(com::E_POINTER, "IUserControl.GetForm gave no form");
  return open;
}

Json page_json(const OpenPage& open) {
  std::string short_title, title;
  std::int16_t help = 0;
  VARIANT_BOOL completed = com::VARIANT_FALSE;
  call(open.page->get_ShortTitle(&short_title), "IMetaDataPage.ShortTitle");
  call(open.page->get_Title(&title), "IMetaDataPage.Title");
  call(open.page->get_Completed(&completed), "IMetaDataPage.Completed");
  call(open.page->get_HelpContextID(&help), "IMetaDataPage.HelpContextID");
  return {{"uniqueName", open.unique_name},
          {"progId", open.prog_id},
          {"shortTitle", short_title},
          {"title", title},
          {"completed", com::from_variant_bool(completed)},
          {"helpContextId", help},
          {"controls", controls_json(*open.form)}};
}

std::string page_text(const OpenPage& open) {
  const Json page = page_json(open);
  std::string text =
      page["uniqueName"].get<std::string>() + " (" + page["progId"].get<std::string>() + ")\n";
  text += "short title: " + page["shortTitle"].get<std::string>() + "\n";
  text += "title: " + page["title"].get<std::string>() + "\n";
  text += "completed: " + yes_no(page["completed"].get<bool>()) + "\n";
  text += "help context: " + std::to_string(page["helpContextId"].get<int>()) + "\n";
  text += "controls:\n" + controls_text(*open.form);
  return text;
}

}  // namespace

void run_tree(const Options& options) {
  TraceFile trace(options.trace_file);
  Session session;
  const auto document = com::make_object<host::XmlMetadataDocument>();
  const LoadedTree loaded = load_tree(ComPtr<IMetadataValues>(document).get(), &trace);
  print_tree(*loaded.tree.get(), loaded.result, options.json);
}

namespace {

// An item with one of its pages created and loaded, as show and edit start.
struct LoadedPage {
  ComPtr<host::CatalogItem> item;
  ComPtr<IMetadataValues> document;
  LoadedTree loaded;
  OpenPage open;

  LoadedPage(const Options& options, TraceFile& trace)
      : item(host::CatalogItem::open(options.item)),
        document(item->document()),
        loaded(load_tree(document.get(), nullptr)),
        open(open_page(*loaded.tree.get(), options, trace)) {
    call(open.page->LoadPage(document.get(), loaded.tree.get(), open.unique_name),
         "IMetaDataPage.LoadPage");
  }
};

}  // namespace

void run_show(const Options& options) {
  TraceFile trace(options.trace_file);
  Session session;
  const LoadedPage loaded(options, trace);
  trace.stop();
  if (options.json) {
    std::cout << page_json(loaded.open).dump(2) << '\n';
  } else {
    std::cout << page_text(loaded.open);
  }
}

void run_edit(const Options& options) {
  TraceFile trace(options.trace_file);
  Session session;
  const LoadedPage loaded_page(options, trace);
  const auto& [item, document, loaded, open] = loaded_page;
  validate_edits(*open.form, options.edits);
  for (const Edit& edit : options.edits) apply_edit(*open.form, edit);

  VARIANT_BOOL may_leave = com::VARIANT_FALSE;
  call(open.page->QueryUnload(document.get(), loaded.tree.get(), &may_leave),
       "IMetaDataPage.QueryUnload");
  // A page that refuses to be left keeps its edits to itself.
  VARIANT_BOOL unloaded = com::VARIANT_FALSE;
  if (com::from_variant_bool(may_leave)) {
    call(open.page->UnloadPage(document.get(), loaded.tree.get(), &unloaded),
         "IMetaDataPage.UnloadPage");
  }
  trace.stop();
  // A failed unload ends above: a half-written document never reaches the file.
  const bool saved = item->modified();
  if (saved) item->save();

  if (options.json) {
    const Json out = {{"queryUnload", com::from_variant_bool(may_leave)},
                      {"unloadPage", com::from_variant_bool(unloaded)},
                      {"saved", saved},
                      {"page", page_json(open)}};
    std::cout << out.dump(2) << '\n';
  } else {
    std::cout << "QueryUnload: " << yes_no(com::from_variant_bool(may_leave)) << '\n'
              << "UnloadPage: " << yes_no(com::from_variant_bool(unloaded)) << '\n'
              << "saved: " << (saved ? "yes" : "no") << '\n'
              << page_text(open);
  }
}

}  // namespace tw::cli
