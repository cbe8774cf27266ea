// The library's classes: registration, unregistration and creation all walk
// this one table.

#include <string>

#include "framework/connect.h"
#include "framework/page_classes.h"
#include "tidewise/com/factory.h"

namespace tw::custom {
namespace {

com::ComPtr<com::IUnknown> create_connect() {
  auto connect = com::make_object<Connect>();
  return com::ComPtr<com::IUnknown>(connect->identity());
}

// A page class's programmatic identifier and interface name follow from its
// class name; each instantiation keeps its own copies of them.
template <const PageData& Data>
com::ClassEntry page_class(com::CreateFunction create = &create_page<Data>) {
  static const std::string prog_id = std::string(kProgIdPrefix) + std::string(Data.class_name);
  static const std::string interface_name = "_" + std::string(Data.class_name);
  return {Data.clsid, Data.class_name, prog_id, Data.default_iid, interface_name, create};
}

const com::ClassEntry kClasses[] = {
    {CLSID_Connect, "Connect", "TidewiseCustomPage.Connect", _Connect::IID, "_Connect",
     &create_connect},
    page_class<kMetadataPage>(),
    page_class<kQualityConformancePage>(),
    page_class<kQualityScopePage>(),
    page_class<kQualityExtentPage>(),
    page_class<kQualityReportPage>(),
    page_class<kQualityElementPage>(),
    page_class<kQualityQuantitativePage>(),
    page_class<kPurposePage>(),
    page_class<kStatusPage>(),
    page_class<kLineagePage>(),
    page_class<kContactPage>(),
    page_class<kConstraintPage>(&create_constraint_page),
    page_class<kSpatialRepPage>(&create_spatial_rep_page),
    page_class<kExtentPage>(),
    page_class<kFormatPage>(),
    page_class<kVectorRepresentationPage>(),
    page_class<kProjectionDescPage>(),
    page_class<kEllipsoidDescPage>(),
    page_class<kDatumDescPage>(),
    page_class<kGridRepresentationPage>(),
    page_class<kSchemaInfoPage>(),
    page_class<kTidewiseExtPage>(),
    page_class<kReferenceSysPage>(),
    page_class<kGeoDescPage>(),
};

}  // namespace

const com::ModuleInfo kModule{
    {com::guid("{8A1A30CC-6C4D-4D3F-9C34-761338128FA7}"), "TidewiseCustomPage", "1.0"}, kClasses};

}  // namespace tw::custom

TW_EXPORT_COM_MODULE(tw::custom::kModule)
