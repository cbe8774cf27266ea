// The registry file: its keys, where it lives, damage, and atomic writes.

#include "tidewise/com/registry.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "platform/limits.h"
#include "support/files.h"
#include "tidewise/com/error.h"

namespace tw::com {
namespace {

namespace fs = std::filesystem;
using test::names_in;
using test::read_file;
using test::TempHome;
using test::write_file;

// Sets or unsets a variable for one scope.
class EnvVar {
 public:
  EnvVar(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~EnvVar() {
    if (previous_) {
      ::setenv(name_, previous_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

TEST(Registry, KeysValuesAndTreesSurviveASaveAndReopen) {
  TempHome home;
  Registry registry = Registry::open();
  EXPECT_TRUE(registry.keys().empty());  // no file yet
  registry.set("A", "", "default of A");
  registry.set("A", "Named", "named of A");
  registry.set("A\\B", "", "below A");
  registry.set("A\\B\\C", "", "deeper");
  registry.set("AB", "", "a sibling whose name begins like A");
  registry.set("Z", "", "");  // an empty value is a value
  {
    const test::Umask permissive(0);
    registry.save();
  }
  EXPECT_EQ(registry_path(), home.registry_file());
  EXPECT_EQ(test::mode_of(home.registry_file()), 0600u) << "it names code every run loads";

  const Registry reopened = Registry::open();
  EXPECT_EQ(reopened.keys(), registry.keys());
  EXPECT_EQ(reopened.get("A"), "default of A");
  EXPECT_EQ(reopened.get("A", "Named"), "named of A");
  EXPECT_EQ(reopened.get("A", "Missing"), std::nullopt);
  EXPECT_EQ(reopened.get("Missing"), std::nullopt);
  EXPECT_EQ(reopened.get("Z"), "");
  EXPECT_TRUE(reopened.has_key("A\\B"));
  EXPECT_FALSE(reopened.has_key("A\\"));

  registry.remove_tree("A");
  for (const char* gone : {"A", "A\\B", "A\\B\\C"}) EXPECT_FALSE(registry.has_key(gone)) << gone;
  EXPECT_EQ(registry.get("AB"), "a sibling whose name begins like A");
  EXPECT_TRUE(registry.has_key("Z"));
}

// The reading is shared while the file stays the same, and a change to the
// file, by this process or another, is seen at the next look.
TEST(Registry, OneReadingIsSharedUntilTheFileChanges) {
  TempHome home;
  Registry registry = Registry::open();
  registry.set("A", "", "1");
  registry.save();
  // A reading made within the clock tick of the last change is not kept:
  // another change in the same tick would leave the file's times as they are.
  const auto a_tick_later = [] { std::this_thread::sleep_for(std::chrono::milliseconds(30)); };
  a_tick_later();
  const auto first = Registry::current();
  EXPECT_EQ(first->get("A"), "1");
  EXPECT_EQ(Registry::current(), first);

  registry.set("A", "", "2");  // this process
  registry.save();
  EXPECT_EQ(Registry::current()->get("A"), "2");

  // Another process: in place with the same size, in the same tick or a
  // later one; then replaced by a rename.
  const auto second = Registry::current();
  std::string text = read_file(home.registry_file());
  text.replace(text.find("\"2\""), 3, "\"3\"");
  write_file(home.registry_file(), text);
  EXPECT_EQ(Registry::current()->get("A"), "3");
  a_tick_later();
  const auto third = Registry::current();
  EXPECT_EQ(Registry::current(), third);
  text.replace(text.find("\"3\""), 3, "\"5\"");
  write_file(home.registry_file(), text);
  EXPECT_EQ(Registry::current()->get("A"), "5");
  write_file(home / "other.json", "{\"A\": {\"\": \"4\"}}\n");
  fs::rename(home / "other.json", home.registry_file());
  EXPECT_EQ(Registry::current()->get("A"), "4");
  EXPECT_EQ(second->get("A"), "2");  // a reading already taken stays as it was

  write_file(home.registry_file(), "damaged");
  EXPECT_THROW((void)Registry::current(), Error);
  fs::remove(home.registry_file());
  EXPECT_TRUE(Registry::current()->keys().empty());
}

TEST(Registry, HomeIsTidewiseHomeElseTheDataFolder) {
  TempHome home;
  const fs::path nested = home.path() / "not" / "yet";
  {
    EnvVar tidewise("TIDEWISE_HOME", nested.c_str());
    EXPECT_EQ(tidewise_home(), nested);
    EXPECT_TRUE(fs::is_directory(nested));  // created on demand
  }
  {
    EnvVar tidewise("TIDEWISE_HOME", nullptr);
    EnvVar xdg("XDG_DATA_HOME", home.path().c_str());
    EXPECT_EQ(tidewise_home(), home.path() / "tidewise");
  }
  {
    EnvVar tidewise("TIDEWISE_HOME", "");  // empty counts as unset
    EnvVar xdg("XDG_DATA_HOME", nullptr);
    EnvVar user("HOME", home.path().c_str());
    EXPECT_EQ(tidewise_home(), home.path() / ".local" / "share" / "tidewise");
  }
}

TEST(Registry, ADamagedFileIsAClearErrorAndIsLeftAlone) {
  const char* damaged[] = {
      "",
      "not json",
      "{\"CLSID\\\\{X}\": {\"\": \"cut off",
      "{\"CLSID\\\\{X}\": {\"\": 5}}",                        // a value that is not text
      "{\"CLSID\\\\{X}\": \"a value where a key belongs\"}",  // a key that is not an object
      "[\"a list\"]",
      "\"text\"",
      "{\"A\": {\"\": null}}",
  };
  for (const char* content : damaged) {
    SCOPED_TRACE(content);
    TempHome home;
    write_file(home.registry_file(), content);
    try {
      (void)Registry::open();
      ADD_FAILURE() << "a damaged registry was read";
    } catch (const Error& e) {
      EXPECT_EQ(e.code(), E_FAIL);
      const std::string text = e.what();
      EXPECT_NE(text.find("damaged"), std::string::npos) << text;
      EXPECT_NE(text.find(home.registry_file().string()), std::string::npos) << text;
    }
    EXPECT_EQ(read_file(home.registry_file()), content);
  }
}

// A registry file that exists but cannot be opened must fail to read: read as
// empty, the next save would drop every registration.
void expect_unopenable_registry_refused(const TempHome& home) {
  try {
    const auto keys = Registry::open().keys();
    ADD_FAILURE() << "read " << keys.size() << " keys";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), E_FAIL);
    EXPECT_EQ(std::string(e.what()).rfind(
                  "cannot read the registry \"" + home.registry_file().string() + "\"", 0),
              0u)
        << e.what();
  }
}

TEST(Registry, AFileThatCannotBeOpenedIsAnErrorNotAnEmptyRegistry) {
  // Opening a socket fails for every user, root too.
  TempHome home;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string file = home.registry_file().string();
  ASSERT_LT(file.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, file.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
  expect_unopenable_registry_refused(home);
}

TEST(Registry, AFileWithoutReadPermissionIsAnErrorNotAnEmptyRegistry) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  TempHome home;
  Registry registry = Registry::open();
  registry.set("CLSID\\{X}", "", "kept");
  registry.save();
  ASSERT_EQ(::chmod(home.registry_file().c_str(), 0), 0);
  expect_unopenable_registry_refused(home);
  ::chmod(home.registry_file().c_str(), 0644);
  EXPECT_EQ(Registry::open().get("CLSID\\{X}"), "kept");
}

TEST(Registry, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
  TempHome home;
  Registry registry = Registry::open();
  registry.set("CLSID\\{X}", "", "old");
  registry.save();
  const std::string before = read_file(home.registry_file());

  registry.set("CLSID\\{X}", "", std::string(std::size_t{64} * 1024, 'n'));
  std::optional<Error> failure;
  {
    const test::FileSizeLimit limit(4096);
    try {
      registry.save();
    } catch (const Error& e) {
      failure = e;
    }
  }
  ASSERT_TRUE(failure.has_value()) << "the save reported success";
  EXPECT_EQ(failure->code(), E_FAIL);
  EXPECT_NE(std::string(failure->what()).find(home.registry_file().string()), std::string::npos)
      << failure->what();
  EXPECT_EQ(read_file(home.registry_file()), before);
  EXPECT_EQ(names_in(home.path()), std::vector<std::string>{"registry.json"});
}

}  // namespace
}  // namespace tw::com
