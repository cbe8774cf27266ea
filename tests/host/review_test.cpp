// What saving would change: every element text and attribute value that
// differs, with its path, old value and new value.

#include <gtest/gtest.h>

#include "tidewise/host/session.h"
#include "tidewise/xml/xml.h"

namespace tw::host {
namespace {

using Change = Difference::Change;

struct Case {
  const char* name;
  const char* before;
  const char* after;
  std::vector<Difference> expected;
};

class Differences : public ::testing::TestWithParam<Case> {};

TEST_P(Differences, AreListedWithPathOldAndNewValue) {
  const Case& c = GetParam();
  EXPECT_EQ(differences(c.before, c.after), c.expected);
}

const Case kCases[] = {
    {"Same", "<metadata><a>x</a></metadata>", "<metadata><a>x</a></metadata>", {}},
    {"LayoutIsNoValue", "<metadata>\n  <a>x</a>\n</metadata>", "<metadata><a>x</a></metadata>", {}},
    {"TextChanged",
     "<metadata><dataIdInfo><idPurp>old</idPurp></dataIdInfo></metadata>",
     "<metadata><dataIdInfo><idPurp>new</idPurp></dataIdInfo></metadata>",
     {{Change::Changed, "dataIdInfo/idPurp", "old", "new"}}},
    {"SpacesInsideAValueCount",
     "<metadata><a>x</a></metadata>",
     "<metadata><a>x </a></metadata>",
     {{Change::Changed, "a", "x", "x "}}},
    {"ElementAddedWithItsLeaves",
     "<metadata/>",
     "<metadata><dqInfo><dqScope><scpLvl><ScopeCd value=\"006\"/></scpLvl>"
     "<scpLvlDesc><datasetSet>s</datasetSet></scpLvlDesc></dqScope></dqInfo></metadata>",
     {{Change::Added, "dqInfo/dqScope/scpLvl/ScopeCd@value", std::nullopt, "006"},
      {Change::Added, "dqInfo/dqScope/scpLvlDesc/datasetSet", std::nullopt, "s"}}},
    {"EmptyElementAdded",
     "<metadata/>",
     "<metadata><a><b></b></a></metadata>",
     {{Change::Added, "a/b", std::nullopt, ""}}},
    {"ElementRemoved",
     "<metadata><a>x</a><b>y</b></metadata>",
     "<metadata><b>y</b></metadata>",
     {{Change::Removed, "a", "x", std::nullopt}}},
    {"AttributeAddedChangedRemoved",
     "<metadata><c value=\"001\" old=\"1\"/></metadata>",
     "<metadata><c value=\"005\" ns=\"u\"/></metadata>",
     {{Change::Changed, "c@value", "001", "005"},
      {Change::Added, "c@ns", std::nullopt, "u"},
      {Change::Removed, "c@old", "1", std::nullopt}}},
    {"RepeatedElementsPairByPlace",
     "<metadata><k>a</k><k>b</k><k>c</k></metadata>",
     "<metadata><k>a</k><k>B</k></metadata>",
     {{Change::Changed, "k[2]", "b", "B"}, {Change::Removed, "k[3]", "c", std::nullopt}}},
    {"AlikeChildrenNumberedWhereANameRepeats",
     "<metadata><a>1</a><k>x</k><b>2</b><k>y</k></metadata>",
     "<metadata><a>one</a><k>x</k><b>2</b><k>Y</k></metadata>",
     {{Change::Changed, "a", "1", "one"}, {Change::Changed, "k[2]", "y", "Y"}}},
    {"AlikeManyChildren",
     "<metadata><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/>"
     "<b v=\"1\" w=\"2\"/></metadata>",
     "<metadata><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/><a/><a>17</a>"
     "<b w=\"2\" v=\"1\"/></metadata>",
     {{Change::Changed, "a[17]", "", "17"}}},
    {"PrefixedNamesAreNotTheSame",
     "<metadata xmlns:p=\"urn:p\"><p:k>x</p:k><k>y</k></metadata>",
     "<metadata xmlns:p=\"urn:p\"><k>x</k><k>y</k></metadata>",
     {{Change::Changed, "k[1]", "y", "x"},
      {Change::Added, "k[2]", std::nullopt, "y"},
      {Change::Removed, "p:k", "x", std::nullopt}}},
    {"RootAttribute",
     "<metadata xml:lang=\"en\"/>",
     "<metadata xml:lang=\"fr\"/>",
     {{Change::Changed, "@xml:lang", "en", "fr"}}},
    {"AnotherRoot",
     "<metadata><a>x</a></metadata>",
     "<record><a>x</a></record>",
     {{Change::Removed, "/metadata/a", "x", std::nullopt},
      {Change::Added, "/record/a", std::nullopt, "x"}}},
};

INSTANTIATE_TEST_SUITE_P(Review, Differences, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// An item of 200 nested elements with names of 40,000 characters, and
// 20,000 elements added at the bottom: the review costs what reading the two
// costs. It lists a bounded number of changes, each path shortened in its
// middle, instead of copying the whole path of ancestors for every element.
TEST(Review, ADeepItemWithLongNamesIsReviewedInTimeLinearInItsSize) {
  std::string open, close;
  for (int level = 0; level < 200; ++level) {
    const std::string name = std::string(40'000, 'n') + std::to_string(level);
    open += "<" + name + ">";
    close = "</" + name + ">" + close;
  }
  std::string added;
  for (int i = 0; i < 20'000; ++i) added += "<e/>";
  const std::vector<Difference> listed =
      differences("<metadata>" + open + close + "</metadata>",
                  "<metadata>" + open + added + close + "</metadata>");
  ASSERT_EQ(listed.size(), kMostChangesListed);
  for (std::size_t i = 0; i < listed.size(); i += 997) {
    const Difference& d = listed[i];
    EXPECT_EQ(d.change, Change::Added);
    EXPECT_EQ(d.after, "");
    EXPECT_LT(d.path.size(), 2'000u);
    EXPECT_TRUE(d.path.starts_with(std::string(500, 'n'))) << d.path.substr(0, 80);
    EXPECT_NE(d.path.find("\u2026"), std::string::npos) << "shortened in its middle";
    EXPECT_TRUE(d.path.ends_with("n199/e[" + std::to_string(i + 1) + "]"))
        << d.path.substr(d.path.size() - 40);
  }
}

// Counted past those listed, for the whole trees as they are.
TEST(Review, ChangesBeyondThoseListedAreCounted) {
  const xml::DocPtr before = xml::parse_text("<metadata><a x='1'/></metadata>");
  const xml::DocPtr after = xml::parse_text("<metadata><a x='2' y='3'/><b>t</b></metadata>");
  const Review whole = compare_documents(*before, *after);
  EXPECT_EQ(whole.changes.size(), 3u);
  EXPECT_EQ(whole.more, 0u);
  const Review bounded = compare_documents(*before, *after, 1);
  ASSERT_EQ(bounded.changes.size(), 1u);
  EXPECT_EQ(bounded.changes[0], whole.changes[0]);
  EXPECT_EQ(bounded.more, 2u);
}

TEST(Review, RefusesWhatIsNotXml) {
  EXPECT_THROW(differences("<metadata/>", "<metadata>"), com::Error);
}

}  // namespace
}  // namespace tw::host
