// The files the host hands to components for one step: where they are made,
// what they are called, and that nothing of them outlives the step.

#include "tidewise/host/scratch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <stdexcept>
#include <string>

#include "support/files.h"
#include "tidewise/com/error.h"

namespace tw::host {
namespace {

namespace fs = std::filesystem;

// Whatever name a browser sends, the file stays in the folder, visible,
// unique, and goes with its object.
TEST(ScratchFolder, NamesStayInsideVisibleAndUniqueAndTheFilesGo) {
  const test::TempHome home;
  ScratchFolder scratch("names", home.path());
  const struct {
    std::string sent;
    std::string made;
  } cases[] = {
      {"record.xml", "1-record.xml"},
      {"../../etc/passwd", "2-passwd"},
      {"C:\\fakepath\\r é.xml", "3-C__fakepath_r___.xml"},
      {".hidden", "4-record.hidden"},
      {"", "5-record"},
      {"dir/", "6-record"},
      {"record.xml", "7-record.xml"},
  };
  for (const auto& c : cases) {
    fs::path made;
    {
      const ScratchFile file = scratch.file(c.sent);
      made = file.path();
      EXPECT_EQ(made, scratch.path() / c.made) << c.sent;
      test::write_file(made, "x");
    }
    EXPECT_FALSE(fs::exists(made)) << c.sent;
  }
}

// A step that throws half way leaves neither its files nor its folder, and
// the folder was this user's alone while it lived.
TEST(ScratchFolder, AStepThatThrowsLeavesNothing) {
  const test::TempHome home;
  fs::path folder, kept;
  try {
    ScratchFolder scratch("step", home.path());
    folder = scratch.path();
    EXPECT_EQ(folder.parent_path(), home.path());
    EXPECT_TRUE(folder.filename().string().starts_with("step-"));
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    const ScratchFile record = scratch.file("record.xml", "<a/>");
    EXPECT_EQ(test::read_file(record.path()), "<a/>");
    // Left by a component, unknown to any ScratchFile.
    kept = scratch.path() / "left-by-the-importer.xml";
    test::write_file(kept, "x");
    throw std::runtime_error("the importer failed");
  } catch (const std::runtime_error&) {
  }
  ASSERT_FALSE(folder.empty());
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_EQ(test::names_in(home.path()), std::vector<std::string>{});
}

TEST(ScratchFolder, AFolderThatCannotBeMadeIsAnError) {
  const test::TempHome home;
  EXPECT_THROW(ScratchFolder("x", home.path() / "missing"), com::Error);
}

}  // namespace
}  // namespace tw::host
