#include "tidewise/host/item.h"

#include "tidewise/host/trace.h"

namespace tw::host {

using com::ComPtr;

CatalogItem::CatalogItem(std::filesystem::path path)
    : path_(std::move(path)), document_(com::make_object<XmlMetadataDocument>()) {
  document_->load_file(path_);
}

ComPtr<CatalogItem> CatalogItem::open(const std::filesystem::path& file) {
  return com::make_object<CatalogItem>(file);
}

HRESULT CatalogItem::get_Metadata(IUnknown** document) noexcept {
  trace("IMetadataHolder.Metadata", [&] { return nlohmann::json::array(); });
  return com::boundary("IMetadataHolder.Metadata", [&] {
    IUnknown*& out = com::out_param(document);
    ComPtr<IMetadataValues>(document_).as<IUnknown>().copy_to(&out);
  });
}

HRESULT CatalogItem::put_Metadata(IMetadataValues* document) noexcept {
  trace("IMetadataHolder.put_Metadata", [&] {
    return nlohmann::json::array({document ? nlohmann::json("<object>") : nlohmann::json()});
  });
  return com::boundary("IMetadataHolder.put_Metadata", [&] {
    if (document == nullptr) com::raise(com::E_POINTER, "null document");
    const auto xml = ComPtr<IMetadataValues>(document).try_as<IMetadataXml>();
    if (!xml) com::raise(com::E_NOINTERFACE, "the document does not offer IMetadataXml");
    // Only a document of the host's own can be taken over: the item must be
    // able to write it to its file.
    const auto* ours = dynamic_cast<const XmlMetadataDocument*>(xml.get());
    if (ours == nullptr) {
      com::raise(com::E_INVALIDARG, "the document is not one of the host's metadata documents");
    }
    document_ = ours->copy();
    replaced_ = true;
  });
}

bool CatalogItem::modified() const {
  return replaced_ || document_->modified();
}

void CatalogItem::save() {
  document_->save_file(path_);
}

}  // namespace tw::host
