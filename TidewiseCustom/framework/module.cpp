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

const com::ClassEntry kClasses[] = {
    {CLSID_Connect, "Connect", "TidewiseCustomPage.Connect", _Connect::IID, "_Connect",
     &create_connect},
    page_class<kProgIdPrefix, kMetadataPage>(),
    page_class<kProgIdPrefix, kQualityConformancePage>(),
    page_class<kProgIdPrefix, kQualityScopePage>(),
    page_class<kProgIdPrefix, kQualityExtentPage>(),
    page_class<kProgIdPrefix, kQualityReportPage>(),
    page_class<kProgIdPrefix, kQualityElementPage>(),
    page_class<kProgIdPrefix, kQualityQuantitativePage>(),
    page_class<kProgIdPrefix, kPurposePage>(),
    page_class<kProgIdPrefix, kStatusPage>(),
    page_class<kProgIdPrefix, kLineagePage>(),
    page_class<kProgIdPrefix, kContactPage>(),
    page_class<kProgIdPrefix, kConstraintPage>(&create_constraint_page),
    page_class<kProgIdPrefix, kSpatialRepPage>(&create_spatial_rep_page),
    page_class<kProgIdPrefix, kExtentPage>(),
    page_class<kProgIdPrefix, kFormatPage>(),
    page_class<kProgIdPrefix, kVectorRepresentationPage>(),
    page_class<kProgIdPrefix, kProjectionDescPage>(),
    page_class<kProgIdPrefix, kEllipsoidDescPage>(),
    page_class<kProgIdPrefix, kDatumDescPage>(),
    page_class<kProgIdPrefix, kGridRepresentationPage>(),
    page_class<kProgIdPrefix, kSchemaInfoPage>(),
    page_class<kProgIdPrefix, kTidewiseExtPage>(),
    page_class<kProgIdPrefix, kReferenceSysPage>(),
    page_class<kProgIdPrefix, kGeoDescPage>(),
};

}  // namespace

const com::ModuleInfo kModule{
    {com::guid("{8A1A30CC-6C4D-4D3F-9C34-761338128FA7}"), "TidewiseCustomPage", "1.0"}, kClasses};

}  // namespace tw::custom

TW_EXPORT_COM_MODULE(tw::custom::kModule)
