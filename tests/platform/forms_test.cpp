// The form toolkit: controls as a page declares them, and the events a user
// raises on them.

#include "tidewise/forms/forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tidewise/com/error.h"

namespace tw::forms {
namespace {

using com::E_INVALIDARG;

constexpr std::string_view kLevels[] = {"dataset", "series", "feature"};

// Records the events of every control of a form, and what the control showed
// when each was raised.
class Recorder {
 public:
  explicit Recorder(Form& form) {
    for (const auto& control : form.controls()) {
      Control* c = control.get();
      c->on_change([this, c] { events.push_back(c->name() + ".Change(" + c->text() + ")"); });
      c->on_click([this, c] {
        events.push_back(c->name() + ".Click(" +
                         (c->has_value() ? std::to_string(c->value()) : c->text()) + ")");
      });
    }
  }
  std::vector<std::string> take() { return std::exchange(events, {}); }

  std::vector<std::string> events;
};

// Runs `action` and returns the code of the Error it raised, or S_OK.
com::HRESULT code_of(const std::function<void()>& action) {
  try {
    action();
  } catch (const com::Error& e) {
    return e.code();
  }
  return com::S_OK;
}

class Forms : public testing::Test {
 protected:
  Forms() {
    const ControlSpec designs[] = {
        {.name = "lblTitle", .kind = Kind::Label, .caption = "Title"},
        {.name = "txtTitle", .kind = Kind::TextBox, .caption = "design text", .tab_index = 0},
        {.name = "cmbLevel",
         .kind = Kind::ComboBox,
         .caption = "",
         .tab_index = 1,
         .items = kLevels},
        {.name = "chkTopConsis", .kind = Kind::CheckBox, .caption = "Topological consistency"},
        {.name = "frmFirst", .kind = Kind::Frame, .caption = "First"},
        {.name = "frmSecond", .kind = Kind::Frame, .caption = "Second"},
    };
    form.add(designs);
  }

  Form form;
};

TEST_F(Forms, TypingAndSettingTextRaiseChangeAfterTheTextIsSet) {
  Recorder recorder(form);
  struct Case {
    const char* control;
    std::function<void(Control&)> action;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {"txtTitle", [](Control& c) { c.type("Tides of 2024"); }, {"txtTitle.Change(Tides of 2024)"}},
      {"txtTitle", [](Control& c) { c.set_text(""); }, {"txtTitle.Change()"}},
      {"cmbLevel",
       [](Control& c) { c.type("not in the list"); },
       {"cmbLevel.Change(not in the list)"}},  // a combo box takes any typed text
      {"cmbLevel", [](Control& c) { c.set_text("series"); }, {"cmbLevel.Change(series)"}},
      {"cmbLevel", [](Control& c) { c.pick("feature"); }, {"cmbLevel.Click(feature)"}},
  };
  for (const Case& c : cases) {
    Control& control = form.get(c.control);
    c.action(control);
    EXPECT_EQ(recorder.take(), c.events);
  }
  EXPECT_EQ(form.get("txtTitle").text(), "");
  EXPECT_EQ(form.get("cmbLevel").text(), "feature");
}

TEST_F(Forms, PickRefusesWhatIsNotAListItem) {
  Control& level = form.get("cmbLevel");
  level.pick("series");
  Recorder recorder(form);
  for (const char* item : {"Series", "", "series ", "attribute"}) {
    EXPECT_EQ(code_of([&] { level.pick(item); }), E_INVALIDARG) << '"' << item << '"';
  }
  EXPECT_EQ(level.text(), "series");
  EXPECT_EQ(code_of([&] { form.get("txtTitle").pick("dataset"); }), E_INVALIDARG);
  EXPECT_EQ(form.get("txtTitle").text(), "design text");
  EXPECT_TRUE(recorder.take().empty());
}

TEST_F(Forms, ControlsWithoutTextRefuseTextAndThoseWithoutValueRefuseClicks) {
  Recorder recorder(form);
  struct Case {
    const char* control;
    const char* action;
    std::function<void(Control&)> run;
  };
  const Case cases[] = {
      {"lblTitle", "type", [](Control& c) { c.type("x"); }},
      {"chkTopConsis", "set_text", [](Control& c) { c.set_text("x"); }},
      {"frmFirst", "set_text", [](Control& c) { c.set_text("x"); }},
      {"txtTitle", "click", [](Control& c) { c.click(); }},
      {"lblTitle", "click", [](Control& c) { c.click(); }},
      {"txtTitle", "set_value", [](Control& c) { c.set_value(1); }},
      {"cmbLevel", "set_value", [](Control& c) { c.set_value(0); }},
  };
  for (const Case& c : cases) {
    Control& control = form.get(c.control);
    EXPECT_EQ(code_of([&] { c.run(control); }), E_INVALIDARG) << c.control << ' ' << c.action;
  }
  EXPECT_TRUE(recorder.take().empty());
  EXPECT_EQ(form.get("txtTitle").text(), "design text");
}

TEST_F(Forms, CheckBoxClickTogglesAndRaisesClick) {
  Control& check = form.get("chkTopConsis");
  Recorder recorder(form);
  EXPECT_EQ(check.value(), 0);
  check.click();
  EXPECT_EQ(check.value(), 1);
  check.click();
  EXPECT_EQ(check.value(), 0);
  check.set_value(1);
  EXPECT_EQ(recorder.take(),
            (std::vector<std::string>{"chkTopConsis.Click(1)", "chkTopConsis.Click(0)",
                                      "chkTopConsis.Click(1)"}));
  for (const int bad : {-1, 3}) {
    EXPECT_EQ(code_of([&] { check.set_value(bad); }), E_INVALIDARG) << bad;
  }
  EXPECT_EQ(check.value(), 1);
  EXPECT_TRUE(recorder.take().empty());
}

// Lists, buttons and the map: what selecting, checking, clicking and new
// items do, and what a disabled control refuses.
TEST(Lists, SelectCheckClickAndDisable) {
  constexpr std::string_view kTopics[] = {"Biota", "Oceans", "Society"};
  constexpr std::string_view kLinks[] = {"txtW", "txtE", "txtS", "txtN"};
  const ControlSpec designs[] = {
      {.name = "lstSets", .kind = Kind::ListBox, .items = kLevels},
      {.name = "lstTopics", .kind = Kind::ListBox, .items = kTopics, .check_marks = true},
      {.name = "cmdAdd", .kind = Kind::CommandButton, .caption = "Add"},
      {.name = "mapBoxes", .kind = Kind::Map, .links = kLinks},
      {.name = "txtW", .kind = Kind::TextBox},
  };
  Form form;
  form.add(designs);
  std::vector<std::string> events;
  for (const auto& control : form.controls()) {
    Control* c = control.get();
    c->on_click([&events, c] {
      std::string state = std::to_string(c->list_index());
      for (std::size_t i = 0; c->check_marks() && i < c->items().size(); ++i) {
        state += c->checked(i) ? "x" : "-";
      }
      events.push_back(c->name() + ".Click(" + state + ")");
    });
  }
  Control& sets = form.get("lstSets");
  Control& topics = form.get("lstTopics");
  Control& add = form.get("cmdAdd");
  Control& map = form.get("mapBoxes");
  EXPECT_EQ(sets.list_index(), -1);  // nothing is selected at creation
  EXPECT_EQ(map.links(), (std::vector<std::string>{"txtW", "txtE", "txtS", "txtN"}));

  struct Case {
    const char* what;
    std::function<void()> action;
    com::HRESULT code;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {"select", [&] { sets.select(2); }, com::S_OK, {"lstSets.Click(2)"}},
      {"select none", [&] { sets.select(-1); }, com::S_OK, {"lstSets.Click(-1)"}},
      {"past the end", [&] { sets.select(3); }, E_INVALIDARG, {}},
      {"before the start", [&] { sets.select(-2); }, E_INVALIDARG, {}},
      {"check", [&] { topics.set_checked(1, true); }, com::S_OK, {"lstTopics.Click(-1-x-)"}},
      {"no such item", [&] { topics.set_checked(3, true); }, E_INVALIDARG, {}},
      {"no check marks", [&] { sets.set_checked(0, true); }, E_INVALIDARG, {}},
      {"click a button", [&] { add.click(); }, com::S_OK, {"cmdAdd.Click(-1)"}},
      {"the map's boxes",
       [&] {
         map.set_items({"-5 5 50 60", "0 1 2 3"});
       },
       com::S_OK,
       {}},
      {"a box of the map", [&] { map.select(1); }, com::S_OK, {"mapBoxes.Click(1)"}},
      {"no items on a text box", [&] { form.get("txtW").set_items({"a"}); }, E_INVALIDARG, {}},
      {"a button has no items", [&] { add.select(0); }, E_INVALIDARG, {}},
      {"select, then fewer items",
       [&] {
         sets.select(2), sets.set_items({"a", "b"});
       },
       com::S_OK,
       {"lstSets.Click(2)"}},
      {"more items keep the checks",
       [&] {
         topics.set_items({"Biota", "Oceans", "Society", "Health"});
       },
       com::S_OK,
       {}},
      {"disabled", [&] { add.set_enabled(false), add.click(); }, E_INVALIDARG, {}},
      {"typing into a disabled box",
       [&] { form.get("txtW").set_enabled(false), form.get("txtW").type("1"); },
       E_INVALIDARG,
       {}},
      {"a page sets a disabled box", [&] { form.get("txtW").set_text("2"); }, com::S_OK, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(code_of(c.action), c.code) << c.what;
    EXPECT_EQ(std::exchange(events, {}), c.events) << c.what;
  }
  EXPECT_EQ(sets.list_index(), -1) << "the selection went with its item";
  EXPECT_EQ(map.list_index(), 1);
  EXPECT_EQ(topics.items().size(), 4u);
  EXPECT_TRUE(topics.checked(1));
  EXPECT_FALSE(topics.checked(3));
  EXPECT_EQ(form.get("txtW").text(), "2");
}

TEST(OptionButtons, AreExclusiveWithinTheirContainerOnly) {
  Form form;
  const ControlSpec designs[] = {
      {.name = "frmA", .kind = Kind::Frame, .caption = "A"},
      {.name = "frmB", .kind = Kind::Frame, .caption = "B"},
      {.name = "optA1",
       .kind = Kind::OptionButton,
       .caption = "1",
       .container = "frmA",
       .selected = true},
      {.name = "optA2", .kind = Kind::OptionButton, .caption = "2", .container = "frmA"},
      {.name = "optB1", .kind = Kind::OptionButton, .caption = "1", .container = "frmB"},
      {.name = "optB2",
       .kind = Kind::OptionButton,
       .caption = "2",
       .container = "frmB",
       .selected = true},
      {.name = "optTop1", .kind = Kind::OptionButton, .caption = "1"},
      {.name = "optTop2", .kind = Kind::OptionButton, .caption = "2"},
  };
  form.add(designs);
  const char* const options[] = {"optA1", "optA2", "optB1", "optB2", "optTop1", "optTop2"};
  const auto values = [&] {
    std::string v;
    for (const char* name : options) v += std::to_string(form.get(name).value());
    return v;
  };
  EXPECT_EQ(values(), "100100");

  // Each click, and the values of all six afterwards.
  const std::pair<const char*, const char*> clicks[] = {
      {"optA2", "010100"},   {"optB1", "011000"}, {"optTop1", "011010"},
      {"optTop2", "011001"}, {"optA1", "101001"}, {"optA1", "101001"},  // again: stays
  };
  std::vector<std::string> seen_in_handler;
  for (const char* name : options) {
    form.get(name).on_click([&] { seen_in_handler.push_back(values()); });
  }
  for (const auto& [name, after] : clicks) {
    form.get(name).click();
    EXPECT_EQ(values(), after) << "after clicking " << name;
    // The handler already sees the others of the group cleared.
    ASSERT_FALSE(seen_in_handler.empty());
    EXPECT_EQ(seen_in_handler.back(), after);
  }
  EXPECT_EQ(seen_in_handler.size(), std::size(clicks));
}

TEST(OptionButtons, OnlyOneOfAGroupIsSelectedAtCreation) {
  Form form;
  const ControlSpec designs[] = {
      {.name = "optYes", .kind = Kind::OptionButton, .caption = "yes", .selected = true},
      {.name = "optOther",
       .kind = Kind::OptionButton,
       .caption = "other",
       .container = "frmA",
       .selected = true},
      {.name = "optNo", .kind = Kind::OptionButton, .caption = "no", .selected = true},
  };
  form.add(designs);
  EXPECT_EQ(form.get("optYes").value(), 0);  // the later declaration wins, as a later click would
  EXPECT_EQ(form.get("optNo").value(), 1);
  EXPECT_EQ(form.get("optOther").value(), 1);
}

TEST(Looks, AreTheFontsAndColoursThePagesName) {
  struct Case {
    Kind kind;
    Look look;
    Font font;
    Color fore, back;
  };
  const Font plain;
  const Case cases[] = {
      {Kind::Label, Look::Plain, plain, kBlack, kButtonFace},
      {Kind::TextBox, Look::Plain, plain, kBlack, kWhite},
      {Kind::ComboBox, Look::Plain, plain, kBlack, kWhite},
      {Kind::Label, Look::Heading, {"Arial", 12, true}, kWhite, Color{0, 128, 128}},
      {Kind::Shape, Look::HeadingBand, plain, Color{0, 128, 128}, Color{0, 128, 128}},
      {Kind::Label, Look::RequiredMark, plain, Color{255, 0, 0}, kButtonFace},
  };
  EXPECT_EQ(plain.name, "MS Sans Serif");
  EXPECT_EQ(plain.points, 8.25);
  EXPECT_FALSE(plain.bold);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(to_string(c.kind)) + " look " + std::to_string(int(c.look)));
    Form form;
    const Control& control =
        form.add({.name = "ctl", .kind = c.kind, .caption = "*", .look = c.look});
    EXPECT_EQ(control.font(), c.font);
    EXPECT_EQ(control.fore_color(), c.fore);
    EXPECT_EQ(control.back_color(), c.back);
  }
}

TEST(Form, KeepsTheDeclaredControlsInOrder) {
  Form form;
  const ControlSpec designs[] = {
      {.name = "lblHeading",
       .kind = Kind::Label,
       .caption = "Purpose",
       .left = 120,
       .top = 60,
       .width = 4000,
       .height = 300},
      {.name = "txtPurpose",
       .kind = Kind::TextBox,
       .caption = "",
       .left = 1,
       .top = 2,
       .width = 3,
       .height = 4,
       .tab_index = 0,
       .container = "frmMain"},
      {.name = "cmbLevel",
       .kind = Kind::ComboBox,
       .caption = "dataset",
       .tab_index = 1,
       .items = kLevels},
  };
  form.add(designs);
  ASSERT_EQ(form.controls().size(), 3u);
  const Control& heading = *form.controls()[0];
  EXPECT_EQ(heading.name(), "lblHeading");
  EXPECT_EQ(heading.kind(), Kind::Label);
  EXPECT_EQ(heading.caption(), "Purpose");
  EXPECT_EQ(heading.text(), "");
  EXPECT_EQ((std::vector<int>{heading.left(), heading.top(), heading.width(), heading.height()}),
            (std::vector<int>{120, 60, 4000, 300}));
  EXPECT_EQ(heading.tab_index(), std::nullopt);  // labels take no focus

  const Control& purpose = *form.controls()[1];
  EXPECT_EQ(purpose.name(), "txtPurpose");
  EXPECT_EQ(purpose.container(), "frmMain");
  EXPECT_EQ(purpose.tab_index(), 0);

  const Control& level = *form.controls()[2];
  EXPECT_EQ(level.text(), "dataset");  // the design text of a combo box
  EXPECT_EQ(level.caption(), "");
  EXPECT_EQ(level.items(), (std::vector<std::string>{"dataset", "series", "feature"}));
  EXPECT_EQ(level.tab_index(), 1);
}

TEST(Form, GetOfAMissingControlIsInvalidArgument) {
  Form form;
  form.add({.name = "txtPurpose", .kind = Kind::TextBox, .caption = ""});
  EXPECT_EQ(form.find("txtMissing"), nullptr);
  EXPECT_EQ(std::as_const(form).find("txtMissing"), nullptr);
  EXPECT_EQ(&form.get("txtPurpose"), form.find("txtPurpose"));
  for (const auto& get : std::vector<std::function<void()>>{
           [&] { (void)form.get("txtMissing"); },
           [&] { (void)std::as_const(form).get("txtMissing"); },
       }) {
    try {
      get();
      ADD_FAILURE() << "a missing control was found";
    } catch (const com::Error& e) {
      EXPECT_EQ(e.code(), E_INVALIDARG);
      EXPECT_NE(std::string(e.what()).find("\"txtMissing\""), std::string::npos) << e.what();
    }
  }
}

TEST(Form, RefusesADuplicateName) {
  Form form;
  Control& first = form.add({.name = "txtPurpose", .kind = Kind::TextBox, .caption = "first"});
  EXPECT_EQ(code_of([&] { form.add({.name = "txtPurpose", .kind = Kind::Label, .caption = "x"}); }),
            E_INVALIDARG);
  ASSERT_EQ(form.controls().size(), 1u);
  EXPECT_EQ(&form.get("txtPurpose"), &first);
  EXPECT_EQ(first.kind(), Kind::TextBox);
  EXPECT_EQ(first.text(), "first");
}

}  // namespace
}  // namespace tw::forms
