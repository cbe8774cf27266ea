// The three page classes that serve every quality element: the element's
// measure and evaluation, its conformance result and its quantitative
// result. The unique name an entry was added under chooses the element.

#include "framework/page_classes.h"

namespace tw::custom {
namespace {

using forms::Kind;

constexpr std::string_view kEvaluationTypes[] = {"directInternal", "directExternal", "indirect"};

constexpr forms::ControlSpec kElementControls[] = {
    {"lblName", Kind::Label, "Name of the test applied to the data", 120, 660, 2760, 255},
    {"txtName", Kind::TextBox, "", 3000, 630, 6000, 315, 0},
    {"frmCode", Kind::Frame, "Code identifying a registered standard procedure", 120, 1080, 8880,
     1095},
    {"lblId", Kind::Label, "Authority", 600, 300, 1680, 255, -1, "frmCode"},
    {"txtId", Kind::TextBox, "", 2400, 270, 6360, 315, 6, "frmCode"},
    {"lblCode", Kind::Label, "Value code", 600, 690, 1680, 255, -1, "frmCode"},
    {"txtCode", Kind::TextBox, "", 2400, 660, 6360, 315, 7, "frmCode"},
    {"lblDescr", Kind::Label, "Description of the measure", 120, 2340, 2760, 255},
    {"txtDescr", Kind::TextBox, "", 3000, 2310, 6000, 675, 1},
    {"lblEvalType", Kind::Label, "Type of method used to evaluate quality", 720, 3150, 2160, 435},
    {.name = "cmbEvalType",
     .kind = Kind::ComboBox,
     .left = 3000,
     .top = 3120,
     .width = 2535,
     .height = 315,
     .tab_index = 2,
     .items = kEvaluationTypes},
    {"lblEvalDescr", Kind::Label, "Description of the evaluation method", 120, 3690, 2760, 255},
    {"txtEvalDescr", Kind::TextBox, "", 3000, 3660, 6000, 675, 3},
    {"lblEvalProc", Kind::Label, "Reference to the procedure information", 120, 4500, 2760, 255},
    {"txtEvalProc", Kind::TextBox, "", 3000, 4470, 6000, 315, 5},
    {"lblDateTime", Kind::Label, "Date which a data quality measure was applied", 120, 4950, 2760,
     435},
    {"txtDateTime", Kind::TextBox, "", 3000, 4950, 3000, 315, 4},
};

constexpr Field kElementFields[] = {
    {"txtName", "/measName"},
    {"txtId", "/measId/identAuth/resTitle"},
    {"txtCode", "/measId/identCode"},
    {"txtDescr", "/measDesc"},
    {"cmbEvalType", "/evalMethType"},
    {"txtEvalDescr", "/evalMethDesc"},
    {"txtEvalProc", "/evalProc/resTitle"},
    {"txtDateTime", "/measDateTm"},
};

constexpr forms::ControlSpec kConformanceControls[] = {
    {"lblIntro", Kind::Label,
     "Information about the outcome of evaluating the obtained value against a specified "
     "acceptable conformance quality",
     240, 600, 9120, 435},
    {"lblExplanation", Kind::Label, "Explanation", 240, 1260, 2520, 255},
    {"txtExplanation", Kind::TextBox, "", 2880, 1200, 4800, 1455, 0},
    {"lblPass", Kind::Label, "Indication of the conformance result", 240, 2880, 2520, 255},
    {"optTrue", Kind::OptionButton, "pass", 2880, 2850, 1215, 315, 1},
    {"optFalse", Kind::OptionButton, "fail", 4200, 2850, 1215, 315, 2},
};

constexpr Field kConformanceFields[] = {
    {"txtExplanation", "/ConResult/conExpl"},
    {"optTrue", "/ConResult/conPass", FieldKind::Flag, nullptr, "optFalse"},
};

constexpr forms::ControlSpec kQuantitativeControls[] = {
    {"lblIntro", Kind::Label,
     "Information about the value obtained from applying a data quality measure", 240, 600, 9120,
     255},
    {"lblType", Kind::Label, "Value type for reporting a data quality result", 240, 1080, 4560,
     255},
    {"txtType", Kind::TextBox, "", 4920, 1020, 3850, 500, 0},
    {"lblUnit", Kind::Label, "Value unit for reporting a data quality result", 240, 1680, 4560,
     255},
    {"txtUnit", Kind::TextBox, "", 4920, 1620, 3850, 500, 1},
    {"lblError", Kind::Label, "Statistical method used", 240, 2280, 4560, 255},
    {"txtError", Kind::TextBox, "", 4920, 2220, 3850, 500, 3},
    {"lblValue", Kind::Label, "Quantitative value determined by the evaluation procedure", 240,
     2880, 4560, 255},
    {"txtValue", Kind::TextBox, "", 4920, 2820, 3850, 500, 2},
};

constexpr Field kQuantitativeFields[] = {
    {"txtType", "/QuanResult/quanValType"},
    {"txtUnit", "/QuanResult/UomScale/uomName"},
    {"txtError", "/QuanResult/errStat"},
    {"txtValue", "/QuanResult/quanVal/otherValue"},
};

// The value is written before the statistical method, unlike the load order.
constexpr std::string_view kQuantitativeWriteOrder[] = {"txtType", "txtUnit", "txtValue",
                                                        "txtError"};

constexpr QualityRole kElementRole{"Ele", ""};
constexpr QualityRole kConformanceRole{"Conf", ": Conformance result"};
constexpr QualityRole kQuantitativeRole{"Quan", ": Quantitative result"};

}  // namespace

extern const PageData kQualityElementPage, kQualityConformancePage, kQualityQuantitativePage;

constexpr PageData kQualityElementPage{
    .class_name = "QualityElement",
    .clsid = com::guid("{8DF3D4C5-B60B-4704-B764-9036B697DC4D}"),
    .default_iid = com::guid("{3E6483AD-1F30-4AB3-9B63-AC376ED0A2A4}"),
    .at_creation = TitleAtCreation::None,
    .controls = kElementControls,
    .fields = kElementFields,
    .answer = Answer::True,
    .update_flag = true,
    .on_load = TitleOnLoad::FromElement,
    .quality = &kElementRole,
};

constexpr PageData kQualityConformancePage{
    .class_name = "QualityConformance",
    .clsid = com::guid("{8C85FD6F-F460-47E5-92FF-F163A7696904}"),
    .default_iid = com::guid("{DB8A33BB-CFB7-4150-9333-EEC99C0713E7}"),
    .at_creation = TitleAtCreation::None,
    .controls = kConformanceControls,
    .fields = kConformanceFields,
    .changed_before_reads = true,
    .answer = Answer::False,
    .on_load = TitleOnLoad::FromElement,
    .quality = &kConformanceRole,
};

constexpr PageData kQualityQuantitativePage{
    .class_name = "QualityQuantitative",
    .clsid = com::guid("{FD0ECCDD-BF71-44DB-B239-FF54259D3871}"),
    .default_iid = com::guid("{BBDABDEC-56F5-43CE-90A0-5AD2933F3192}"),
    .at_creation = TitleAtCreation::None,
    .controls = kQuantitativeControls,
    .fields = kQuantitativeFields,
    .write_order = kQuantitativeWriteOrder,
    .changed_before_reads = true,
    .answer = Answer::False,
    .on_load = TitleOnLoad::FromElement,
    .quality = &kQuantitativeRole,
};

}  // namespace tw::custom
