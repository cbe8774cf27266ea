// What saving would change: every element text and attribute value that
// differs, with its path, old value and new value.

#include <gtest/gtest.h>

#include "tidewise/host/session.h"

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

TEST(Review, RefusesWhatIsNotXml) {
  EXPECT_THROW(differences("<metadata/>", "<metadata>"), com::Error);
}

}  // namespace
}  // namespace tw::host
