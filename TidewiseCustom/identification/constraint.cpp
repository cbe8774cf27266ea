// The legal constraints of the resource: a free-text limitation of use, and
// the access and use restrictions stored as codes and shown as labels. Once
// loaded it writes all three values on every unload.

#include "framework/page_classes.h"
#include "identification/code_list_pages.h"

namespace tw::custom {
namespace {

using forms::Kind;

constexpr std::string_view kRestrictions[] = {"copyright",     "patent",
                                              "patentPending", "trademark",
                                              "license",       "intellectualPropertyRights",
                                              "restricted",    "otherRestrictions"};

constexpr forms::ControlSpec kControls[] = {
    {"lblLimitation", Kind::Label, "Limitation affecting the fitness for use of the resource", 240,
     720, 9120, 255},
    {"txtLimitation", Kind::TextBox, "", 240, 1020, 9120, 1455, 0},
    {"lblAccess", Kind::Label, "Access constraints applied on obtaining the resource", 240, 2640,
     9120, 255},
    {.name = "cmbAccess",
     .kind = Kind::ComboBox,
     .caption = "copyright",
     .left = 240,
     .top = 2940,
     .width = 3255,
     .height = 315,
     .tab_index = 1,
     .items = kRestrictions},
    {"lblUse", Kind::Label, "Constraints applied on using the resource", 240, 3480, 9120, 255},
    {.name = "cmbUse",
     .kind = Kind::ComboBox,
     .caption = "copyright",
     .left = 240,
     .top = 3780,
     .width = 3255,
     .height = 315,
     .tab_index = 2,
     .items = kRestrictions},
};

constexpr Field kFields[] = {
    {"txtLimitation", "dataIdInfo/LegConsts/useLimit"},
    {"cmbAccess", "dataIdInfo/LegConsts/accessConsts/RestrictCd", FieldKind::Code,
     &kRestrictionCodes},
    {"cmbUse", "dataIdInfo/LegConsts/useConsts/RestrictCd", FieldKind::Code, &kRestrictionCodes},
};

class ConstraintPage final : public PageWith<_Constraint> {
 public:
  using PageWith::PageWith;

  com::HRESULT RestrictionToLabel(const std::string& value, std::string* label) noexcept override {
    return com::boundary("_Constraint.RestrictionToLabel",
                         [&] { com::out_param(label) = kRestrictionCodes.label_of(value); });
  }
};

}  // namespace

constexpr CodeList kRestrictionCodes{kRestrictions};

extern const PageData kConstraintPage;
constexpr PageData kConstraintPage{
    .class_name = "Constraint",
    .clsid = com::guid("{049F4FF4-676C-4ED3-BF5A-B451748A358D}"),
    .default_iid = _Constraint::IID,
    .default_title = "Constraints",
    .controls = kControls,
    .fields = kFields,
};

com::ComPtr<com::IUnknown> create_constraint_page() {
  return com::make_object<ConstraintPage>(kConstraintPage).as<com::IUnknown>();
}

}  // namespace tw::custom
