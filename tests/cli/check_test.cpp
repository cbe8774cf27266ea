// tidewise check: an item's problems, each with its page, control, value and
// what is expected; exit 0 without any, 1 with some.

#include "cli/cli_fixture.h"

namespace tw::cli {
namespace {

class CheckCli : public CliTest {
 protected:
  void edit(const std::string& page, const std::vector<std::string>& types) {
    std::vector<std::string> args = {"edit", item_.string(), page};
    for (const std::string& type : types) {
      args.emplace_back("--type");
      args.push_back(type);
    }
    const Outcome r = run(args);
    ASSERT_EQ(r.status, 0) << r.err;
  }

  // The problems --json lists, as "PAGE CONTROL VALUE KIND".
  std::vector<std::string> problems(const json& answer) const {
    std::vector<std::string> found;
    for (const json& p : answer.at("problems")) {
      found.push_back((p["page"].is_null() ? "-" : p["page"]["uniqueName"].get<std::string>()) +
                      " " + (p["control"].is_null() ? "-" : p["control"].get<std::string>()) + " " +
                      (p["value"].is_null() ? "-" : p["value"].get<std::string>()) + " " +
                      p["kind"].get<std::string>());
    }
    return found;
  }
};

TEST_F(CheckCli, ANonNumericCoordinateAndAStatusOutsideItsListAreBothTold) {
  const Outcome clean = run({"check", item_.string()});
  EXPECT_EQ(clean.status, 0) << clean.out << clean.err;
  EXPECT_EQ(clean.out, "no problems\n");
  edit("QualityExtent", {"txtWest=abc", "txtEast=-4.3", "txtSouth=48.3", "txtNorth=48.4"});
  edit("Status", {"cmbStatus=in progress"});
  const std::string before = test::read_file(item_);

  const Outcome text = run({"check", item_.string()});
  EXPECT_EQ(text.status, 1) << text.err;
  EXPECT_NE(text.out.find("Status \"Status\", cmbStatus \"in progress\": is not an entry of the "
                          "list: expected one of completed, historicalArchive"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("QualityExtent \"Scope extent\", txtWest \"abc\": is not a number: "
                          "expected a longitude"),
            std::string::npos)
      << text.out;

  const Outcome r = run({"check", item_.string(), "--json"});
  EXPECT_EQ(r.status, 1) << r.err;
  const json answer = json::parse(r.out);
  EXPECT_EQ(answer["item"], item_.string());
  // The export's own copy of "abc" is the same problem, told once.
  EXPECT_EQ(problems(answer), (std::vector<std::string>{"Status cmbStatus in progress list",
                                                        "QualityExtent txtWest abc value"}));
  const json& status = answer["problems"][0];
  EXPECT_EQ(status["page"]["title"], "Status");
  EXPECT_NE(status["message"].get<std::string>().find("expected one of"), std::string::npos);
  // Checking never writes.
  EXPECT_EQ(test::read_file(item_), before);
}

TEST_F(CheckCli, ObligationsAndWhatTheExportCouldNotCarry) {
  // A title only: the rest of the citation is missing; the host's bounding
  // box page shows the odd coordinate, which the export finds too and is
  // told once.
  test::write_file(item_,
                   "<metadata><mdDateSt>2024-02-29</mdDateSt><dataIdInfo><idCitation>"
                   "<resTitle>Harbour</resTitle></idCitation><idPurp>p</idPurp>"
                   "<idStatus>onGoing</idStatus><dataExt><geoEle><GeoBndBox>"
                   "<westBL>4,5</westBL><eastBL>5</eastBL><southBL>48</southBL>"
                   "<northBL>49</northBL></GeoBndBox></geoEle></dataExt></dataIdInfo>"
                   "<dqInfo><dataLineage><statement>s</statement></dataLineage></dqInfo>"
                   "</metadata>");
  const Outcome r = run({"check", item_.string(), "--json"});
  EXPECT_EQ(r.status, 1) << r.err;
  const json answer = json::parse(r.out);
  EXPECT_EQ(problems(answer),
            (std::vector<std::string>{"BoundingBoxes txtWest 4,5 value", "- - - missing",
                                      "- - - missing", "- - - missing"}));
  const auto message = [&](int i) { return answer["problems"][i]["message"].get<std::string>(); };
  EXPECT_NE(message(0).find("decimal comma"), std::string::npos);
  EXPECT_NE(message(1).find("citation"), std::string::npos);
  EXPECT_NE(message(2).find("abstract"), std::string::npos);
  EXPECT_NE(message(3).find("contact"), std::string::npos);
}

// A service identification is checked against srv's schema, which the ISO
// 19139 schemas lack, and the same item in ISO 19115-3 against its schemas.
TEST_F(CheckCli, TheExportIsCheckedInTheStandardAskedForServicesIncluded) {
  test::write_file(
      item_,
      "<metadata><mdContact><rpOrgName>Harbour</rpOrgName><role><RoleCd value=\"007\"/>"
      "</role></mdContact><mdDateSt>2024-02-29</mdDateSt><dataIdInfo><idCitation>"
      "<resTitle>Tide service</resTitle><resRefDate><refDate>2024-01-01</refDate>"
      "<refDateType><DateTypCd value=\"002\"/></refDateType></resRefDate></idCitation>"
      "<idAbs>Water levels</idAbs><idPurp>p</idPurp><idStatus>onGoing</idStatus>"
      "<svType>view</svType><svCouplType>loose</svCouplType><svOper><operName>GetMap"
      "</operName><DCP>WebServices</DCP><connPoint><linkage>https://tide.example.org/wms"
      "</linkage></connPoint></svOper></dataIdInfo><dqInfo><dataLineage><statement>s"
      "</statement></dataLineage></dqInfo></metadata>");
  for (const std::string format : {"iso19139", "iso19115-3"}) {
    SCOPED_TRACE(format);
    const Outcome r = run({"check", item_.string(), "--json", "--format", format});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(json::parse(r.out).at("problems"), json::array());
  }
  const Outcome unknown = run({"check", item_.string(), "--format", "gmd"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("--format"), std::string::npos) << unknown.err;
}

TEST_F(CheckCli, WhatCannotBeCheckedIsAnError) {
  const Outcome missing = run({"check", (home_ / "absent.xml").string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("does not exist"), std::string::npos) << missing.err;
  EXPECT_FALSE(fs::exists(home_ / "absent.xml"));
  const Outcome usage = run({"check"});
  EXPECT_EQ(usage.status, 2);
  const Outcome folder = run({"check", item_.string(), "--stylesheets", (home_ / "no").string()});
  EXPECT_EQ(folder.status, 2) << folder.err;
}

}  // namespace
}  // namespace tw::cli
