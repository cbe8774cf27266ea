#include "tidewise/host/session.h"

#include "tidewise/com/error.h"
#include "tidewise/host/records.h"
#include "tidewise/host/rendering.h"
#include "tidewise/platform.h"

namespace tw::host {

namespace fs = std::filesystem;
using com::ComPtr;

namespace {

// A name in a message.
std::string named(std::string_view name) {
  return "\"" + platform::shown(name) + "\"";
}

}  // namespace

EditingSession::EditingSession(const fs::path& item, Options options, Recording* recording)
    : options_(options), item_(CatalogItem::open(item, options.access)) {
  // Before the tree is built: what its building writes is a change to the
  // file like any other, for the review.
  keep_base();
  LoadedTree loaded = load_tree(ComPtr<IMetadataValues>(item_->document()).get(), recording);
  tree_ = std::move(loaded.tree);
  tree_result_ = loaded.result;
  saved_revision_ = document().revision();
}

void EditingSession::back_to_base() {
  drop_page_record();
  page_.reset();
  document().take_content(*base_.get());
  forget_writers();
  LoadedTree loaded = load_tree(ComPtr<IMetadataValues>(item_->document()).get());
  tree_ = std::move(loaded.tree);
  tree_result_ = loaded.result;
}

// The page goes before the tree and the item it was loaded from.
EditingSession::~EditingSession() {
  drop_page_record();
  page_.reset();
}

std::string EditingSession::prog_id_for(std::string_view unique_name,
                                        const std::optional<std::string>& page_class) const {
  if (page_class) {
    std::string prog_id = std::string(kPagePrefix) + *page_class;
    com::GUID clsid;
    if (com::failed(com::CLSIDFromProgID(prog_id, &clsid))) {
      com::ClearErrorInfo();
      throw InvalidRequest("no page class " + named(*page_class) + " is registered");
    }
    return prog_id;
  }
  const MetadataPageEntry* entry = tree_->find_page(unique_name);
  if (entry == nullptr) {
    throw InvalidRequest("no page has the unique name " + named(unique_name));
  }
  return entry->prog_id();
}

OpenPage& EditingSession::open(std::string_view unique_name,
                               const std::optional<std::string>& page_class, Recording* recording) {
  const std::string prog_id = prog_id_for(unique_name, page_class);
  drop_page_record();
  page_.reset();
  if (recording) recording->start();
  std::unique_ptr<OpenPage> page;
  try {
    page = std::make_unique<OpenPage>(std::string(unique_name), prog_id);
  } catch (const com::MemberFailure& e) {
    // A class named by the user that is no page at all is a wrong request,
    // not a failing page.
    if (page_class && e.code() == com::E_NOINTERFACE && e.member() == "IUnknown.QueryInterface") {
      throw InvalidRequest(named(prog_id) + " is not a page");
    }
    throw;
  }
  keep_before_page();
  try {
    guarded([&] { page->load(ComPtr<IMetadataValues>(item_->document()).get(), tree_.get()); });
  } catch (...) {
    // No page is open to record for.
    drop_page_record();
    throw;
  }
  page_ = std::move(page);
  put_back_unedited();
  return *page_;
}

Leave EditingSession::leave() {
  if (!page_) return {true, true};
  const Leave left = guarded(
      [&] { return page_->leave(ComPtr<IMetadataValues>(item_->document()).get(), tree_.get()); });
  if (left.query_unload) put_back_unedited();
  return left;
}

Leave EditingSession::flush() {
  const Leave left = leave();
  if (page_ && left.query_unload) reload();
  return left;
}

void EditingSession::reload() {
  if (!page_) return;
  // What the page wrote is the document now: only what it writes from here
  // on counts as its own.
  keep_before_page();
  guarded([&] { page_->load(ComPtr<IMetadataValues>(item_->document()).get(), tree_.get()); });
  put_back_unedited();
}

std::vector<std::string> EditingSession::import(const fs::path& source, ImportMode mode,
                                                ScratchFolder& scratch) {
  // Shared with the document until the import writes: costs nothing.
  const ComPtr<XmlMetadataDocument> before = document().copy();
  const bool written = guarded([&] { return import_record(item(), source, mode, scratch); });
  reload();
  std::vector<std::string> paths;
  if (!written) return paths;
  for (Difference& d : compare_documents(before->doc(), document().doc()).changes) {
    paths.push_back(std::move(d.path));
  }
  return paths;
}

void EditingSession::edit(std::span<const Edit> edits) {
  if (!page_) throw InvalidRequest("no page is open");
  validate_edits(page_->form(), edits);
  page_edited_ = true;
  for (const Edit& edit : edits) apply_edit(page_->form(), edit);
}

void EditingSession::keep_before_page() {
  page_edited_ = false;
  drop_page_record();
  if (!options_.keep_unedited_pages) return;
  // The page's writes, not a copy of the document: a copy shared with the
  // document made the page's first write copy the whole item.
  page_record_ = item_->document();
  page_record_->start_undo();
}

void EditingSession::end_page_record() {
  if (!page_record_) return;
  const ComPtr<XmlMetadataDocument> recorded = std::move(page_record_);
  // Another document took its place (an import): what was recorded in the
  // one given up no longer matters.
  if (recorded.get() != &document()) {
    recorded->keep_changes();
    return;
  }
  if (!page_edited_) {
    recorded->take_back_changes();
    return;
  }
  std::vector<std::string> paths;
  if (auto recorded_paths = recorded->recorded_paths()) {
    paths = std::move(*recorded_paths);
    recorded->keep_changes();
  } else {
    // The content was replaced or moved wholesale: the page's writes are
    // what differs from the content before it.
    const auto before = recorded->keep_changes_giving_before();
    for (const Difference& d : compare_documents(before->doc(), recorded->doc()).changes) {
      paths.push_back(d.path);
    }
  }
  const auto fields = fields_of_paths(page_->form(), paths);
  for (const std::string& path : paths) {
    const auto field = fields.find(path);
    written_by_[path] = {page_->unique_name(), field != fields.end() ? field->second : ""};
  }
}

void EditingSession::drop_page_record() {
  if (const ComPtr<XmlMetadataDocument> recorded = std::move(page_record_))
    recorded->keep_changes();
}

void EditingSession::put_back_unedited() {
  if (!page_record_) return;
  const bool edited = page_edited_;
  end_page_record();
  // What the page writes from here on is recorded anew.
  if (page_) {
    page_record_ = item_->document();
    page_record_->start_undo();
  }
  page_edited_ = edited;
}

void EditingSession::save() {
  item_->save();
  restored_modified_ = false;
  keep_base();
}

void EditingSession::keep_base() {
  base_ = document().copy();
  base_file_ = item_->file_as_read();
  saved_revision_ = document().revision();
}

Review EditingSession::changes_since_read() const {
  return compare_documents(base_->doc(), document().doc());
}

namespace {

constexpr std::uint64_t kFnvBasis = 14695981039346656037ull;

std::uint64_t fnv1a(std::string_view bytes, std::uint64_t hash) {
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace

ItemReview EditingSession::review() {
  // The file is read again only when another program changed it: its stamp
  // is then not the one it had when read or written here. (One that kept
  // size and time to the nanosecond is taken for unchanged; the save itself
  // still compares the bytes.)
  CatalogItem::Seen file{platform::stamp_of(item_->path())};
  com::ComPtr<XmlMetadataDocument> saved = base_;
  if (file.stamp != base_file_.stamp) {
    saved = com::make_object<XmlMetadataDocument>();
    file = CatalogItem::read(item_->path(), *saved.get());
  } else {
    file.content_hash = base_file_.content_hash;
  }
  // The file by the hash of its bytes, the document by its revision: equal
  // revisions are equal contents.
  std::uint64_t digest = kFnvBasis;
  for (const std::uint64_t part : {std::uint64_t{file.content_hash}, document().revision()}) {
    for (int byte = 0; byte < 8; ++byte) {
      const char c = static_cast<char>(part >> (8 * byte));
      digest = fnv1a(std::string_view(&c, 1), digest);
    }
  }
  ItemReview review{compare_documents(saved->doc(), document().doc()), digest};
  reviewed_ = Reviewed{digest, document().revision(), file.stamp};
  return review;
}

bool EditingSession::still_reviewed(std::uint64_t digest) const {
  return reviewed_ && reviewed_->digest == digest && reviewed_->revision == document().revision() &&
         reviewed_->file == platform::stamp_of(item_->path());
}

void EditingSession::restore(const XmlMetadataDocument& before, bool was_modified) {
  if (&document() == &before) return;
  document().take_content(before);
  restored_modified_ = was_modified;
}

std::optional<EntryState> EditingSession::page_state() const {
  if (!page_) return std::nullopt;
  EntryState state{page_->unique_name(), page_->prog_id(), page_->unique_name(), true,
                   std::nullopt};
  try {
    std::string title = page_->short_title();
    if (title.empty()) title = page_->title();
    if (!title.empty()) state.title = std::move(title);
    state.completed = page_->completed();
  } catch (const std::exception& e) {
    state.failure = e.what();
  }
  return state;
}

}  // namespace tw::host
