// The platform services: atomic file writes, the environment and the
// message box.

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

mode_t mode_of(const fs::path& file) {
  struct stat st {};
  EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
  return st.st_mode & 07777;
}

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

TEST(WriteFileAtomically, KeepsThePermissionsOfTheFileItReplaces) {
  TempHome dir;
  for (const mode_t mode : {0600, 0640, 0644, 0755, 0444}) {
    SCOPED_TRACE(mode);
    const fs::path file = dir.path() / ("file-" + std::to_string(mode));
    write_file(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), mode), 0);
    write_file_atomically(file, "new");
    EXPECT_EQ(read_file(file), "new");
    EXPECT_EQ(mode_of(file), mode);
  }
  const fs::path fresh = dir.path() / "fresh";
  write_file_atomically(fresh, "new");
  EXPECT_EQ(mode_of(fresh), 0644u);  // not the private mode of the temporary file
}

TEST(WriteFileAtomically, AFailureLeavesTheOldFileIntactAndNoTemporaryFile) {
  TempHome dir;
  const std::string big(256 * 1024, 'n');
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
         const test::FileSizeLimit limit(64 * 1024);
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
