// The host's pages of the data's quality: the reports of every kind of
// quality test with their conformance and quantitative results, and the
// lineage's process steps and sources, each in the data quality section
// (one a scope) that holds them.

#include "pages.h"

namespace tw::hostpages {
namespace {

using std::to_array;

// Both pages start with the list of the record's data quality sections.
constexpr auto section_controls(std::string_view what) {
  return join(
      to_array<ControlSpec>({
          intro(what),
          label("lblSections", "Data quality sections", 0, kLabelLeft, kFullWidth),
          list_box("lstSections", 0.7, 4, 0),
      }),
      list_buttons("cmdAddSection", "cmdRemoveSection", "cmdSectionUp", "cmdSectionDown", 0.7, 1));
}
constexpr Repeat sections(std::span<const Field> fields,
                          std::span<const std::string_view> caption) {
  return {.list = "lstSections",
          .path = "dqInfo",
          .fields = fields,
          .caption = caption,
          .entry_name = "Section",
          .add = "cmdAddSection",
          .remove = "cmdRemoveSection",
          .up = "cmdSectionUp",
          .down = "cmdSectionDown"};
}

constexpr ControlSpec option(std::string_view name, std::string_view caption, double row, int tab,
                             int left) {
  return {.name = name,
          .kind = Kind::OptionButton,
          .caption = caption,
          .left = left,
          .top = row_top(row),
          .width = 1200,
          .height = kLineHeight,
          .tab_index = tab};
}

// ---- Reports and their results

constexpr auto kReportControls = join(
    section_controls("How good the data is: the reports of its quality tests and their results"),
    to_array<ControlSpec>({
        label("lblScope", "Scope of the section", 4.9),
        combo("cmbScope", 4.9, 5),
        label("lblReports", "Reports of the section", 6.1, kLabelLeft, kFullWidth),
        list_box("lstReports", 6.8, 4, 6),
        label("lblKind", "Kind of test", 11),
        combo("cmbKind", 11, 11, kFieldLeft, 4800),
        label("lblMeasName", "Name of the test", 12),
        text("txtMeasName", 12, 12),
        label("lblMeasCode", "Identifier of the test", 13),
        text("txtMeasCode", 13, 13, kFieldLeft, kHalfWidth),
        label("lblMeasSpace", "Code space", 13, kSecondLabel, kSecondLabelWidth),
        text("txtMeasSpace", 13, 14, kSecondField, kSecondFieldWidth),
        label("lblMeasDesc", "Description of the test", 14),
        text("txtMeasDesc", 14, 15),
        label("lblEvalType", "Evaluation method", 15),
        combo("cmbEvalType", 15, 16),
        label("lblEvalDesc", "Description of the evaluation", 16),
        text("txtEvalDesc", 16, 17),
        label("lblMeasDate", "Date of the test", 17),
        text("txtMeasDate", 17, 18, kFieldLeft, kHalfWidth),
        label("lblResults", "Conformance results of the report", 18.2, kLabelLeft, kFullWidth),
        list_box("lstResults", 18.9, 4, 19),
        label("lblSpec", "Specification", 23.1),
        text("txtSpec", 23.1, 24),
        label("lblSpecDate", "Date of the specification", 24.1),
        text("txtSpecDate", 24.1, 25, kFieldLeft, kHalfWidth, 1, "date"),
        label("lblSpecDateType", "Date type", 24.1, kSecondLabel, kSecondLabelWidth),
        combo("cmbSpecDateType", 24.1, 26, kSecondField, kSecondFieldWidth),
        label("lblExplain", "Explanation", 25.1),
        text("txtExplain", 25.1, 27, kFieldLeft, kFieldWidth, 1.6),
        label("lblPass", "Result of the test", 26.7),
        option("optPass", "pass", 26.7, 28, kFieldLeft),
        option("optFail", "fail", 26.7, 29, kFieldLeft + 1440),
        label("lblQuan", "Quantitative results of the report", 27.9, kLabelLeft, kFullWidth),
        list_box("lstQuan", 28.6, 4, 30),
        label("lblQuanVal", "Values (one a line)", 32.8),
        text("txtQuanVal", 32.8, 35, kFieldLeft, kFieldWidth, 1.6),
        label("lblQuanUnit", "Unit of the values", 34.4),
        text("txtQuanUnit", 34.4, 36, kFieldLeft, kHalfWidth),
        label("lblQuanType", "Value type", 34.4, kSecondLabel, kSecondLabelWidth),
        text("txtQuanType", 34.4, 37, kSecondField, kSecondFieldWidth),
        label("lblErrStat", "Error statistic", 35.4),
        text("txtErrStat", 35.4, 38),
    }),
    list_buttons("cmdAddReport", "cmdRemoveReport", "cmdReportUp", "cmdReportDown", 6.8, 7),
    list_buttons("cmdAddResult", "cmdRemoveResult", "cmdResultUp", "cmdResultDown", 18.9, 20),
    list_buttons("cmdAddQuan", "cmdRemoveQuan", "cmdQuanUp", "cmdQuanDown", 28.6, 31));

constexpr Field kScopeFields[] = {
    {.control = "cmbScope",
     .path = "dqScope/scpLvl/ScopeCd",
     .kind = FieldKind::WordsAt,
     .words = &kScopeCodes,
     .required = true},
};
constexpr std::string_view kScopeCaption[] = {"cmbScope"};
constexpr Field kReportFields[] = {
    {.control = "txtMeasName", .path = "measName"},
    {.control = "txtMeasCode", .path = "measId/identCode"},
    {.control = "txtMeasSpace", .path = "measId/idCodeSpace"},
    {.control = "txtMeasDesc", .path = "measDesc"},
    {.control = "cmbEvalType",
     .path = "evalMethType",
     .kind = FieldKind::Words,
     .words = &kEvaluations},
    {.control = "txtEvalDesc", .path = "evalMethDesc"},
    {.control = "txtMeasDate", .path = "measDateTm"},
};
constexpr std::string_view kReportCaption[] = {"cmbKind", "txtMeasName", "txtMeasCode"};
constexpr Field kConformanceFields[] = {
    {.control = "txtSpec", .path = "conSpec/resTitle", .required = true},
    {.control = "txtSpecDate", .path = "conSpec/resRefDate/refDate"},
    {.control = "cmbSpecDateType",
     .path = "conSpec/resRefDate/refDateType/DateTypCd",
     .kind = FieldKind::WordsAt,
     .words = &kDateTypes},
    {.control = "txtExplain", .path = "conExpl", .required = true},
    {.control = "optPass",
     .path = "conPass",
     .kind = FieldKind::Flag,
     .unselected = "optFail",
     .required = true},
};
constexpr std::string_view kConformanceCaption[] = {"txtSpec", "txtSpecDate"};
constexpr Field kQuantitativeFields[] = {
    {.control = "txtQuanVal",
     .path = "quanVal",
     .kind = FieldKind::Lines,
     .required = true,
     .sub = "otherValue"},
    {.control = "txtQuanUnit", .path = "UomScale/uomName", .required = true},
    {.control = "txtQuanType", .path = "quanValType"},
    {.control = "txtErrStat", .path = "errStat"},
};
constexpr std::string_view kQuantitativeCaption[] = {"txtQuanVal", "txtQuanUnit"};
constexpr Repeat kReportLists[] = {
    sections(kScopeFields, kScopeCaption),
    {.list = "lstReports",
     .path = "",
     .parent = "lstSections",
     .fields = kReportFields,
     .caption = kReportCaption,
     .entry_name = "Report",
     .add = "cmdAddReport",
     .remove = "cmdRemoveReport",
     .up = "cmdReportUp",
     .down = "cmdReportDown",
     .kinds = &kQualityKinds,
     .kind = "cmbKind"},
    {.list = "lstResults",
     .path = "ConResult",
     .parent = "lstReports",
     .fields = kConformanceFields,
     .caption = kConformanceCaption,
     .entry_name = "Conformance result",
     .add = "cmdAddResult",
     .remove = "cmdRemoveResult",
     .up = "cmdResultUp",
     .down = "cmdResultDown"},
    {.list = "lstQuan",
     .path = "QuanResult",
     .parent = "lstReports",
     .fields = kQuantitativeFields,
     .caption = kQuantitativeCaption,
     .entry_name = "Quantitative result",
     .add = "cmdAddQuan",
     .remove = "cmdRemoveQuan",
     .up = "cmdQuanUp",
     .down = "cmdQuanDown"},
};

// ---- Lineage: process steps and sources

constexpr auto kLineageControls =
    join(section_controls("Where the data came from: the steps that made it and its sources"),
         to_array<ControlSpec>({
             label("lblStatement", "Statement of the lineage", 4.9),
             text("txtStatement", 4.9, 5, kFieldLeft, kFieldWidth, 3),
             label("lblStatementLink", "Link of the statement (anchor)", 7.9),
             text("txtStatementLink", 7.9, 6),
             label("lblSteps", "Process steps", 9.1, kLabelLeft, kFullWidth),
             list_box("lstSteps", 9.8, 4, 7),
             label("lblStepDesc", "Description of the step", 14),
             text("txtStepDesc", 14, 12, kFieldLeft, kFieldWidth, 1.6),
             label("lblStepRat", "Why it was done", 15.6),
             text("txtStepRat", 15.6, 13),
             label("lblStepDate", "When (date and time)", 16.6),
             text("txtStepDate", 16.6, 14, kFieldLeft, kHalfWidth),
             label("lblStepProc", "Processed by (organisation)", 17.6),
             text("txtStepProc", 17.6, 15),
             label("lblSources", "Sources", 18.8, kLabelLeft, kFullWidth),
             list_box("lstSources", 19.5, 4, 16),
             label("lblSrcDesc", "Description of the source", 23.7),
             text("txtSrcDesc", 23.7, 21, kFieldLeft, kFieldWidth, 1.6),
             label("lblSrcTitle", "Citation of the source", 25.3),
             text("txtSrcTitle", 25.3, 22),
             label("lblSrcDate", "Date of the citation", 26.3),
             text("txtSrcDate", 26.3, 23, kFieldLeft, kHalfWidth, 1, "date"),
             label("lblSrcScale", "Scale 1 :", 26.3, kSecondLabel, kSecondLabelWidth),
             text("txtSrcScale", 26.3, 24, kSecondField, kSecondFieldWidth, 1, "integer >0"),
             label("lblSrcRefSys", "Reference system of the source", 27.3),
             text("txtSrcRefSys", 27.3, 25),
         }),
         list_buttons("cmdAddStep", "cmdRemoveStep", "cmdStepUp", "cmdStepDown", 9.8, 8),
         list_buttons("cmdAddSource", "cmdRemoveSource", "cmdSourceUp", "cmdSourceDown", 19.5, 17));

constexpr Field kStatementFields[] = {
    {.control = "txtStatement", .path = "dataLineage/statement"},
    {.control = "txtStatementLink",
     .path = "dataLineage/statement",
     .kind = FieldKind::Attribute,
     .attribute = "href"},
};
constexpr std::string_view kStatementCaption[] = {"txtStatement"};
constexpr Field kStepFields[] = {
    {.control = "txtStepDesc", .path = "stepDesc", .required = true},
    {.control = "txtStepRat", .path = "stepRat"},
    {.control = "txtStepDate", .path = "stepDateTm"},
    {.control = "txtStepProc", .path = "stepProc/rpOrgName"},
};
constexpr std::string_view kStepCaption[] = {"txtStepDate", "txtStepDesc"};
constexpr Field kSourceFields[] = {
    {.control = "txtSrcDesc", .path = "srcDesc"},
    {.control = "txtSrcTitle", .path = "srcCitatn/resTitle"},
    {.control = "txtSrcDate", .path = "srcCitatn/resRefDate/refDate"},
    {.control = "txtSrcScale", .path = "srcScale/rfDenom"},
    {.control = "txtSrcRefSys", .path = "srcRefSys/refSysId/identCode"},
};
constexpr std::string_view kSourceCaption[] = {"txtSrcTitle", "txtSrcDesc"};
// ISO: a source is described or cited.
constexpr std::string_view kSourceEither[] = {"txtSrcDesc", "txtSrcTitle"};
constexpr Repeat kLineageLists[] = {
    sections(kStatementFields, kStatementCaption),
    {.list = "lstSteps",
     .path = "dataLineage/prcStep",
     .parent = "lstSections",
     .fields = kStepFields,
     .caption = kStepCaption,
     .entry_name = "Step",
     .add = "cmdAddStep",
     .remove = "cmdRemoveStep",
     .up = "cmdStepUp",
     .down = "cmdStepDown"},
    {.list = "lstSources",
     .path = "dataLineage/dataSource",
     .parent = "lstSections",
     .fields = kSourceFields,
     .caption = kSourceCaption,
     .entry_name = "Source",
     .add = "cmdAddSource",
     .remove = "cmdRemoveSource",
     .up = "cmdSourceUp",
     .down = "cmdSourceDown",
     .one_of = kSourceEither},
};

}  // namespace

extern const PageData kDataQualityPage;
constexpr PageData kDataQualityPage =
    host_page("DataQuality", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A51}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A52}"), "Data quality reports",
              kReportControls, {}, kReportLists);
extern const PageData kLineageSourcesPage;
constexpr PageData kLineageSourcesPage =
    host_page("LineageSources", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A53}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A54}"), "Lineage: steps and sources",
              kLineageControls, {}, kLineageLists);

}  // namespace tw::hostpages
