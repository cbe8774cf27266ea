// The editor's HTTP side: who is let in, what a request must look like, where
// item paths may lead, message boxes across requests, versions, failures, and
// the one thread every component call runs on.

#include <fcntl.h>
#include <sys/file.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "server/server_fixture.h"
#include "tidewise/host/item.h"
#include "tidewise/host/trace.h"

namespace tw::server {
namespace {

TEST_F(ServerTest, RequestsWithoutTheTokenOrFromElsewhereAreRefusedAndChangeNothing) {
  start();
  const json open = {{"item", kItem}};
  const std::string port = std::to_string(server_->port());
  const struct {
    const char* name;
    httplib::Headers headers;
  } cases[] = {
      {"no token", {{"X-Tidewise-Token", ""}}},
      {"another token", {{"X-Tidewise-Token", "0123456789abcdef0123456789abcdeX"}}},
      {"a token one character short", {{"X-Tidewise-Token", "0123456789abcdef0123456789abcde"}}},
      {"a cookie of another port",
       {{"X-Tidewise-Token", ""}, {"Cookie", "tidewise-1=" + std::string(kToken)}}},
      {"a foreign Host", {{"Host", "evil.example:" + port}}},
      {"the loopback Host on another port", {{"Host", "127.0.0.1:1"}}},
      {"no port in Host", {{"Host", "localhost"}}},
      {"a foreign Origin", {{"Origin", "http://evil.example"}}},
      {"a page of another site", {{"Sec-Fetch-Site", "cross-site"}}},
  };
  for (const auto& c : cases) {
    const Reply reply = post("open-item", open, c.headers);
    EXPECT_EQ(reply.status, 403) << c.name;
    EXPECT_TRUE(reply.body.contains("error")) << c.name;
    EXPECT_FALSE(reply.headers.contains("Access-Control-Allow-Origin")) << c.name;
  }
  // The token in the address is taken for the page alone, not for requests.
  EXPECT_EQ(send("POST", "/api/open-item?token=" + std::string(kToken), open.dump(),
                 {{"X-Tidewise-Token", ""}})
                .status,
            403);
  EXPECT_EQ(send("GET", "/app.js", "", {{"X-Tidewise-Token", ""}}).status, 403);

  // Nothing was opened or written.
  const json catalog = ok("catalog", json::object());
  EXPECT_EQ(catalog["items"][0]["open"], false);
  EXPECT_EQ(test::read_file(catalog_ / kItem), original_);
  // localhost names the same server.
  EXPECT_EQ(post("catalog", json::object(), {{"Host", "localhost:" + port}}).status, 200);
}

TEST_F(ServerTest, TheAddressHandsOverTheTokenAsACookieTheOtherRequestsCarry) {
  start();
  const Reply handed =
      send("GET", "/?token=" + std::string(kToken), "", {{"X-Tidewise-Token", ""}});
  ASSERT_EQ(handed.status, 303);
  EXPECT_EQ(handed.headers.find("Location")->second, "/");
  const std::string cookie = handed.headers.find("Set-Cookie")->second;
  EXPECT_EQ(cookie, "tidewise-" + std::to_string(server_->port()) + "=" + kToken +
                        "; HttpOnly; SameSite=Strict; Path=/");
  EXPECT_EQ(send("GET", "/?token=wrong", "", {{"X-Tidewise-Token", ""}}).status, 403);

  const std::string pair = cookie.substr(0, cookie.find(';'));
  const Reply page = send("GET", "/", "", {{"X-Tidewise-Token", ""}, {"Cookie", "a=b; " + pair}});
  ASSERT_EQ(page.status, 200);
  EXPECT_EQ(page.headers.find("Content-Security-Policy")->second,
            "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
            "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'");
  EXPECT_EQ(page.headers.find("X-Frame-Options")->second, "DENY");
  EXPECT_EQ(post("catalog", json::object(), {{"X-Tidewise-Token", ""}, {"Cookie", pair}}).status,
            200);
}

TEST_F(ServerTest, OnlyTheEditorsOwnFilesAreServedAndOnlyGetAndPostAreAnswered) {
  start();
  EXPECT_EQ(send("GET", "/app.js", "").status, 200);
  for (const char* path :
       {"/../../etc/passwd", "/%2e%2e/CMakeLists.txt", "/server.h", "/api/catalog"}) {
    EXPECT_EQ(send("GET", path, "").status, 404) << path;
  }
  for (const char* method : {"PUT", "DELETE", "OPTIONS"}) {
    const Reply reply = send(method, "/api/catalog", "{}");
    EXPECT_EQ(reply.status, 405) << method;
    EXPECT_FALSE(reply.headers.contains("Access-Control-Allow-Origin")) << method;
    EXPECT_FALSE(reply.headers.contains("Access-Control-Allow-Methods")) << method;
  }
  EXPECT_EQ(post("no-such-request", json::object()).status, 404);
}

TEST_F(ServerTest, BadRequestsGet400WithAMessageAndChangeNothing) {
  start();
  ok("open-page", {{"item", kItem}, {"page", "Purpose"}});
  const std::uint64_t version = ok("item", {{"item", kItem}})["version"];
  const struct {
    const char* name;
    std::string body;
    std::string type = "application/json";
  } cases[] = {
      {"form data", "item=coastal-dataset.xml", "application/x-www-form-urlencoded"},
      {"no type", R"({"item":"coastal-dataset.xml"})", "text/plain"},
      {"not JSON", R"({"item": )"},
      {"a list", R"(["item"])"},
      {"no item", R"({})"},
      {"a number for the item", R"({"item": 7, "page": "Purpose"})"},
      {"no page", R"({"item":"coastal-dataset.xml"})"},
      {"an unknown edit",
       R"({"item":"coastal-dataset.xml","page":"Purpose","edit":{"kind":"paste","control":"txtInfo","value":"x"}})"},
      {"no edit", R"({"item":"coastal-dataset.xml","page":"Purpose"})"},
      {"a missing control",
       R"({"item":"coastal-dataset.xml","page":"Purpose","edit":{"kind":"type","control":"txtNope","value":"x"}})"},
      {"typing into a label",
       R"({"item":"coastal-dataset.xml","page":"Purpose","edit":{"kind":"type","control":"lblInfo","value":"x"}})"},
      {"typing without text",
       R"({"item":"coastal-dataset.xml","page":"Purpose","edit":{"kind":"type","control":"txtInfo"}})"},
      {"a text for the version",
       R"({"item":"coastal-dataset.xml","page":"Purpose","version":"1","edit":{"kind":"type","control":"txtInfo","value":"x"}})"},
      {"two edits, the second wrong",
       R"({"item":"coastal-dataset.xml","page":"Purpose","edits":[{"kind":"type","control":"txtInfo","value":"x"},{"kind":"check","control":"txtInfo"}]})"},
  };
  for (const auto& c : cases) {
    const Reply reply = send("POST", "/api/edit", c.body, {}, c.type);
    EXPECT_EQ(reply.status, 400) << c.name << ": " << reply.body.dump();
    EXPECT_TRUE(reply.body.is_object() && reply.body["error"].is_string()) << c.name;
  }
  EXPECT_EQ(post("open-page", {{"item", kItem}, {"page", "NoSuchPage"}}).status, 400);
  const json state = ok("item", {{"item", kItem}});
  EXPECT_EQ(state["version"], version) << "nothing moved on";
  EXPECT_EQ(state["dirty"], false);
  EXPECT_EQ(control(state["page"], "txtInfo")["text"],
            "Monitor cliff-top retreat and beach lowering to support the shoreline management "
            "plan review.");
  EXPECT_EQ(test::read_file(catalog_ / kItem), original_);
}

TEST_F(ServerTest, ItemPathsStayInsideTheCatalog) {
  const fs::path outside = home_ / "outside.xml";
  test::write_file(outside, "<metadata/>");
  fs::create_symlink(outside, catalog_ / "escape.xml");
  fs::create_directory(home_ / "elsewhere");
  fs::create_directory_symlink(home_ / "elsewhere", catalog_ / "linked");
  fs::create_directory(catalog_ / "inner");
  fs::copy_file(catalog_ / kItem, catalog_ / "inner" / "nested.xml");
  start();

  for (const std::string& path : std::vector<std::string>{
           "../outside.xml", "/etc/passwd.xml", (home_ / "outside.xml").string(),
           "inner/../../outside.xml", "./coastal-dataset.xml", ".hidden.xml", "inner/.x.xml",
           "notes.txt", "escape.xml", "linked/new.xml", "inner\\nested.xml", "",
           std::string("a\0b.xml", 7)}) {
    const Reply reply = post("open-item", {{"item", path}});
    EXPECT_EQ(reply.status, 400) << path << ": " << reply.body.dump();
    EXPECT_EQ(post("create-item", {{"name", path}}).status, 400) << path;
  }
  EXPECT_EQ(post("open-item", {{"item", "missing.xml"}}).status, 404);
  EXPECT_EQ(post("open-item", {{"item", "inner/nested.xml"}}).status, 200);
  EXPECT_FALSE(fs::exists(home_ / "elsewhere" / "new.xml"));
  EXPECT_EQ(test::read_file(outside), "<metadata/>");

  std::vector<std::string> listed;
  const json catalog = ok("catalog", json::object());
  for (const json& item : catalog["items"]) listed.push_back(item["path"]);
  EXPECT_EQ(listed, (std::vector<std::string>{kItem, "inner/nested.xml"}));

  // A new item is created once, and never over an existing file.
  EXPECT_EQ(ok("create-item", {{"name", "inner/new.xml"}})["created"], "inner/new.xml");
  EXPECT_EQ(post("create-item", {{"name", "inner/new.xml"}}).status, 409);
  EXPECT_EQ(post("create-item", {{"name", kItem}}).status, 409);
  EXPECT_EQ(test::read_file(catalog_ / kItem), original_);
}

TEST_F(ServerTest, EveryComponentCallRunsOnTheApartmentThread) {
  start();
  std::mutex mutex;
  std::set<std::thread::id> threads;
  std::atomic<int> calls{0};
  host::set_trace_sink([&](const nlohmann::json&) {
    std::lock_guard lock(mutex);
    threads.insert(std::this_thread::get_id());
    ++calls;
  });
  const char* pages[] = {"Purpose",      "Status",      "Contact",
                         "QualityScope", "TidewiseExt", "ReferenceSys"};
  std::vector<std::thread> clients;
  clients.reserve(6);
  std::atomic<int> failures{0};
  for (int c = 0; c < 6; ++c) {
    clients.emplace_back([&, c] {
      for (int i = 0; i < 8; ++i) {
        const Reply reply =
            post("open-page", {{"item", kItem}, {"page", pages[(c + i) % std::size(pages)]}});
        if (reply.status != 200) ++failures;
      }
    });
  }
  for (std::thread& client : clients) client.join();
  host::set_trace_sink(nullptr);
  EXPECT_EQ(failures, 0);
  EXPECT_GT(calls, 0);
  EXPECT_EQ(threads, (std::set<std::thread::id>{server_->apartment().thread_id()}));
}

TEST_F(ServerTest, AMessageBoxReachesTheBrowserAndItsAnswerResumesTheRequest) {
  start(std::chrono::seconds(30), /*quiet=*/false);
  Reply reply = post("open-item", {{"item", kItem}});
  ASSERT_EQ(reply.status, 200);
  ASSERT_TRUE(reply.body.contains("dialog")) << reply.body.dump();
  json dialog = reply.body["dialog"];
  EXPECT_EQ(dialog["prompt"], "Disable the Synchronizer ISO Metadata Synchronizer");
  EXPECT_EQ(dialog["buttons"], json::parse(R"([{"label":"OK","answer":1}])"));

  // Another request meanwhile is not run: it is shown the same box.
  const Reply busy = post("catalog", json::object());
  EXPECT_EQ(busy.status, 409);
  EXPECT_EQ(busy.body["dialog"]["id"], dialog["id"]);
  EXPECT_EQ(post("pending", json::object()).body["dialog"]["id"], dialog["id"]);
  // A wrong task is unknown; an answer to a box already answered changes nothing.
  EXPECT_EQ(post("answer", {{"call", 999}, {"dialog", 1}, {"answer", 1}}).status, 404);
  EXPECT_EQ(post("answer", {{"call", "x"}}).status, 400);

  std::vector<std::string> prompts{dialog["prompt"]};
  for (;;) {
    reply = post("answer", {{"call", dialog["call"]}, {"dialog", dialog["id"]}, {"answer", 1}});
    ASSERT_EQ(reply.status, 200) << reply.body.dump();
    if (!reply.body.contains("dialog")) break;
    dialog = reply.body["dialog"];
    prompts.push_back(dialog["prompt"]);
  }
  EXPECT_EQ(prompts.size(), 3u);
  EXPECT_EQ(reply.body["item"], kItem) << "the answer to the last box brings the item";
  EXPECT_EQ(reply.body["books"].size(), 22u) << "21 books and the quality report page";
  EXPECT_FALSE(reply.body.contains("notes"));
}

TEST_F(ServerTest, ABoxNobodyAnswersTakesItsDefaultAndTheResultSaysSo) {
  start(std::chrono::milliseconds(200), /*quiet=*/false);
  const Reply first = post("open-item", {{"item", kItem}});
  ASSERT_TRUE(first.body.contains("dialog"));
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const json& dialog = first.body["dialog"];
  const Reply late =
      post("answer", {{"call", dialog["call"]}, {"dialog", dialog["id"]}, {"answer", 1}});
  ASSERT_EQ(late.status, 200) << late.body.dump();
  EXPECT_EQ(late.body["item"], kItem);
  ASSERT_EQ(late.body["notes"].size(), 3u);
  EXPECT_NE(late.body["notes"][0].get<std::string>().find("was not answered"), std::string::npos);
  EXPECT_NE(late.body["notes"][0].get<std::string>().find("answered OK"), std::string::npos);
  // The result was handed out once.
  EXPECT_EQ(
      post("answer", {{"call", dialog["call"]}, {"dialog", dialog["id"]}, {"answer", 1}}).status,
      404);
}

TEST_F(ServerTest, AStaleVersionIsRefusedWithTheItemAsItIsAndLosesNoEdit) {
  start();
  const json opened = ok("open-page", {{"item", kItem}, {"page", "Purpose"}});
  const std::uint64_t seen = opened["version"];
  // The first tab types.
  const json typed =
      ok("edit", {{"item", kItem},
                  {"version", seen},
                  {"page", "Purpose"},
                  {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "first"}}}});
  EXPECT_GT(typed["version"].get<std::uint64_t>(), seen);
  EXPECT_EQ(typed["dirty"], true);
  // The second tab, still on the version it saw, is refused and shown the first tab's text.
  const Reply stale =
      post("edit", {{"item", kItem},
                    {"version", seen},
                    {"page", "Purpose"},
                    {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "second"}}}});
  EXPECT_EQ(stale.status, 409);
  EXPECT_EQ(control(stale.body["state"]["page"], "txtInfo")["text"], "first");
  EXPECT_EQ(post("open-page", {{"item", kItem}, {"version", seen}, {"page", "Status"}}).status,
            409);
  EXPECT_EQ(post("save", {{"item", kItem}, {"version", seen}}).status, 409);
  EXPECT_EQ(test::read_file(catalog_ / kItem), original_);

  // On the version it was shown, the second tab's save keeps the first tab's edit.
  const json saved = ok("save", {{"item", kItem}, {"version", stale.body["state"]["version"]}});
  EXPECT_EQ(saved["saved"], true);
  EXPECT_EQ(saved["dirty"], false);
  EXPECT_NE(test::read_file(catalog_ / kItem).find(">first</idPurp>"), std::string::npos);
}

TEST_F(ServerTest, SavingNeedsTheChangesThatWereReviewed) {
  start();
  ok("edit", {{"item", kItem},
              {"page", "Purpose"},
              {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "reviewed"}}}});
  const json review = ok("review", {{"item", kItem}});
  ASSERT_EQ(review["review"]["changes"].size(), 2u) << review["review"].dump();
  EXPECT_EQ(
      review["review"]["changes"][0],
      json::parse(
          R"({"change":"changed","path":"dataIdInfo/idPurp","before":"Monitor cliff-top retreat and beach lowering to support the shoreline management plan review.","after":"reviewed","page":"Purpose","field":"Summary of the intentions with which te resource(s) was developped","origin":"typed"})"));
  EXPECT_EQ(test::read_file(catalog_ / kItem), original_) << "reviewing saves nothing";
  // Something changed after the review: the save is refused with the new review.
  ok("edit", {{"item", kItem},
              {"page", "Purpose"},
              {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "not reviewed"}}}});
  const Reply refused = post("save", {{"item", kItem}, {"reviewed", review["review"]["digest"]}});
  EXPECT_EQ(refused.status, 409);
  EXPECT_EQ(refused.body["review"]["changes"][0]["after"], "not reviewed");
  EXPECT_EQ(test::read_file(catalog_ / kItem), original_);
  const json saved = ok("save", {{"item", kItem}, {"reviewed", refused.body["review"]["digest"]}});
  EXPECT_EQ(saved["changes"], 2);
  EXPECT_NE(test::read_file(catalog_ / kItem).find(">not reviewed</idPurp>"), std::string::npos);
}

TEST_F(ServerTest, AFailingMemberIsShownByInterfaceMemberAndCodeAndNothingIsSaved) {
  start();
  // Text XML cannot hold is refused before the page takes it.
  const Reply refused =
      post("edit", {{"item", kItem},
                    {"page", "Purpose"},
                    {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "bell \x07"}}}});
  EXPECT_EQ(refused.status, 400) << refused.body.dump();
  EXPECT_NE(refused.body.dump().find("cannot be kept in an XML file"), std::string::npos);

  ok("edit", {{"item", kItem},
              {"page", "Purpose"},
              {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "kept"}}}});
  // A member that fails: the importer, on a record cut short (a file that
  // is no record at all is refused before the importer sees it).
  const std::string stylesheets = std::string(TIDEWISE_SOURCE_DIR) + "/stylesheets";
  ::setenv("TIDEWISE_STYLESHEETS", stylesheets.c_str(), 1);
  const Reply failed = post(
      "import", {{"item", kItem},
                 {"fileName", "broken.xml"},
                 {"content", "<gmd:MD_Metadata xmlns:gmd=\"http://www.isotc211.org/2005/gmd\">"}});
  ::unsetenv("TIDEWISE_STYLESHEETS");
  ASSERT_EQ(failed.status, 500) << failed.body.dump();
  const json& failure = failed.body["failure"];
  EXPECT_EQ(failure["interface"], "IMetadataImport");
  EXPECT_EQ(failure["member"], "IMetadataImport.Import");
  EXPECT_EQ(failure["code"], "0x80004005");
  const std::string text = failure["text"];
  EXPECT_NE(text.find("IXMLDOMDocument.load"), std::string::npos) << text;
  EXPECT_NE(text.find("broken.xml"), std::string::npos) << text;
  // The item keeps what it had, the edit before the failure included, and
  // nothing reached the file.
  EXPECT_EQ(control(failed.body["state"]["page"], "txtInfo")["text"], "kept");
  EXPECT_EQ(test::read_file(catalog_ / kItem), original_);

  EXPECT_EQ(ok("save", {{"item", kItem}})["saved"], true);
  EXPECT_NE(test::read_file(catalog_ / kItem).find(">kept</idPurp>"), std::string::npos);

  // Read again when the control library cannot start: the same answer as
  // any failing member, not "the file cannot be read".
  test::write_file(home_ / "settings.json", "{ damaged");
  const Reply unread = post("reload-file", {{"item", kItem}});
  ASSERT_EQ(unread.status, 500) << unread.body.dump();
  EXPECT_EQ(unread.body["failure"]["member"], "ICustomPages.LoadCustomPages");
  EXPECT_TRUE(unread.body.contains("state")) << unread.body.dump();
}

TEST_F(ServerTest, TheExportWritesTheStandardAskedFor) {
  start();
  const std::string stylesheets = (fs::path(TIDEWISE_SOURCE_DIR) / "stylesheets").string();
  ::setenv("TIDEWISE_STYLESHEETS", stylesheets.c_str(), 1);
  ok("open-page", {{"item", kItem}, {"page", "Purpose"}});
  const struct {
    json format;
    std::string file, root;
  } cases[] = {{nullptr, "coastal-dataset-export.xml", "<gmd:MD_Metadata"},
               {"iso19139", "coastal-dataset-export.xml", "<gmd:MD_Metadata"},
               {"iso19115-3", "coastal-dataset-export-iso19115-3.xml", "<tw3:MD_Metadata"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format.dump());
    json request = {{"item", kItem}};
    if (!c.format.is_null()) request["format"] = c.format;
    const json answer = ok("export", request);
    EXPECT_EQ(answer["export"]["fileName"], c.file);
    EXPECT_NE(answer["export"]["content"].get<std::string>().find(c.root), std::string::npos);
  }
  for (const json& format : {json("iso19115"), json(3)}) {
    const Reply refused = post("export", {{"item", kItem}, {"format", format}});
    EXPECT_EQ(refused.status, 400) << format.dump();
  }
  ::unsetenv("TIDEWISE_STYLESHEETS");
}

TEST_F(ServerTest, ASaveOverAChangeMadeByAnotherProgramIsRefused) {
  start();
  ok("edit", {{"item", kItem},
              {"page", "Purpose"},
              {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "from the editor"}}}});
  const std::string theirs = original_ + "<!-- changed by another program -->\n";
  test::write_file(catalog_ / kItem, theirs);
  const Reply refused = post("save", {{"item", kItem}});
  EXPECT_EQ(refused.status, 409) << refused.body.dump();
  EXPECT_NE(refused.body.dump().find("was changed by another program"), std::string::npos);
  EXPECT_EQ(test::read_file(catalog_ / kItem), theirs);
  EXPECT_EQ(control(refused.body["state"]["page"], "txtInfo")["text"], "from the editor")
      << "the editor keeps its edits";
}

TEST_F(ServerTest, RevertDropsTheEditsAndClosingAsksForUnsavedChanges) {
  start();
  ok("edit", {{"item", kItem},
              {"page", "Purpose"},
              {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "dropped"}}}});
  const json reverted = ok("revert", {{"item", kItem}});
  EXPECT_EQ(reverted["dirty"], false);
  EXPECT_EQ(reverted["page"]["uniqueName"], "Purpose");
  EXPECT_NE(control(reverted["page"], "txtInfo")["text"], "dropped");

  ok("edit", {{"item", kItem},
              {"page", "Purpose"},
              {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "kept?"}}}});
  const Reply asked = post("close-item", {{"item", kItem}});
  EXPECT_EQ(asked.status, 409);
  EXPECT_EQ(asked.body["dirty"], true);
  EXPECT_EQ(ok("close-item", {{"item", kItem}, {"discard", true}})["closed"], true);
  EXPECT_EQ(post("item", {{"item", kItem}}).status, 409) << "closed";
  EXPECT_EQ(test::read_file(catalog_ / kItem), original_);
}

// An item path the editor cannot use is refused with a message that says
// why, whole and escaped.
TEST_F(ServerTest, AnItemPathItCannotUseIsToldWhyWithTheNameEscaped) {
  start();
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {std::string("a\0b.xml", 7), "item path \"a\\x00b.xml\" holds a character"},
      {"x.xml/", "item path \"x.xml/\" ends in \"/\""},
      {"inner//x.xml", "has an empty step"},
      {std::string(300, 'n') + ".xml", "holds a name longer than 255 bytes"},
      {"\x1B[2J.xml/", "item path \"\\x1B[2J.xml/\" ends in"},
  };
  for (const auto& c : cases) {
    for (const char* request : {"open-item", "create-item"}) {
      const Reply reply =
          post(request, {{std::string(request) == "open-item" ? "item" : "name", c.path}});
      EXPECT_EQ(reply.status, 400) << request << " " << reply.body.dump();
      const std::string error = reply.body.value("error", "");
      EXPECT_NE(error.find(c.message), std::string::npos) << error;
      EXPECT_EQ(error.find('\x1B'), std::string::npos) << error;
    }
  }
  EXPECT_EQ(test::names_in(catalog_), std::vector<std::string>{kItem});
}

// Two names of one file (a link in the catalog) are one item: the second is
// not opened beside the first, whose save it would call another program's.
TEST_F(ServerTest, OneFileUnderTwoNamesIsOpenedOnce) {
  fs::create_symlink(kItem, catalog_ / "link.xml");
  start();
  ok("edit", {{"item", kItem},
              {"page", "Purpose"},
              {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "one item"}}}});
  const Reply second = post("open-item", {{"item", "link.xml"}});
  EXPECT_EQ(second.status, 409) << second.body.dump();
  EXPECT_EQ(second.body["sameAs"], kItem);
  EXPECT_NE(second.body["error"].get<std::string>().find("under another name"), std::string::npos);
  EXPECT_EQ(ok("save", {{"item", kItem}})["saved"], true);
  EXPECT_NE(test::read_file(catalog_ / kItem).find(">one item</idPurp>"), std::string::npos);
  EXPECT_TRUE(fs::is_symlink(catalog_ / "link.xml"));
}

// Every request that changes an item refuses the version of a tab that has
// not seen the latest change, and changes nothing.
TEST_F(ServerTest, EveryRequestThatChangesAnItemRefusesAStaleVersion) {
  const std::string stylesheets = std::string(TIDEWISE_SOURCE_DIR) + "/stylesheets";
  ::setenv("TIDEWISE_STYLESHEETS", stylesheets.c_str(), 1);
  start();
  const std::string record =
      test::read_file(fs::path(TIDEWISE_SOURCE_DIR) / "examples/coastal-dataset-iso19139.xml");
  const std::pair<const char*, json> cases[] = {
      {"import", {{"fileName", "record.xml"}, {"content", record}}},
      {"export", json::object()},
      {"review", json::object()},
      {"save", json::object()},
      {"revert", json::object()},
      {"close-item", {{"discard", true}}},
      {"open-page", {{"page", "Status"}}},
  };
  for (const auto& [name, body] : cases) {
    SCOPED_TRACE(name);
    const std::uint64_t seen = ok("open-page", {{"item", kItem}, {"page", "Purpose"}})["version"];
    const json edited =
        ok("edit", {{"item", kItem},
                    {"page", "Purpose"},
                    {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "latest"}}}});
    json stale = body;
    stale["item"] = kItem;
    stale["version"] = seen;
    const Reply refused = post(name, stale);
    EXPECT_EQ(refused.status, 409) << refused.body.dump().substr(0, 300);
    EXPECT_EQ(refused.body["state"]["version"], edited["version"]);
    const json now = ok("item", {{"item", kItem}});
    EXPECT_EQ(now["version"], edited["version"]) << "nothing moved on";
    EXPECT_EQ(now["dirty"], true);
    EXPECT_EQ(control(now["page"], "txtInfo")["text"], "latest");
    EXPECT_EQ(test::read_file(catalog_ / kItem), original_);
    ok("close-item", {{"item", kItem}, {"discard", true}});
  }
  ::unsetenv("TIDEWISE_STYLESHEETS");
}

// Another program holds the item's lock (flock .coastal-dataset.xml.lock):
// the save answers at once that the item is in use and by whom, writes
// nothing, and the other requests go on; once it lets go, the save lands.
TEST_F(ServerTest, ALockHeldByAnotherProgramHoldsUpNothing) {
  start();
  ok("edit", {{"item", kItem},
              {"page", "Purpose"},
              {"edit", {{"kind", "type"}, {"control", "txtInfo"}, {"value", "after the lock"}}}});
  const fs::path lock = host::ItemLock::lock_file(catalog_ / kItem);
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  if (holder == 0) {
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT, 0644);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
    (void)::write(ready[1], "x", 1);
    for (;;) ::pause();
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::close(ready[0]);
  ::close(ready[1]);

  const Reply refused = post("save", {{"item", kItem}});
  EXPECT_EQ(refused.status, 423) << refused.body.dump().substr(0, 300);
  EXPECT_EQ(refused.body["inUse"]["pid"], holder);
  EXPECT_NE(refused.body["error"].get<std::string>().find("is in use by another program (process " +
                                                          std::to_string(holder)),
            std::string::npos)
      << refused.body["error"];
  EXPECT_EQ(test::read_file(catalog_ / kItem), original_);
  EXPECT_EQ(post("catalog", json::object()).status, 200) << "other requests go on";
  EXPECT_EQ(ok("item", {{"item", kItem}})["dirty"], true) << "the edits are kept";

  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  EXPECT_EQ(ok("save", {{"item", kItem}})["saved"], true);
  EXPECT_NE(test::read_file(catalog_ / kItem).find(">after the lock</idPurp>"), std::string::npos);
}

// A catalogue's answer holding several records is refused, saying how many,
// as the command line refuses it: none is imported in place of the others.
TEST_F(ServerTest, AFileOfSeveralRecordsIsRefusedSayingHowMany) {
  const std::string stylesheets = std::string(TIDEWISE_SOURCE_DIR) + "/stylesheets";
  ::setenv("TIDEWISE_STYLESHEETS", stylesheets.c_str(), 1);
  start();
  const std::string answer = test::read_file(
      fs::path(TIDEWISE_SOURCE_DIR) / "tests/data/stylesheets/records/response-two-records.xml");
  const Reply created =
      post("import-item", {{"name", "new.xml"}, {"fileName", "answer.xml"}, {"content", answer}});
  const Reply imported =
      post("import", {{"item", kItem}, {"fileName", "answer.xml"}, {"content", answer}});
  ::unsetenv("TIDEWISE_STYLESHEETS");
  for (const Reply& reply : {created, imported}) {
    EXPECT_EQ(reply.status, 400) << reply.body.dump().substr(0, 300);
    EXPECT_NE(reply.body.value("error", "").find("\"answer.xml\" holds 2 records"),
              std::string::npos)
        << reply.body.dump().substr(0, 300);
  }
  EXPECT_EQ(test::names_in(catalog_), std::vector<std::string>{kItem});
  EXPECT_EQ(test::read_file(catalog_ / kItem), original_);
  EXPECT_EQ(ok("item", {{"item", kItem}})["dirty"], false);
}

// The editor reads what the tool reads: an item whose text, written out,
// would be larger than the parser takes (its "<" and ">" become "&lt;" and
// "&gt;") opens and is reviewed.
TEST_F(ServerTest, AnItemTheToolReadsOpensAndIsReviewed) {
  std::string text(9'000'000, '>');
  test::write_file(catalog_ / "large.xml", "<metadata><dataIdInfo><idPurp>" + text +
                                               "</idPurp><idAbs>" + text +
                                               "</idAbs></dataIdInfo></metadata>\n");
  start();
  const json opened = ok("open-item", {{"item", "large.xml"}});
  EXPECT_EQ(opened["dirty"], false);
  const json reviewed = ok("review", {{"item", "large.xml"}});
  EXPECT_EQ(reviewed["review"]["changes"], json::array());
}

}  // namespace
}  // namespace tw::server
