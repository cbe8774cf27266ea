#include "tidewise/host/tree.h"

#include <algorithm>
#include <memory>

#include "tidewise/com/registry.h"
#include "tidewise/host/trace.h"

namespace tw::host {

using com::ComPtr;
using com::raise;

namespace {

const std::string& key_text(const Variant& key, std::string_view what) {
  const std::string* text = key.as_string();
  if (text == nullptr) {
    raise(com::DISP_E_TYPEMISMATCH,
          std::string(what) + " must be a String, not " + com::to_string(key.type()));
  }
  return *text;
}

// A book may only hold pages the host can create later; a page that cannot
// be created would only fail when the user opens it. The start-up adds
// dozens of pages; the registry is read once for all of them.
void require_registered(const std::string& prog_id) {
  const std::shared_ptr<const com::Registry> registry = com::Registry::current();
  const auto text = registry->get(prog_id + "\\CLSID");
  const auto clsid = text ? com::parse_guid(*text) : std::nullopt;
  if (!clsid) {
    raise(com::CO_E_CLASSSTRING, "\"" + prog_id + "\" is not a registered programmatic identifier");
  }
  const std::string key = "CLSID\\" + com::to_string(*clsid);
  if (!registry->has_key(key + "\\InprocServer32") && !registry->has_key(key + "\\LocalServer32")) {
    raise(com::REGDB_E_CLASSNOTREG,
          "the class " + com::to_string(*clsid) + " of \"" + prog_id + "\" is not registered");
  }
}

using Entries = std::vector<ComPtr<MetadataPageEntry>>;

// Walks a copy of the book's entries taken when the enumeration began, so
// that pages added meanwhile neither show up nor disturb the walk.
class EntryEnumerator final : public com::Object<EntryEnumerator, com::IEnumVARIANT> {
 public:
  EntryEnumerator(std::shared_ptr<const Entries> entries, std::size_t position)
      : entries_(std::move(entries)), position_(position) {}

  HRESULT Next(std::uint32_t count, Variant* items, std::uint32_t* fetched) noexcept override {
    trace("IEnumVARIANT.Next", [&] { return nlohmann::json::array({count}); });
    return com::boundary("IEnumVARIANT.Next", [&] {
      if (fetched != nullptr) *fetched = 0;
      if (count > 0 && items == nullptr) raise(com::E_POINTER, "null item array");
      // Without a count of what was fetched the caller could not tell; only
      // a request for one item may go without it.
      if (fetched == nullptr && count != 1) raise(com::E_POINTER, "null fetched count");
      std::uint32_t n = 0;
      for (; n < count && position_ < entries_->size(); ++n, ++position_) {
        items[n] = Variant::object(ComPtr<IUnknown>((*entries_)[position_]->identity()));
      }
      if (fetched != nullptr) *fetched = n;
      return n == count ? com::S_OK : com::S_FALSE;
    });
  }

  HRESULT Skip(std::uint32_t count) noexcept override {
    trace("IEnumVARIANT.Skip", [&] { return nlohmann::json::array({count}); });
    return com::boundary("IEnumVARIANT.Skip", [&] {
      const std::size_t left = entries_->size() - position_;
      const std::size_t skipped = std::min<std::size_t>(count, left);
      position_ += skipped;
      return skipped == count ? com::S_OK : com::S_FALSE;
    });
  }

  HRESULT Reset() noexcept override {
    trace("IEnumVARIANT.Reset", [&] { return nlohmann::json::array(); });
    position_ = 0;
    return com::S_OK;
  }

  HRESULT Clone(com::IEnumVARIANT** copy) noexcept override {
    trace("IEnumVARIANT.Clone", [&] { return nlohmann::json::array(); });
    return com::boundary("IEnumVARIANT.Clone", [&] {
      com::IEnumVARIANT*& out = com::out_param(copy);
      out = com::make_object<EntryEnumerator>(entries_, position_).detach();
    });
  }

 private:
  std::shared_ptr<const Entries> entries_;
  std::size_t position_;
};

}  // namespace

// ---- Page entries

HRESULT MetadataPageEntry::get_UniqueName(std::string* name) noexcept {
  trace("IMetadataPageEntry.UniqueName", [&] { return nlohmann::json::array(); });
  return com::boundary("IMetadataPageEntry.UniqueName",
                       [&] { com::out_param(name) = unique_name_; });
}

HRESULT MetadataPageEntry::get_ProgID(std::string* prog_id) noexcept {
  trace("IMetadataPageEntry.ProgID", [&] { return nlohmann::json::array(); });
  return com::boundary("IMetadataPageEntry.ProgID", [&] { com::out_param(prog_id) = prog_id_; });
}

// ---- Books

HRESULT MetadataBook::AddPage(const std::string& prog_id, const std::string& unique_name,
                              const Variant& before, const Variant& image,
                              IMetadataPageEntry** entry) noexcept {
  trace("IMetadataBook.AddPage", [&] {
    return nlohmann::json::array({prog_id, unique_name, to_json(before), to_json(image)});
  });
  return com::boundary("IMetadataBook.AddPage", [&] {
    IMetadataPageEntry*& out = com::out_param(entry);
    require_registered(prog_id);
    // A repeated unique name is accepted: keeping names apart is the caller's affair.
    auto added = com::make_object<MetadataPageEntry>(prog_id, unique_name);
    entries_.push_back(added);
    out = added.detach();
  });
}

HRESULT MetadataBook::get__NewEnum(IUnknown** enumerator) noexcept {
  trace("IMetadataBook._NewEnum", [&] { return nlohmann::json::array(); });
  return com::boundary("IMetadataBook._NewEnum", [&] {
    IUnknown*& out = com::out_param(enumerator);
    auto walker = com::make_object<EntryEnumerator>(std::make_shared<const Entries>(entries_), 0);
    out = walker->identity();
    (void)walker.detach();
  });
}

HRESULT MetadataBook::get_Key(std::string* key) noexcept {
  trace("IMetadataBook.Key", [&] { return nlohmann::json::array(); });
  return com::boundary("IMetadataBook.Key", [&] { com::out_param(key) = key_; });
}

HRESULT MetadataBook::get_Caption(std::string* caption) noexcept {
  trace("IMetadataBook.Caption", [&] { return nlohmann::json::array(); });
  return com::boundary("IMetadataBook.Caption", [&] { com::out_param(caption) = caption_; });
}

// ---- The tree

MetadataSections::MetadataSections(std::initializer_list<BookSpec> books) {
  for (const BookSpec& book : books) {
    books_.push_back(
        com::make_object<MetadataBook>(std::string(book.key), std::string(book.caption)));
  }
}

std::vector<ComPtr<MetadataBook>>::iterator MetadataSections::find_book(std::string_view key) {
  return std::find_if(books_.begin(), books_.end(),
                      [&](const ComPtr<MetadataBook>& book) { return book->key() == key; });
}

HRESULT MetadataSections::GetBook(const Variant& key, IMetadataBook** book) noexcept {
  trace("IMetadataSections.GetBook", [&] { return nlohmann::json::array({to_json(key)}); });
  return com::boundary("IMetadataSections.GetBook", [&] {
    IMetadataBook*& out = com::out_param(book);
    const std::string& wanted = key_text(key, "the key");
    const auto found = find_book(wanted);
    if (found == books_.end()) raise(com::E_INVALIDARG, "no book has the key \"" + wanted + "\"");
    ComPtr<IMetadataBook>(*found).copy_to(&out);
  });
}

HRESULT MetadataSections::AddBook(const std::string& caption, const std::string& key,
                                  const Variant& image, const Variant& after,
                                  IMetadataBook** book) noexcept {
  trace("IMetadataSections.AddBook", [&] {
    return nlohmann::json::array({caption, key, to_json(image), to_json(after)});
  });
  return com::boundary("IMetadataSections.AddBook", [&] {
    IMetadataBook*& out = com::out_param(book);
    if (find_book(key) != books_.end()) {
      raise(com::E_INVALIDARG, "a book with the key \"" + key + "\" exists");
    }
    auto position = books_.end();
    if (!after.is_empty()) {
      const std::string& previous = key_text(after, "the key of the previous book");
      position = find_book(previous);
      if (position == books_.end()) {
        raise(com::E_INVALIDARG, "no book has the key \"" + previous + "\"");
      }
      ++position;
    }
    auto added = com::make_object<MetadataBook>(key, caption);
    books_.insert(position, added);
    out = added.detach();
  });
}

HRESULT MetadataSections::RemoveBook(Variant key) noexcept {
  trace("IMetadataSections.RemoveBook", [&] { return nlohmann::json::array({to_json(key)}); });
  return com::boundary("IMetadataSections.RemoveBook", [&] {
    const std::string& wanted = key_text(key, "the key");
    const auto found = find_book(wanted);
    if (found == books_.end()) raise(com::E_INVALIDARG, "no book has the key \"" + wanted + "\"");
    books_.erase(found);
  });
}

HRESULT MetadataSections::get_Count(std::int32_t* count) noexcept {
  trace("IMetadataSections.Count", [&] { return nlohmann::json::array(); });
  return com::boundary("IMetadataSections.Count",
                       [&] { com::out_param(count) = static_cast<std::int32_t>(books_.size()); });
}

HRESULT MetadataSections::Item(std::int32_t index, IMetadataBook** book) noexcept {
  trace("IMetadataSections.Item", [&] { return nlohmann::json::array({index}); });
  return com::boundary("IMetadataSections.Item", [&] {
    IMetadataBook*& out = com::out_param(book);
    if (index < 0 || static_cast<std::size_t>(index) >= books_.size()) {
      raise(com::DISP_E_BADINDEX, "no book has the index " + std::to_string(index));
    }
    ComPtr<IMetadataBook>(books_[static_cast<std::size_t>(index)]).copy_to(&out);
  });
}

std::vector<BookInfo> MetadataSections::snapshot() const {
  std::vector<BookInfo> books;
  books.reserve(books_.size());
  for (const auto& book : books_) {
    BookInfo& info = books.emplace_back(BookInfo{book->key(), book->caption(), {}});
    for (const auto& entry : book->entries()) {
      info.pages.push_back({entry->unique_name(), entry->prog_id()});
    }
  }
  return books;
}

const MetadataPageEntry* MetadataSections::find_page(std::string_view unique_name) const {
  for (const auto& book : books_) {
    for (const auto& entry : book->entries()) {
      if (entry->unique_name() == unique_name) return entry.get();
    }
  }
  return nullptr;
}

namespace {

// The host's own pages, which its library TidewiseHostPages serves, in the
// books where the editor shows them before any component adds its own.
struct HostPage {
  std::string_view book;
  std::string_view unique_name;  // also the page class
};
constexpr HostPage kHostPages[] = {
    {"GeneralInfo", "Citation"},
    {"GeneralInfo", "Description"},
    {"GeneralInfo", "Keywords"},
    {"GeneralInfo", "TopicCategories"},
    {"GeneralInfo", "PointsOfContact"},
    {"GeneralInfo", "CitedParties"},
    {"GeneralInfo", "MetadataInfo"},
    {"GeneralInfo", "MetadataContacts"},
    {"GeneralInfo", "Maintenance"},
    {"GeneralInfo", "GraphicOverviews"},
    {"GeneralInfo", "ResourceConstraints"},
    {"GeneralInfo", "AssociatedResources"},
    {"DatasetId", "ServiceIdentification"},
    {"DatasetId", "Resolution"},
    {"DatasetId", "DataLanguages"},
    {"DatasetId", "FeatureCatalogues"},
    {"DatasetId", "Coverages"},
    {"DatasetId", "Acquisition"},
    {"DatasetId", "DataQuality"},
    {"DatasetId", "LineageSources"},
    {"SpatialRef", "BoundingBoxes"},
    {"SpatialRef", "BoundingPolygons"},
    {"SpatialRef", "TemporalExtents"},
    {"SpatialRef", "VerticalExtents"},
    {"SpatialRef", "ReferenceSystems"},
    {"DistInfo", "Formats"},
    {"DistInfo", "Distributors"},
    {"DistInfo", "DistributorOffers"},
    {"DistInfo", "OnlineResources"},
};

}  // namespace

void MetadataBook::add_host_page(std::string prog_id, std::string unique_name) {
  entries_.push_back(
      com::make_object<MetadataPageEntry>(std::move(prog_id), std::move(unique_name)));
}

ComPtr<MetadataSections> make_default_tree() {
  auto tree = com::make_object<MetadataSections>(std::initializer_list<MetadataSections::BookSpec>{
      {"GeneralInfo", "General information"},
      {"DatasetId", "Dataset identification"},
      {"SpatialRef", "Spatial reference"},
      {"DistInfo", "Distribution information"},
      {"History", "History"},
  });
  for (const HostPage& page : kHostPages) {
    for (const auto& book : tree->books()) {
      if (book->key() == page.book) {
        book->add_host_page(std::string(kHostPagePrefix) + std::string(page.unique_name),
                            std::string(page.unique_name));
      }
    }
  }
  return tree;
}

}  // namespace tw::host
