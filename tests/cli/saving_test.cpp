// Nothing the user has is lost by the tool: the trace never lands on the
// files the tool works with, concurrent edits of one item all land, an item
// changed behind the tool's back is not overwritten, and saving keeps links,
// owners, permissions and read-only files as they were.

#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "cli/cli_fixture.h"
#include "tidewise/host/item.h"

namespace tw::cli {
namespace {

class SavingTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    // Registration and the synchronizer switch-off happen once, here.
    const Outcome r = run({"tree"});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  std::string purpose() const {
    return control(run_json({"show", item_.string(), "Purpose", "--json"}), "txtInfo")["text"];
  }
};

TEST_F(SavingTest, ATraceIsNeverTheItemTheRegistryOrTheSettings) {
  const fs::path registry = home_.path() / "registry.json";
  const fs::path settings = home_.path() / "settings.json";
  fs::create_symlink(item_, home_.path() / "link-to-item.xml");
  fs::create_hard_link(item_, home_.path() / "hard-link-to-item.xml");
  const fs::path new_item = home_.path() / "new-item.xml";
  const std::string item = item_.string();
  const struct {
    std::vector<std::string> args;
    std::string names;  // what the message says the trace is
  } cases[] = {
      {{"show", item, "Purpose", "--trace", item}, "the item"},
      {{"edit", item, "Purpose", "--type", "txtInfo=x", "--trace", item}, "the item"},
      {{"show", item, "Purpose", "--trace", (home_.path() / "link-to-item.xml").string()},
       "the item"},
      {{"edit", item, "Purpose", "--trace", (home_.path() / "hard-link-to-item.xml").string()},
       "the item"},
      {{"show", (home_.path() / "." / "coastal.xml").string(), "Purpose", "--trace", item},
       "the item"},
      {{"edit", new_item.string(), "Purpose", "--type", "txtInfo=x", "--trace", new_item.string()},
       "the item"},
      {{"tree", "--trace", registry.string()}, "the registry"},
      {{"show", item, "Purpose", "--trace", settings.string()}, "the settings file"},
      {{"tree", "--trace", std::string(TIDEWISE_BIN_DIR) + "/TidewiseCustomPage.so"},
       "a component library"},
      {{"tree", "--trace", std::string(TIDEWISE_BIN_DIR) + "/tidewise"}, "the tidewise program"},
  };
  const std::string before_item = test::read_file(item_);
  const std::string before_registry = test::read_file(registry);
  const std::string before_settings = test::read_file(settings);
  for (const auto& c : cases) {
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.args.back() << "\n" << r.err;
    EXPECT_NE(r.err.find("is " + c.names + "; the trace would overwrite it"), std::string::npos)
        << r.err;
    EXPECT_EQ(test::read_file(item_), before_item);
    EXPECT_EQ(test::read_file(registry), before_registry);
    EXPECT_EQ(test::read_file(settings), before_settings);
    EXPECT_FALSE(fs::exists(new_item));
  }
}

TEST_F(SavingTest, TheTraceIsOpenedOnlyOnceTheItemWasRead) {
  const fs::path trace = home_.path() / "trace.jsonl";
  test::write_file(trace, "an earlier trace\n");
  test::write_file(item_, "<metadata><unclosed></metadata>");
  const Outcome r = run({"show", item_.string(), "Purpose", "--trace", trace.string()});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(test::read_file(trace), "an earlier trace\n") << "an unreadable item left it alone";
}

TEST_F(SavingTest, ATraceThatCannotBeWrittenFailsTheCommandAfterItsWork) {
  const Outcome r = run({"edit", item_.string(), "Purpose", "--type", "txtInfo=Traced into nothing",
                         "--json", "--trace", "/dev/full"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("cannot write the trace file \"/dev/full\""), std::string::npos) << r.err;
  EXPECT_EQ(json::parse(r.out)["saved"], true) << "the work was done and reported";
  EXPECT_EQ(purpose(), "Traced into nothing");

  const Outcome tree = run({"tree", "--trace", "/dev/full"});
  EXPECT_EQ(tree.status, 1);
  EXPECT_NE(tree.out.find("TidewiseBook"), std::string::npos) << tree.out;
}

// Twenty edits at once, each on a page of its own: every one of them lands.
TEST_F(SavingTest, ConcurrentEditsOfOneItemAllLand) {
  const char* const kElements[] = {
      "DQCompComm",   "DQCompOm",       "DQConcConsis",     "DQDomConsis",     "DQFormConsis",
      "DQTopConsis",  "DQAbsExtPosAcc", "DQGridDataPosAcc", "DQRelIntPosAcc",  "DQAccTimeMeas",
      "DQTempConsis", "DQTempValid",    "DQThemClassCor",   "DQNonQuanAttAcc", "DQQuanAttAcc"};
  struct Edit {
    std::string page, control, value;
  };
  std::vector<Edit> edits;
  for (const char* element : kElements) {
    edits.push_back({std::string(element) + "Ele", "txtName", std::string(element) + " measure"});
  }
  for (int i = 0; i < 5; ++i) {
    const std::string element = kElements[i];
    edits.push_back({element + "Conf", "txtExplanation", element + " explained"});
  }
  ASSERT_EQ(edits.size(), 20u);
  std::vector<pid_t> children;
  for (std::size_t i = 0; i < edits.size(); ++i) {
    children.push_back(spawn({"edit", item_.string(), edits[i].page, "--type",
                              edits[i].control + "=" + edits[i].value, "--json"},
                             std::to_string(i)));
  }
  for (std::size_t i = 0; i < edits.size(); ++i) {
    const Outcome r = finish(children[i], std::to_string(i));
    ASSERT_EQ(r.status, 0) << edits[i].page << ": " << r.err;
    EXPECT_EQ(json::parse(r.out)["saved"], true) << edits[i].page;
  }
  for (const Edit& edit : edits) {
    const json page = run_json({"show", item_.string(), edit.page, "--json"});
    EXPECT_EQ(control(page, edit.control)["text"], edit.value) << edit.page;
  }
  EXPECT_EQ(test::names_in(home_.path()),
            (std::vector<std::string>{"coastal.xml", "registry.json", "settings.json"}))
      << "no temporary or lock file is left";
}

// Another program writes the item while the tool has it open: the tool's
// trace, a pipe larger than the pipe holds, keeps it waiting between its
// reading and its saving until the other program is done.
TEST_F(SavingTest, AnItemChangedByAnotherProgramMeanwhileIsNotOverwritten) {
  const fs::path fifo = home_.path() / "trace.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Longer than a pipe holds, shorter than one argument may be.
  const std::string typed(100'000, 'x');
  const pid_t child = spawn(
      {"edit", item_.string(), "Purpose", "--type", "txtInfo=" + typed, "--trace", fifo.string()});
  const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  // Waits for the first flush of the trace, which comes after the unload; a
  // tool that ended before it fails the test instead of hanging it.
  bool flushed = false;
  for (int tries = 0; tries < 12'000 && !flushed; ++tries) {
    char byte = 0;
    if (::read(fd, &byte, 1) == 1) {
      flushed = true;
    } else if (int status = 0; ::waitpid(child, &status, WNOHANG) == child) {
      ::close(fd);
      FAIL() << "the tool ended before its trace reached the pipe";
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ASSERT_TRUE(flushed);
  ASSERT_EQ(::fcntl(fd, F_SETFL, 0), 0);
  const std::string theirs =
      "<metadata><dataIdInfo><idPurp>Theirs</idPurp></dataIdInfo></metadata>\n";
  test::write_file(item_, theirs);
  char buffer[1 << 16];
  while (::read(fd, buffer, sizeof buffer) > 0) {
  }
  ::close(fd);
  const Outcome r = finish(child);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("was changed by another program since it was read"), std::string::npos)
      << r.err;
  EXPECT_EQ(test::read_file(item_), theirs);
}

TEST_F(SavingTest, ALinkedItemStaysALinkAndItsTargetIsSaved) {
  const fs::path folder = home_.path() / "elsewhere";
  fs::create_directories(folder);
  fs::rename(item_, folder / "target.xml");
  fs::create_symlink("elsewhere/target.xml", item_);
  const Outcome r = run({"edit", item_.string(), "Purpose", "--type", "txtInfo=Through a link"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(item_));
  EXPECT_NE(test::read_file(folder / "target.xml").find("Through a link"), std::string::npos);
  EXPECT_EQ(test::names_in(folder), std::vector<std::string>{"target.xml"});
}

TEST_F(SavingTest, AReadOnlyItemIsRefusedAndLeftAsItWas) {
  const std::string before = test::read_file(item_);
  ASSERT_EQ(::chmod(item_.c_str(), 0444), 0);
  const Outcome r = run({"edit", item_.string(), "Purpose", "--type", "txtInfo=Overwritten?"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("read-only"), std::string::npos) << r.err;
  EXPECT_EQ(test::read_file(item_), before);
  EXPECT_EQ(test::mode_of(item_), 0444u);
}

TEST_F(SavingTest, SavingSomebodyElsesItemAsRootKeepsItTheirs) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to somebody else";
  ASSERT_EQ(::chown(item_.c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(item_.c_str(), 0664), 0);
  const Outcome r = run({"edit", item_.string(), "Purpose", "--type", "txtInfo=Still theirs"});
  ASSERT_EQ(r.status, 0) << r.err;
  const struct stat st = test::stat_of(item_);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(st.st_mode & 07777, 0664u);
  EXPECT_EQ(purpose(), "Still theirs");
}

TEST_F(SavingTest, NewFilesHonourTheUmaskAndTheHomesFilesAreTheUsersAlone) {
  const test::Umask mask(027);
  const test::TempHome other_home;  // registry and settings written anew
  const fs::path fresh = home_.path() / "fresh.xml";
  const Outcome r = run({"edit", fresh.string(), "Purpose", "--type", "txtInfo=New"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::mode_of(fresh), 0640u);
  EXPECT_EQ(test::mode_of(other_home.path() / "registry.json"), 0600u);
  EXPECT_EQ(test::mode_of(other_home.path() / "settings.json"), 0600u);
}

}  // namespace
}  // namespace tw::cli
