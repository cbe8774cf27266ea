// The importer component: converts an XML file written in the project's own
// metadata model into the host's model with the stylesheet of the folder the
// host gives (else TIDEWISE_STYLESHEETS), and gives the result to the
// catalog item.

#include "tidewise/com/factory.h"
#include "tidewise/host/interfaces.h"
#include "tidewise/platform.h"
#include "tidewise/xml/dom.h"

namespace tw::importer {
namespace {

using com::ComPtr;
using com::VARIANT_FALSE;
using xml::IXMLDOMDocument2;

struct _SampleImporter : com::IUnknown {
  static constexpr com::GUID IID = com::guid("{A08F92E8-CBC7-11D4-A79E-0008C7DF8C99}");
  static constexpr std::string_view Name = "_SampleImporter";

 protected:
  ~_SampleImporter() = default;
};

constexpr com::GUID CLSID_SampleImporter = com::guid("{A08F92E9-CBC7-11D4-A79E-0008C7DF8C99}");

constexpr std::string_view kName = "Tidewise Importer";
constexpr std::string_view kDefaultFilename = "myFile.xml";
// Appended to the folder as it stands, separator included.
constexpr std::string_view kStylesheet = "\\toVelmarModel.xslt";
constexpr std::string_view kNoFolderMessage =
    "You must set the TIDEWISE_STYLESHEETS variable in your environment to reference Tidewise "
    "stylesheets";
constexpr std::string_view kTitle = "Importer";

ComPtr<IXMLDOMDocument2> NewXmlDocument() {
  auto document = com::create_instance<IXMLDOMDocument2>(xml::CLSID_DOMDocument);
  com::check(document->put_async(VARIANT_FALSE), "IXMLDOMDocument.async");
  com::check(document->put_validateOnParse(VARIANT_FALSE), "IXMLDOMDocument.validateOnParse");
  com::check(document->put_resolveExternals(VARIANT_FALSE), "IXMLDOMDocument.resolveExternals");
  return document;
}

// A file that cannot be read or parsed would leave an empty document, and a
// stylesheet that makes output from nothing would replace the item's
// metadata with it: the import ends here instead, saying why.
void load(IXMLDOMDocument2& document, const std::string& file) {
  com::VARIANT_BOOL loaded = VARIANT_FALSE;
  com::check(document.load(com::Variant::str(file), &loaded), "IXMLDOMDocument.load");
  if (com::from_variant_bool(loaded)) return;
  std::optional<com::ErrorInfo> info = com::GetErrorInfo();
  if (info && !info->description.empty()) {
    throw com::Error(com::E_FAIL, info->description, "IXMLDOMDocument.load");
  }
  throw com::Error(com::E_FAIL, "IXMLDOMDocument.load: cannot load \"" + file + "\"",
                   "IXMLDOMDocument.load");
}

class SampleImporter final
    : public com::Object<SampleImporter, _SampleImporter, host::IMetadataImport> {
 public:
  com::HRESULT get_Name(std::string* name) noexcept override {
    return com::boundary("IMetadataImport.Name", [&] { com::out_param(name) = kName; });
  }
  com::HRESULT get_DefaultFilename(std::string* name) noexcept override {
    return com::boundary("IMetadataImport.DefaultFilename",
                         [&] { com::out_param(name) = kDefaultFilename; });
  }

  com::HRESULT Import(std::string source, com::IUnknown* destination) noexcept override {
    return com::boundary("IMetadataImport.Import", [&] {
      const std::string file = std::move(source);
      const ComPtr<com::IUnknown> holder(destination);
      const std::string folder = platform::Setting(platform::kStylesheetFolder);
      if (folder.empty()) {
        platform::MsgBox(kNoFolderMessage, platform::kOkOnly, kTitle);
        return;
      }
      const auto source_document = NewXmlDocument();
      load(*source_document.get(), file);
      const auto stylesheet = NewXmlDocument();
      load(*stylesheet.get(), folder + std::string(kStylesheet));
      std::string converted;
      com::check(source_document->transformNode(stylesheet.get(), &converted),
                 "IXMLDOMNode.transformNode");

      const auto metadata =
          com::create_instance<host::IMetadataXml>(host::CLSID_XmlMetadataDocument);
      com::check(metadata->LoadXmlText(converted), "IMetadataXml.LoadXmlText");
      const auto values = metadata.as<host::IMetadataValues>();
      com::check(holder.as<host::IMetadataHolder>()->put_Metadata(values.get()),
                 "IMetadataHolder.put_Metadata");
    });
  }
};

com::ComPtr<com::IUnknown> create_importer() {
  return com::make_object<SampleImporter>().as<com::IUnknown>();
}

const com::ClassEntry kClasses[] = {{CLSID_SampleImporter, "SampleImporter",
                                     "Importer.SampleImporter", _SampleImporter::IID,
                                     "_SampleImporter", &create_importer}};

}  // namespace

const com::ModuleInfo kModule{
    {com::guid("{A08F92E7-CBC7-11D4-A79E-0008C7DF8C99}"), "Importer", "1.0"}, kClasses};

}  // namespace tw::importer

TW_EXPORT_COM_MODULE(tw::importer::kModule)
