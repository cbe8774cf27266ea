// The check list of the fifteen quality elements. It reads nothing from the
// document and writes nothing into it; leaving it with the quantitative
// attribute accuracy ticked makes sure the quality book holds that element's page.

#include "framework/page_classes.h"

namespace tw::custom {
namespace {

using forms::Kind;

constexpr int kLeftColumn = 150, kRightColumn = 3375, kWidth = 3135, kHeight = 255;

constexpr forms::ControlSpec check(std::string_view name, std::string_view caption, int left,
                                   int top, int tab_index) {
  return {name, Kind::CheckBox, caption, left, top, kWidth, kHeight, tab_index};
}
constexpr forms::ControlSpec heading(std::string_view name, std::string_view caption, int left,
                                     int top) {
  return {name, Kind::Label, caption, left, top, kWidth, kHeight};
}

constexpr forms::ControlSpec kControls[] = {
    heading("lblComplete", "Completeness", kLeftColumn, 525),
    check("chkCompOm", "Omission", kLeftColumn, 825, 0),
    check("chkCompComm", "Commision", kLeftColumn, 1125, 1),
    heading("lblLegCon", "Legal Consistency", kLeftColumn, 1875),
    check("chkConcConsis", "Conceptual Consistency", kLeftColumn, 2175, 2),
    check("chkDomConsis", "Domain Consistency", kLeftColumn, 2475, 3),
    check("chkFormConsis", "Format Consistency", kLeftColumn, 2775, 4),
    check("chkTopConsis", "Topological Consistency", kLeftColumn, 3075, 5),
    heading("lblPosAcc", "Positional Accuracy", kRightColumn, 525),
    check("ChkAbsExtPosAcc", "Absolute external accuracy", kRightColumn, 825, 14),
    check("chkGridDataPosAcc", "Grided data positional accuracy", kRightColumn, 1125, 13),
    check("chkRelIntPosAcc", "Relative internal positional accuracy", kRightColumn, 1425, 12),
    heading("lblTheme", "Thematic Accuracy", kRightColumn, 1875),
    check("chkThemClassCor", "Thematic classification correctness", kRightColumn, 2175, 11),
    check("chkNonQuanAttAcc", "Non-quantitative attribute accuracy", kRightColumn, 2475, 10),
    check("chkQuanAttAcc", "Quantitative attribute accuracy", kRightColumn, 2775, 9),
    heading("lblTemAcc", "Temporal Accuracy", kRightColumn, 3225),
    check("chkAccTimeMeas", "Accuracy of time measurement", kRightColumn, 3525, 6),
    check("chkTempConsis", "Temporal Consistency", kRightColumn, 3825, 7),
    check("chkTempVal", "Temporal validity", kRightColumn, 4125, 8),
};

// Unticking never removes a page; the other boxes are read by nothing.
bool ensure_quantitative_page(Page& page, host::IMetadataSections* tree) {
  if (page.control("chkQuanAttAcc").value() == 1) {
    AddPageIfMissing(tree, "QualityBook", "TidewiseCustomPage.QualityElement", "DQQuanAttAcc");
  }
  return true;
}

}  // namespace

extern const PageData kQualityReportPage;
constexpr PageData kQualityReportPage{
    .class_name = "QualityReport",
    .clsid = com::guid("{CC333A86-D786-49A9-A3A1-155ABB175225}"),
    .default_iid = com::guid("{3F0B265C-BCAB-4FC8-996B-7FD4600BD7A1}"),
    .at_creation = TitleAtCreation::None,
    .controls = kControls,
    .answer = Answer::True,
    .on_load = TitleOnLoad::Fixed,
    .load_title = "Data quality elements",
    .unload_action = &ensure_quantitative_page,
};

}  // namespace tw::custom
