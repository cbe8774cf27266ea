#include <gtest/gtest.h>

#include "pages/calls.h"
#include "support/pages.h"

namespace tw::testing {
namespace {

using namespace calls;

struct SingleText {
  const char* page;
  const char* path;
  bool needs_text;  // Completed only while the box holds text
  bool marked;      // the red "*"
  const char* caption;
};

constexpr SingleText kPages[] = {
    {"Purpose", "dataIdInfo/idPurp", true, true,
     "Summary of the intentions with which te resource(s) was developped"},
    {"Lineage", "dqInfo/dataLineage/statement", true, true,
     "General explanation of the data's producer knowledge about the lineage of a dataset"},
    {"Extent", "dataIdInfo/dataExt/exDesc", false, false,
     "Description of the spatial and temporal extent"},
    {"Format", "distInfo/distFormat/formatName", true, false,
     "Format of the data to be distributed"},
};

class SingleTextPage : public ::testing::TestWithParam<SingleText> {
 protected:
  PageRun run{GetParam().page};
  std::string path = GetParam().path;
};

TEST_P(SingleTextPage, ShowsItsCaptionAndMark) {
  EXPECT_EQ(run.control("lblInfo").caption(), GetParam().caption);
  EXPECT_EQ(run.control("txtInfo").tab_index(), 0);
  const forms::Control* mark = run.form().find("lblReq");
  ASSERT_EQ(mark != nullptr, GetParam().marked);
  if (mark) {
    EXPECT_EQ(mark->caption(), "*");
    EXPECT_EQ(mark->fore_color(), forms::kRed);
  }
}

TEST_P(SingleTextPage, LoadingAndLeavingWithoutAnEditWritesNothing) {
  run.document->values[path] = {Variant::str("Loaded text")};
  ASSERT_EQ(run.load(), com::S_OK);
  EXPECT_EQ(run.take_calls(), std::vector<std::string>{read(path)});
  EXPECT_EQ(run.control("txtInfo").text(), "Loaded text");
  EXPECT_EQ(run.leave(), com::VARIANT_FALSE);
  EXPECT_TRUE(run.take_calls().empty());
}

TEST_P(SingleTextPage, AnAbsentElementShowsAnEmptyBox) {
  ASSERT_EQ(run.load(), com::S_OK);
  EXPECT_EQ(run.control("txtInfo").text(), "");
  EXPECT_EQ(run.completed(), !GetParam().needs_text);
}

TEST_P(SingleTextPage, WritesTheTypedTextThenTagsTheElement) {
  ASSERT_EQ(run.load(), com::S_OK);
  run.take_calls();
  run.control("txtInfo").type("Monitor shoreline erosion");
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.take_calls(),
            (std::vector<std::string>{write(path, "Monitor shoreline erosion"), tag(path)}));
  EXPECT_EQ(run.document->text(path), "Monitor shoreline erosion");
  EXPECT_EQ(run.document->attribute(path, "ns"), std::string(custom::kExtensionNamespace));
}

TEST_P(SingleTextPage, RetypingTheLoadedTextStillCounts) {
  run.document->values[path] = {Variant::str("Same")};
  ASSERT_EQ(run.load(), com::S_OK);
  run.take_calls();
  run.control("txtInfo").type("Same");
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.take_calls(), (std::vector<std::string>{write(path, "Same"), tag(path)}));
}

TEST_P(SingleTextPage, EmptyingTheBoxStoresEmptyText) {
  run.document->values[path] = {Variant::str("Old")};
  ASSERT_EQ(run.load(), com::S_OK);
  run.take_calls();
  run.control("txtInfo").type("");
  EXPECT_EQ(run.completed(), !GetParam().needs_text);
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.take_calls(), (std::vector<std::string>{write(path, ""), tag(path)}));
}

TEST_P(SingleTextPage, ASingleSpaceCountsAsCompleted) {
  ASSERT_EQ(run.load(), com::S_OK);
  run.control("txtInfo").type(" ");
  EXPECT_TRUE(run.completed());
}

TEST_P(SingleTextPage, ATaglessValueStaysWhenTaggingFails) {
  ASSERT_EQ(run.load(), com::S_OK);
  run.control("txtInfo").type("Value");
  run.recorder->fail_at = static_cast<int>(run.recorder->calls.size()) + 2;
  com::VARIANT_BOOL result = 7;
  EXPECT_EQ(run.unload(&result), kInjected);
  EXPECT_EQ(last_error(), "IMetadataXml.WriteAttribute: injected failure");
  EXPECT_EQ(run.document->text(path), "Value");
  EXPECT_EQ(run.document->attribute(path, "ns"), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Pages, SingleTextPage, ::testing::ValuesIn(kPages),
                         [](const auto& info) { return std::string(info.param.page); });

}  // namespace
}  // namespace tw::testing
