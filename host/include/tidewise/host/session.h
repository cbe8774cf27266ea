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
#include <vector>

#include "tidewise/com/factory.h"
#include "tidewise/forms/forms.h"
#include "tidewise/host/document.h"
#include "tidewise/host/interfaces.h"
#include "tidewise/host/item.h"
#include "tidewise/host/tree.h"

namespace tw::host {

using Json = nlohmann::ordered_json;

inline constexpr std::string_view kConnectProgId = "TidewiseCustomPage.Connect";
inline constexpr std::string_view kPagePrefix = "TidewiseCustomPage.";

// A member the host called failed. The message names the member, its status
// code and the error information the member left.
class MemberFailure : public std::runtime_error {
 public:
  MemberFailure(std::string member, com::HRESULT code, std::string description);
  const std::string& member() const { return member_; }  // "IMetaDataPage.UnloadPage"
  std::string interface_name() const;                    // "IMetaDataPage"
  com::HRESULT code() const { return code_; }
  const std::string& description() const { return description_; }

 private:
  std::string member_;
  com::HRESULT code_;
  std::string description_;
};

// Tests the status of a call the host made; throws MemberFailure with the
// error information the call left.
void call(com::HRESULT hr, std::string_view member);

// Something was asked that the item, its tree or the page cannot do (a page
// that is not in the tree, a control the page lacks). Nothing was changed.
class InvalidRequest : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// ---- Edits a user makes on a page's controls

struct Edit {
  enum class Kind { Type, Pick, Check, Uncheck, Choose, Select, Click };
  Kind kind;
  std::string control;
  // The text typed, the item picked, the position selected (from 0), or the
  // item of a list box whose check mark is set or cleared.
  std::string value;
};
// "type", "pick", "check", "uncheck", "choose", "select", "click".
std::string_view to_string(Edit::Kind kind);
std::optional<Edit::Kind> edit_kind(std::string_view name);

// An edit the page cannot take. The message says why without naming the
// edit, so that each front names it its own way.
class InvalidEdit : public InvalidRequest {
 public:
  InvalidEdit(Edit::Kind kind, const std::string& why) : InvalidRequest(why), kind_(kind) {}
  Edit::Kind kind() const { return kind_; }

 private:
  Edit::Kind kind_;
};

// Checks every edit against the form before any is made, so that a list of
// edits with a mistake changes nothing. Throws InvalidEdit. What an earlier
// edit may change (a list's length, whether a control is enabled) is checked
// as each edit is made.
void validate_edits(const forms::Form& form, std::span<const Edit> edits);
// As a user: typing raises Change, picking raises Click only, checking and
// choosing click, selecting a list's item and clicking a button raise Click.
// Throws InvalidEdit for a position the list does not have or a control
// that is disabled.
void apply_edit(forms::Form& form, const Edit& edit);

// ---- The page as the host shows it

// {"name", "kind", "caption"?, "text"?, "items"?, "value"?, "checked"?,
// "links"?, "enabled"?, "left", "top", "width", "height", "tabIndex"?,
// "container"?} for every control, in order.
Json controls_json(const forms::Form& form);
std::string controls_text(const forms::Form& form);

// ---- Components

// Serves the host's own classes to the components for as long as it lives.
class ComponentHost {
 public:
  ComponentHost();
  ~ComponentHost();
  ComponentHost(const ComponentHost&) = delete;
  ComponentHost& operator=(const ComponentHost&) = delete;
};

template <com::Interface I>
com::ComPtr<I> create(std::string_view prog_id) {
  com::GUID clsid;
  call(com::CLSIDFromProgID(prog_id, &clsid), "CLSIDFromProgID");
  com::ComPtr<com::IUnknown> object;
  call(com::CoCreateInstance(clsid, com::IUnknown::IID, object.put_void()), "CoCreateInstance");
  com::ComPtr<I> wanted;
  call(object->QueryInterface(I::IID, wanted.put_void()), "IUnknown.QueryInterface");
  return wanted;
}

// Marks the calls a front wants to record (the command line's --trace).
class Recording {
 public:
  virtual void start() = 0;
  virtual void stop() = 0;

 protected:
  ~Recording() = default;
};

// The editor's start-up: its own tree, handed to the control library.
struct LoadedTree {
  com::ComPtr<MetadataSections> tree;
  bool result = false;
};
// `recording` runs around LoadCustomPages alone.
LoadedTree load_tree(com::IUnknown* document, Recording* recording = nullptr);

// What QueryUnload and UnloadPage answered. A page that refuses to be left
// is not unloaded: its edits stay its own.
struct Leave {
  bool query_unload = false;
  bool unload_page = false;
};

// A page control the host created: its entry, its object and its controls.
class OpenPage {
 public:
  // Creates the class; the form lives as long as the page object.
  OpenPage(std::string unique_name, std::string prog_id);

  const std::string& unique_name() const { return unique_name_; }
  const std::string& prog_id() const { return prog_id_; }
  host::IMetaDataPage* page() const { return page_.get(); }
  forms::Form& form() const { return *form_; }

  void load(IMetadataValues* document, IMetadataSections* tree);
  Leave leave(IMetadataValues* document, IMetadataSections* tree);

  std::string short_title() const;
  std::string title() const;
  bool completed() const;
  // As `tidewise show --json` prints it.
  Json json() const;
  std::string text() const;

 private:
  std::string unique_name_;
  std::string prog_id_;
  com::ComPtr<IMetaDataPage> page_;
  forms::Form* form_ = nullptr;
};

// One element or attribute whose value differs between two documents.
struct Difference {
  enum class Change { Added, Removed, Changed };
  Change change;
  std::string
      path;  // "dataIdInfo/idPurp", "dataIdInfo/searchKeys/keyword[2]", ".../RestrictCd@value"
  std::optional<std::string> before;  // none: it was not there
  std::optional<std::string> after;   // none: it is not there any more
  friend bool operator==(const Difference&, const Difference&) = default;
};
std::string_view to_string(Difference::Change change);
// The differences listed, and how many more there are: a review lists a
// bounded number, and shortens a path over 2 KiB in its middle ("…").
struct Review {
  std::vector<Difference> changes;
  std::size_t more = 0;
};
inline constexpr std::size_t kMostChangesListed = 10'000;
// Every element text and attribute value of `after` that differs from
// `before`, in document order (removed ones where they stood). Whitespace
// between child elements is layout, not a value. Costs time linear in the
// two documents' size.
Review compare_documents(const xmlDoc& before, const xmlDoc& after,
                         std::size_t most_listed = kMostChangesListed);
// The same of two texts (E_INVALIDARG for one that is not XML).
std::vector<Difference> differences(std::string_view before_xml, std::string_view after_xml);

// An entry of the tree with what its page answers once loaded.
struct EntryState {
  std::string unique_name;
  std::string prog_id;
  std::string title;  // the page's short title, else its title, else the unique name
  bool completed = true;
  std::optional<std::string> failure;  // the page could not be created or loaded
};
// Creates the page and loads it from `document` to learn its title and
// whether it is completed; a page that fails says so in `failure`.
EntryState probe_entry(XmlMetadataDocument& document, MetadataSections& tree,
                       std::string_view unique_name, std::string_view prog_id);
// Every entry of the tree, in order, each on a copy of `document`.
std::vector<EntryState> probe_entries(const XmlMetadataDocument& document, MetadataSections& tree);

// Probes that keep one page object per entry and load it again each time,
// instead of creating every page anew: what a tree of marks asks for after
// every change of the document.
class Probes {
 public:
  std::vector<EntryState> entries(const XmlMetadataDocument& document, MetadataSections& tree);
  EntryState entry(XmlMetadataDocument& copy, MetadataSections& tree, std::string_view unique_name,
                   std::string_view prog_id);

 private:
  std::map<std::pair<std::string, std::string>, std::unique_ptr<OpenPage>> pages_;
};

// How a front opens an item.
struct SessionOptions {
  // Edit holds the item's lock from before it is read until the session
  // ends; Read takes it only while saving (see CatalogItem).
  CatalogItem::Access access = CatalogItem::Access::Read;
  // Whether a member that fails gives the document back what it had
  // before the call. A front that never saves after a failure may skip
  // the snapshot this costs on the first write.
  bool restore_on_failure = true;
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
  void close_page() { page_.reset(); }

  // Validates every edit, then makes them in order on the open page.
  void edit(std::span<const Edit> edits);

  // Whether anything wrote to the item since it was opened or saved.
  bool modified() const { return restored_modified_ || item_->modified(); }
  void save();
  // What saving would change in the item's file as it is on disk now.
  Review review() const;

  // The open page's entry, as the page answers now.
  std::optional<EntryState> page_state() const;
  // An entry that need not be in the tree, probed on a copy of the document.
  EntryState probe(std::string_view unique_name, std::string_view prog_id) const;

  // Runs a component member that may write to the document; if it fails
  // the document gets back what it had.
  template <class Body>
  auto guarded(Body&& body) -> decltype(body());

 private:
  void restore(const XmlMetadataDocument& snapshot, bool was_modified);

  Options options_;

  com::ComPtr<CatalogItem> item_;
  com::ComPtr<MetadataSections> tree_;
  bool tree_result_ = false;
  std::unique_ptr<OpenPage> page_;
  bool restored_modified_ = false;  // a restore cleared the document's own flag
};

template <class Body>
auto EditingSession::guarded(Body&& body) -> decltype(body()) {
  if (!options_.restore_on_failure) return body();
  // A copy shares the content until the member writes: a member that only
  // reads costs nothing here.
  const com::ComPtr<XmlMetadataDocument> before = document().copy();
  const bool was_modified = modified();
  try {
    return body();
  } catch (...) {
    restore(*before.get(), was_modified);
    throw;
  }
}

}  // namespace tw::host
