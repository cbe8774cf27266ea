// The exporter component: asks the catalog item's metadata document to write
// itself to a file through the stylesheet of the folder the host gives (else
// TIDEWISE_STYLESHEETS), which converts it into the project's own model.

#include "tidewise/com/factory.h"
#include "tidewise/host/interfaces.h"
#include "tidewise/platform.h"

namespace tw::exporter {
namespace {

using com::ComPtr;

struct _SampleExporter : com::IUnknown {
  static constexpr com::GUID IID = com::guid("{12C383C5-CC63-11D4-A79F-0008C7DF8C99}");
  static constexpr std::string_view Name = "_SampleExporter";

 protected:
  ~_SampleExporter() = default;
};

constexpr com::GUID CLSID_SampleExporter = com::guid("{12C383C6-CC63-11D4-A79F-0008C7DF8C99}");

constexpr std::string_view kName = "Tidewise Exporter";
constexpr std::string_view kDefaultFilename = "myFile.xml";
// Appended to the folder as it stands, separator included.
constexpr std::string_view kStylesheet = "\\toTidewiseModel.xslt";
constexpr std::string_view kNoFolderMessage =
    "You must set the TIDEWISE_STYLESHEETS variable in your environment to reference Tidewise "
    "stylesheets";
constexpr std::string_view kTitle = "Exporter";

class SampleExporter final
    : public com::Object<SampleExporter, _SampleExporter, host::IMetadataExport> {
 public:
  com::HRESULT get_Name(std::string* name) noexcept override {
    return com::boundary("IMetadataExport.Name", [&] { com::out_param(name) = kName; });
  }
  com::HRESULT get_DefaultFilename(std::string* name) noexcept override {
    return com::boundary("IMetadataExport.DefaultFilename",
                         [&] { com::out_param(name) = kDefaultFilename; });
  }

  com::HRESULT Export(com::IUnknown* source, std::string destination) noexcept override {
    return com::boundary("IMetadataExport.Export", [&] {
      const ComPtr<com::IUnknown> holder(source);
      const std::string file = std::move(destination);
      // The metadata is asked for before the folder is known: an item that
      // cannot give it fails the export even without the variable.
      ComPtr<com::IUnknown> document;
      com::check(holder.as<host::IMetadataHolder>()->get_Metadata(document.put()),
                 "IMetadataHolder.Metadata");
      const std::string folder = platform::Setting(platform::kStylesheetFolder);
      if (folder.empty()) {
        platform::MsgBox(kNoFolderMessage, platform::kOkOnly, kTitle);
        return;
      }
      com::check(document.as<host::IMetadataXml>()->TransformToFile(
                     folder + std::string(kStylesheet), "", com::VARIANT_FALSE, file),
                 "IMetadataXml.TransformToFile");
    });
  }
};

com::ComPtr<com::IUnknown> create_exporter() {
  return com::make_object<SampleExporter>().as<com::IUnknown>();
}

const com::ClassEntry kClasses[] = {{CLSID_SampleExporter, "SampleExporter",
                                     "Exporter.SampleExporter", _SampleExporter::IID,
                                     "_SampleExporter", &create_exporter}};

}  // namespace

const com::ModuleInfo kModule{
    {com::guid("{12C383C4-CC63-11D4-A79F-0008C7DF8C99}"), "Exporter", "1.0"}, kClasses};

}  // namespace tw::exporter

TW_EXPORT_COM_MODULE(tw::exporter::kModule)
