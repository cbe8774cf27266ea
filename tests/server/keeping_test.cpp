// What the editor keeps of the author's work: pages only looked at change
// nothing, and the author's own edits survive the pages around them.

#include <algorithm>
#include <future>
#include <map>
#include <set>
#include <thread>

#include "server/server_fixture.h"

namespace tw::server {
namespace {

class KeepingTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    const std::string stylesheets = std::string(TIDEWISE_SOURCE_DIR) + "/stylesheets";
    ::setenv("TIDEWISE_STYLESHEETS", stylesheets.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("TIDEWISE_STYLESHEETS");
    ServerTest::TearDown();
  }

  // Every page the editor's tree offers, in order.
  static std::vector<std::string> pages_of(const json& state) {
    std::vector<std::string> pages;
    for (const json& book : state["books"]) {
      for (const json& entry : book["entries"]) pages.push_back(entry["uniqueName"]);
    }
    return pages;
  }
};

TEST_F(KeepingTest, BrowsingEveryPageChangesNothingAndTheItemClosesAsItWas) {
  start();
  ok("create-item", {{"name", "new.xml"}});
  const fs::path shared = fs::path(TIDEWISE_SOURCE_DIR) / ".." / "shared" / "iso19139" / "records";
  for (const char* record : {"ckan_wales2.xml", "iso_mi.xml"}) {
    const std::string name = std::string("imported-") + record;
    ok("import-item",
       {{"name", name}, {"fileName", record}, {"content", test::read_file(shared / record)}});
  }
  for (const std::string& item : std::vector<std::string>{"new.xml", "imported-ckan_wales2.xml",
                                                          "imported-iso_mi.xml", kItem}) {
    SCOPED_TRACE(item);
    const std::string before = test::read_file(catalog_ / item);
    const json opened = ok("open-item", {{"item", item}});
    const std::vector<std::string> pages = pages_of(opened);
    ASSERT_GT(pages.size(), 20u);
    for (const std::string& page : pages) {
      const json state = ok("open-page", {{"item", item}, {"page", page}});
      EXPECT_EQ(state["dirty"], false) << "after opening " << page;
    }
    const json reviewed = ok("review", {{"item", item}});
    EXPECT_EQ(reviewed["review"]["changes"], json::array()) << reviewed["review"].dump(1);
    EXPECT_EQ(reviewed["dirty"], false);
    // Closing is not refused for changes nobody made.
    EXPECT_EQ(ok("close-item", {{"item", item}})["closed"], true);
    EXPECT_EQ(test::read_file(catalog_ / item), before);
  }
}

TEST_F(KeepingTest, AnEditedPageKeepsItsWritesWhileTheAuthorBrowsesOn) {
  start();
  ok("edit",
     {{"item", kItem},
      {"page", "Purpose"},
      {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "Kept while looking"}}}});
  for (const std::string& page : pages_of(ok("item", {{"item", kItem}}))) {
    ok("open-page", {{"item", kItem}, {"page", page}});
  }
  const json reviewed = ok("review", {{"item", kItem}});
  EXPECT_EQ(reviewed["dirty"], true);
  bool typed = false;
  for (const json& change : reviewed["review"]["changes"]) {
    typed =
        typed || (change["path"] == "dataIdInfo/idPurp" && change["after"] == "Kept while looking");
  }
  EXPECT_TRUE(typed) << reviewed["review"].dump(1);
  const Reply refused = post("close-item", {{"item", kItem}});
  EXPECT_EQ(refused.status, 409);
  EXPECT_EQ(refused.body["dirty"], true);
}

// The review names a change as the author saw it: the page's title and the
// label beside the field, the one a screen reader announces for it, with
// the path kept as a detail. What a page did not write keeps its path alone.
TEST_F(KeepingTest, TheReviewNamesEachChangeByItsPageAndTheLabelBesideItsField) {
  start();
  const struct {
    const char* page;
    const char* kind;
    const char* control;
    const char* value;
    const char* label;  // as it reads on the page
  } cases[] = {
      {"Purpose", "type", "txtInfo", "Why it was made",
       "Summary of the intentions with which te resource(s) was developped"},
      {"Status", "pick", "cmbStatus", "planned", "Status of the resource"},
      {"Keywords", "type", "txtKeyword", "Estuaries", "Keyword"},
      {"QualityExtent", "type", "txtWest", "-4.25", "West bound longitude"},
  };
  std::map<std::string, std::string> titles;
  const json state = ok("open-item", {{"item", kItem}});
  for (const json& book : state["books"]) {
    for (const json& entry : book["entries"]) titles[entry["uniqueName"]] = entry["title"];
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    const json page = ok("open-page", {{"item", kItem}, {"page", c.page}})["page"];
    // The label the page shows beside the field is the one it is named by.
    std::map<std::string, json> controls;
    for (const json& control : page["controls"]) controls[control["name"]] = control;
    ASSERT_TRUE(controls[c.control].contains("label")) << controls[c.control].dump();
    const json& label = controls[controls[c.control]["label"].get<std::string>()];
    EXPECT_EQ(label["kind"], "Label");
    EXPECT_TRUE(label["caption"].get<std::string>().starts_with(c.label)) << label.dump();
    ok("edit", {{"item", kItem},
                {"page", c.page},
                {"edit", {{"kind", c.kind}, {"control", c.control}, {"value", c.value}}}});
  }
  ok("open-page", {{"item", kItem}, {"page", "Purpose"}});
  const json changes = ok("review", {{"item", kItem}})["review"]["changes"];
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    const auto change = std::find_if(changes.begin(), changes.end(),
                                     [&](const json& d) { return d["after"] == c.value; });
    ASSERT_NE(change, changes.end()) << changes.dump(1);
    EXPECT_EQ((*change)["page"], titles[c.page]);
    EXPECT_EQ((*change)["field"], c.label);
    EXPECT_FALSE((*change)["path"].get<std::string>().empty());
  }

  // An import's values were typed on no page.
  ok("create-item", {{"name", "imported.xml"}});
  ok("import", {{"item", "imported.xml"},
                {"fileName", "record.xml"},
                {"content", test::read_file(fs::path(TIDEWISE_SOURCE_DIR) / "examples" /
                                            "coastal-dataset-iso19139.xml")},
                {"mode", "replace"}});
  const json imported = ok("review", {{"item", "imported.xml"}})["review"]["changes"];
  ASSERT_FALSE(imported.empty());
  for (const json& change : imported) {
    EXPECT_FALSE(change.contains("field")) << change.dump();
    EXPECT_FALSE(change["path"].get<std::string>().empty());
  }
}

// A process number no process has: a child that has ended.
int ended_process() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

std::vector<fs::path> journals(const fs::path& home) {
  std::vector<fs::path> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(home / "journal", ec))
    found.push_back(entry.path());
  return found;
}

const json kPurposeEdit = {
    {"kind", "type"}, {"control", "txtInfo"}, {"value", "Typed before the stop"}};

TEST_F(KeepingTest, EditsOfAStoppedEditorAreOfferedAgainAndRestoredOrDiscarded) {
  for (const bool restore : {true, false}) {
    SCOPED_TRACE(restore);
    start();
    ok("edit", {{"item", kItem}, {"page", "Purpose"}, {"edit", kPurposeEdit}});
    ok("edit", {{"item", kItem},
                {"page", "Status"},
                {"edit", {{"kind", "pick"}, {"control", "cmbStatus"}, {"value", "completed"}}}});
    // On disk before the answer: the editor stops as if killed (nothing
    // more is written), and its process is gone.
    std::vector<fs::path> kept = journals(home_.path());
    ASSERT_EQ(kept.size(), 1u);
    const std::string text = test::read_file(kept[0]);
    EXPECT_NE(text.find("Typed before the stop"), std::string::npos) << text;
    server_.reset();
    components_.reset();
    const std::string name = kept[0].filename().string();
    const fs::path left = kept[0].parent_path() / (name.substr(0, name.rfind('-') + 1) +
                                                   std::to_string(ended_process()) + ".jsonl");
    fs::rename(kept[0], left);
    EXPECT_EQ(test::read_file(catalog_ / kItem), original_);

    start();
    const json opened = ok("open-item", {{"item", kItem}});
    ASSERT_TRUE(opened.contains("recovery")) << opened.dump().substr(0, 300);
    EXPECT_EQ(opened["recovery"]["steps"], 2);
    EXPECT_EQ(opened["dirty"], false) << "nothing is made again before the author chooses";
    const json answer = ok("recover", {{"item", kItem}, {"restore", restore}});
    EXPECT_FALSE(answer.contains("recovery"));
    EXPECT_FALSE(fs::exists(left));
    EXPECT_EQ(answer["dirty"], restore);
    if (restore) {
      EXPECT_EQ(answer["restored"], 2);
      std::set<std::string> paths;
      for (const json& change : answer["review"]["changes"]) paths.insert(change["path"]);
      EXPECT_TRUE(paths.contains("dataIdInfo/idPurp")) << answer["review"].dump(1);
      EXPECT_TRUE(paths.contains("dataIdInfo/idStatus")) << answer["review"].dump(1);
      // Kept again by this editor until saved.
      EXPECT_EQ(journals(home_.path()).size(), 1u);
      ok("save", {{"item", kItem}});
      EXPECT_NE(test::read_file(catalog_ / kItem).find("Typed before the stop"), std::string::npos);
    }
    EXPECT_TRUE(journals(home_.path()).empty()) << "a save or a discard leaves nothing to restore";
    EXPECT_EQ(post("recover", {{"item", kItem}, {"restore", true}}).status, 409);
    server_.reset();
    components_.reset();
    test::write_file(catalog_ / kItem, original_);
  }
}

// Another program writes the file while the author edits it: the review
// shows the author's edits only, a save is refused, and the author chooses.
TEST_F(KeepingTest, AnotherProgramsChangeIsToldAndTheAuthorChoosesReloadOrOverwrite) {
  const std::string title =
      "Shoreline position and cliff-top retreat, Kestrel Bay to Harbour Point, 2023";
  const std::string purpose =
      "Monitor cliff-top retreat and beach lowering to support the shoreline management plan "
      "review.";
  std::string theirs = original_;
  theirs.replace(theirs.find(title), title.size(), "Retitled elsewhere");
  theirs.replace(theirs.find(purpose), purpose.size(), "Their purpose");
  for (const char* choice : {"reload", "overwrite"}) {
    SCOPED_TRACE(choice);
    test::write_file(catalog_ / kItem, original_);
    start();
    ok("edit", {{"item", kItem},
                {"page", "Purpose"},
                {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "My purpose"}}}});
    const std::uint64_t version = ok("item", {{"item", kItem}})["version"];
    // A tab waiting on the item hears of it without asking.
    auto waited = std::async(std::launch::async, [&] {
      return post("wait", {{"item", kItem}, {"version", version}}).body;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    test::write_file(catalog_ / kItem, theirs);
    ASSERT_EQ(waited.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(waited.get()["outside"], true);

    const json state = ok("item", {{"item", kItem}});
    ASSERT_TRUE(state.contains("outside"));
    EXPECT_EQ(state["outside"]["file"], kItem);
    const json reviewed = ok("review", {{"item", kItem}});
    for (const json& change : reviewed["review"]["changes"]) {
      EXPECT_NE(change["path"], "dataIdInfo/idCitation/resTitle")
          << "another program's change shown as the author's";
    }
    const Reply refused = post("save", {{"item", kItem}});
    EXPECT_EQ(refused.status, 409);
    EXPECT_EQ(refused.body["outside"], true);
    EXPECT_EQ(test::read_file(catalog_ / kItem), theirs);

    if (std::string(choice) == "reload") {
      const json reloaded = ok("reload-file", {{"item", kItem}});
      EXPECT_FALSE(reloaded.contains("outside"));
      ASSERT_EQ(reloaded["conflicts"].size(), 1u) << reloaded["conflicts"].dump();
      EXPECT_EQ(reloaded["conflicts"][0]["path"], "dataIdInfo/idPurp");
      EXPECT_EQ(reloaded["conflicts"][0]["theirs"], "Their purpose");
      EXPECT_EQ(reloaded["conflicts"][0]["mine"], "My purpose");
      ok("save", {{"item", kItem}});
      const std::string saved = test::read_file(catalog_ / kItem);
      EXPECT_NE(saved.find("Retitled elsewhere"), std::string::npos) << "their change is kept";
      EXPECT_NE(saved.find("My purpose"), std::string::npos) << "and the author's on top";
    } else {
      ok("save", {{"item", kItem}, {"overwrite", true}});
      const std::string saved = test::read_file(catalog_ / kItem);
      EXPECT_NE(saved.find(title), std::string::npos);
      EXPECT_NE(saved.find("My purpose"), std::string::npos);
    }
    server_.reset();
    components_.reset();
  }
}

TEST_F(KeepingTest, AWaitingTabHearsOfAnotherTabsChangeAndOfTheItemsClosing) {
  start();
  const std::uint64_t version = ok("open-item", {{"item", kItem}})["version"];
  const struct {
    const char* what;
    json request;
    bool open;
  } cases[] = {
      {"an edit", {{"item", kItem}, {"page", "Purpose"}, {"edit", kPurposeEdit}}, true},
      {"closing", {{"item", kItem}, {"discard", true}}, false},
  };
  std::uint64_t shown = version;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto waited = std::async(std::launch::async, [&] {
      return post("wait", {{"item", kItem}, {"version", shown}}).body;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const json done = ok(c.open ? "edit" : "close-item", c.request);
    ASSERT_EQ(waited.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    const json answer = waited.get();
    EXPECT_EQ(answer["open"], c.open);
    if (c.open) {
      EXPECT_NE(answer["version"], shown);
      shown = done["version"];
    }
  }
  EXPECT_EQ(post("wait", {{"item", kItem}}).status, 400);
}

TEST_F(KeepingTest, ImportingIntoAnOpenItemReplacesItsMetadataOrFillsOnlyWhatItLacks) {
  start();
  const std::string record =
      test::read_file(fs::path(TIDEWISE_SOURCE_DIR) / "examples" / "coastal-dataset-iso19139.xml");
  const struct {
    const char* mode;
    bool purpose_kept;
  } cases[] = {{"replace", false}, {"fill", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    const std::string item = std::string(c.mode) + ".xml";
    ok("create-item", {{"name", item}});
    ok("edit", {{"item", item},
                {"page", "Purpose"},
                {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "Mine"}}}});
    const json imported =
        ok("import",
           {{"item", item}, {"fileName", "record.xml"}, {"content", record}, {"mode", c.mode}});
    EXPECT_EQ(imported["imported"], true);
    EXPECT_EQ(imported["dirty"], true);
    std::map<std::string, json> after;
    const json reviewed = ok("review", {{"item", item}});
    for (const json& change : reviewed["review"]["changes"]) {
      after[change["path"]] = change["after"];
    }
    EXPECT_EQ(after["dataIdInfo/idCitation/resTitle"],
              "Shoreline position and cliff-top retreat, Kestrel Bay to Harbour Point, 2023");
    EXPECT_EQ(after["dataIdInfo/idPurp"] == "Mine", c.purpose_kept) << after["dataIdInfo/idPurp"];
    EXPECT_FALSE(fs::exists(catalog_ / item) &&
                 test::read_file(catalog_ / item).find("Kestrel") != std::string::npos)
        << "nothing is saved";
  }
  EXPECT_EQ(post("import",
                 {{"item", kItem}, {"fileName", "r.xml"}, {"content", record}, {"mode", "merge"}})
                .status,
            400);
}

TEST_F(KeepingTest, UndoTakesBackStepsAcrossPagesAndAnImportAndRedoMakesThemAgain) {
  start();
  const std::string record =
      test::read_file(fs::path(TIDEWISE_SOURCE_DIR) / "examples" / "coastal-dataset-iso19139.xml");
  ok("create-item", {{"name", "new.xml"}});
  const json item = {{"item", "new.xml"}};
  const auto after = [&](const std::string& path) {
    const json reviewed = ok("review", item);
    for (const json& change : reviewed["review"]["changes"]) {
      if (change["path"] == path) return change["after"];
    }
    return json();
  };
  ok("edit", {{"item", "new.xml"}, {"page", "Purpose"}, {"edit", kPurposeEdit}});
  ok("edit", {{"item", "new.xml"},
              {"page", "Status"},
              {"edit", {{"kind", "pick"}, {"control", "cmbStatus"}, {"value", "completed"}}}});
  ok("import",
     {{"item", "new.xml"}, {"fileName", "r.xml"}, {"content", record}, {"mode", "replace"}});
  EXPECT_EQ(after("dataIdInfo/idStatus"), "onGoing");
  // Back, one step at a time: each state as it was before the step.
  const struct {
    const char* request;
    json purpose;
    json status;
  } steps[] = {
      {"undo", "Typed before the stop", "completed"},
      {"undo", "Typed before the stop", json()},
      {"redo", "Typed before the stop", "completed"},
      {"undo", "Typed before the stop", json()},
      {"undo", json(), json()},
      {"redo", "Typed before the stop", json()},
  };
  for (const auto& step : steps) {
    ok(step.request, item);
    EXPECT_EQ(after("dataIdInfo/idPurp"), step.purpose) << step.request;
    EXPECT_EQ(after("dataIdInfo/idStatus"), step.status) << step.request;
  }
  ok("undo", item);
  EXPECT_EQ(ok("item", item)["dirty"], false) << "back to the file as it was";
  EXPECT_EQ(post("undo", item).status, 409);
  // A new step, and nothing is left to redo.
  ok("edit", {{"item", "new.xml"}, {"page", "Purpose"}, {"edit", kPurposeEdit}});
  EXPECT_EQ(post("redo", item).status, 409);

  // An import made again, by an undo after it or by a redo, is still named
  // as the author's import in the review.
  const auto identifier_by = [&] {
    const json reviewed = ok("review", item);
    for (const json& change : reviewed["review"]["changes"]) {
      if (change["path"] == "mdFileID") return change.value("page", "");
    }
    return std::string("no change");
  };
  ok("import",
     {{"item", "new.xml"}, {"fileName", "r.xml"}, {"content", record}, {"mode", "replace"}});
  EXPECT_EQ(identifier_by(), "Imported record");
  ok("edit", {{"item", "new.xml"},
              {"page", "Status"},
              {"edit", {{"kind", "pick"}, {"control", "cmbStatus"}, {"value", "completed"}}}});
  ok("undo", item);
  EXPECT_EQ(identifier_by(), "Imported record") << "the import made again under the undone edit";
  ok("undo", item);
  ok("redo", item);
  EXPECT_EQ(identifier_by(), "Imported record") << "the import made again by a redo";
}

// A page that added an entry to the tree as it was left: undoing its step
// takes the entry away with it, and a redo brings it back.
TEST_F(KeepingTest, AnEntryAPageAddedToTheTreeGoesWithTheStepThatAddedIt) {
  start();
  ok("create-item", {{"name", "new.xml"}});
  const json item = {{"item", "new.xml"}};
  const auto entries = [&](const json& state) {
    std::size_t found = 0;
    for (const json& book : state["books"]) {
      for (const json& entry : book["entries"]) found += entry["uniqueName"] == "DQQuanAttAcc";
    }
    return found;
  };
  ok("edit", {{"item", "new.xml"},
              {"page", "QualityReport"},
              {"edit", {{"kind", "check"}, {"control", "chkQuanAttAcc"}}}});
  EXPECT_EQ(entries(ok("open-page", {{"item", "new.xml"}, {"page", "Purpose"}})), 1u);
  EXPECT_EQ(entries(ok("undo", item)), 0u);
  // Made again, the step leaves its page open: the entry comes as it is left.
  ok("redo", item);
  EXPECT_EQ(entries(ok("open-page", {{"item", "new.xml"}, {"page", "Purpose"}})), 1u);
  EXPECT_EQ(entries(ok("undo", item)), 0u);
  EXPECT_EQ(ok("item", item)["dirty"], false);
}

}  // namespace
}  // namespace tw::server
