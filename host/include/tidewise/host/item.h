#pragma once
// A catalog item: an XML metadata file and the document that holds it while
// the host works on it. Import and export reach the document through
// IMetadataHolder.

#include <filesystem>

#include "tidewise/com/object.h"
#include "tidewise/host/document.h"
#include "tidewise/host/interfaces.h"

namespace tw::host {

class CatalogItem final : public com::Object<CatalogItem, IMetadataHolder> {
 public:
  // Reads the item's file; an item without a file holds an empty document.
  static com::ComPtr<CatalogItem> open(const std::filesystem::path& file);
  explicit CatalogItem(std::filesystem::path path);

  // Records as "IMetadataHolder.Metadata".
  HRESULT get_Metadata(IUnknown** document) noexcept override;
  // Records as "IMetadataHolder.put_Metadata". Takes a copy of the
  // document's content (shared until either side writes, not serialized):
  // later changes the caller makes to its own document do not reach the item.
  HRESULT put_Metadata(IMetadataValues* document) noexcept override;

  const std::filesystem::path& path() const { return path_; }
  const com::ComPtr<XmlMetadataDocument>& document() const { return document_; }
  // Whether the item's metadata was written to since it was opened.
  bool modified() const;
  // Writes the document to the item's file atomically.
  void save();

 private:
  std::filesystem::path path_;
  com::ComPtr<XmlMetadataDocument> document_;
  bool replaced_ = false;  // put_Metadata gave the item a new document
};

}  // namespace tw::host
