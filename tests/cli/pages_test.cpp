// Each page of the example item, opened, edited as a user would and left,
// through the tidewise tool: what the page wrote, in order, and what the
// tool answered.

#include "cli/cli_fixture.h"

namespace tw::cli {
namespace {

const std::string kNs = "http://www.tidewise.org/metadataModel/";

json write(const std::string& path, const std::string& text) {
  return {{"call", "IMetadataValues.WriteValue"}, {"args", {path, text}}};
}
json tag(const std::string& path) {
  return {{"call", "IMetadataXml.WriteAttribute"}, {"args", {path, "ns", kNs, 1}}};
}
json code(const std::string& path, const std::string& value) {
  return {{"call", "IMetadataXml.WriteAttribute"}, {"args", {path, "value", value, 2}}};
}
const json kUpdateFlag = {{"call", "IMetadataXml.SetUpdateFlag"}, {"args", {true}}};

struct PageEdit {
  const char* what;
  std::vector<std::string> args;  // after "edit ITEM"
  std::vector<json> writes;       // every call but the reads, in order
  bool unload_page;
  bool saved;
  bool completed;
  bool empty_item = false;  // on an item file that does not exist yet
};

const std::string kPoc = "dataIdInfo/idPoC/";
const std::string kAddress = kPoc + "rpCntInfo/cntAddress/";

std::vector<PageEdit> page_edits() {
  return {
      {"purpose left unedited", {"Purpose"}, {}, false, false, true},
      {"purpose emptied",
       {"Purpose", "--type", "txtInfo="},
       {write("dataIdInfo/idPurp", ""), tag("dataIdInfo/idPurp")},
       true,
       true,
       false},
      {"lineage of one space",
       {"QualityLineage", "--type", "txtInfo= "},
       {write("dqInfo/dataLineage/statement", " "), tag("dqInfo/dataLineage/statement")},
       true,
       true,
       true},
      {"extent emptied is still complete",
       {"Extent", "--type", "txtInfo="},
       {write("dataIdInfo/dataExt/exDesc", ""), tag("dataIdInfo/dataExt/exDesc")},
       true,
       true,
       true},
      {"format left unedited", {"Format"}, {}, false, false, true},
      {"format on an empty item", {"Format"}, {}, false, false, false, true},
      {"metadata writes the parent before the level",
       {"Metadata", "--type", "cmbChar=utf-8", "--pick", "cmbLevel=tile"},
       {kUpdateFlag, write("mdChar2", "utf-8"),
        write("mdParentID", "tw-coast-monitoring-programme"), write("mdHrLv2", "tile"),
        write("mdHrLvName", "Annual shoreline survey"),
        write("mdStanName2", "ISO 19115 Geographic Information - Metadata"),
        write("mdStanVer2", "2003"), write("mdDateSt", "2023-09-14")},
       true,
       true,
       true},
      {"status left unedited writes value then tag",
       {"Status"},
       {write("dataIdInfo/idStatus", "onGoing"), tag("dataIdInfo/idStatus")},
       true,
       true,
       true},
      {"status on an empty item is empty, not completed",
       {"Status"},
       {write("dataIdInfo/idStatus", ""), tag("dataIdInfo/idStatus")},
       true,
       true,
       true,
       true},
      {"contact left unedited writes all twelve in order",
       {"Contact"},
       {write(kPoc + "rpIndName", "Morag Ellison"),
        write(kPoc + "rpOrgName", "Harbour Point Coastal Observatory"),
        write(kPoc + "rpPosName", "Senior coastal surveyor"),
        write(kPoc + "role", "pointOfContact"), write(kAddress + "delPoint", "Unit 4, Quay Road"),
        write(kAddress + "city", "Harbour Point"), write(kAddress + "adminArea", "North Coast"),
        write(kAddress + "postCode", "HP4 7QR"), write(kAddress + "country", "United Kingdom"),
        write(kAddress + "eMailAdd", "survey@harbourpoint-coast.example"),
        write(kPoc + "rpCntInfo/cntPhone/voiceNum", "+44 1632 960 417"),
        write(kPoc + "rpCntInfo/cntPhone/faxNum", "+44 1632 960 418")},
       true,
       true,
       true},
      {"constraint codes both ways",
       {"Constraint", "--pick", "cmbAccess=otherRestrictions", "--type", "cmbUse=License"},
       {write("dataIdInfo/LegConsts/useLimit",
              "Positions are accurate to 0.05 m horizontally; not for navigation or legal "
              "boundary definition."),
        code("dataIdInfo/LegConsts/accessConsts/RestrictCd", "008"),
        code("dataIdInfo/LegConsts/useConsts/RestrictCd", "001")},
       true,
       true,
       true},
      {"spatial representation stores a code only",
       {"SpatialRep", "--pick", "cmbSpatial=tin"},
       {code("dataIdInfo/spatRpType/spatRepTypCd", "004")},
       true,
       true,
       true},
      {"vector representation writes all three after the flag",
       {"VectorRepresentation", "--type", "txtNumber=many"},
       {kUpdateFlag, write("VectSpatRep/topLvl", "geometryOnly"),
        write("VectSpatRep/geometObjs/geoObjTyp", "curve"),
        write("VectSpatRep/geometObjs/geoObjCnt", "many")},
       true,
       true,
       true},
      {"a picked scope level is an edit",
       {"QualityScope", "--pick", "cmbLevel=series"},
       {kUpdateFlag, code("dqInfo/dqScope/scpLvl/ScopeCd", "006"),
        write("dqInfo/dqScope/scpLvlDesc/datasetSet",
              "Shoreline and cliff-top lines, survey season 2023")},
       true,
       true,
       true},
      {"an unedited scope writes nothing", {"QualityScope"}, {}, true, false, true},
      {"the page the quality report adds edits its element",
       {"DQQuanAttAcc", "--class", "QualityElement", "--type", "txtName=RMSE"},
       {kUpdateFlag, write("dqInfo/DQQuanAttAcc/measName", "RMSE"),
        write("dqInfo/DQQuanAttAcc/measId/identAuth/resTitle", ""),
        write("dqInfo/DQQuanAttAcc/measId/identCode", ""),
        write("dqInfo/DQQuanAttAcc/measDesc", ""), write("dqInfo/DQQuanAttAcc/evalMethType", ""),
        write("dqInfo/DQQuanAttAcc/evalMethDesc", ""),
        write("dqInfo/DQQuanAttAcc/evalProc/resTitle", ""),
        write("dqInfo/DQQuanAttAcc/measDateTm", "")},
       true,
       true,
       true},
      {"a result page outside the element table touches nothing",
       {"Elsewhere", "--class", "QualityConformance", "--type", "txtExplanation=lost?"},
       {},
       false,
       false,
       true},
      {"a typed scope level does",
       {"QualityScope", "--type", "cmbLevel=series"},
       {kUpdateFlag, code("dqInfo/dqScope/scpLvl/ScopeCd", "006"),
        write("dqInfo/dqScope/scpLvlDesc/datasetSet",
              "Shoreline and cliff-top lines, survey season 2023")},
       true,
       true,
       true},
  };
}

class PageEdits : public CliTest, public ::testing::WithParamInterface<PageEdit> {};

TEST_P(PageEdits, WriteWhatThePageWritesInItsOrder) {
  const PageEdit& e = GetParam();
  const fs::path item = e.empty_item ? home_.path() / "new-item.xml" : item_;
  const fs::path trace = home_.path() / "trace.jsonl";
  std::vector<std::string> args = {"edit", item.string()};
  args.insert(args.end(), e.args.begin(), e.args.end());
  args.insert(args.end(), {"--json", "--trace", trace.string()});
  const std::string before = e.empty_item ? "" : test::read_file(item);

  const json out = run_json(args);
  ASSERT_FALSE(out.is_null());
  EXPECT_EQ(out.at("queryUnload"), true);
  EXPECT_EQ(out.at("unloadPage"), e.unload_page);
  EXPECT_EQ(out.at("saved"), e.saved);
  EXPECT_EQ(out.at("page").at("completed"), e.completed);

  std::vector<json> writes;
  for (const json& line : read_trace(trace)) {
    const std::string call = line.at("call");
    if (call != "IMetadataValues.ReadValues" && call != "IMetadataXml.ReadAttribute") {
      writes.push_back(line);
    }
  }
  EXPECT_EQ(json(writes).dump(1), json(e.writes).dump(1));
  if (!e.saved) {
    EXPECT_EQ(fs::exists(item) ? test::read_file(item) : "", before) << "the item changed";
  }
}

INSTANTIATE_TEST_SUITE_P(Pages, PageEdits, ::testing::ValuesIn(page_edits()), [](const auto& info) {
  std::string name = info.param.what;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
});

TEST_F(CliTest, ShowDisplaysEachIdentificationPageAsLoaded) {
  struct Shown {
    const char* page;
    const char* control;
    const char* text;
  };
  const Shown shown[] = {
      {"Metadata", "cmbChar", "utf8"},
      {"Purpose", "txtInfo",
       "Monitor cliff-top retreat and beach lowering to support the shoreline management plan "
       "review."},
      {"Status", "cmbStatus", "onGoing"},
      {"Contact", "cmbRole", "pointOfContact"},
      {"Constraint", "cmbUse", "license"},
      {"SpatialRep", "cmbSpatial", "vector"},
      {"Extent", "txtInfo",
       "Kestrel Bay (transect KB-001) to Harbour Point breakwater (transect HP-212)"},
      {"Format", "txtInfo", "GeoPackage"},
      {"VectorRepresentation", "txtName", "curve"},
  };
  for (const Shown& s : shown) {
    const json page = run_json({"show", item_.string(), s.page, "--json"});
    ASSERT_FALSE(page.is_null()) << s.page;
    EXPECT_EQ(page.at("uniqueName"), s.page);
    EXPECT_EQ(page.at("progId"), std::string("TidewiseCustomPage.") + s.page);
    EXPECT_EQ(control(page, s.control).at("text"), s.text) << s.page;
  }
}

}  // namespace
}  // namespace tw::cli
