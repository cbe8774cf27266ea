// The host's synchronizer list: indexes from 0, exact codes outside them,
// flags that last across runs in the settings file, and a damaged file
// reported rather than read as defaults.

#include "tidewise/host/synchronizers.h"

#include <gtest/gtest.h>

#include <set>

#include "support/files.h"
#include "tidewise/host/trace.h"

namespace tw::host {
namespace {

using com::ComPtr;
using nlohmann::json;

class SynchronizersTest : public ::testing::Test {
 protected:
  std::filesystem::path settings() const { return home_.path() / "settings.json"; }
  ComPtr<SynchronizerList> fresh_list() { return com::make_object<SynchronizerList>(); }

  static std::vector<bool> flags(ISynchronizerList& list) {
    std::int32_t count = 0;
    EXPECT_EQ(list.get_Count(&count), com::S_OK);
    std::vector<bool> result;
    for (std::int32_t i = 0; i < count; ++i) {
      VARIANT_BOOL enabled = 7;
      EXPECT_EQ(list.IsEnabled(i, &enabled), com::S_OK);
      EXPECT_TRUE(enabled == com::VARIANT_TRUE || enabled == com::VARIANT_FALSE) << enabled;
      result.push_back(com::from_variant_bool(enabled));
    }
    return result;
  }

  test::TempHome home_;
};

TEST_F(SynchronizersTest, AFreshHostHasThreeNamedSynchronizersAllEnabled) {
  const auto list = fresh_list();
  EXPECT_EQ(flags(*list.get()), (std::vector<bool>{true, true, true}));
  std::set<std::string> names;
  for (std::int32_t i = 0; i < 3; ++i) {
    ComPtr<ISynchronizer> synchronizer;
    ASSERT_EQ(list->Item(i, synchronizer.put()), com::S_OK);
    std::string name;
    ASSERT_EQ(synchronizer->get_DisplayName(&name), com::S_OK);
    EXPECT_EQ(name, SynchronizerList::names()[static_cast<std::size_t>(i)]);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(settings())) << "reading writes nothing";
}

TEST_F(SynchronizersTest, SwitchingOneOffLastsIntoTheNextRunAndLeavesOtherSettings) {
  test::write_file(settings(), R"({"editor": {"font": "Arial"}})");
  ASSERT_EQ(fresh_list()->SetEnabled(1, com::VARIANT_FALSE), com::S_OK);
  EXPECT_EQ(flags(*fresh_list().get()), (std::vector<bool>{true, false, true}));

  const auto list = fresh_list();
  ASSERT_EQ(list->SetEnabled(2, com::VARIANT_FALSE), com::S_OK);
  ASSERT_EQ(list->SetEnabled(1, 1), com::S_OK) << "any non-zero value is true";
  EXPECT_EQ(flags(*list.get()), (std::vector<bool>{true, true, false}));
  EXPECT_EQ(flags(*fresh_list().get()), (std::vector<bool>{true, true, false}));

  const json written = json::parse(test::read_file(settings()));
  EXPECT_EQ(written["editor"]["font"], "Arial");
  EXPECT_EQ(test::names_in(home_.path()), std::vector<std::string>{"settings.json"})
      << "no temporary file is left beside it";
}

TEST_F(SynchronizersTest, ANewSettingsFileIsTheUsersAlone) {
  const test::Umask permissive(0);
  ASSERT_EQ(fresh_list()->SetEnabled(0, com::VARIANT_FALSE), com::S_OK);
  EXPECT_EQ(test::mode_of(settings()), 0600u);
}

TEST_F(SynchronizersTest, IndexesOutsideTheListFailWithBadIndex) {
  const auto list = fresh_list();
  for (const std::int32_t index : {-1, 3, 1 << 30}) {
    auto* synchronizer = reinterpret_cast<ISynchronizer*>(std::uintptr_t{0x10});
    EXPECT_EQ(list->Item(index, &synchronizer), com::DISP_E_BADINDEX) << index;
    EXPECT_EQ(synchronizer, nullptr);
    VARIANT_BOOL enabled = com::VARIANT_TRUE;
    EXPECT_EQ(list->IsEnabled(index, &enabled), com::DISP_E_BADINDEX) << index;
    EXPECT_EQ(enabled, com::VARIANT_FALSE);
    EXPECT_EQ(list->SetEnabled(index, com::VARIANT_FALSE), com::DISP_E_BADINDEX) << index;
    const auto info = com::GetErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->description.rfind("ISynchronizerList.SetEnabled: ", 0), 0u)
        << info->description;
  }
  EXPECT_FALSE(std::filesystem::exists(settings()));
  EXPECT_EQ(list->get_Count(nullptr), com::E_POINTER);
  EXPECT_EQ(list->IsEnabled(0, nullptr), com::E_POINTER);
  EXPECT_EQ(list->Item(0, nullptr), com::E_POINTER);
}

TEST_F(SynchronizersTest, ADamagedSettingsFileIsAnErrorNamingTheFile) {
  const char* damaged[] = {
      "{",
      "[]",
      "true",
      R"({"synchronizers": 5})",
      R"({"synchronizers": {"ISO Metadata Synchronizer": "off"}})",
      R"({"synchronizers": {"Geography Synchronizer": 0}})",
  };
  for (const char* content : damaged) {
    test::write_file(settings(), content);
    try {
      fresh_list();
      ADD_FAILURE() << "read as if sound: " << content;
    } catch (const com::Error& e) {
      EXPECT_EQ(e.code(), com::E_FAIL);
      EXPECT_NE(std::string(e.what()).find(settings().string()), std::string::npos) << e.what();
    }
    EXPECT_EQ(test::read_file(settings()), content) << "a damaged file is left for the user";
  }
}

TEST_F(SynchronizersTest, SettingAFlagOverAFileDamagedMeanwhileChangesNothing) {
  const auto list = fresh_list();
  test::write_file(settings(), "{ not json");
  EXPECT_EQ(list->SetEnabled(0, com::VARIANT_FALSE), com::E_FAIL);
  const auto info = com::GetErrorInfo();
  ASSERT_TRUE(info);
  EXPECT_NE(info->description.find("damaged"), std::string::npos) << info->description;
  EXPECT_EQ(test::read_file(settings()), "{ not json");
  EXPECT_EQ(flags(*list.get()), (std::vector<bool>{true, true, true}));
}

TEST_F(SynchronizersTest, UnknownNamesInTheFileAreKeptAndIgnored) {
  test::write_file(settings(), R"({"synchronizers": {"Retired Synchronizer": false}})");
  const auto list = fresh_list();
  EXPECT_EQ(flags(*list.get()), (std::vector<bool>{true, true, true}));
  ASSERT_EQ(list->SetEnabled(0, com::VARIANT_FALSE), com::S_OK);
  const json written = json::parse(test::read_file(settings()));
  EXPECT_EQ(written["synchronizers"]["Retired Synchronizer"], false);
  EXPECT_EQ(written["synchronizers"][std::string(SynchronizerList::names()[0])], false);
}

TEST_F(SynchronizersTest, EveryMemberRecordsItsCall) {
  std::vector<json> lines;
  const auto previous = set_trace_sink([&](const json& line) { lines.push_back(line); });
  {
    const auto list = fresh_list();
    std::int32_t count = 0;
    list->get_Count(&count);
    VARIANT_BOOL enabled = 0;
    list->IsEnabled(0, &enabled);
    ComPtr<ISynchronizer> synchronizer;
    list->Item(0, synchronizer.put());
    std::string name;
    synchronizer->get_DisplayName(&name);
    list->SetEnabled(0, com::VARIANT_FALSE);
  }
  set_trace_sink(previous);
  const std::vector<json> expected = {
      {{"call", "ISynchronizerList.Count"}, {"args", json::array()}},
      {{"call", "ISynchronizerList.IsEnabled"}, {"args", {0}}},
      {{"call", "ISynchronizerList.Item"}, {"args", {0}}},
      {{"call", "ISynchronizer.DisplayName"}, {"args", json::array()}},
      {{"call", "ISynchronizerList.SetEnabled"}, {"args", {0, false}}},
  };
  EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace tw::host
