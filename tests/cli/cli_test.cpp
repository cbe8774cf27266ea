// The tidewise tool end to end: the built program, the component libraries
// beside it, a temporary TIDEWISE_HOME and real item files.

#include <algorithm>

#include "cli/cli_fixture.h"
#include "tidewise/com/registry.h"
#include "tidewise/host/synchronizers.h"

namespace tw::cli {
namespace {

TEST_F(CliTest, UsageErrorsExitWithTwoAndLeaveTheItemAlone) {
  const std::string item = item_.string();
  const std::string before = test::read_file(item_);
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"tree", "--bogus"},
      {"show", item},
      {"show", item, "NoSuchPage"},
      {"show", item, "Purpose", "--class", "NoSuchClass"},
      {"edit", item, "Purpose", "--type", "txtMissing=text"},
      {"edit", item, "Purpose", "--type", "txtInfo"},
      {"edit", item, "Purpose", "--pick", "txtInfo=text"},
      {"edit", item, "Purpose", "--check", "txtInfo"},
      {"edit", item, "Purpose", "--choose", "lblHeading"},
      {"edit", item, "Status", "--pick", "cmbStatus=finished"},
      {"edit", item, "Status", "--type", "cmbStatus=planned", "--pick", "cmbStatus=nope"},
  };
  for (const auto& args : cases) {
    std::string line;
    for (const std::string& arg : args) line += arg + " ";
    const Outcome r = run(args);
    EXPECT_EQ(r.status, 2) << line << "\n" << r.err;
    EXPECT_FALSE(r.err.empty()) << line;
    EXPECT_EQ(test::read_file(item_), before) << line;
  }
}

TEST_F(CliTest, UsageErrorsSayWhatIsWrongWithNamesEscaped) {
  ASSERT_EQ(run({"tree"}).status, 0) << "the start-up's messages come before";
  const std::string item = item_.string();
  const std::string before = test::read_file(item_);
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"frobnicate"}, "tidewise: unknown command 'frobnicate'"},
      {{"fr\x1B[2Job"}, "unknown command 'fr\\x1B[2Job'"},
      {{"show", "", "Purpose"}, "tidewise: the item path is empty"},
      {{"edit", "", "Purpose", "--type", "txtInfo=x"}, "tidewise: the item path is empty"},
      {{"show", item, "Purpose", "--class", "Connect"},
       "--class: \"TidewiseCustomPage.Connect\" is not a page"},
      {{"show", item, "Purpose", "--class", ""}, "--class: the class name is empty"},
      {{"show", item, "Purpose", "--trace", ""}, "--trace: the file name is empty"},
      {{"show", item, "Pur\rpose\x07"}, "no page has the unique name \"Pur\\x0Dpose\\x07\""},
      {{"edit", item, "Purpose", "--type", "txtInfo=bell\x07"},
       "--type: the text for \"txtInfo\" cannot be kept in an XML file"},
      {{"edit", item, "Purpose", "--type", "txtInfo=caf\xC3"},
       "--type: the text for \"txtInfo\" cannot be kept in an XML file"},
      {{"edit", item, "Purpose", "--type", "txt\x1BInfo=x"},
       "--type: the page has no control \"txt\\x1BInfo\""},
  };
  for (const auto& c : cases) {
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.message << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\x1B'), std::string::npos) << "a raw escape reached the terminal";
    EXPECT_EQ(r.err.find('\x07'), std::string::npos) << "a raw bell reached the terminal";
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
    EXPECT_EQ(test::read_file(item_), before);
  }
}

TEST_F(CliTest, TreeOnAFreshHomeLoadsThePagesAndDisablesEachSynchronizerOnce) {
  const fs::path trace_file = home_.path() / "tree.jsonl";
  const json tree = run_json({"tree", "--json", "--trace", trace_file.string()});
  EXPECT_EQ(tree["result"], true);
  const json& books = tree["books"];
  ASSERT_EQ(books.size(), 21u);
  std::size_t pages = 0, host_pages = 0;
  for (const json& book : books) {
    EXPECT_NE(book["key"], "History");
    EXPECT_TRUE(book["caption"].is_string());
    bool project_page_seen = false;
    for (const json& page : book["pages"]) {
      const bool host_page = page["progId"].get<std::string>().starts_with("TidewiseHostPages.");
      // The host's own pages come first in their books.
      EXPECT_FALSE(host_page && project_page_seen) << page;
      project_page_seen = project_page_seen || !host_page;
      (host_page ? host_pages : pages) += 1;
    }
  }
  EXPECT_EQ(pages, 65u);
  EXPECT_EQ(host_pages, 29u);
  EXPECT_EQ(books[0]["key"], "GeneralInfo");
  EXPECT_EQ(books[0]["pages"][0],
            (json{{"uniqueName", "Citation"}, {"progId", "TidewiseHostPages.Citation"}}));
  EXPECT_EQ(books[0]["pages"][12],
            (json{{"uniqueName", "Purpose"}, {"progId", "TidewiseCustomPage.Purpose"}}));
  EXPECT_EQ(books[4]["key"], "QualityBook") << "the first added book follows DistInfo";
  EXPECT_EQ(books[20]["key"], "TidewiseBook");

  const auto trace = read_trace(trace_file);
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace.front(),
            (json{{"call", "IMetadataSections.GetBook"}, {"args", {"GeneralInfo"}}}));
  EXPECT_EQ(calls_named(trace, "IMetadataBook.AddPage").size(), 65u);
  EXPECT_EQ(calls_named(trace, "IMetadataSections.AddBook").size(), 17u);
  EXPECT_EQ(calls_named(trace, "IMetadataSections.RemoveBook"),
            (std::vector<json>{{{"call", "IMetadataSections.RemoveBook"}, {"args", {"History"}}}}));
  const auto boxes = calls_named(trace, "MsgBox");
  ASSERT_EQ(boxes.size(), 3u);
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_EQ(boxes[i]["args"][0],
              "Disable the Synchronizer " + std::string(host::SynchronizerList::names()[i]));
  }

  const fs::path second = home_.path() / "second.jsonl";
  const Outcome again = run({"tree", "--json", "--trace", second.string()});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_TRUE(calls_named(read_trace(second), "MsgBox").empty()) << "the switch-off lasted";
  EXPECT_EQ(again.err.find("Disable the Synchronizer"), std::string::npos) << again.err;
  EXPECT_EQ(json::parse(again.out)["books"], books);
}

TEST_F(CliTest, TreeAsTextNamesBooksAndPages) {
  const Outcome r = run({"tree"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("GeneralInfo"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("QualityLineage (TidewiseCustomPage.Lineage)"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("History"), std::string::npos) << r.out;
}

TEST_F(CliTest, ShowPrintsThePurposePageAsLoadedFromTheItem) {
  const json page = run_json({"show", item_.string(), "Purpose", "--json"});
  EXPECT_EQ(page["uniqueName"], "Purpose");
  EXPECT_EQ(page["progId"], "TidewiseCustomPage.Purpose");
  EXPECT_EQ(page["shortTitle"], "Purpose");
  EXPECT_EQ(page["title"], "Purpose");
  EXPECT_EQ(page["completed"], true);
  EXPECT_EQ(page["helpContextId"], 0);
  const json& text = control(page, "txtInfo");
  EXPECT_EQ(text["kind"], "TextBox");
  EXPECT_EQ(text["text"],
            "Monitor cliff-top retreat and beach lowering to support the shoreline management plan "
            "review.");
  EXPECT_TRUE(text.contains("tabIndex"));
  EXPECT_FALSE(text.contains("caption"));
  const json& heading = control(page, "lblHeading");
  EXPECT_EQ(heading["caption"], "Purpose");
  EXPECT_FALSE(heading.contains("tabIndex")) << "a label takes no focus";
  EXPECT_FALSE(heading.contains("text"));

  const Outcome text_form = run({"show", item_.string(), "Purpose"});
  ASSERT_EQ(text_form.status, 0) << text_form.err;
  EXPECT_NE(text_form.out.find("Monitor cliff-top retreat"), std::string::npos) << text_form.out;

  // A class opened under a name of the caller's, as for a page not in the tree.
  const json by_class =
      run_json({"show", item_.string(), "Elsewhere", "--class", "Status", "--json"});
  EXPECT_EQ(by_class["uniqueName"], "Elsewhere");
  EXPECT_EQ(by_class["progId"], "TidewiseCustomPage.Status");
  EXPECT_EQ(control(by_class, "cmbStatus")["text"], "onGoing");
}

TEST_F(CliTest, ShowOnAnItemWithoutAFileLoadsEmptyAndCreatesNothing) {
  const fs::path missing = home_.path() / "new-item.xml";
  const json page = run_json({"show", missing.string(), "Purpose", "--json"});
  EXPECT_EQ(control(page, "txtInfo")["text"], "");
  EXPECT_EQ(page["completed"], false);
  EXPECT_FALSE(fs::exists(missing));
}

TEST_F(CliTest, EditTypesIntoThePurposeAndSavesOnlyWhatChanged) {
  const fs::path trace_file = home_.path() / "edit.jsonl";
  const std::string purpose = "Quantify cliff retreat, 2008-2023";
  const json result = run_json({"edit", item_.string(), "Purpose", "--type", "txtInfo=" + purpose,
                                "--json", "--trace", trace_file.string()});
  EXPECT_EQ(result["queryUnload"], true);
  EXPECT_EQ(result["unloadPage"], true);
  EXPECT_EQ(result["saved"], true);
  EXPECT_EQ(control(result["page"], "txtInfo")["text"], purpose);

  const std::string saved = test::read_file(item_);
  EXPECT_NE(saved.find(purpose), std::string::npos);
  EXPECT_NE(saved.find("rockfall closure 2023-08-29"), std::string::npos)
      << "content no page knows is kept";
  EXPECT_EQ(control(run_json({"show", item_.string(), "Purpose", "--json"}), "txtInfo")["text"],
            purpose);

  const auto trace = read_trace(trace_file);
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace.front()["call"], "IMetadataValues.ReadValues")
      << "recording starts with the page";
  const auto writes = calls_named(trace, "IMetadataValues.WriteValue");
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0]["args"][0], "dataIdInfo/idPurp");
  EXPECT_EQ(writes[0]["args"][1], purpose);
  EXPECT_TRUE(calls_named(trace, "MsgBox").empty()) << "start-up happened before the page";

  // Leaving the page untouched: Purpose tracks changes, so nothing is written.
  const json untouched = run_json({"edit", item_.string(), "Purpose", "--json"});
  EXPECT_EQ(untouched["unloadPage"], false);
  EXPECT_EQ(untouched["saved"], false);
  EXPECT_EQ(test::read_file(item_), saved);
}

TEST_F(CliTest, EditsApplyInCommandLineOrderAcrossOptionKinds) {
  const json typed_last = run_json({"edit", item_.string(), "Status", "--pick", "cmbStatus=planned",
                                    "--type", "cmbStatus=under review", "--json"});
  EXPECT_EQ(control(typed_last["page"], "cmbStatus")["text"], "under review");
  EXPECT_NE(test::read_file(item_).find(">under review</idStatus>"), std::string::npos);

  const json picked_last = run_json({"edit", item_.string(), "Status", "--type=cmbStatus=typed",
                                     "--pick", "cmbStatus=completed", "--json"});
  EXPECT_EQ(control(picked_last["page"], "cmbStatus")["text"], "completed");
  EXPECT_NE(test::read_file(item_).find(">completed</idStatus>"), std::string::npos);
}

TEST_F(CliTest, AFailingMemberExitsWithOneNamingMemberAndCode) {
  // The synchronizer list cannot be made over a damaged settings file, so
  // the control library's start-up fails.
  test::write_file(home_.path() / "settings.json", "{ damaged");
  const Outcome r = run({"tree", "--json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("tidewise: ICustomPages.LoadCustomPages failed (0x80004005)"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("0x80004005"), r.err.rfind("0x80004005")) << "the code twice: " << r.err;
  EXPECT_NE(r.err.find("settings.json"), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty()) << r.out;

  test::write_file(item_, "<metadata><unclosed></metadata>");
  const Outcome bad_item = run({"show", item_.string(), "Purpose"});
  EXPECT_EQ(bad_item.status, 1) << bad_item.err;
  EXPECT_EQ(test::read_file(item_), "<metadata><unclosed></metadata>");
}

TEST_F(CliTest, RegistrationIsWrittenUndoneAndRepairedWhenStale) {
  const Outcome reg = run({"register"});
  ASSERT_EQ(reg.status, 0) << reg.err;
  const auto library_of = [](std::string_view prog_id) -> std::optional<std::string> {
    const com::Registry registry = com::Registry::open();
    const auto clsid = registry.get(std::string(prog_id) + "\\CLSID");
    if (!clsid) return std::nullopt;
    return registry.get("CLSID\\" + *clsid + "\\InprocServer32");
  };
  for (const char* prog_id :
       {"TidewiseCustomPage.Connect", "Importer.SampleImporter", "Exporter.SampleExporter"}) {
    const auto library = library_of(prog_id);
    ASSERT_TRUE(library) << prog_id;
    EXPECT_TRUE(fs::exists(*library)) << *library;
  }
  EXPECT_TRUE(com::Registry::open().get("TidewiseHost.SynchronizerList\\CLSID"));

  const Outcome unreg = run({"unregister"});
  ASSERT_EQ(unreg.status, 0) << unreg.err;
  EXPECT_FALSE(library_of("TidewiseCustomPage.Connect"));
  EXPECT_FALSE(com::Registry::open().get("TidewiseHost.SynchronizerList\\CLSID"));

  // A registration that points at a library that is gone is done again.
  ASSERT_EQ(run({"register"}).status, 0);
  {
    com::Registry registry = com::Registry::open();
    const std::string clsid = *registry.get("TidewiseCustomPage.Connect\\CLSID");
    registry.set("CLSID\\" + clsid + "\\InprocServer32", "", "/gone/TidewiseCustomPage.so");
    registry.save();
  }
  const Outcome tree = run({"tree", "--json"});
  EXPECT_EQ(tree.status, 0) << tree.err;
  EXPECT_TRUE(fs::exists(*library_of("TidewiseCustomPage.Connect")));
}

}  // namespace
}  // namespace tw::cli
