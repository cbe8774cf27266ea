// The platform services: atomic file writes, the environment, the host's
// settings and the message box.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/limits.h"
#include "support/files.h"
#include "tidewise/com/error.h"
#include "tidewise/platform.h"

namespace tw::platform {
namespace {

namespace fs = std::filesystem;
using test::names_in;
using test::read_file;
using test::TempHome;
using test::write_file;

using test::mode_of;
using test::stat_of;

TEST(WriteFileAtomically, WritesTheWholeContent) {
  TempHome dir;
  const std::string contents[] = {
      "", "one line\n", std::string("binary\0bytes\xff\n", 14),
      std::string(1 << 20, 'x'),  // larger than one write may take
  };
  for (const std::string& content : contents) {
    SCOPED_TRACE(content.size());
    const fs::path file = dir.path() / "out.xml";
    write_file_atomically(file, content);
    EXPECT_EQ(read_file(file), content);
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"out.xml"});
  }
}

TEST(WriteFileAtomically, KeepsThePermissionsOfTheFileItReplacesWithoutSetIdBits) {
  TempHome dir;
  const struct {
    mode_t before, after;
  } cases[] = {{0600, 0600}, {0640, 0640},  {0644, 0644},  {0755, 0755},
               {0200, 0200}, {04755, 0755}, {02775, 0775}, {06711, 0711}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    const fs::path file = dir.path() / ("file-" + std::to_string(c.before));
    write_file(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), c.before), 0);
    write_file_atomically(file, "new");
    EXPECT_EQ(read_file(file), "new");
    EXPECT_EQ(mode_of(file), c.after);
  }
}

TEST(WriteFileAtomically, NewFilesHonourTheUmaskAndTheModeAskedFor) {
  TempHome dir;
  const struct {
    mode_t umask;
    unsigned asked;
    mode_t got;
  } cases[] = {{022, 0666, 0644}, {027, 0666, 0640}, {077, 0666, 0600},
               {002, 0666, 0664}, {022, 0600, 0600}, {0, 0600, 0600}};
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.umask) + " " + std::to_string(c.asked));
    const fs::path file = dir.path() / ("fresh-" + std::to_string(n++));
    {
      const test::Umask mask(c.umask);
      WriteOptions options;
      options.new_file_mode = c.asked;
      write_file_atomically(file, "new", options);
    }
    EXPECT_EQ(mode_of(file), c.got);
  }
}

TEST(WriteFileAtomically, RefusesAReadOnlyFileEvenForRoot) {
  TempHome dir;
  for (const mode_t mode : {0444, 0400, 0555, 0000}) {
    SCOPED_TRACE(mode);
    const fs::path file = dir.path() / "locked.xml";
    write_file(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), mode), 0);
    try {
      write_file_atomically(file, "new");
      ADD_FAILURE() << "a read-only file was replaced";
    } catch (const com::Error& e) {
      EXPECT_EQ(e.code(), com::E_ACCESSDENIED);
      EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
    }
    ::chmod(file.c_str(), 0644);
    EXPECT_EQ(read_file(file), "old");
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"locked.xml"});
    fs::remove(file);
  }
}

TEST(WriteFileAtomically, RootKeepsTheOwnerAndGroupOfSomebodyElsesFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to somebody else";
  TempHome dir;
  const fs::path file = dir.path() / "theirs.xml";
  write_file(file, "old");
  constexpr uid_t kNobody = 65534;
  constexpr gid_t kNogroup = 65534;
  ASSERT_EQ(::chown(file.c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  write_file_atomically(file, "new");
  const struct stat st = stat_of(file);
  EXPECT_EQ(st.st_uid, kNobody);
  EXPECT_EQ(st.st_gid, kNogroup);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(read_file(file), "new");
}

TEST(WriteFileAtomically, FollowsLinksAndReplacesTheFileAtTheirEndInItsOwnFolder) {
  TempHome dir;
  const fs::path links = dir.path() / "links", data = dir.path() / "data";
  fs::create_directories(links);
  fs::create_directories(data);
  const fs::path target = data / "item.xml";
  struct Case {
    const char* name;
    fs::path written;             // the name written to
    std::vector<fs::path> chain;  // links that must stay links
  };
  fs::create_symlink(target, links / "absolute.xml");
  fs::create_symlink("../data/item.xml", links / "relative.xml");
  fs::create_symlink("relative.xml", links / "twice.xml");
  const Case cases[] = {
      {"an absolute link", links / "absolute.xml", {links / "absolute.xml"}},
      {"a relative link", links / "relative.xml", {links / "relative.xml"}},
      {"a link to a link", links / "twice.xml", {links / "twice.xml", links / "relative.xml"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write_file(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    EXPECT_TRUE(fs::equivalent(write_target(c.written), target));
    std::filesystem::path seen;
    WriteOptions options;
    options.before_replace = [&](const fs::path& t) { seen = t; };
    write_file_atomically(c.written, "new " + std::string(c.name), options);
    EXPECT_TRUE(fs::equivalent(seen, target)) << seen;
    for (const fs::path& link : c.chain) EXPECT_TRUE(fs::is_symlink(link)) << link;
    EXPECT_EQ(read_file(target), "new " + std::string(c.name));
    EXPECT_EQ(mode_of(target), 0640u);
    EXPECT_EQ(names_in(data), std::vector<std::string>{"item.xml"});
    EXPECT_EQ(names_in(links),
              (std::vector<std::string>{"absolute.xml", "relative.xml", "twice.xml"}));
  }
  // A link whose file does not exist yet makes that file, where it points.
  fs::create_symlink(data / "new.xml", links / "dangling.xml");
  write_file_atomically(links / "dangling.xml", "created");
  EXPECT_TRUE(fs::is_symlink(links / "dangling.xml"));
  EXPECT_EQ(read_file(data / "new.xml"), "created");
  // A loop is an error, not a hang.
  fs::create_symlink("loop-b", links / "loop-a");
  fs::create_symlink("loop-a", links / "loop-b");
  EXPECT_THROW(write_file_atomically(links / "loop-a", "x"), com::Error);
}

TEST(WriteFileAtomically, ACheckBeforeTheReplaceCanStillAbandonTheWrite) {
  TempHome dir;
  const fs::path file = dir.path() / "out.xml";
  write_file(file, "old");
  // The check of what was written sees the new content whole, in a file of
  // its own beside the old one.
  std::string seen;
  WriteOptions reading;
  reading.check_written = [&](const fs::path& written) {
    EXPECT_EQ(written.parent_path(), dir.path());
    EXPECT_NE(written, file);
    seen = read_file(written);
    com::raise(com::E_FAIL, "does not read back");
  };
  WriteOptions changed;
  changed.before_replace = [](const fs::path&) { com::raise(com::E_FAIL, "changed meanwhile"); };
  for (const WriteOptions& options : {reading, changed}) {
    EXPECT_THROW(write_file_atomically(file, "new", options), com::Error);
    EXPECT_EQ(read_file(file), "old");
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"out.xml"});
  }
  EXPECT_EQ(seen, "new");
}

TEST(FileStamps, TellAFileFromItsLaterStates) {
  TempHome dir;
  const fs::path file = dir.path() / "out.xml";
  EXPECT_FALSE(stamp_of(file).exists);
  const FileStamp written = write_file_atomically(file, "first");
  EXPECT_TRUE(written.exists);
  EXPECT_EQ(stamp_of(file), written);
  EXPECT_EQ(written.size, 5u);
  // Replaced by a file of the same size: another inode.
  const FileStamp second = write_file_atomically(file, "other");
  EXPECT_NE(second.inode, written.inode);
  // Rewritten in place to another size.
  write_file(file, "longer text");
  EXPECT_NE(stamp_of(file), second);
}

TEST(Shown, EscapesWhatATerminalWouldNotShowAsWritten) {
  const struct {
    std::string text, shown;
  } cases[] = {
      {"plain name.xml", "plain name.xml"},
      {"caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x8C\x8A", "caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x8C\x8A"},
      {std::string("nul\0byte", 8), "nul\\x00byte"},
      {"line\nbreak\r\t", "line\\x0Abreak\\x0D\\x09"},
      {"\x1B[31mred", "\\x1B[31mred"},
      {"del\x7F", "del\\x7F"},
      {"caf\xC3", "caf\\xC3"},                       // cut short
      {"\xC0\xAF", "\\xC0\\xAF"},                    // overlong
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},           // a surrogate
      {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},  // past U+10FFFF
      {"\xC2\x9B", "\\u{009B}"},                     // C1 control
      {"abc\xE2\x80\xAE"
       "cba",
       "abc\\u{202E}cba"},            // right-to-left override
      {"\xE2\x80\xA8", "\\u{2028}"},  // line separator
      {"back\\slash", "back\\slash"},
  };
  for (const auto& c : cases) EXPECT_EQ(shown(c.text), c.shown) << c.shown;
}

TEST(WriteFileAtomically, AFailureLeavesTheOldFileIntactAndNoTemporaryFile) {
  TempHome dir;
  const std::string big(std::size_t{256} * 1024, 'n');
  struct Failure {
    const char* name;
    fs::path file;
    std::string old_content;  // empty: no old file to keep
    std::function<void(const fs::path&)> write;
  };
  const fs::path folder_target = dir.path() / "folder.xml";
  fs::create_directories(folder_target / "inside");
  const Failure failures[] = {
      {"the disk refuses more data", dir.path() / "full.xml", "old content",
       [&](const fs::path& file) {
         const test::FileSizeLimit limit(rlim_t{64} * 1024);
         write_file_atomically(file, big);
       }},
      {"a folder stands where the file goes", folder_target, "",
       [&](const fs::path& file) { write_file_atomically(file, "new"); }},
      {"the folder does not exist", dir.path() / "missing" / "out.xml", "",
       [&](const fs::path& file) { write_file_atomically(file, "new"); }},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.name);
    if (!f.old_content.empty()) {
      write_file(f.file, f.old_content);
      ASSERT_EQ(::chmod(f.file.c_str(), 0640), 0);
    }
    const auto before = names_in(dir.path());
    try {
      f.write(f.file);
      ADD_FAILURE() << "the write reported success";
    } catch (const com::Error& e) {
      EXPECT_EQ(e.code(), com::E_FAIL);
      EXPECT_NE(std::string(e.what()).find("\"" + f.file.string() + "\""), std::string::npos)
          << e.what();
    }
    EXPECT_EQ(names_in(dir.path()), before);
    if (!f.old_content.empty()) {
      EXPECT_EQ(read_file(f.file), f.old_content);
      EXPECT_EQ(mode_of(f.file), 0640u);
    }
  }
  EXPECT_TRUE(fs::is_directory(folder_target / "inside"));
}

// Content made as it is written: the pieces make the file; a maker that
// fails after writing some leaves the old file and no temporary file.
TEST(WriteFileAtomically, ContentMadeAsItIsWrittenIsWrittenWholeOrNotAtAll) {
  TempHome dir;
  const fs::path file = dir.path() / "out.xml";
  write_file(file, "old");
  const std::string piece(std::size_t{40} * 1024, 'p');
  write_file_atomically(file, [&](const ContentWriter& write) {
    for (int i = 0; i < 3; ++i) write(piece);
    write("end");
  });
  EXPECT_EQ(read_file(file), piece + piece + piece + "end");

  write_file(file, "old");
  EXPECT_THROW(write_file_atomically(file,
                                     [&](const ContentWriter& write) {
                                       write(piece);
                                       throw std::runtime_error("the stylesheet stopped");
                                     }),
               std::runtime_error);
  EXPECT_EQ(read_file(file), "old");
  EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"out.xml"});
}

TEST(WriteFileAtomically, AnUnwritableFolderIsAccessDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  TempHome dir;
  const fs::path file = dir.path() / "out.xml";
  write_file(file, "old");
  ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
  try {
    write_file_atomically(file, "new");
    ADD_FAILURE() << "the write reported success";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.code(), com::E_ACCESSDENIED);
  }
  ::chmod(dir.path().c_str(), 0755);
  EXPECT_EQ(read_file(file), "old");
  EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"out.xml"});
}

TEST(Environ, ReadsVariablesAndUnsetOnesAsEmpty) {
  const char* const name = "TIDEWISE_TEST_VARIABLE";
  ::unsetenv(name);
  EXPECT_EQ(Environ(name), "");
  ::setenv(name, "/srv/stylesheets=x y", 1);
  EXPECT_EQ(Environ(name), "/srv/stylesheets=x y");
  ::setenv(name, "", 1);
  EXPECT_EQ(Environ(name), "");
  ::unsetenv(name);
  EXPECT_EQ(Environ(""), "");
}

// A setting the host gives wins over the environment for as long as it is
// given, an empty value included; when it goes, what stood before (another
// value given, or the environment) reads again, and the environment itself
// is never written.
TEST(Setting, TheHostsValueWinsWhileGivenAndTheEnvironmentComesBack) {
  const char* const name = "TIDEWISE_TEST_SETTING";
  ::setenv(name, "from the environment", 1);
  EXPECT_EQ(Setting(name), "from the environment");
  {
    const HostSetting nothing(name, std::nullopt);
    EXPECT_EQ(Setting(name), "from the environment") << "no value gives nothing";
    const HostSetting outer(name, "/srv/outer");
    EXPECT_EQ(Setting(name), "/srv/outer");
    EXPECT_EQ(Environ(name), "from the environment");
    {
      const HostSetting inner(name, "");
      EXPECT_EQ(Setting(name), "") << "an empty value is a value";
      const HostSetting other("TIDEWISE_TEST_OTHER", "x");
      EXPECT_EQ(Setting(name), "");
    }
    EXPECT_EQ(Setting(name), "/srv/outer");
    EXPECT_EQ(Setting("TIDEWISE_TEST_OTHER"), "");
  }
  EXPECT_EQ(Setting(name), "from the environment");
  ::unsetenv(name);
  EXPECT_EQ(Setting(name), "");
}

TEST(MsgBox, HandlersAreInstalledAndRestored) {
  struct Shown {
    std::string prompt;
    int buttons;
    std::string title;
  };
  std::vector<Shown> first_seen, second_seen;
  const MsgBoxHandler first = [&](std::string_view prompt, int buttons, std::string_view title) {
    first_seen.push_back({std::string(prompt), buttons, std::string(title)});
    return 6;
  };
  const MsgBoxHandler second = [&](std::string_view, int, std::string_view) {
    second_seen.push_back({});
    return 7;
  };

  const MsgBoxHandler original = set_msgbox_handler(first);
  EXPECT_EQ(MsgBox("Replace the file?", 4, "Export"), 6);
  ASSERT_EQ(first_seen.size(), 1u);
  EXPECT_EQ(first_seen[0].prompt, "Replace the file?");
  EXPECT_EQ(first_seen[0].buttons, 4);
  EXPECT_EQ(first_seen[0].title, "Export");

  MsgBoxHandler previous = set_msgbox_handler(second);
  EXPECT_EQ(MsgBox("p", kOkOnly, "t"), 7);
  ASSERT_TRUE(previous);
  EXPECT_EQ(previous("q", kOkOnly, "u"), 6);  // the one handed back is the first
  EXPECT_EQ(first_seen.size(), 2u);

  previous = set_msgbox_handler(std::move(previous));
  EXPECT_EQ(MsgBox("p", kOkOnly, "t"), 6);
  EXPECT_EQ(second_seen.size(), 1u);

  // Without a handler the prompt goes to standard error.
  set_msgbox_handler(nullptr);
  testing::internal::CaptureStderr();
  const int answer = MsgBox("The stylesheet is missing.", kOkOnly, "Import");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Import: The stylesheet is missing.\n");
  EXPECT_EQ(answer, kAnswerOk);
  set_msgbox_handler(original);
}

}  // namespace
}  // namespace tw::platform
