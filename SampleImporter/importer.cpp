// The importer component. Until the conversion is built it registers its
// class and answers its constants; Import reports that it is not available.

#include "tidewise/com/factory.h"
#include "tidewise/host/interfaces.h"

namespace tw::importer {
namespace {

struct _SampleImporter : com::IUnknown {
  static constexpr com::GUID IID = com::guid("{A08F92E8-CBC7-11D4-A79E-0008C7DF8C99}");
  static constexpr std::string_view Name = "_SampleImporter";

 protected:
  ~_SampleImporter() = default;
};

constexpr com::GUID CLSID_SampleImporter = com::guid("{A08F92E9-CBC7-11D4-A79E-0008C7DF8C99}");

class SampleImporter final
    : public com::Object<SampleImporter, _SampleImporter, host::IMetadataImport> {
 public:
  com::HRESULT get_Name(std::string* name) noexcept override {
    return com::boundary("IMetadataImport.Name",
                         [&] { com::out_param(name) = "Tidewise Importer"; });
  }
  com::HRESULT get_DefaultFilename(std::string* name) noexcept override {
    return com::boundary("IMetadataImport.DefaultFilename",
                         [&] { com::out_param(name) = "myFile.xml"; });
  }
  com::HRESULT Import(std::string, com::IUnknown*) noexcept override {
    return com::boundary("IMetadataImport.Import", [] {
      com::raise(com::E_NOTIMPL, "importing is not available in this build");
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
