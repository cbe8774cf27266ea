// Every page as the editor will draw it: its controls' names, kinds,
// captions, list items, positions, sizes and tab order, compared with the
// reviewed records in tests/data/pages (written by scripts/snapshot-pages.sh).

#include <set>

#include "cli/cli_fixture.h"

namespace tw::cli {
namespace {

// The project's page classes are shown by class, the host's own pages by
// their entries in the default tree.
struct Layouts {
  const char* folder;
  std::size_t classes;
  bool by_class;
};

class LayoutTest : public CliTest, public ::testing::WithParamInterface<Layouts> {};

TEST_P(LayoutTest, EveryPageClassIsLaidOutAsReviewed) {
  const fs::path folder = fs::path(TIDEWISE_SOURCE_DIR) / GetParam().folder;
  const fs::path empty_item = home_.path() / "empty.xml";
  std::set<std::string> classes;
  for (const auto& file : fs::directory_iterator(folder)) {
    const json reviewed = json::parse(test::read_file(file.path()));
    const std::string prog_id = reviewed.at("progId");
    const std::string page_class = prog_id.substr(prog_id.find('.') + 1);
    EXPECT_EQ(file.path().stem(), page_class);
    classes.insert(page_class);

    std::vector<std::string> show = {"show", empty_item.string(), reviewed.at("uniqueName")};
    if (GetParam().by_class) show.insert(show.end(), {"--class", page_class});
    show.emplace_back("--json");
    const json shown = run_json(show);
    ASSERT_TRUE(shown.is_object()) << page_class;
    // Control by control, so that a difference names the control.
    EXPECT_EQ(shown.at("controls").size(), reviewed.at("controls").size()) << page_class;
    for (std::size_t i = 0; i < reviewed.at("controls").size(); ++i) {
      EXPECT_EQ(shown.at("controls").at(i), reviewed.at("controls").at(i))
          << page_class << ": control " << i;
    }
    json rest = shown, reviewed_rest = reviewed;
    rest.erase("controls");
    reviewed_rest.erase("controls");
    EXPECT_EQ(rest, reviewed_rest) << page_class;
  }
  EXPECT_EQ(classes.size(), GetParam().classes) << "a page class has no reviewed layout";
}

INSTANTIATE_TEST_SUITE_P(Libraries, LayoutTest,
                         ::testing::Values(Layouts{"tests/data/pages", 24, true},
                                           Layouts{"tests/data/hostpages/layouts", 29, false}));

}  // namespace
}  // namespace tw::cli
