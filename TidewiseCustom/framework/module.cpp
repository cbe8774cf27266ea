// The library's classes: registration, unregistration and creation all walk
// this one table.

#include "framework/connect.h"
#include "framework/page_classes.h"
#include "tidewise/com/factory.h"

namespace tw::custom {
namespace {

com::ComPtr<com::IUnknown> create_connect() {
  auto connect = com::make_object<Connect>();
  return com::ComPtr<com::IUnknown>(connect->identity());
}

template <const PageData& Data>
constexpr com::ClassEntry page_class(std::string_view prog_id, std::string_view interface_name,
                                     com::CreateFunction create = &create_page<Data>) {
  return {Data.clsid, Data.class_name, prog_id, Data.default_iid, interface_name, create};
}

const com::ClassEntry kClasses[] = {
    {CLSID_Connect, "Connect", "TidewiseCustomPage.Connect", _Connect::IID, "_Connect",
     &create_connect},
    page_class<kMetadataPage>("TidewiseCustomPage.Metadata", "_Metadata"),
    page_class<kQualityConformancePage>("TidewiseCustomPage.QualityConformance",
                                        "_QualityConformance"),
    page_class<kQualityScopePage>("TidewiseCustomPage.QualityScope", "_QualityScope"),
    page_class<kQualityExtentPage>("TidewiseCustomPage.QualityExtent", "_QualityExtent"),
    page_class<kQualityReportPage>("TidewiseCustomPage.QualityReport", "_QualityReport"),
    page_class<kQualityElementPage>("TidewiseCustomPage.QualityElement", "_QualityElement"),
    page_class<kQualityQuantitativePage>("TidewiseCustomPage.QualityQuantitative",
                                         "_QualityQuantitative"),
    page_class<kPurposePage>("TidewiseCustomPage.Purpose", "_Purpose"),
    page_class<kStatusPage>("TidewiseCustomPage.Status", "_Status"),
    page_class<kLineagePage>("TidewiseCustomPage.Lineage", "_Lineage"),
    page_class<kContactPage>("TidewiseCustomPage.Contact", "_Contact"),
    page_class<kConstraintPage>("TidewiseCustomPage.Constraint", "_Constraint",
                                &create_constraint_page),
    page_class<kSpatialRepPage>("TidewiseCustomPage.SpatialRep", "_SpatialRep",
                                &create_spatial_rep_page),
    page_class<kExtentPage>("TidewiseCustomPage.Extent", "_Extent"),
    page_class<kFormatPage>("TidewiseCustomPage.Format", "_Format"),
    page_class<kVectorRepresentationPage>("TidewiseCustomPage.VectorRepresentation",
                                          "_VectorRepresentation"),
    page_class<kProjectionDescPage>("TidewiseCustomPage.ProjectionDesc", "_ProjectionDesc"),
    page_class<kEllipsoidDescPage>("TidewiseCustomPage.EllipsoidDesc", "_EllipsoidDesc"),
    page_class<kDatumDescPage>("TidewiseCustomPage.DatumDesc", "_DatumDesc"),
    page_class<kGridRepresentationPage>("TidewiseCustomPage.GridRepresentation",
                                        "_GridRepresentation"),
    page_class<kSchemaInfoPage>("TidewiseCustomPage.SchemaInfo", "_SchemaInfo"),
    page_class<kTidewiseExtPage>("TidewiseCustomPage.TidewiseExt", "_TidewiseExt"),
    page_class<kReferenceSysPage>("TidewiseCustomPage.ReferenceSys", "_ReferenceSys"),
    page_class<kGeoDescPage>("TidewiseCustomPage.GeoDesc", "_GeoDesc"),
};

}  // namespace

const com::ModuleInfo kModule{
    {com::guid("{8A1A30CC-6C4D-4D3F-9C34-761338128FA7}"), "TidewiseCustomPage", "1.0"}, kClasses};

}  // namespace tw::custom

TW_EXPORT_COM_MODULE(tw::custom::kModule)
