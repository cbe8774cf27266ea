// The platform's XML DOM document class, served from a library of its own
// that registers itself as components do: whoever needs a document creates
// it through the registry.

#include "tidewise/xml/dom.h"

#include "tidewise/com/factory.h"
#include "tidewise/platform.h"
#include "tidewise/xml/xml.h"

namespace tw::xml {
namespace {

using com::raise;
using com::S_OK;
using com::Variant;

class DOMDocument final : public com::Object<DOMDocument, IXMLDOMDocument2> {
 public:
  // The three interfaces are one chain, each a base of the next: any of them
  // is this same object.
  HRESULT QueryInterface(const GUID& iid, void** out) noexcept override {
    if (out != nullptr && (iid == IXMLDOMDocument::IID || iid == IXMLDOMNode::IID)) {
      *out = static_cast<IXMLDOMDocument2*>(this);
      AddRef();
      return S_OK;
    }
    return Object::QueryInterface(iid, out);
  }

  HRESULT get_async(VARIANT_BOOL* value) noexcept override {
    return com::boundary("IXMLDOMDocument.async", [&] { com::out_param(value) = async_; });
  }
  HRESULT put_async(VARIANT_BOOL value) noexcept override {
    async_ = value;
    return S_OK;
  }
  HRESULT get_validateOnParse(VARIANT_BOOL* value) noexcept override {
    return com::boundary("IXMLDOMDocument.validateOnParse",
                         [&] { com::out_param(value) = validate_on_parse_; });
  }
  HRESULT put_validateOnParse(VARIANT_BOOL value) noexcept override {
    validate_on_parse_ = value;
    return S_OK;
  }
  HRESULT get_resolveExternals(VARIANT_BOOL* value) noexcept override {
    return com::boundary("IXMLDOMDocument.resolveExternals",
                         [&] { com::out_param(value) = resolve_externals_; });
  }
  HRESULT put_resolveExternals(VARIANT_BOOL value) noexcept override {
    resolve_externals_ = value;
    return S_OK;
  }

  HRESULT load(const Variant& source, VARIANT_BOOL* success) noexcept override {
    static constexpr std::string_view kMember = "IXMLDOMDocument.load";
    return com::boundary(kMember, [&]() -> HRESULT {
      VARIANT_BOOL& loaded = com::out_param(success);
      const std::string* path = source.as_string();
      if (path == nullptr) {
        raise(com::DISP_E_TYPEMISMATCH,
              "the source is a " + com::to_string(source.type()) + ", not the path of a file");
      }
      // Whatever happens below, what was loaded before is gone.
      doc_.reset();
      sheet_.reset();
      try {
        doc_ = parse_file_to_read(platform::file_path(*path));
      } catch (const com::Error& e) {
        com::SetErrorInfo({std::string(kMember), std::string(kMember) + ": " + e.what()});
        return com::S_FALSE;
      }
      loaded = com::VARIANT_TRUE;
      return S_OK;
    });
  }

  HRESULT transformNode(IXMLDOMNode* stylesheet, std::string* output) noexcept override {
    return com::boundary("IXMLDOMNode.transformNode", [&] {
      std::string& out = com::out_param(output);
      if (stylesheet == nullptr) raise(com::E_POINTER, "no stylesheet");
      auto* sheet = dynamic_cast<DOMDocument*>(stylesheet);
      if (sheet == nullptr) {
        raise(com::E_INVALIDARG, "the stylesheet is not a document of the platform's XML services");
      }
      if (!doc_) raise(com::E_FAIL, "the document is empty: nothing was loaded into it");
      out = transform(sheet->compiled(), *doc_);
    });
  }

 private:
  // The document compiled as a stylesheet, once for as long as it stays loaded.
  const xsltStylesheet& compiled() {
    if (!sheet_) {
      if (!doc_) raise(com::E_INVALIDARG, "the stylesheet is empty: nothing was loaded into it");
      DocPtr copy(xmlCopyDoc(doc_.get(), 1));
      if (!copy) throw std::bad_alloc();
      sheet_ = compile_stylesheet(std::move(copy));
    }
    return *sheet_;
  }

  DocPtr doc_;
  StylesheetPtr sheet_;
  VARIANT_BOOL async_ = com::VARIANT_TRUE;
  VARIANT_BOOL validate_on_parse_ = com::VARIANT_TRUE;
  VARIANT_BOOL resolve_externals_ = com::VARIANT_FALSE;
};

com::ComPtr<com::IUnknown> create_document() {
  return com::ComPtr<com::IUnknown>(com::make_object<DOMDocument>()->identity());
}

const com::ClassEntry kClasses[] = {{CLSID_DOMDocument, "DOMDocument", "TidewiseXml.DOMDocument",
                                     IXMLDOMDocument2::IID, IXMLDOMDocument2::Name,
                                     &create_document}};

}  // namespace

const com::ModuleInfo kModule{
    {guid("{7C3D5A10-4B2E-4F81-9D6A-2E5B8C0F1A47}"), "TidewiseXml", "1.0"}, kClasses};

}  // namespace tw::xml

TW_EXPORT_COM_MODULE(tw::xml::kModule)
