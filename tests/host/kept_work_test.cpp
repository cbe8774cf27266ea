#include "tidewise/host/kept_work.h"

#include <gtest/gtest.h>

namespace tw::host {
namespace {

TEST(KeptWorkTest, EveryStepReadsBackFromItsJournalLineAsItWasKept) {
  const Step steps[] = {
      Step::edits_on("Purpose", {{Edit::Kind::Type, "txtInfo", "Typed\nover two lines"},
                                 {Edit::Kind::Pick, "cmbStatus", "completed"},
                                 {Edit::Kind::Check, "lstThemes", "Shoreline"},
                                 {Edit::Kind::Uncheck, "chkQuanAttAcc", ""},
                                 {Edit::Kind::Choose, "optVector", ""},
                                 {Edit::Kind::Select, "lstKeywords", "2"},
                                 {Edit::Kind::Click, "cmdAdd", ""}}),
      Step::imported({"record.xml", "<MD_Metadata/>", ImportMode::Fill}),
      Step::imported({"r.xml", "", ImportMode::Replace}),
  };
  for (const Step& step : steps) {
    const Json line = step_json(step);
    const std::optional<Step> read = step_of(Json::parse(line.dump()));
    ASSERT_TRUE(read) << line.dump();
    EXPECT_EQ(step_json(*read), line);
  }
}

TEST(KeptWorkTest, ALineThatIsNoStepReadsAsNone) {
  const char* lines[] = {
      R"([])",
      R"({})",
      R"({"page": "Purpose"})",
      R"({"page": "Purpose", "edits": []})",
      R"({"page": "Purpose", "edits": [{"kind": "paint", "control": "txtInfo", "value": "x"}]})",
      R"({"page": "Purpose", "edits": [{"kind": "type", "control": "txtInfo", "value": 3}]})",
      R"({"page": "Purpose", "edits": [{"kind": "type", "value": "x"}]})",
      R"({"page": 1, "edits": [{"kind": "type", "control": "txtInfo", "value": "x"}]})",
      R"({"import": {"fileName": "r.xml"}})",
      R"({"import": {"fileName": "r.xml", "content": "<a/>", "mode": "merge"}})",
      R"({"import": "r.xml"})",
  };
  for (const char* line : lines) EXPECT_FALSE(step_of(Json::parse(line))) << line;
  // A journal written before imports named their mode replaced.
  const auto older =
      step_of(Json::parse(R"({"import": {"fileName": "r.xml", "content": "<a/>"}})"));
  ASSERT_TRUE(older && older->import);
  EXPECT_EQ(older->import->mode, ImportMode::Replace);
}

}  // namespace
}  // namespace tw::host
