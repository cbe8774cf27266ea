// What the editor tells an author about an item, and the catalog's own
// operations: problems by page and field, records that are not ISO, rename,
// duplicate, delete into the trash and back, search.

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "server/server_fixture.h"

namespace tw::server {
namespace {

bool has_problem(const json& problems, const std::string& page, const std::string& control,
                 const std::string& value) {
  return std::any_of(problems.begin(), problems.end(), [&](const json& p) {
    return p["page"].is_object() && p["page"]["uniqueName"] == page && p["control"] == control &&
           p["value"] == value;
  });
}

TEST_F(ServerTest, ProblemsNameTheirPageAndFieldFollowTheEditsAndWriteNothing) {
  start();
  json state = ok("open-item", {{"item", kItem}});
  json found = ok("problems", {{"item", kItem}, {"version", state["version"]}});
  const std::size_t before = found["problems"].size();
  EXPECT_EQ(found["exportChecked"], false);

  state = ok("edit", {{"item", kItem},
                      {"page", "QualityExtent"},
                      {"edits",
                       {{{"kind", "type"}, {"control", "txtWest"}, {"value", "abc"}},
                        {{"kind", "type"}, {"control", "txtEast"}, {"value", "10"}},
                        {{"kind", "type"}, {"control", "txtSouth"}, {"value", "40"}},
                        {{"kind", "type"}, {"control", "txtNorth"}, {"value", "50"}}}}});
  // The open page's answer marks the field at once...
  EXPECT_TRUE(has_problem(state["page"]["problems"], "QualityExtent", "txtWest", "abc"))
      << state["page"]["problems"].dump();
  // ...and the item's list has it, though the page has not written it yet.
  found = ok("problems", {{"item", kItem}, {"version", state["version"]}});
  EXPECT_EQ(found["problems"].size(), before + 1) << found["problems"].dump();
  EXPECT_TRUE(has_problem(found["problems"], "QualityExtent", "txtWest", "abc"));

  // With the export: the open page writes first, and the schemas are used.
  found = ok("problems", {{"item", kItem}, {"version", found["version"]}, {"export", true}});
  EXPECT_EQ(found["exportChecked"], true) << found.dump().substr(0, 400);
  EXPECT_TRUE(has_problem(found["problems"], "QualityExtent", "txtWest", "abc"));
  EXPECT_EQ(found["dirty"], true);

  ok("edit", {{"item", kItem},
              {"version", found["version"]},
              {"page", "QualityExtent"},
              {"edit", {{"kind", "type"}, {"control", "txtWest"}, {"value", "-4.5"}}}});
  found = ok("problems", {{"item", kItem}});
  EXPECT_FALSE(has_problem(found["problems"], "QualityExtent", "txtWest", "abc"));
  EXPECT_EQ(found["problems"].size(), before);
  EXPECT_EQ(test::read_file(catalog_ / kItem), original_);
  // A stale version is refused as for any request.
  EXPECT_EQ(post("problems", {{"item", kItem}, {"version", 1}}).status, 409);
}

TEST_F(ServerTest, AFileThatIsNotAnIsoRecordIsToldSoInPlainWords) {
  start();
  const struct {
    const char* name;
    std::string content;
  } cases[] = {
      {"plain text", "just some words, not XML"},
      {"another XML", "<?xml version=\"1.0\"?><html><body>a page</body></html>"},
      {"a namespace of its own", "<MD_Metadata xmlns=\"urn:not-iso\"/>"},
      {"empty", ""},
  };
  for (const auto& c : cases) {
    for (const char* request : {"import-item", "import"}) {
      const Reply reply = post(request, {{"item", kItem},
                                         {"name", "new.xml"},
                                         {"fileName", "thing.xml"},
                                         {"content", c.content}});
      EXPECT_EQ(reply.status, 422) << c.name << " " << request << " " << reply.body.dump();
      const std::string error = reply.body.value("error", "");
      EXPECT_NE(error.find("\"thing.xml\" is not an ISO 19139 or ISO 19115-3 record"),
                std::string::npos)
          << c.name << ": " << error;
      EXPECT_EQ(error.find("0x8"), std::string::npos) << c.name << ": " << error;
      EXPECT_EQ(error.find("tidewise-serve"), std::string::npos) << c.name << ": " << error;
      EXPECT_FALSE(reply.body.contains("failure")) << c.name;
    }
  }
  EXPECT_EQ(test::names_in(catalog_), std::vector<std::string>{kItem});
  EXPECT_EQ(test::read_file(catalog_ / kItem), original_);
}

// The record identifier an item's file holds, and the file without it.
std::string identifier_of(const std::string& text) {
  const std::size_t start = text.find("<mdFileID>");
  if (start == std::string::npos) return {};
  const std::size_t from = start + std::string_view("<mdFileID>").size();
  return text.substr(from, text.find("</mdFileID>", from) - from);
}
std::string same_but_identifier(std::string text) {
  const std::string identifier = identifier_of(text);
  if (!identifier.empty()) text.replace(text.find(identifier), identifier.size(), "ID");
  return text;
}

TEST_F(ServerTest, ItemsAreRenamedDuplicatedDeletedIntoTheTrashAndRestored) {
  start();
  const auto paths = [](const json& catalog) {
    std::vector<std::string> found;
    for (const json& item : catalog["items"]) found.push_back(item["path"]);
    return found;
  };
  fs::create_directories(catalog_ / "sub");
  json answer = ok("duplicate-item", {{"item", kItem}, {"to", "sub/copy.xml"}});
  EXPECT_EQ(paths(answer), (std::vector<std::string>{kItem, "sub/copy.xml"}));
  const std::string copy = test::read_file(catalog_ / "sub/copy.xml");
  EXPECT_EQ(answer["identifier"], identifier_of(copy));
  EXPECT_EQ(same_but_identifier(copy), same_but_identifier(original_));
  answer = ok("rename-item", {{"item", "sub/copy.xml"}, {"to", "renamed.xml"}});
  EXPECT_EQ(paths(answer), (std::vector<std::string>{kItem, "renamed.xml"}));
  // Searched through the index, which follows what the editor does.
  EXPECT_EQ(ok("search-items", {{"text", "cliff shoreline"}})["matches"].size(), 2u);
  answer = ok("delete-item", {{"item", "renamed.xml"}});
  EXPECT_EQ(paths(answer), std::vector<std::string>{kItem});
  EXPECT_EQ(ok("search-items", {{"text", "Shoreline"}})["matches"], json::array({kItem}));
  EXPECT_EQ(ok("search-items", {{"text", "nowhere-to-be-found"}})["matches"], json::array());
  const json trash = ok("trash", json::object())["entries"];
  ASSERT_EQ(trash.size(), 1u);
  EXPECT_EQ(trash[0]["path"], "renamed.xml");
  EXPECT_EQ(trash[0]["entry"], answer["trashEntry"]);

  // What is refused, and changes nothing.
  ok("open-item", {{"item", kItem}});
  const struct {
    const char* request;
    json body;
    int status;
  } refused[] = {
      {"rename-item", {{"item", kItem}, {"to", "other.xml"}}, 409},  // open for editing
      {"delete-item", {{"item", kItem}}, 409},                       // open for editing
      {"rename-item", {{"item", "missing.xml"}, {"to", "other.xml"}}, 404},
      {"rename-item", {{"item", kItem}, {"to", "../out.xml"}}, 400},
      {"duplicate-item", {{"item", kItem}, {"to", kItem}}, 409},
      {"duplicate-item", {{"item", kItem}, {"to", ".hidden.xml"}}, 400},
      {"restore-item", {{"entry", "../../etc/passwd"}}, 400},
      {"restore-item", {{"entry", "12345/renamed.xml"}}, 404},
  };
  for (const auto& r : refused) {
    const Reply reply = post(r.request, r.body);
    EXPECT_EQ(reply.status, r.status)
        << r.request << " " << r.body.dump() << " " << reply.body.dump();
  }
  EXPECT_EQ(test::names_in(catalog_), (std::vector<std::string>{".trash", kItem, "sub"}));

  // Restored where it was, and not over an item that took its name since.
  ok("duplicate-item", {{"item", kItem}, {"to", "renamed.xml"}});
  EXPECT_EQ(post("restore-item", {{"entry", trash[0]["entry"]}}).status, 409);
  ok("delete-item", {{"item", "renamed.xml"}});
  EXPECT_EQ(ok("trash", json::object())["entries"].size(), 2u);
  answer = ok("restore-item", {{"entry", trash[0]["entry"]}});
  EXPECT_EQ(answer["restored"], "renamed.xml");
  EXPECT_EQ(test::read_file(catalog_ / "renamed.xml"), copy);
  EXPECT_EQ(ok("empty-trash", json::object())["emptied"], 1);
  EXPECT_EQ(test::names_in(catalog_), (std::vector<std::string>{kItem, "renamed.xml", "sub"}));
  EXPECT_EQ(test::read_file(catalog_ / kItem), original_);
}

// The listing comes from the catalog's index, which follows what other
// programs do to the files as well as the editor's own changes.
TEST_F(ServerTest, TheListingFollowsTheFilesWhoeverChangesThem) {
  start();
  const auto item_text = [](const std::string& title) {
    return "<metadata><dataIdInfo><idCitation><resTitle>" + title +
           "</resTitle></idCitation></dataIdInfo></metadata>";
  };
  const auto listing = [&] {
    std::map<std::string, json> items;
    const json catalog = ok("catalog", json::object());
    for (const json& item : catalog["items"]) items[item["path"]] = item;
    return items;
  };
  const json first = listing()[kItem];
  ASSERT_TRUE(first["title"].is_string()) << first.dump();
  const std::string example_title = first["title"];
  EXPECT_NE(example_title.find("Kestrel Bay"), std::string::npos) << example_title;
  const struct {
    const char* what;
    std::function<void()> change;
    std::map<std::string, std::string> titles;  // every item listed, and its title
  } steps[] = {
      {"written by another program",
       [&] { test::write_file(catalog_ / "b.xml", item_text("Bravo")); },
       {{kItem, example_title}, {"b.xml", "Bravo"}}},
      {"rewritten at the same size",
       [&] { test::write_file(catalog_ / "b.xml", item_text("Delta")); },
       {{kItem, example_title}, {"b.xml", "Delta"}}},
      {"a file that is no item",
       [&] { test::write_file(catalog_ / "broken.xml", "<metadata><unclosed>"); },
       {{kItem, example_title}, {"b.xml", "Delta"}, {"broken.xml", ""}}},
      {"removed by another program",
       [&] { fs::remove(catalog_ / "b.xml"); },
       {{kItem, example_title}, {"broken.xml", ""}}},
      {"created by the editor",
       [&] {
         ok("create-item", {{"name", "deep/new.xml"}});
       },
       {{kItem, example_title}, {"broken.xml", ""}, {"deep/new.xml", ""}}},
  };
  fs::create_directories(catalog_ / "deep");
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    std::map<std::string, std::string> titles;
    for (const auto& [path, item] : listing()) titles[path] = item["title"];
    EXPECT_EQ(titles, step.titles);
  }
  const auto items = listing();
  EXPECT_FALSE(items.at("broken.xml")["error"].get<std::string>().empty());
  EXPECT_FALSE(items.at(kItem).contains("error"));
  // The count of pages not completed kept with a closed item is the one the
  // open item's tree gives.
  const json closed = items.at(kItem)["notCompleted"];
  ASSERT_TRUE(closed.is_number_integer()) << closed.dump();
  ok("open-item", {{"item", kItem}});
  EXPECT_EQ(listing().at(kItem)["notCompleted"], closed);
  EXPECT_EQ(listing().at(kItem)["open"], true);
}

// A copy is another record: two items of one catalog never share a record
// identifier, whichever way the copy was made; all else is copied.
TEST_F(ServerTest, NewItemsStartEmptyOrFromATemplateAndEveryCopyHasAnIdentifierOfItsOwn) {
  start();
  ok("create-item", {{"name", "empty.xml"}});
  const struct {
    const char* request;
    json body;
    const char* made;
  } copies[] = {
      {"create-item", {{"name", "from-template.xml"}, {"template", kItem}}, "from-template.xml"},
      {"create-item", {{"name", "again.xml"}, {"template", kItem}}, "again.xml"},
      {"duplicate-item", {{"item", kItem}, {"to", "copy.xml"}}, "copy.xml"},
      {"duplicate-item", {{"item", "copy.xml"}, {"to", "copy-of-copy.xml"}}, "copy-of-copy.xml"},
  };
  std::set<std::string> identifiers = {identifier_of(original_)};
  for (const auto& c : copies) {
    SCOPED_TRACE(c.made);
    const json answer = ok(c.request, c.body);
    const std::string made = test::read_file(catalog_ / c.made);
    EXPECT_EQ(answer["identifier"], identifier_of(made));
    EXPECT_TRUE(identifiers.insert(identifier_of(made)).second) << identifier_of(made);
    EXPECT_EQ(same_but_identifier(made), same_but_identifier(original_));
  }
  EXPECT_EQ(identifiers.size(), 5u);
  // An item without an identifier is copied as it is: none is made up.
  const json answer = ok("duplicate-item", {{"item", "empty.xml"}, {"to", "empty-copy.xml"}});
  EXPECT_FALSE(answer.contains("identifier"));
  EXPECT_EQ(test::read_file(catalog_ / "empty-copy.xml"), test::read_file(catalog_ / "empty.xml"));
  EXPECT_EQ(test::read_file(catalog_ / kItem), original_);
  EXPECT_EQ(test::read_file(catalog_ / "empty.xml").find("Shoreline"), std::string::npos);
  EXPECT_EQ(post("create-item", {{"name", "again.xml"}, {"template", "missing.xml"}}).status, 404);
}

}  // namespace
}  // namespace tw::server
