// A user's edits on lists, buttons and maps, as both fronts make them, and
// how the page is reported with them.

#include <gtest/gtest.h>

#include "tidewise/host/session.h"

namespace tw::host {
namespace {

using forms::ControlSpec;
using forms::Kind;

constexpr std::string_view kEntries[] = {"first", "second"};
constexpr std::string_view kTopics[] = {"Biota", "Oceans"};
constexpr std::string_view kLinks[] = {"txtWest", "txtEast", "txtSouth", "txtNorth"};

class ListEdits : public ::testing::Test {
 protected:
  ListEdits() {
    const ControlSpec designs[] = {
        {.name = "lstEntries", .kind = Kind::ListBox, .tab_index = 0, .items = kEntries},
        {.name = "lstTopics", .kind = Kind::ListBox, .items = kTopics, .check_marks = true},
        {.name = "cmdAdd", .kind = Kind::CommandButton, .caption = "Add", .tab_index = 1},
        {.name = "cmdRemove", .kind = Kind::CommandButton, .caption = "Remove"},
        {.name = "mapBoxes", .kind = Kind::Map, .links = kLinks},
        {.name = "chkFlag", .kind = Kind::CheckBox, .caption = "Flag"},
        {.name = "txtWest", .kind = Kind::TextBox},
    };
    form.add(designs);
    // A page that adds an entry when Add is clicked, and lets Remove act
    // only on a selected entry.
    form.get("cmdRemove").set_enabled(false);
    form.get("cmdAdd").on_click([this] {
      auto items = form.get("lstEntries").items();
      items.emplace_back("new");
      form.get("lstEntries").set_items(items);
    });
    form.get("lstEntries").on_click([this] { form.get("cmdRemove").set_enabled(true); });
  }

  // The reason an edit list was refused, or "" when it was made.
  std::string outcome(std::vector<Edit> edits) {
    try {
      validate_edits(form, edits);
      for (const Edit& edit : edits) apply_edit(form, edit);
    } catch (const InvalidEdit& e) {
      return e.what();
    }
    return "";
  }

  forms::Form form;
};

TEST_F(ListEdits, AreCheckedAgainstTheListAsItIsWhenTheyAreMade) {
  using K = Edit::Kind;
  const struct {
    std::vector<Edit> edits;
    std::string refused;  // part of the reason; empty: made
  } cases[] = {
      {{{K::Click, "cmdRemove", ""}}, "disabled"},
      {{{K::Select, "lstEntries", "1"}}, ""},
      // The third entry exists once Add was clicked.
      {{{K::Click, "cmdAdd", ""}, {K::Select, "lstEntries", "2"}}, ""},
      {{{K::Select, "lstEntries", "9"}}, "has no item 9"},
      {{{K::Select, "lstEntries", "-1"}}, "is not a position"},
      {{{K::Select, "lstEntries", "x"}}, "is not a position"},
      {{{K::Select, "lstEntries", ""}}, "is not a position"},
      {{{K::Select, "cmdAdd", "0"}}, "not a list box"},
      {{{K::Click, "lstEntries", ""}}, "not a button"},
      {{{K::Select, "lstEntries", "0"}, {K::Click, "cmdRemove", ""}}, ""},
      {{{K::Check, "lstTopics", "Oceans"}}, ""},
      {{{K::Uncheck, "lstTopics", "Oceans"}}, ""},
      {{{K::Check, "lstTopics", "Health"}}, "is not an item of the list"},
      {{{K::Check, "lstTopics", ""}}, "is not an item of the list"},
      {{{K::Check, "chkFlag", "Oceans"}}, "has no items to check"},
      {{{K::Check, "lstEntries", "first"}}, "not a check box or a list with check marks"},
      {{{K::Check, "chkFlag", ""}}, ""},
  };
  for (const auto& c : cases) {
    const std::string why = outcome(c.edits);
    if (c.refused.empty()) {
      EXPECT_EQ(why, "") << c.edits.back().control;
    } else {
      EXPECT_NE(why.find(c.refused), std::string::npos) << c.refused << ": " << why;
    }
  }
  // What the made edits left.
  EXPECT_EQ(form.get("lstEntries").items().size(), 3u);
  EXPECT_FALSE(form.get("lstTopics").checked(1));
  EXPECT_EQ(form.get("chkFlag").value(), 1);
}

TEST_F(ListEdits, AreReportedWithTheirItemsSelectionChecksLinksAndState) {
  form.get("lstTopics").set_checked(1, true);
  form.get("mapBoxes").set_items({"-10 10 -5 5"});
  form.get("lstEntries").select(1);
  form.get("cmdAdd").set_enabled(false);
  const Json controls = controls_json(form);
  const auto find = [&](std::string_view name) {
    for (const Json& c : controls) {
      if (c["name"] == name) return c;
    }
    return Json();
  };
  EXPECT_EQ(find("lstEntries")["items"], Json({"first", "second"}));
  EXPECT_EQ(find("lstEntries")["value"], 1);
  EXPECT_FALSE(find("lstEntries").contains("checked"));
  EXPECT_EQ(find("lstTopics")["checked"], Json({false, true}));
  EXPECT_EQ(find("lstTopics")["value"], -1);
  EXPECT_EQ(find("cmdAdd")["caption"], "Add");
  EXPECT_EQ(find("cmdAdd")["enabled"], false);
  EXPECT_FALSE(find("txtWest").contains("enabled")) << "only a disabled control says so";
  EXPECT_EQ(find("mapBoxes")["items"], Json({"-10 10 -5 5"}));
  EXPECT_EQ(find("mapBoxes")["links"], Json({"txtWest", "txtEast", "txtSouth", "txtNorth"}));

  const std::string text = controls_text(form);
  EXPECT_NE(text.find("[ ] \"Biota\" [x] \"Oceans\""), std::string::npos) << text;
  EXPECT_NE(text.find("selected 1"), std::string::npos) << text;
  EXPECT_NE(text.find("disabled"), std::string::npos) << text;
}

}  // namespace
}  // namespace tw::host
