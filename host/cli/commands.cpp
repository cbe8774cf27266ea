// The commands that run the control library as the host's metadata editor
// would: the tree at start-up, and a page opened, edited and left. The steps
// themselves are the editing session's; here they meet the command line.

#include <iostream>

#include "tidewise/host/session.h"
#include "tool.h"

namespace tw::cli {

using com::ComPtr;
using host::EditingSession;
using host::IMetadataValues;
using host::MetadataSections;

namespace {

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

// The item with its tree, and the page the command names created and
// loaded; the trace records from the creation of the page on.
host::OpenPage& open_page(EditingSession& session, const Options& options, TraceFile& trace) {
  try {
    return session.open(options.unique_name, options.page_class, &trace);
  } catch (const host::InvalidRequest& e) {
    if (options.page_class) throw UsageError(std::string("--class: ") + e.what());
    throw UsageError(e.what());
  }
}

}  // namespace

void run_tree(const Options& options) {
  TraceFile trace(options.trace_file);
  Session session;
  const auto document = com::make_object<host::XmlMetadataDocument>();
  const host::LoadedTree loaded = host::load_tree(ComPtr<IMetadataValues>(document).get(), &trace);
  print_tree(*loaded.tree.get(), loaded.result, options.json);
}

void run_show(const Options& options) {
  TraceFile trace(options.trace_file);
  Session session;
  EditingSession editing(options.item);
  const host::OpenPage& page = open_page(editing, options, trace);
  trace.stop();
  if (options.json) {
    std::cout << page.json().dump(2) << '\n';
  } else {
    std::cout << page.text();
  }
}

void run_edit(const Options& options) {
  TraceFile trace(options.trace_file);
  Session session;
  EditingSession editing(options.item);
  const host::OpenPage& page = open_page(editing, options, trace);
  try {
    editing.edit(options.edits);
  } catch (const host::InvalidEdit& e) {
    throw UsageError("--" + std::string(host::to_string(e.kind())) + ": " + e.what());
  }
  // A page that refuses to be left keeps its edits to itself.
  const host::Leave left = editing.leave();
  trace.stop();
  // A failed unload ends above: a half-written document never reaches the file.
  const bool saved = editing.modified();
  if (saved) editing.save();

  if (options.json) {
    const Json out = {{"queryUnload", left.query_unload},
                      {"unloadPage", left.unload_page},
                      {"saved", saved},
                      {"page", page.json()}};
    std::cout << out.dump(2) << '\n';
  } else {
    std::cout << "QueryUnload: " << yes_no(left.query_unload) << '\n'
              << "UnloadPage: " << yes_no(left.unload_page) << '\n'
              << "saved: " << (saved ? "yes" : "no") << '\n'
              << page.text();
  }
}

}  // namespace tw::cli
