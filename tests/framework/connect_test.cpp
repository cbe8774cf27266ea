#include <gtest/gtest.h>

#include "support/pages.h"
#include "tidewise/pages/quality_elements.h"

namespace tw::testing {
namespace {

using Synchronizers = std::vector<std::pair<std::string, bool>>;

struct EditorStart {
  std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
  HostServices services;
  ComPtr<FakeTree> tree = com::make_object<FakeTree>(recorder);
  ComPtr<host::ICustomPages> connect = create<host::ICustomPages>("Connect");
  com::VARIANT_BOOL result = 7;

  explicit EditorStart(Synchronizers synchronizers = {{"Alpha", false},
                                                      {"Beta", true},
                                                      {"Gamma", false}})
      : services(recorder, std::move(synchronizers)) {
    tree->add_editor_books();
  }
  HRESULT load() { return connect->LoadCustomPages(tree.get(), nullptr, &result); }
};

std::vector<std::string> expected_outline() {
  // One outline line each, written over several source lines.
  std::vector<std::string> lines = {
      // NOLINTNEXTLINE(bugprone-suspicious-missing-comma)
      "GeneralInfo (GeneralInfo): Purpose=TidewiseCustomPage.Purpose "
      "Status=TidewiseCustomPage.Status Contact=TidewiseCustomPage.Contact "
      "Metadata=TidewiseCustomPage.Metadata SchemaInfo=TidewiseCustomPage.SchemaInfo",
      "DatasetId (DatasetId): Constraint=TidewiseCustomPage.Constraint "
      "SpatialRep=TidewiseCustomPage.SpatialRep",
      "SpatialRef (SpatialRef): GeoDesc=TidewiseCustomPage.GeoDesc "
      "Extent=TidewiseCustomPage.Extent ReferenceSys=TidewiseCustomPage.ReferenceSys "
      "VectorRepresentation=TidewiseCustomPage.VectorRepresentation "
      "ProjectionDesc=TidewiseCustomPage.ProjectionDesc "
      "EllipsoidDesc=TidewiseCustomPage.EllipsoidDesc DatumDesc=TidewiseCustomPage.DatumDesc "
      "GridRepresentation=TidewiseCustomPage.GridRepresentation",
      "DistInfo (DistInfo): Format=TidewiseCustomPage.Format",
      "QualityBook (Quality information): QualityScope=TidewiseCustomPage.QualityScope "
      "QualityExtent=TidewiseCustomPage.QualityExtent QualityLineage=TidewiseCustomPage.Lineage",
  };
  // Written out rather than derived from the library's own table, so that a
  // slip in that table shows here.
  const std::pair<const char*, const char*> books[] = {
      {"DQCompComm", "Quality completeness commission"},
      {"DQCompOm", "Quality completeness ommission"},
      {"DQConcConsis", "Quality conceptual consistency"},
      {"DQDomConsis", "Quality domain consistency"},
      {"DQFormConsis", "Quality format consistency"},
      {"DQTopConsis", "Quality topological consistency"},
      {"DQAbsExtPosAcc", "Quality absolute external positional accuracy"},
      {"DQGridDataPosAcc", "Quality gridded data positional accuracy"},
      {"DQRelIntPosAcc", "Quality relative internal positional accuracy"},
      {"DQAccTimeMeas", "Quality accuracy of a time measurement"},
      {"DQTempConsis", "Quality temporal consistency"},
      {"DQTempValid", "Quality temporal validity"},
      {"DQThemClassCor", "Quality thematic classification correctness"},
      {"DQNonQuanAttAcc", "Quality non quantitative attribute accuracy"},
      {"DQQuanAttAcc", "Quality quantitative attribute accuracy"},
  };
  for (const auto& [prefix, caption] : books) {
    const std::string p = prefix;
    lines.push_back(p + "Book (" + caption + "): " + p + "Ele=TidewiseCustomPage.QualityElement " +
                    p + "Conf=TidewiseCustomPage.QualityConformance " + p +
                    "Quan=TidewiseCustomPage.QualityQuantitative");
  }
  lines.emplace_back(
      "TidewiseBook (Tidewise Extension): TidewiseExt=TidewiseCustomPage.TidewiseExt");
  return lines;
}

TEST(Connect, FillsTheTreeRemovesHistoryAndReturnsTrue) {
  EditorStart run;
  ASSERT_EQ(run.load(), com::S_OK) << last_error();
  EXPECT_EQ(run.result, com::VARIANT_TRUE);
  EXPECT_EQ(run.tree->outline(), expected_outline());

  std::size_t pages = 0, books_added = 0, books_got = 0, removed = 0;
  std::string previous = "\"DistInfo\"";
  for (const std::string& call : run.recorder->calls) {
    if (call.starts_with("IMetadataBook.AddPage(")) {
      ++pages;
      EXPECT_TRUE(call.ends_with(", I2:-1, I2:-1)")) << call;
    } else if (call.starts_with("IMetadataSections.AddBook(")) {
      ++books_added;
      // Each book goes after the one added (or got) just before it.
      EXPECT_NE(call.find(", I2:-1, " + previous + ")"), std::string::npos) << call;
      const auto key_start = call.find("\", \"") + 3;
      previous = call.substr(key_start, call.find('"', key_start + 1) - key_start + 1);
    } else if (call.starts_with("IMetadataSections.GetBook(")) {
      ++books_got;
    } else if (call.starts_with("IMetadataSections.RemoveBook(")) {
      ++removed;
      EXPECT_EQ(call, R"(IMetadataSections.RemoveBook("History"))");
    }
  }
  EXPECT_EQ(pages, 65u);
  EXPECT_EQ(books_added, 17u);
  EXPECT_EQ(books_got, 4u);
  EXPECT_EQ(removed, 1u);
}

TEST(Connect, TellsTheUserOfEachEnabledSynchronizerAndDisablesIt) {
  EditorStart run;
  ASSERT_EQ(run.load(), com::S_OK) << last_error();
  const auto& calls = run.recorder->calls;
  const auto first = std::find(calls.begin(), calls.end(), "ISynchronizerList.Count()");
  ASSERT_NE(first, calls.end());
  EXPECT_EQ(std::vector<std::string>(first, calls.end()),
            (std::vector<std::string>{
                "ISynchronizerList.Count()", "ISynchronizerList.IsEnabled(0)",
                "ISynchronizerList.IsEnabled(1)", "ISynchronizerList.Item(1)",
                "ISynchronizer.DisplayName()",
                R"(MsgBox("Disable the Synchronizer Beta", 0, "TidewiseCustomPage"))",
                "ISynchronizerList.SetEnabled(1, False)", "ISynchronizerList.IsEnabled(2)"}));
  for (const auto& [name, enabled] : run.services.synchronizers()) {
    EXPECT_FALSE(enabled) << name;
  }
}

TEST(Connect, WithoutSynchronizersShowsNoMessage) {
  EditorStart run(Synchronizers{});
  ASSERT_EQ(run.load(), com::S_OK) << last_error();
  EXPECT_EQ(run.result, com::VARIANT_TRUE);
  EXPECT_EQ(run.recorder->calls.back(), "ISynchronizerList.Count()");
}

TEST(Connect, ASecondCallRepeatsEveryAddition) {
  EditorStart run;
  ASSERT_EQ(run.load(), com::S_OK);
  const std::vector<std::string> first = std::exchange(run.recorder->calls, {});
  // The tree no longer holds "History", so this tree refuses the removal;
  // everything before it is asked for again.
  EXPECT_EQ(run.load(), com::E_INVALIDARG);
  EXPECT_EQ(run.result, com::VARIANT_FALSE);
  const auto removal = std::find(first.begin(), first.end(),
                                 std::string(R"(IMetadataSections.RemoveBook("History"))"));
  EXPECT_EQ(run.recorder->calls, std::vector<std::string>(first.begin(), removal + 1));
}

TEST(Connect, AFailureAtAnyCallEndsLoadingThereWithItsOwnCode) {
  EditorStart clean;
  ASSERT_EQ(clean.load(), com::S_OK);
  const std::vector<std::string> calls = clean.recorder->calls;
  for (std::size_t n = 1; n <= calls.size(); ++n) {
    if (calls[n - 1].starts_with("MsgBox(")) continue;  // the message box cannot fail
    std::shared_ptr<Recorder> recorder;
    {
      EditorStart run;
      recorder = run.recorder;
      recorder->fail_at = static_cast<int>(n);
      EXPECT_EQ(run.load(), kInjected) << calls[n - 1];
      EXPECT_EQ(run.result, com::VARIANT_FALSE);
      const std::string member = calls[n - 1].substr(0, calls[n - 1].find('('));
      EXPECT_EQ(last_error(), member + ": injected failure");
      EXPECT_EQ(recorder->calls, std::vector<std::string>(calls.begin(), calls.begin() + n))
          << "calls went on after the failure of " << calls[n - 1];
    }
    EXPECT_EQ(recorder->live, 0) << "references left after the failure of " << calls[n - 1];
  }
}

TEST(Connect, ANullTreeIsRefused) {
  auto connect = create<host::ICustomPages>("Connect");
  com::VARIANT_BOOL result = com::VARIANT_TRUE;
  EXPECT_EQ(connect->LoadCustomPages(nullptr, nullptr, &result), com::E_POINTER);
  EXPECT_EQ(result, com::VARIANT_FALSE);
  EXPECT_EQ(connect->LoadCustomPages(nullptr, nullptr, nullptr), com::E_POINTER);
}

}  // namespace
}  // namespace tw::testing
