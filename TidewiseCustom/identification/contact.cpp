// The point of contact of the resource: twelve values, all written on every
// unload once loaded. The role is stored as the name the box shows.

#include "framework/page_classes.h"

namespace tw::custom {
namespace {

using forms::Kind;

constexpr std::string_view kRoles[] = {
    "resourceProvider", "custodian",  "owner",          "user",
    "distributor",      "originator", "pointOfContact", "principalInvestigator",
    "processor",        "publisher"};

constexpr int kLabelLeft = 240, kLabelWidth = 3000, kFieldLeft = 3360, kFieldWidth = 5880;
// Inside the address frame: a label column, and a second column for the
// rows that hold two values.
constexpr int kInLabel = 120, kInLabelWidth = 1800, kInField = 2040, kInFullWidth = 6960;
constexpr int kInHalfWidth = 2400, kInLabel2 = 4560, kInLabel2Width = 1200, kInField2 = 5880,
              kInField2Width = 3120;

constexpr forms::ControlSpec kControls[] = {
    {"lblName", Kind::Label, "Point of contact's name", kLabelLeft, 720, kLabelWidth, 255},
    {"txtName", Kind::TextBox, "", kFieldLeft, 690, kFieldWidth, 315, 0},
    {"lblOrg", Kind::Label, "Point of contact's organization name", kLabelLeft, 1140, kLabelWidth,
     255},
    {"txtOrg", Kind::TextBox, "", kFieldLeft, 1110, kFieldWidth, 315, 1},
    {"lblPos", Kind::Label, "Point of contact's position or role in the organization", kLabelLeft,
     1560, kLabelWidth, 435},
    {"txtPos", Kind::TextBox, "", kFieldLeft, 1530, kFieldWidth, 315, 2},
    {"lblRole", Kind::Label, "Function in relation to the dataset", kLabelLeft, 2040, kLabelWidth,
     255},
    {.name = "cmbRole",
     .kind = Kind::ComboBox,
     .left = kFieldLeft,
     .top = 2010,
     .width = 2895,
     .height = 315,
     .tab_index = 11,
     .items = kRoles},
    {"frmAddress", Kind::Frame, "Point of contact's address", kLabelLeft, 2520, 9000, 2940},
    {"lblDel", Kind::Label, "Delivery point", kInLabel, 360, kInLabelWidth, 255, -1, "frmAddress"},
    {"txtDel", Kind::TextBox, "", kInField, 330, kInFullWidth, 315, 3, "frmAddress"},
    {"lblCity", Kind::Label, "City", kInLabel, 780, kInLabelWidth, 255, -1, "frmAddress"},
    {"txtCity", Kind::TextBox, "", kInField, 750, kInFullWidth, 315, 4, "frmAddress"},
    {"lblAdmin", Kind::Label, "Administrative area", kInLabel, 1200, kInLabelWidth, 255, -1,
     "frmAddress"},
    {"txtAdmin", Kind::TextBox, "", kInField, 1170, kInFullWidth, 315, 5, "frmAddress"},
    {"lblPostal", Kind::Label, "Postal code", kInLabel, 1620, kInLabelWidth, 255, -1, "frmAddress"},
    {"txtPostal", Kind::TextBox, "", kInField, 1590, kInHalfWidth, 315, 6, "frmAddress"},
    {"lblCountry", Kind::Label, "Country", kInLabel2, 1620, kInLabel2Width, 255, -1, "frmAddress"},
    {"txtCountry", Kind::TextBox, "", kInField2, 1590, kInField2Width, 315, 7, "frmAddress"},
    {"lblTel", Kind::Label, "Telephone", kInLabel, 2040, kInLabelWidth, 255, -1, "frmAddress"},
    {"txtTel", Kind::TextBox, "", kInField, 2010, kInHalfWidth, 315, 8, "frmAddress"},
    {"lblFax", Kind::Label, "Faxsimile", kInLabel2, 2040, kInLabel2Width, 255, -1, "frmAddress"},
    {"txtFax", Kind::TextBox, "", kInField2, 2010, kInField2Width, 315, 9, "frmAddress"},
    {"lblEmail", Kind::Label, "E-mail", kInLabel, 2460, kInLabelWidth, 255, -1, "frmAddress"},
    {"txtEmail", Kind::TextBox, "", kInField, 2430, kInFullWidth, 315, 10, "frmAddress"},
};

constexpr Field kFields[] = {
    {"txtName", "dataIdInfo/idPoC/rpIndName"},
    {"txtOrg", "dataIdInfo/idPoC/rpOrgName"},
    {"txtPos", "dataIdInfo/idPoC/rpPosName"},
    {"cmbRole", "dataIdInfo/idPoC/role"},
    {"txtDel", "dataIdInfo/idPoC/rpCntInfo/cntAddress/delPoint"},
    {"txtCity", "dataIdInfo/idPoC/rpCntInfo/cntAddress/city"},
    {"txtAdmin", "dataIdInfo/idPoC/rpCntInfo/cntAddress/adminArea"},
    {"txtPostal", "dataIdInfo/idPoC/rpCntInfo/cntAddress/postCode"},
    {"txtCountry", "dataIdInfo/idPoC/rpCntInfo/cntAddress/country"},
    {"txtEmail", "dataIdInfo/idPoC/rpCntInfo/cntAddress/eMailAdd"},
    {"txtTel", "dataIdInfo/idPoC/rpCntInfo/cntPhone/voiceNum"},
    {"txtFax", "dataIdInfo/idPoC/rpCntInfo/cntPhone/faxNum"},
};

}  // namespace

extern const PageData kContactPage;
constexpr PageData kContactPage{
    .class_name = "Contact",
    .clsid = com::guid("{CA4D9FB4-56BB-4AC9-81CB-84EFF5129B5E}"),
    .default_iid = com::guid("{78141F8C-9101-4359-A261-B6799E10F3C3}"),
    .default_title = "Point of contact for the resource",
    .controls = kControls,
    .fields = kFields,
};

}  // namespace tw::custom
