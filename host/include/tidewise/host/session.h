#pragma once
// The editing session: the steps the host takes when a person edits an item
// with the control library's pages. It opens the item, builds the editor's
// tree with LoadCustomPages, creates and loads a page, makes the user's edits
// on its controls, leaves it (QueryUnload, then UnloadPage), saves, and tells
// what would change in the file. The command line and the browser editor are
// thin layers over it.
//
// Everything here calls into components: it must run on the one thread that
// owns them.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "tidewise/host/components.h"
#include "tidewise/host/differences.h"
#include "tidewise/host/document.h"
#include "tidewise/host/edits.h"
#include "tidewise/host/failures.h"
#include "tidewise/host/interfaces.h"
#include "tidewise/host/item.h"
#include "tidewise/host/pages.h"
#include "tidewise/host/rendering.h"
#include "tidewise/host/tree.h"

namespace tw::host {

enum class ImportMode;
class ScratchFolder;

// How a front opens an item.
struct SessionOptions {
  // Edit holds the item's lock from before it is read until the session
  // ends; Read takes it only while saving (see CatalogItem).
  CatalogItem::Access access = CatalogItem::Access::Read;
  // Whether a member that fails gives the document back what it had
  // before the call. A front that never saves after a failure may skip
  // the snapshot this costs on the first write.
  bool restore_on_failure = true;
  // Whether a page opened and left without an edit leaves the document as
  // it stood before the page was loaded. Pages write every field they show
  // when loaded or left; where a person browses pages, looking is not
  // editing. The command line's `edit` writes what the page writes.
  bool keep_unedited_pages = false;
};

// One item being edited: its document, its tree and at most one open page.
class EditingSession {
 public:
  using Options = SessionOptions;

  // Opens the item's file (a missing file is an empty document) and builds
  // the tree; `recording` runs around LoadCustomPages.
  explicit EditingSession(const std::filesystem::path& item, Options options = {},
                          Recording* recording = nullptr);
  ~EditingSession();
  EditingSession(const EditingSession&) = delete;
  EditingSession& operator=(const EditingSession&) = delete;

  CatalogItem& item() const { return *item_.get(); }
  // The item's document; import may replace it.
  XmlMetadataDocument& document() const { return *item_->document().get(); }
  MetadataSections& tree() const { return *tree_.get(); }
  bool tree_result() const { return tree_result_; }

  // The page class of an entry, or of TidewiseCustomPage.CLASS. Throws
  // InvalidRequest when the tree has no such entry or no such class is
  // registered.
  std::string prog_id_for(std::string_view unique_name,
                          const std::optional<std::string>& page_class = {}) const;

  // Creates and loads a page; a page left open is dropped without being
  // unloaded (leave() it first). `recording` starts just before the page is
  // created. If LoadPage fails, no page is open and the document keeps what
  // it had.
  OpenPage& open(std::string_view unique_name, const std::optional<std::string>& page_class = {},
                 Recording* recording = nullptr);
  OpenPage* page() const { return page_.get(); }
  // QueryUnload, then UnloadPage if the page may be left. The page stays
  // open. A failing member leaves the document as it was before.
  Leave leave();
  // Leaves the page and loads it again, so that what it holds is in the
  // document and it shows what the document now says.
  Leave flush();
  // Loads the open page again, as after the document was replaced.
  void reload();
  // Imports `source` into the item as `mode` says (import_record), the
  // document given back what it had should the importer fail, and loads the
  // open page again. Answers the paths whose values changed; none when the
  // importer wrote nothing.
  std::vector<std::string> import(const std::filesystem::path& source, ImportMode mode,
                                  ScratchFolder& scratch);
  // Back to the item as last read or saved: the open page dropped without
  // being left (what it holds unwritten goes; an undo makes the author's
  // steps again instead), the document given base()'s content and the tree built on it again, so
  // that entries a page added since go with the steps that added them.
  void back_to_base();

  // Validates every edit, then makes them in order on the open page.
  void edit(std::span<const Edit> edits);
  // Whether an edit was made on the open page since it was loaded.
  bool page_edited() const { return page_edited_; }
  // With keep_unedited_pages: the page that last wrote each element or
  // attribute path, as an edited page was left, and the label of the field
  // that shows it there (empty: no labelled field does). A review names
  // each change by them.
  struct Writer {
    std::string page;  // its unique name
    std::string field;
  };
  const std::map<std::string, Writer>& written_by() const { return written_by_; }
  void forget_writers() { written_by_.clear(); }

  // Whether anything wrote to the item since it was opened or saved.
  bool modified() const { return restored_modified_ || item_->modified(); }
  // Whether the document's content changed since the item was read or last
  // saved, even if it was changed back since: a comparison of revisions.
  bool dirty() const { return document().revision() != saved_revision_; }
  void save();
  // The document as the item's file held it when last read or saved, and
  // that file's stamp and hash then. Shared with the document until either
  // is written to.
  const com::ComPtr<XmlMetadataDocument>& base() const { return base_; }
  const CatalogItem::Seen& base_file() const { return base_file_; }
  // The author's changes: the document against base(), whatever another
  // program did to the file since.
  Review changes_since_read() const;
  // What saving would change in the item's file as it is on disk now. While
  // the file is the one last read or saved, it is base(); otherwise it is
  // read once, its digest taken as it is parsed.
  ItemReview review();
  // Whether the last review, the one with this digest, still tells what
  // saving would change: neither the document nor the file changed since.
  bool still_reviewed(std::uint64_t digest) const;

  // The open page's entry, as the page answers now.
  std::optional<EntryState> page_state() const;

  // Runs a component member that may write to the document; if it fails
  // the document gets back what it had.
  template <class Body>
  auto guarded(Body&& body) -> decltype(body());

 private:
  // After a failed member took its changes back: a document the item was
  // given meanwhile gets the content back too.
  void restore(const XmlMetadataDocument& before, bool was_modified);
  // With keep_unedited_pages: the document records what the open page
  // writes from the time it was loaded (or last left), and what it wrote is
  // taken back when no edit was made on it; with edits, it is kept, and the
  // paths it wrote are the page's in written_by().
  void keep_before_page();
  void put_back_unedited();
  void end_page_record();
  // The page is closed or loaded again: what it wrote stays, as it is.
  void drop_page_record();
  // The document and its file are as read or saved from here on.
  void keep_base();

  Options options_;

  com::ComPtr<CatalogItem> item_;
  com::ComPtr<MetadataSections> tree_;
  bool tree_result_ = false;
  std::unique_ptr<OpenPage> page_;
  bool restored_modified_ = false;  // a restore cleared the document's own flag
  std::uint64_t saved_revision_ = 0;
  com::ComPtr<XmlMetadataDocument> base_;
  CatalogItem::Seen base_file_;
  struct Reviewed {
    std::uint64_t digest = 0;
    std::uint64_t revision = 0;
    platform::FileStamp file;
  };
  std::optional<Reviewed> reviewed_;
  // The document the open page's writes are recorded in: the item may
  // have been given another since.
  com::ComPtr<XmlMetadataDocument> page_record_;
  bool page_edited_ = false;
  std::map<std::string, Writer> written_by_;
};

template <class Body>
auto EditingSession::guarded(Body&& body) -> decltype(body()) {
  XmlMetadataDocument& before = document();
  if (!options_.restore_on_failure) return body();
  // Held: a member may give the item another document (an import does).
  const com::ComPtr<XmlMetadataDocument> held = item_->document();
  const bool was_modified = modified();
  // What a member changes is kept to be taken back, not the whole content:
  // a member that writes one value costs that value.
  before.start_undo();
  try {
    if constexpr (std::is_void_v<decltype(body())>) {
      body();
      before.keep_changes();
    } else {
      auto result = body();
      before.keep_changes();
      return result;
    }
  } catch (...) {
    before.take_back_changes();
    restore(before, was_modified);
    throw;
  }
}

}  // namespace tw::host
