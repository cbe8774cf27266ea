// The spatial representation type, stored as a code and shown as its label.
// The choice touches no other page or book.

#include "framework/page_classes.h"
#include "identification/code_list_pages.h"

namespace tw::custom {
namespace {

using forms::Kind;

constexpr std::string_view kTypes[] = {"vector", "grid",        "textTable",
                                       "tin",    "stereoModel", "video"};

constexpr forms::ControlSpec kControls[] = {
    {"lblSpatial", Kind::Label, "Method used to spatially represent geographic information", 240,
     840, 4695, 255},
    {.name = "cmbSpatial",
     .kind = Kind::ComboBox,
     .caption = "vector",
     .left = 5040,
     .top = 780,
     .width = 2415,
     .height = 315,
     .tab_index = 0,
     .items = kTypes},
};

constexpr Field kFields[] = {
    {"cmbSpatial", "dataIdInfo/spatRpType/spatRepTypCd", FieldKind::Code, &kSpatialCodes},
};

class SpatialRepPage final : public PageWith<_SpatialRep> {
 public:
  using PageWith::PageWith;

  com::HRESULT SpatialToLabel(const std::string& value, std::string* label) noexcept override {
    return com::boundary("_SpatialRep.SpatialToLabel",
                         [&] { com::out_param(label) = kSpatialCodes.label_of(value); });
  }
};

}  // namespace

constexpr CodeList kSpatialCodes{kTypes};

extern const PageData kSpatialRepPage;
constexpr PageData kSpatialRepPage{
    .class_name = "SpatialRep",
    .clsid = com::guid("{F7512AD1-5C3F-4752-AF99-5F324E88A50C}"),
    .default_iid = _SpatialRep::IID,
    .default_title = "Spatial representation",
    .controls = kControls,
    .fields = kFields,
};

com::ComPtr<com::IUnknown> create_spatial_rep_page() {
  return com::make_object<SpatialRepPage>(kSpatialRepPage).as<com::IUnknown>();
}

}  // namespace tw::custom
