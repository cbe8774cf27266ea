// The exporter component. Until the conversion is built it registers its
// class and answers its constants; Export reports that it is not available.

#include "tidewise/com/factory.h"
#include "tidewise/host/interfaces.h"

namespace tw::exporter {
namespace {

struct _SampleExporter : com::IUnknown {
  static constexpr com::GUID IID = com::guid("{12C383C5-CC63-11D4-A79F-0008C7DF8C99}");
  static constexpr std::string_view Name = "_SampleExporter";

 protected:
  ~_SampleExporter() = default;
};

constexpr com::GUID CLSID_SampleExporter = com::guid("{12C383C6-CC63-11D4-A79F-0008C7DF8C99}");

class SampleExporter final
    : public com::Object<SampleExporter, _SampleExporter, host::IMetadataExport> {
 public:
  com::HRESULT get_Name(std::string* name) noexcept override {
    return com::boundary("IMetadataExport.Name",
                         [&] { com::out_param(name) = "Tidewise Exporter"; });
  }
  com::HRESULT get_DefaultFilename(std::string* name) noexcept override {
    return com::boundary("IMetadataExport.DefaultFilename",
                         [&] { com::out_param(name) = "myFile.xml"; });
  }
  com::HRESULT Export(com::IUnknown*, std::string) noexcept override {
    return com::boundary("IMetadataExport.Export", [] {
      com::raise(com::E_NOTIMPL, "exporting is not available in this build");
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
