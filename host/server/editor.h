#pragma once
// What the browser editor does with a catalog: the items of the folder, and
// the items open for editing, each an editing session shared by every tab
// that shows it. Every member runs on the apartment's thread.
//
// Each change to an item's session gives it a new version. A request that
// names the version it was made on is refused (409) when the item has moved
// on since, and the answer carries the item as it now is: a tab never
// overwrites what another tab did without seeing it first.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "catalog.h"
#include "closed_items.h"
#include "events.h"
#include "tidewise/host/catalog_index.h"
#include "tidewise/host/kept_work.h"
#include "tidewise/host/scratch.h"
#include "tidewise/host/session.h"
#include "tidewise/host/validation.h"

namespace tw::server {

class Editor {
 public:
  // `scratch` holds the files import and export exchange; it outlives the
  // editor. `events`, if given, hears of every item's new version. `schemas`: the
  // ISO schemas the export is checked against (none: it is not checked).
  Editor(const std::filesystem::path& catalog, host::ScratchFolder& scratch,
         ItemEvents* events = nullptr, std::filesystem::path schemas = {});
  ~Editor();
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  // The requests; each takes the request's JSON body and returns the answer.
  Json catalog(const Json& request);
  Json create_item(const Json& request);  // {name}
  Json import_item(const Json& request);  // {name, fileName, content}: a new item from a record
  Json open_item(const Json& request);    // {item}
  Json item_state(const Json& request);   // {item}
  Json open_page(const Json& request);    // {item, version?, page}
  Json edit(const Json& request);         // {item, version?, page, edit | edits}
  Json review(const Json& request);       // {item, version?}
  Json save(const Json& request);         // {item, version?, reviewed?}
  Json revert(const Json& request);       // {item, version?}
  Json close_item(const Json& request);   // {item, version?, discard?}
  Json import_into(const Json& request);  // {item, version?, fileName, content, mode?}
  Json export_item(const Json& request);  // {item, version?}
  // {item, version?, restore}: makes again the edits a stopped editor left
  // unsaved (answering with their review), or discards them.
  Json recover(const Json& request);
  // {item, version?}: reads the item's file again, as another program left
  // it, and makes the author's edits again on it, listing those where both
  // changed the same value.
  Json reload_file(const Json& request);
  // {item, version?}: takes back the author's last step since the item was
  // read or saved (edits on a page, or an import), or makes the last one
  // taken back again.
  Json undo(const Json& request);
  Json redo(const Json& request);

  // What is wrong with an item (problems_api.cpp): {item, version?, export?}.
  Json problems(const Json& request);
  // Managing the catalog's items (catalog_api.cpp). Deleted items go to a
  // trash folder inside the catalog, from which they can be restored.
  Json rename_item(const Json& request);     // {item, to}
  Json duplicate_item(const Json& request);  // {item, to}
  Json delete_item(const Json& request);     // {item}
  Json trash(const Json& request);           // {}
  Json restore_item(const Json& request);    // {entry}
  Json empty_trash(const Json& request);     // {}
  Json search_items(const Json& request);    // {text}

  const Catalog& catalog_folder() const { return catalog_; }

 private:
  struct Session;

  Session& session_for(const Json& request, bool open_if_needed);
  void check_version(const Json& request, Session& session);
  Json state(Session& session, bool with_tree);
  Json tree_json(Session& session);
  // What the tree's pages and the pages offered beside it answer now.
  const host::Probes::Answers& probed_tree(Session& session);
  Json page_json(const host::OpenPage& page) const;
  void changed(Session& session);
  // Leaves the open page, if any (QueryUnload, UnloadPage), so that what it
  // holds is in the document: to close it (before another page opens, an
  // import, or the item closes) or to write it (loaded again at once, before
  // a review, save or export). A page that cannot be left now is a 409 that
  // carries the state and says what `otherwise` cannot happen.
  enum class Leaving { ToClose, ToWrite };
  void leave_page(Session& session, Leaving leaving, std::string_view otherwise);
  void write_open_page(Session& session, std::string_view otherwise) {
    leave_page(session, Leaving::ToWrite, otherwise);
  }
  bool dirty(Session& session) const;
  template <class Body>
  Json with_failures(Session& session, Body&& body);
  std::optional<std::string> page_class_for(Session& session, const std::string& unique_name);
  void open_page_named(Session& session, const std::string& unique_name);
  // Leaves the open page and opens this one, unless it is the one open:
  // answers whether it switched.
  bool switch_to_page(Session& session, const std::string& unique_name);
  // A record sent by the browser, in a scratch file for the importer.
  host::ScratchFile record_file(const Json& request);
  host::EditingSession& editing_of(Session& session) const;
  // The index of the catalog's items, made when first needed; told of every
  // change the editor makes itself.
  host::CatalogIndex& index();
  void note_changed(const std::string& relative);
  Json review_json(Session& session);
  // The document is the one in the file from here on: nothing is left to
  // undo, redo or restore.
  void read_as_saved(Session& session);
  // Keeps a step of the author's in the item's journal before it is answered.
  void keep_step(Session& session, const host::Step& step);
  // Opens pages as the author does, for steps made again.
  host::PageOpener opener(Session& session);

  Catalog catalog_;
  host::ScratchFolder& scratch_;
  ItemEvents* events_ = nullptr;
  std::uint64_t versions_ = 0;
  std::map<std::string, std::unique_ptr<Session>> sessions_;
  std::filesystem::path schemas_folder_;
  std::unique_ptr<host::IsoSchemas> schemas_;
  std::unique_ptr<host::CatalogIndex> index_;
  std::unique_ptr<ClosedItems> closed_ = std::make_unique<ClosedItems>();
};

}  // namespace tw::server
