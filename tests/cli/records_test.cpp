// tidewise import on a catalogue's response holding several records: it says
// how many, takes one with --record N, or makes an item of each with --split.

#include <string>

#include "cli_fixture.h"

namespace tw::cli {
namespace {

const fs::path kResponse =
    fs::path(TIDEWISE_SOURCE_DIR) / "tests/data/stylesheets/records/response-two-records.xml";

class RecordsCli : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    env_["TIDEWISE_STYLESHEETS"] = (fs::path(TIDEWISE_SOURCE_DIR) / "stylesheets").string();
    ASSERT_EQ(run({"register"}).status, 0);
  }

  static std::string title(const fs::path& item) {
    const std::string text = test::read_file(item);
    const auto start = text.find("<resTitle>");
    if (start == std::string::npos) return "";
    return text.substr(start + 10, text.find("</resTitle>") - start - 10);
  }
};

TEST_F(RecordsCli, AResponseOfSeveralRecordsIsNotImportedWholeAndSaysHowMany) {
  const fs::path item = home_.path() / "new.xml";
  const Outcome r = run({"import", kResponse.string(), item.string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("holds 2 records"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--record N (1 to 2)"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--split FOLDER"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(item));
}

TEST_F(RecordsCli, RecordNImportsThatRecordAloneAndLeavesNoScratchFile) {
  const fs::path scratch = home_.path() / "tmp";
  fs::create_directory(scratch);
  env_["TMPDIR"] = scratch.string();
  const fs::path item = home_.path() / "second.xml";
  const Outcome r = run({"import", kResponse.string(), item.string(), "--record", "2"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(title(item), "Tide gauge 02");
  EXPECT_EQ(test::names_in(scratch), std::vector<std::string>{});
}

TEST_F(RecordsCli, SplitMakesAnItemOfEachRecordNamedSafely) {
  const fs::path folder = home_.path() / "split";
  const Outcome r = run({"import", kResponse.string(), "--split", folder.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, (folder / "tide-gauge-01.xml").string() + "\n" +
                       (folder / "record-2.xml").string() + "\n");
  EXPECT_EQ(title(folder / "tide-gauge-01.xml"), "Tide gauge 01");
  // The second's identifier, "../../etc/tide gauge 02", names no file outside.
  EXPECT_EQ(title(folder / "record-2.xml"), "Tide gauge 02");
  EXPECT_EQ(test::names_in(folder).size(), 2u);
}

TEST_F(RecordsCli, TheOptionsOfSeveralRecordsAreCheckedBeforeAnythingIsRead) {
  const std::string source = kResponse.string();
  const std::string item = (home_.path() / "x.xml").string();
  const std::string folder = (home_.path() / "f").string();
  const struct {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{"import", source, item, "--record", "3"}, "holds 2 records"},
      {{"import", source, item, "--record", "0"}, "--record"},
      {{"import", source, item, "--split", folder}, "give no ITEM"},
      {{"import", source, "--split", folder, "--record", "1"}, "choose one"},
      {{"import", source}, "ITEM is required"},
      {{"import", "--batch", source, folder, "--record", "1"}, "--batch"},
      {{"import", source, "--split", folder, "--trace", item}, "--trace"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(item));
    EXPECT_FALSE(fs::exists(folder));
  }
}

TEST_F(RecordsCli, ARecordFileTakesRecordOneAsItself) {
  const fs::path record = fs::path(TIDEWISE_SOURCE_DIR) / "examples/coastal-dataset-iso19139.xml";
  const fs::path item = home_.path() / "one.xml";
  ASSERT_EQ(run({"import", record.string(), item.string(), "--record", "1"}).status, 0);
  EXPECT_NE(title(item), "");
  EXPECT_EQ(run({"import", record.string(), item.string(), "--record", "2"}).status, 2);
}

}  // namespace
}  // namespace tw::cli
