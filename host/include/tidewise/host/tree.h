#pragma once
// The metadata editor's tree: books in order, each with its page entries in
// order. Components reach it through IMetadataSections, IMetadataBook and
// IMetadataPageEntry; every such member records itself in the trace. The
// host reads the tree through the plain C++ accessors, which record nothing.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tidewise/com/object.h"
#include "tidewise/host/interfaces.h"

namespace tw::host {

class MetadataPageEntry final : public com::Object<MetadataPageEntry, IMetadataPageEntry> {
 public:
  MetadataPageEntry(std::string prog_id, std::string unique_name)
      : prog_id_(std::move(prog_id)), unique_name_(std::move(unique_name)) {}

  HRESULT get_UniqueName(std::string* name) noexcept override;
  HRESULT get_ProgID(std::string* prog_id) noexcept override;

  const std::string& prog_id() const { return prog_id_; }
  const std::string& unique_name() const { return unique_name_; }

 private:
  std::string prog_id_;
  std::string unique_name_;
};

class MetadataBook final : public com::Object<MetadataBook, IMetadataBook> {
 public:
  MetadataBook(std::string key, std::string caption)
      : key_(std::move(key)), caption_(std::move(caption)) {}

  HRESULT AddPage(const std::string& prog_id, const std::string& unique_name, const Variant& before,
                  const Variant& image, IMetadataPageEntry** entry) noexcept override;
  HRESULT get__NewEnum(IUnknown** enumerator) noexcept override;
  HRESULT get_Key(std::string* key) noexcept override;
  HRESULT get_Caption(std::string* caption) noexcept override;

  const std::string& key() const { return key_; }
  const std::string& caption() const { return caption_; }
  const std::vector<com::ComPtr<MetadataPageEntry>>& entries() const { return entries_; }
  // The host's own entries, placed by the host itself: untraced, and not
  // checked against the registry (their pages fail, if at all, when opened).
  void add_host_page(std::string prog_id, std::string unique_name);

 private:
  std::string key_;
  std::string caption_;
  std::vector<com::ComPtr<MetadataPageEntry>> entries_;
};

// A plain copy of the tree, for printing and for finding an entry.
struct PageInfo {
  std::string unique_name;
  std::string prog_id;
  friend bool operator==(const PageInfo&, const PageInfo&) = default;
};
struct BookInfo {
  std::string key;
  std::string caption;
  std::vector<PageInfo> pages;
  friend bool operator==(const BookInfo&, const BookInfo&) = default;
};

class MetadataSections final : public com::Object<MetadataSections, IMetadataSections> {
 public:
  struct BookSpec {
    std::string_view key;
    std::string_view caption;
  };
  explicit MetadataSections(std::initializer_list<BookSpec> books = {});

  HRESULT GetBook(const Variant& key, IMetadataBook** book) noexcept override;
  HRESULT AddBook(const std::string& caption, const std::string& key, const Variant& image,
                  const Variant& after, IMetadataBook** book) noexcept override;
  HRESULT RemoveBook(Variant key) noexcept override;
  HRESULT get_Count(std::int32_t* count) noexcept override;
  HRESULT Item(std::int32_t index, IMetadataBook** book) noexcept override;

  const std::vector<com::ComPtr<MetadataBook>>& books() const { return books_; }
  std::vector<BookInfo> snapshot() const;
  // The first entry with this unique name, in tree order; null when none.
  const MetadataPageEntry* find_page(std::string_view unique_name) const;

 private:
  std::vector<com::ComPtr<MetadataBook>>::iterator find_book(std::string_view key);

  std::vector<com::ComPtr<MetadataBook>> books_;
};

// The prefix of the host's own pages' programmatic identifiers.
inline constexpr std::string_view kHostPagePrefix = "TidewiseHostPages.";

// The editor's own tree before any component has touched it: "GeneralInfo",
// "DatasetId", "SpatialRef", "DistInfo" holding the host's own pages, and
// "History" without pages.
com::ComPtr<MetadataSections> make_default_tree();

}  // namespace tw::host
