#pragma once
// A page control the host created and loaded, and the probes that ask the
// tree's pages for their titles and marks.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tidewise/forms/forms.h"
#include "tidewise/host/document.h"
#include "tidewise/host/interfaces.h"
#include "tidewise/host/rendering.h"
#include "tidewise/host/tree.h"

namespace tw::host {

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

// An entry of the tree with what its page answers once loaded.
struct EntryState {
  std::string unique_name;
  std::string prog_id;
  std::string title;  // the page's short title, else its title, else the unique name
  bool completed = true;
  std::optional<std::string> failure;  // the page could not be created or loaded
};
// What the pages of entries answer once loaded, learnt by loading each on a
// copy of the document, so that whatever a page writes on loading stays away
// from the item. One page object is kept per entry and loaded again each
// time, instead of creating every page anew: what a tree of marks asks for
// after every change of the document. A page that fails says so in
// `failure`, and is made anew next time.
class Probes {
 public:
  // Every entry of the tree, in order.
  std::vector<EntryState> entries(const XmlMetadataDocument& document, MetadataSections& tree);
  // An entry that need not be in the tree; `copy` is a copy of the document.
  EntryState entry(XmlMetadataDocument& copy, MetadataSections& tree, std::string_view unique_name,
                   std::string_view prog_id);

  // A page a front shows beside the tree's books.
  struct Offered {
    std::string_view unique_name;
    std::string prog_id;
  };
  struct Answers {
    std::vector<EntryState> entries;  // the tree's, in order
    std::vector<EntryState> offered;  // as `offered` lists them
  };
  // What entries() and each offered page answer, asked again only when the
  // document's revision, the tree's entries or the pages offered changed
  // since the last call: a front answers every request with its tree.
  const Answers& answers(const XmlMetadataDocument& document, MetadataSections& tree,
                         std::span<const Offered> offered);

 private:
  std::map<std::pair<std::string, std::string>, std::unique_ptr<OpenPage>> pages_;
  std::uint64_t answered_key_ = 0;
  std::optional<Answers> answered_;
};

}  // namespace tw::host
