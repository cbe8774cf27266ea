// A run that is stopped (Ctrl-C, SIGTERM) or killed leaves nothing behind:
// no lock file, no temporary copy; what a killed run left is cleared by the
// next one. A run never waits forever for something outside it.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "cli/cli_fixture.h"
#include "tidewise/host/item.h"

namespace tw::cli {
namespace {

using Clock = std::chrono::steady_clock;

const fs::path kData = fs::path(TIDEWISE_SOURCE_DIR) / "tests/data/convert";

// A stylesheet that works for hours: a template that calls itself twice,
// forty levels deep.
constexpr const char* kSpinningSheet =
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    "<xsl:template match=\"/\"><metadata><xsl:call-template name=\"spin\">"
    "<xsl:with-param name=\"depth\" select=\"40\"/></xsl:call-template></metadata>"
    "</xsl:template>"
    "<xsl:template name=\"spin\"><xsl:param name=\"depth\"/><xsl:if test=\"$depth &gt; 0\">"
    "<xsl:call-template name=\"spin\"><xsl:with-param name=\"depth\" select=\"$depth - 1\"/>"
    "</xsl:call-template><xsl:call-template name=\"spin\">"
    "<xsl:with-param name=\"depth\" select=\"$depth - 1\"/></xsl:call-template>"
    "</xsl:if></xsl:template></xsl:stylesheet>";

// Whether somebody holds the item's lock now.
bool held(const fs::path& item) {
  const int fd = ::open(host::ItemLock::lock_file(item).c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  const bool busy = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  ::close(fd);
  return busy;
}

class StoppingTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    ASSERT_EQ(run({"register"}).status, 0);
    sheets_ = home_.path() / "sheets";
    fs::create_directory(sheets_);
    for (const char* name : {"toVelmarModel.xslt", "toTidewiseModel.xslt"}) {
      test::write_file(sheets_ / name, kSpinningSheet);
    }
    env_["TIDEWISE_STYLESHEETS"] = sheets_.string();
  }
  // A run the test failed to stop would spin for hours: any process working
  // in this test's folder is stopped, and reported.
  void TearDown() override {
    for (const auto& entry : fs::directory_iterator("/proc")) {
      const std::string pid = entry.path().filename().string();
      if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
      std::string arguments = test::read_file(entry.path() / "cmdline");
      if (arguments.find(home_.path().string()) == std::string::npos) continue;
      ADD_FAILURE() << "left running: " << pid;
      ::kill(std::stoi(pid), SIGKILL);
    }
  }

  // Started in a process group of its own, as a shell starts a command;
  // what it prints goes to `out`.
  pid_t start_group(const std::vector<std::string>& args, const fs::path& out = "/dev/null") const {
    const std::string program = std::string(TIDEWISE_BIN_DIR) + "/tidewise";
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const std::string err = (home_.path() / "stderr.txt").string();
    const pid_t child = ::fork();
    if (child == 0) {
      ::setpgid(0, 0);
      const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(out_fd, 1);
      ::dup2(err_fd, 2);
      apply_environment();
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::setpgid(child, child);  // whichever of the two comes first
    return child;
  }

  // Waits until `ready` holds; false if the child ended first or it took
  // longer than any run should.
  static bool wait_until(pid_t child, const std::function<bool()>& ready) {
    for (const auto end = Clock::now() + std::chrono::seconds(60); Clock::now() < end;) {
      if (ready()) return true;
      if (int status = 0; ::waitpid(child, &status, WNOHANG) == child) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  // Waits for the child; one that does not end is killed and reported.
  Outcome end_of(pid_t child) const {
    for (const auto end = Clock::now() + std::chrono::seconds(60); Clock::now() < end;) {
      if (int status = 0; ::waitpid(child, &status, WNOHANG) != 0) {
        Outcome r;
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        r.err = test::read_file(home_.path() / "stderr.txt");
        return r;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(-child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ADD_FAILURE() << "the run did not end";
    return {};
  }

  // The names starting with a dot in a folder: lock files and temporary
  // copies.
  static std::vector<std::string> hidden_in(const fs::path& folder) {
    std::vector<std::string> hidden;
    for (const std::string& name : test::names_in(folder)) {
      if (name.front() == '.') hidden.push_back(name);
    }
    return hidden;
  }

  fs::path sheets_;
};

// Ctrl-C or SIGTERM while an import holds the item's lock, or while an
// export writes its destination's temporary copy, or while a batch's children
// do either: what they held is removed, and the files are as they were.
TEST_F(StoppingTest, AStoppedRunLeavesNoLockOrTemporaryFile) {
  const std::string record = (kData / "record.xml").string();
  const std::string before = test::read_file(item_);
  fs::create_directory(home_.path() / "exports");
  test::write_file(home_.path() / "exports/old.xml", "<old/>");
  fs::create_directory(home_.path() / "records");
  for (const char* name : {"a.xml", "b.xml", "c.xml"}) {
    fs::copy_file(record, home_.path() / "records" / name);
  }
  const fs::path items = home_.path() / "items";
  const struct {
    const char* what;
    std::vector<std::string> args;
    fs::path folder;  // where the leftovers would be
    std::function<bool()> busy;
  } cases[] = {
      {"import", {"import", record, item_.string()}, home_.path(), [&] { return held(item_); }},
      {"export",
       {"export", item_.string(), (home_.path() / "exports/old.xml").string()},
       home_.path() / "exports",
       [&] { return !hidden_in(home_.path() / "exports").empty(); }},
      {"batch import",
       {"import", "--batch", (home_.path() / "records").string(), items.string()},
       items,
       [&] {
         int holding = 0;
         for (const char* name : {"a.xml", "b.xml", "c.xml"}) holding += held(items / name) ? 1 : 0;
         return holding >= 2;
       }},
  };
  for (const int signal : {SIGINT, SIGTERM}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.what) + " " + strsignal(signal));
      const pid_t child = start_group(c.args);
      ASSERT_TRUE(wait_until(child, c.busy)) << "the run never got to its work";
      // As a terminal does on Ctrl-C: to the whole group.
      ::kill(signal == SIGINT ? -child : child, signal);
      const Outcome r = end_of(child);
      EXPECT_EQ(r.status, 128 + signal) << r.err;
      // A batch's children end as it does; give them their moment.
      wait_until(child, [&] { return hidden_in(c.folder).empty(); });
      EXPECT_EQ(hidden_in(c.folder), std::vector<std::string>{});
      EXPECT_EQ(test::read_file(item_), before);
      EXPECT_EQ(test::read_file(home_.path() / "exports/old.xml"), "<old/>");
      fs::remove_all(items);
    }
  }
}

// A run killed outright (SIGKILL) cannot clean up: the next run on the item
// takes the lock file over and removes the temporary copies of runs that are
// gone, never one of a run still going.
TEST_F(StoppingTest, TheNextRunClearsWhatAKilledRunLeft) {
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const fs::path lock = host::ItemLock::lock_file(item_);
  const fs::path left = home_.path() / (".coastal.xml." + std::to_string(gone) + ".Ab3dE9");
  const fs::path running =
      home_.path() / (".coastal.xml." + std::to_string(::getpid()) + ".Xy7pQ2");
  const fs::path unlike = home_.path() / (".coastal.xml." + std::to_string(gone) + ".toolong7");
  for (const fs::path& file : {lock, left, running, unlike}) test::write_file(file, "");
  test::write_file(left, "<metadata>half of it");

  const Outcome r = run({"edit", item_.string(), "Purpose", "--type", "txtInfo=After the crash"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(lock)) << "taken over and let go";
  EXPECT_FALSE(fs::exists(left)) << "its writer is gone";
  EXPECT_TRUE(fs::exists(running)) << "its writer still runs";
  EXPECT_TRUE(fs::exists(unlike)) << "not a name a write makes";
}

// A trace that is a FIFO nobody reads fails the run instead of holding the
// item's lock forever.
TEST_F(StoppingTest, ATraceNobodyReadsEndsTheRunAndLetsTheItemGo) {
  const fs::path fifo = home_.path() / "trace.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string before = test::read_file(item_);
  const pid_t child = start_group(
      {"edit", item_.string(), "Purpose", "--type", "txtInfo=x", "--trace", fifo.string()});
  const Outcome r = end_of(child);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("cannot open the trace file \"" + fifo.string() + "\": no program reads"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(test::read_file(item_), before);
  EXPECT_FALSE(held(item_));
  EXPECT_EQ(hidden_in(home_.path()), std::vector<std::string>{});
}

// Ctrl-C or SIGTERM stops the editor within two seconds whatever it is
// doing (here an export whose stylesheet works for hours): the work is
// abandoned, nothing is written, and its scratch folder goes with it. The
// scratch folder of an editor killed outright is removed by the next one.
TEST_F(StoppingTest, TheEditorStopsAtOnceWhateverItDoes) {
  const fs::path temp = home_.path() / "tmp";
  const fs::path catalog = home_.path() / "catalog";
  fs::create_directories(temp);
  fs::create_directories(catalog);
  fs::copy_file(item_, catalog / "coastal.xml");
  const std::string before = test::read_file(catalog / "coastal.xml");
  test::write_file(home_.path() / "settings.json",
                   R"({"synchronizers":{"ISO Metadata Synchronizer":false,)"
                   R"("Item Description Synchronizer":false,"Geography Synchronizer":false}})");
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const fs::path left = temp / ("tidewise-serve-" + std::to_string(gone) + "-Ab3dE9");
  fs::create_directories(left);
  test::write_file(left / "1-export.xml", "<left/>");
  env_["TMPDIR"] = temp.string();

  for (const int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(strsignal(signal));
    const fs::path out = home_.path() / "serve.txt";
    fs::remove(out);  // so that no earlier run's address is read
    const pid_t serve = start_group({"serve", catalog.string()}, out);
    std::string address;
    ASSERT_TRUE(wait_until(serve, [&] {
      const std::string printed = test::read_file(out);
      const auto at = printed.find("http://127.0.0.1:");
      if (at == std::string::npos || printed.find('\n', at) == std::string::npos) return false;
      address = printed.substr(at, printed.find('\n', at) - at);
      return true;
    }));
    EXPECT_FALSE(fs::exists(left)) << "the killed editor's scratch folder";
    const std::string port = address.substr(17, address.find('/', 17) - 17);
    const std::string token = address.substr(address.find("token=") + 6);
    std::vector<fs::path> scratch;
    for (const auto& entry : fs::directory_iterator(temp)) scratch.push_back(entry.path());
    ASSERT_EQ(scratch.size(), 1u);
    EXPECT_TRUE(scratch[0].filename().string().starts_with("tidewise-serve-" +
                                                           std::to_string(serve) + "-"));

    // The export, sent and not waited for.
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<std::uint16_t>(std::stoi(port)));
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
    const std::string body = R"({"item":"coastal.xml"})";
    const std::string request =
        "POST /api/export HTTP/1.1\r\nHost: 127.0.0.1:" + port + "\r\nX-Tidewise-Token: " + token +
        "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\n\r\n" + body;
    ASSERT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(request.size()));
    // Working: the export's file is being written in the scratch folder.
    ASSERT_TRUE(wait_until(serve, [&] { return !hidden_in(scratch[0]).empty(); }));

    ::kill(serve, signal);
    const auto signalled = Clock::now();
    const Outcome r = end_of(serve);
    const auto took = Clock::now() - signalled;
    EXPECT_EQ(r.status, 0);
    // Two seconds are promised; far less than the export would take.
    EXPECT_LT(took, std::chrono::seconds(20));
    EXPECT_NE(test::read_file(out).find("Stopped"), std::string::npos) << test::read_file(out);
    EXPECT_TRUE(fs::is_empty(temp)) << "the scratch folder goes with the editor";
    EXPECT_EQ(test::read_file(catalog / "coastal.xml"), before);
    EXPECT_EQ(hidden_in(catalog), std::vector<std::string>{});
    ::close(fd);
  }
}

// Stopped with unsaved edits, the editor says which items had them: they
// stay on disk, to be offered when the item is opened again.
TEST_F(StoppingTest, TheEditorStoppedWithUnsavedEditsNamesTheItemsAndKeepsThem) {
  const fs::path catalog = home_.path() / "catalog";
  fs::create_directories(catalog);
  fs::copy_file(item_, catalog / "coastal.xml");
  test::write_file(home_.path() / "settings.json",
                   R"({"synchronizers":{"ISO Metadata Synchronizer":false,)"
                   R"("Item Description Synchronizer":false,"Geography Synchronizer":false}})");
  const fs::path out = home_.path() / "serve.txt";
  const pid_t serve = start_group({"serve", catalog.string()}, out);
  std::string address;
  ASSERT_TRUE(wait_until(serve, [&] {
    const std::string printed = test::read_file(out);
    const auto at = printed.find("http://127.0.0.1:");
    if (at == std::string::npos || printed.find('\n', at) == std::string::npos) return false;
    address = printed.substr(at, printed.find('\n', at) - at);
    return true;
  }));
  const std::string port = address.substr(17, address.find('/', 17) - 17);
  const std::string token = address.substr(address.find("token=") + 6);
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<std::uint16_t>(std::stoi(port)));
  where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
  const std::string body =
      R"({"item":"coastal.xml","page":"Purpose","edit":{"kind":"type","control":"txtInfo","value":"unsaved"}})";
  const std::string request =
      "POST /api/edit HTTP/1.1\r\nHost: 127.0.0.1:" + port + "\r\nX-Tidewise-Token: " + token +
      "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
      "\r\n\r\n" + body;
  ASSERT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL),
            static_cast<ssize_t>(request.size()));
  char answer[16] = {};
  ASSERT_GT(::recv(fd, answer, sizeof answer - 1, 0), 0);
  EXPECT_EQ(std::string(answer).substr(0, 12), "HTTP/1.1 200");
  ::close(fd);

  ::kill(serve, SIGINT);
  EXPECT_EQ(end_of(serve).status, 0);
  const std::string printed = test::read_file(out);
  EXPECT_NE(printed.find("Unsaved edits were kept of:\n  coastal.xml\n"), std::string::npos)
      << printed;
  std::vector<fs::path> journals;
  for (const auto& entry : fs::directory_iterator(home_.path() / "journal")) {
    journals.push_back(entry.path());
  }
  ASSERT_EQ(journals.size(), 1u);
  EXPECT_NE(test::read_file(journals[0]).find("unsaved"), std::string::npos);
}

}  // namespace
}  // namespace tw::cli
