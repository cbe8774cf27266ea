// The exact document calls of LoadPage and UnloadPage on the pages whose
// fields are plain element texts, from a document that holds a value at every
// path: each path's value is its own name, so the writes show what went where.

#include <gtest/gtest.h>

#include "pages/calls.h"
#include "support/pages.h"

namespace tw::testing {
namespace {

using namespace calls;
using Calls = std::vector<std::string>;

// A step of a page's sequence: a text read or written at a path, a flag
// ("true"/"false") read or written, or the update flag.
struct Step {
  enum Kind { Text, Flag, UpdateFlag } kind;
  std::string path;
  std::string value = {};  // flags: what is written
};

Step text(std::string path) {
  return {Step::Text, std::move(path)};
}
Step flag(std::string path, std::string written) {
  return {Step::Flag, std::move(path), std::move(written)};
}
const Step kFlag{Step::UpdateFlag, ""};

struct Sequence {
  const char* page;
  const char* unique_name;
  const char* title;  // after LoadPage
  std::vector<Step> load;
  std::vector<Step> unload;
  bool answer;
};

Calls load_calls(const std::vector<Step>& steps) {
  Calls result;
  for (const Step& s : steps) {
    result.push_back(read(s.path));
  }
  return result;
}

Calls unload_calls(const std::vector<Step>& steps) {
  Calls result;
  for (const Step& s : steps) {
    switch (s.kind) {
      case Step::UpdateFlag:
        result.push_back(kUpdateFlag);
        break;
      case Step::Text:
        result.push_back(write(s.path, s.path));
        break;
      case Step::Flag:
        result.push_back(write(s.path, s.value));
        break;
    }
  }
  return result;
}

class PageSequences : public ::testing::TestWithParam<Sequence> {};

TEST_P(PageSequences, ReadAndWriteInTheirOrder) {
  const Sequence& s = GetParam();
  PageRun run(s.page);
  for (const Step& step : s.load) {
    if (step.kind == Step::Text) run.document->values[step.path] = {Variant::str(step.path)};
    if (step.kind == Step::Flag) run.document->values[step.path] = {Variant::str("true")};
  }
  ASSERT_EQ(run.load(s.unique_name), com::S_OK) << last_error();
  EXPECT_EQ(run.take_calls(), load_calls(s.load));
  std::string title;
  ASSERT_EQ(run.page->get_Title(&title), com::S_OK);
  EXPECT_EQ(title, s.title);

  com::VARIANT_BOOL answer = 7;
  ASSERT_EQ(run.unload(&answer), com::S_OK) << last_error();
  EXPECT_EQ(run.take_calls(), unload_calls(s.unload));
  EXPECT_EQ(answer, com::to_variant_bool(s.answer));
}

std::string element(const char* name, const char* sub) {
  return std::string("dqInfo/") + name + sub;
}

std::vector<Sequence> sequences() {
  const char* e = "DQTopConsis";
  const char* p = "MdCoRefSys/projParas/";
  const std::string x = "dqInfo/dqScope/scpExt/";
  std::vector<Step> projection = {text("MdCoRefSys/projection/identCode")};
  for (const char* name : {"zone", "stanParal", "longCntMer", "latProjOri", "falEastng",
                           "falNorthng", "falENUnits", "sclFacEqu", "hgtProsPt", "longProjCnt",
                           "latProjCnt", "sclFacCnt", "stVrLongPl", "sclFacPrOr"}) {
    projection.push_back(text(std::string(p) + name));
  }
  std::vector<Step> element_steps;
  for (const char* sub :
       {"/measName", "/measId/identAuth/resTitle", "/measId/identCode", "/measDesc",
        "/evalMethType", "/evalMethDesc", "/evalProc/resTitle", "/measDateTm"}) {
    element_steps.push_back(text(element(e, sub)));
  }
  std::vector<Step> element_writes = element_steps;
  element_writes.insert(element_writes.begin(), kFlag);
  std::vector<Step> extent_boxes;
  for (const char* sub : {"GeoBndBox/westBL", "GeoBndBox/eastBL", "GeoBndBox/altiBoundLongitude",
                          "GeoBndBox/southBL", "GeoBndBox/northBL", "GeoBndBox/altiBoundLatitude",
                          "tempEle/exTemp/beginEnd/begin", "tempEle/exTemp/beginEnd/end",
                          "vertEle/vertMinVal", "vertEle/vertMaxVal", "vertEle/vertUoM"}) {
    extent_boxes.push_back(text(x + sub));
  }
  std::vector<Step> extent_load = {flag(x + "GeoBndBox/exTypeCode", "true"), text(x + "exDescr")};
  extent_load.insert(extent_load.end(), extent_boxes.begin(), extent_boxes.end());
  std::vector<Step> extent_unload = {kFlag, text(x + "exDescr"),
                                     flag(x + "GeoBndBox/exTypeCode", "true")};
  extent_unload.insert(extent_unload.end(), extent_boxes.begin(), extent_boxes.end());

  const std::string q = "dqInfo/DQCompleteComm/QuanResult/";
  return {
      {"QualityElement", "DQTopConsisEle", "Logical Consistency: Topological Consistency",
       element_steps, element_writes, true},
      {"QualityConformance",
       "DQTempValidConf",
       "Temporal validity: Conformance result",
       {text("dqInfo/DQTempValid/ConResult/conExpl"),
        flag("dqInfo/DQTempValid/ConResult/conPass", "true")},
       {text("dqInfo/DQTempValid/ConResult/conExpl"),
        flag("dqInfo/DQTempValid/ConResult/conPass", "true")},
       false},
      {"QualityQuantitative",
       "DQCompCommQuan",
       "Completeness commission: Quantitative result",
       {text(q + "quanValType"), text(q + "UomScale/uomName"), text(q + "errStat"),
        text(q + "quanVal/otherValue")},
       {text(q + "quanValType"), text(q + "UomScale/uomName"), text(q + "quanVal/otherValue"),
        text(q + "errStat")},
       false},
      {"QualityExtent", "QualityExtent", "Scope extent", extent_load, extent_unload, true},
      {"ReferenceSys",
       "ReferenceSys",
       "Reference system",
       {text("MdCoRefSys/refSysId/identCode")},
       {text("MdCoRefSys/refSysId/identCode")},
       true},
      {"GeoDesc",
       "GeoDesc",
       "Geographic description",
       {text("dataIdInfo/geoDesc/geoId/identCode"), flag("dataIdInfo/geoDesc/exTypeCode", "true")},
       {text("dataIdInfo/geoDesc/geoId/identCode"), flag("dataIdInfo/geoDesc/exTypeCode", "true")},
       false},
      {"ProjectionDesc", "ProjectionDesc", "Projection Description", projection, projection, true},
      {"EllipsoidDesc",
       "EllipsoidDesc",
       "Ellipsoid Description",
       {text("MdCoRefSys/ellipsoid/identCode"), text("MdCoRefSys/ellParas/semiMajAx"),
        text("MdCoRefSys/ellParas/axisUnits"), text("MdCoRefSys/ellParas/denFlatRat")},
       {text("MdCoRefSys/ellipsoid/identCode"), text("MdCoRefSys/ellParas/semiMajAx"),
        text("MdCoRefSys/ellParas/axisUnits"), text("MdCoRefSys/ellParas/denFlatRat")},
       true},
      {"DatumDesc",
       "DatumDesc",
       "Datum Description",
       {text("MdCoRefSys/datum/identCode")},
       {text("MdCoRefSys/datum/identCode")},
       true},
      {"GridRepresentation",
       "GridRepresentation",
       "Grid Representation",
       {text("GridSpatRep/numDims"), text("GridSpatRep/cellGeo"), text("GridSpatRep/tranParaAv"),
        text("GridSpatRep/axDimProps/dimName"), text("GridSpatRep/axDimProps/dimResol"),
        text("GridSpatRep/axDimProps/dimSize")},
       {kFlag, text("GridSpatRep/cellGeo"), text("GridSpatRep/numDims"),
        text("GridSpatRep/axDimProps/dimName"), text("GridSpatRep/axDimProps/dimSize"),
        text("GridSpatRep/axDimProps/dimResol"), text("GridSpatRep/tranParaAv")},
       true},
      {"SchemaInfo",
       "SchemaInfo",
       "Schema Information",
       {text("appSchInfo/asSchLang"), text("appSchInfo/asCstLang"), text("appSchInfo/asAscii"),
        text("appSchInfo/asGraFile/BinaryBase64")},
       {kFlag, text("appSchInfo/asSchLang"), text("appSchInfo/asCstLang"),
        text("appSchInfo/asAscii"), text("appSchInfo/asGraFile/BinaryBase64")},
       true},
      {"TidewiseExt",
       "TidewiseExt",
       "Tidewise theme",
       {text("tideExt/tidTopic")},
       {text("tideExt/tidTopic")},
       true},
  };
}

INSTANTIATE_TEST_SUITE_P(Pages, PageSequences, ::testing::ValuesIn(sequences()),
                         [](const auto& info) { return std::string(info.param.page); });

}  // namespace
}  // namespace tw::testing
