// The scope of the quality report and the extent of that scope. The scope
// page tracks changes and stores the level as a code; the extent page writes
// all its values on every unload.

#include "framework/page_classes.h"

namespace tw::custom {
namespace {

using forms::Kind;

constexpr forms::ControlSpec kScopeControls[] = {
    {"lblIntro", Kind::Label,
     "Specify the specific data to which the data quality information applies", 240, 600, 9120,
     255},
    {"lblLevel", Kind::Label, "Level", 240, 1080, 1200, 255},
    {.name = "cmbLevel",
     .kind = Kind::ComboBox,
     .caption = "attribute",
     .left = 1560,
     .top = 1020,
     .width = 2900,
     .height = 315,
     .tab_index = 0,
     .items = kScopeLevels},
    {"frmDesc", Kind::Frame, "Detailed description about the level of the data", 240, 1620, 9120,
     1455},
    {"lblDataSet", Kind::Label, "Dataset to which the information applies", 120, 360, 3480, 255, -1,
     "frmDesc"},
    {"txtDataSet", Kind::TextBox, "", 3720, 300, 5200, 1000, 1, "frmDesc"},
};

constexpr Field kScopeFields[] = {
    {"cmbLevel", "dqInfo/dqScope/scpLvl/ScopeCd", FieldKind::Code, &kScopeCodes},
    {"txtDataSet", "dqInfo/dqScope/scpLvlDesc/datasetSet"},
};

constexpr std::string_view kScopeHandlers[] = {"cmbLevel", "txtDataSet"};
// A level picked from the list is the user's choice as much as a typed one.
constexpr std::string_view kScopePickHandlers[] = {"cmbLevel"};

constexpr forms::ControlSpec kExtentControls[] = {
    {"lblDesc", Kind::Label, "Description", 240, 660, 1200, 255},
    {"txtDesc", Kind::TextBox, "", 1560, 600, 7800, 315, 0},
    {"frmGeo", Kind::Frame, "Geographic position of the dataset", 240, 1080, 9120, 1695},
    {"lblTypeCode", Kind::Label, "The bounding box encompasses", 120, 300, 2400, 255, -1, "frmGeo"},
    {"optTrue", Kind::OptionButton, "an area covered by the data", 2640, 270, 2900, 315, 12,
     "frmGeo"},
    {"optFalse", Kind::OptionButton, "an area where data is not present", 5640, 270, 3300, 315, 13,
     "frmGeo"},
    {"lblWest", Kind::Label, "West bound longitude", 120, 780, 1500, 435, -1, "frmGeo"},
    {"txtWest", Kind::TextBox, "", 1680, 780, 1200, 315, 1, "frmGeo"},
    {"lblEast", Kind::Label, "East bound longitude", 3000, 780, 1500, 435, -1, "frmGeo"},
    {"txtEast", Kind::TextBox, "", 4560, 780, 1200, 315, 2, "frmGeo"},
    {"lblAltiLong", Kind::Label, "Altitude bound longitude", 5880, 780, 1800, 435, -1, "frmGeo"},
    {"txtAltiLong", Kind::TextBox, "", 7740, 780, 1200, 315, 3, "frmGeo"},
    {"lblSouth", Kind::Label, "South bound latitude", 120, 1260, 1500, 435, -1, "frmGeo"},
    {"txtSouth", Kind::TextBox, "", 1680, 1260, 1200, 315, 4, "frmGeo"},
    {"lblNorth", Kind::Label, "North bound latitude", 3000, 1260, 1500, 435, -1, "frmGeo"},
    {"txtNorth", Kind::TextBox, "", 4560, 1260, 1200, 315, 5, "frmGeo"},
    {"lblAltiLat", Kind::Label, "Altitude bound latitude", 5880, 1260, 1800, 435, -1, "frmGeo"},
    {"txtAltiLat", Kind::TextBox, "", 7740, 1260, 1200, 315, 6, "frmGeo"},
    {"frmTemporal", Kind::Frame,
     "Time period covered by the content of the dataset (YYYY-MM-DDThh-mm-ss)", 240, 2880, 9120,
     735},
    {"lblBegin", Kind::Label, "Begin", 120, 330, 900, 255, -1, "frmTemporal"},
    {"txtBegin", Kind::TextBox, "", 1080, 300, 3000, 315, 7, "frmTemporal"},
    {"End", Kind::Label, "End", 4560, 330, 900, 255, -1, "frmTemporal"},
    {"txtEnd", Kind::TextBox, "", 5520, 300, 3000, 315, 8, "frmTemporal"},
    {"frmVertical", Kind::Frame, "Vertical domain of the dataset", 240, 3720, 9120, 735},
    {"lblMin", Kind::Label, "Minimum", 120, 330, 900, 255, -1, "frmVertical"},
    {"txtMin", Kind::TextBox, "", 1080, 300, 1500, 315, 9, "frmVertical"},
    {"lblMax", Kind::Label, "Maximum", 2760, 330, 900, 255, -1, "frmVertical"},
    {"txtMax", Kind::TextBox, "", 3720, 300, 1500, 315, 10, "frmVertical"},
    {"lblUnit", Kind::Label, "Unit of measure", 5400, 330, 1380, 255, -1, "frmVertical"},
    {"txtUnit", Kind::TextBox, "", 6840, 300, 1800, 315, 11, "frmVertical"},
};

constexpr Field kExtentFields[] = {
    {"optTrue", "dqInfo/dqScope/scpExt/GeoBndBox/exTypeCode", FieldKind::Flag, nullptr, "optFalse"},
    {"txtDesc", "dqInfo/dqScope/scpExt/exDescr"},
    {"txtWest", "dqInfo/dqScope/scpExt/GeoBndBox/westBL"},
    {"txtEast", "dqInfo/dqScope/scpExt/GeoBndBox/eastBL"},
    {"txtAltiLong", "dqInfo/dqScope/scpExt/GeoBndBox/altiBoundLongitude"},
    {"txtSouth", "dqInfo/dqScope/scpExt/GeoBndBox/southBL"},
    {"txtNorth", "dqInfo/dqScope/scpExt/GeoBndBox/northBL"},
    {"txtAltiLat", "dqInfo/dqScope/scpExt/GeoBndBox/altiBoundLatitude"},
    {"txtBegin", "dqInfo/dqScope/scpExt/tempEle/exTemp/beginEnd/begin"},
    {"txtEnd", "dqInfo/dqScope/scpExt/tempEle/exTemp/beginEnd/end"},
    {"txtMin", "dqInfo/dqScope/scpExt/vertEle/vertMinVal"},
    {"txtMax", "dqInfo/dqScope/scpExt/vertEle/vertMaxVal"},
    {"txtUnit", "dqInfo/dqScope/scpExt/vertEle/vertUoM"},
};

// The description is written before the inclusion flag it is read after.
constexpr std::string_view kExtentWriteOrder[] = {
    "txtDesc",    "optTrue",  "txtWest", "txtEast", "txtAltiLong", "txtSouth", "txtNorth",
    "txtAltiLat", "txtBegin", "txtEnd",  "txtMin",  "txtMax",      "txtUnit"};

}  // namespace

extern const PageData kQualityScopePage, kQualityExtentPage;

constexpr PageData kQualityScopePage{
    .class_name = "QualityScope",
    .clsid = com::guid("{F5926A46-FDDE-4786-AF82-3626FA33D186}"),
    .default_iid = com::guid("{8D590C2A-C94A-4FC5-8FAA-66621A60F9CF}"),
    .default_title = "Scope",
    .controls = kScopeControls,
    .fields = kScopeFields,
    .change_handlers = kScopeHandlers,
    .pick_handlers = kScopePickHandlers,
    .changed_after_load = false,
    .xml_up_front = true,
    .answer = Answer::True,
    .update_flag = true,
};

constexpr PageData kQualityExtentPage{
    .class_name = "QualityExtent",
    .clsid = com::guid("{9FEA14FE-843B-40AF-A060-4F2A8DB328BD}"),
    .default_iid = com::guid("{8759EAC5-68EC-4756-B57D-2493583B02F0}"),
    .default_title = "Scope extent",
    .controls = kExtentControls,
    .fields = kExtentFields,
    .write_order = kExtentWriteOrder,
    .xml_up_front = true,
    .answer = Answer::True,
    .update_flag = true,
};

}  // namespace tw::custom
