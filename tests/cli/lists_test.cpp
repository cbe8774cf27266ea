// The host's pages on the command line: entries of a list selected, buttons
// clicked and list items ticked, in the order given, saved as the page
// writes them; what cannot be done is a usage error that writes nothing.

#include "cli/cli_fixture.h"

namespace tw::cli {
namespace {

class ListsCli : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    fs::copy_file(fs::path(TIDEWISE_SOURCE_DIR) / "tests/data/hostpages/full-record.xml", record_);
  }
  const fs::path record_ = home_.path() / "record.xml";
};

TEST_F(ListsCli, SelectClickAndCheckEditTheListsOfAPage) {
  const json edited = run_json({"edit", record_.string(), "Keywords", "--select", "lstSets=1",
                                "--click", "cmdAddKeyword", "--type", "txtKeyword=harbour",
                                "--click", "cmdKeywordUp", "--json"});
  EXPECT_EQ(edited["saved"], true);
  EXPECT_EQ(edited["unloadPage"], true);
  const json& keywords = test::control(edited["page"], "lstKeywords");
  EXPECT_EQ(keywords["items"], json({"harbour", "Kestrel Bay"}));
  EXPECT_EQ(keywords["value"], 0);
  EXPECT_EQ(test::control(edited["page"], "cmdKeywordUp")["enabled"], false);
  const std::string file = test::read_file(record_);
  EXPECT_NE(file.find("<keyword>harbour</keyword>\n      <keyword>Kestrel Bay</keyword>"),
            std::string::npos)
      << file;

  const json topics = run_json({"edit", record_.string(), "TopicCategories", "--check",
                                "lstTopics=Health", "--uncheck", "lstTopics=Oceans", "--json"});
  const json& list = test::control(topics["page"], "lstTopics");
  const auto at = [&](std::string_view item) {
    for (std::size_t i = 0; i < list["items"].size(); ++i) {
      if (list["items"][i] == item) return list["checked"][i].get<bool>();
    }
    ADD_FAILURE() << item;
    return false;
  };
  EXPECT_TRUE(at("Health"));
  EXPECT_FALSE(at("Oceans"));
  EXPECT_TRUE(at("Biota"));
  EXPECT_NE(test::read_file(record_).find("<TopicCatCd value=\"009\"/>"), std::string::npos);
}

TEST_F(ListsCli, WhatTheListCannotDoIsAUsageErrorAndWritesNothing) {
  const std::string before = test::read_file(record_);
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"Keywords", "--select", "lstSets=2"}, "\"lstSets\" has no item 2 (it has 2)"},
      {{"Keywords", "--select", "lstSets=one"}, "is not a position in the list of \"lstSets\""},
      {{"Keywords", "--select", "lstSets"}, "--select: expected CONTROL=TEXT"},
      {{"Keywords", "--select", "txtKeyword=0"}, "not a list box"},
      {{"Keywords", "--click", "cmdSetUp"}, "that is disabled now"},
      {{"Keywords", "--click", "lstSets"}, "not a button"},
      // The second set has no set after it to move below.
      {{"Keywords", "--select", "lstSets=1", "--click", "cmdSetDown"}, "disabled"},
      {{"TopicCategories", "--check", "lstTopics=Astrology"}, "is not an item of the list"},
      {{"Citation", "--check", "txtTitle"}, "not a check box or a list with check marks"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"edit", record_.string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome r = run(args);
    EXPECT_EQ(r.status, 2) << c.message << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_EQ(test::read_file(record_), before);
}

}  // namespace
}  // namespace tw::cli
