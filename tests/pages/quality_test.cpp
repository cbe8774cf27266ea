#include <gtest/gtest.h>

#include "pages/calls.h"
#include "support/pages.h"
#include "tidewise/pages/quality_elements.h"

namespace tw::testing {
namespace {

using namespace calls;
using Calls = std::vector<std::string>;

const std::string kScopeCode = "dqInfo/dqScope/scpLvl/ScopeCd";
const std::string kDataSet = "dqInfo/dqScope/scpLvlDesc/datasetSet";

TEST(QualityScopePage, WritesNothingUnlessEditedThenBothValues) {
  PageRun run("QualityScope");
  run.document->attributes[{kScopeCode, "value"}] = Variant::str("005");
  ASSERT_EQ(run.load(), com::S_OK);
  EXPECT_EQ(run.take_calls(), (Calls{read_code(kScopeCode), read(kDataSet)}));
  EXPECT_EQ(run.control("cmbLevel").text(), "dataset");
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_TRUE(run.take_calls().empty());

  run.control("txtDataSet").type("Shoreline 2026");
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.take_calls(),
            (Calls{kUpdateFlag, write_code(kScopeCode, "005"), write(kDataSet, "Shoreline 2026")}));
}

TEST(QualityScopePage, TranslatesLevelsThroughTheScopeList) {
  const std::pair<const char*, const char*> picks[] = {
      {"series", "006"}, {"model", "015"}, {"tile", "016"}, {"attribute", "001"}};
  for (const auto& [label, code] : picks) {
    PageRun run("QualityScope");
    ASSERT_EQ(run.load(), com::S_OK);
    EXPECT_EQ(run.control("cmbLevel").text(), "attribute");
    run.control("cmbLevel").type(label);
    run.leave();
    EXPECT_EQ(run.document->attribute(kScopeCode, "value"), code) << label;
  }
  PageRun typed("QualityScope");
  ASSERT_EQ(typed.load(), com::S_OK);
  typed.control("cmbLevel").type("Dataset");
  typed.leave();
  EXPECT_EQ(typed.document->attribute(kScopeCode, "value"), "001");
}

TEST(QualityScopePage, APickedLevelIsAnEditLikeATypedOne) {
  PageRun run("QualityScope");
  run.document->values[kDataSet] = {Variant::str("Survey 2023")};
  ASSERT_EQ(run.load(), com::S_OK);
  run.take_calls();
  run.control("cmbLevel").pick("series");
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.take_calls(),
            (Calls{kUpdateFlag, write_code(kScopeCode, "006"), write(kDataSet, "Survey 2023")}));
}

// ---- one class per role, fifteen elements each

struct Role {
  const char* page;
  const char* suffix;
  const char* first_path;  // the sub-path the page reads first
};

const Role kRoles[] = {{"QualityElement", "Ele", "/measName"},
                       {"QualityConformance", "Conf", "/ConResult/conExpl"},
                       {"QualityQuantitative", "Quan", "/QuanResult/quanValType"}};

// The entry of the element's own book ("DQCompCommEle") and the bare element
// name ("DQCompleteComm", as the quality report adds "DQQuanAttAcc") both
// choose the element, with the same title.
TEST(QualityPages, ChooseTheirElementAndTitleFromTheUniqueName) {
  for (const Role& role : kRoles) {
    for (const pages::QualityElement& element : pages::kQualityElements) {
      for (const std::string& unique :
           {std::string(element.prefix) + role.suffix, std::string(element.element)}) {
        PageRun run(role.page);
        ASSERT_EQ(run.load(unique), com::S_OK) << unique;
        EXPECT_EQ(run.take_calls().front(),
                  read("dqInfo/" + std::string(element.element) + role.first_path))
            << role.page << " " << unique;
        std::string title;
        run.page->get_ShortTitle(&title);
        const std::string expected =
            std::string(role.suffix) == "Ele" ? std::string(element.element_title)
            : std::string(role.suffix) == "Conf"
                ? std::string(element.result_title) + ": Conformance result"
                : std::string(element.result_title) + ": Quantitative result";
        EXPECT_EQ(title, expected) << role.page << " " << unique;
        EXPECT_EQ(run.control("lblHeading").caption(), expected);
        run.leave();
        for (const std::string& call : run.take_calls()) {
          if (call == kUpdateFlag) continue;
          EXPECT_NE(call.find("dqInfo/" + std::string(element.element) + "/"), std::string::npos)
              << role.page << " " << unique << " wrote " << call;
        }
      }
    }
  }
}

// A fresh page given a name outside the table has no element, hence no paths:
// it reads and writes nothing, and answers as its class always does.
TEST(QualityPages, AFreshPageOutsideTheTableNeitherReadsNorWrites) {
  struct Case {
    const char* page;
    const char* text_box;
    com::VARIANT_BOOL answer;
  };
  const Case cases[] = {{"QualityElement", "txtName", com::VARIANT_TRUE},
                        {"QualityConformance", "txtExplanation", com::VARIANT_FALSE},
                        {"QualityQuantitative", "txtType", com::VARIANT_FALSE}};
  for (const Case& c : cases) {
    for (const char* unique : {"DQQuanAttAccele", "DQCompComm", "Purpose", ""}) {
      PageRun run(c.page);
      ASSERT_EQ(run.load(unique), com::S_OK) << c.page << " " << unique;
      for (const auto& control : run.form().controls()) {
        if (control->has_text()) {
          EXPECT_EQ(control->text(), "") << control->name();
        }
        if (control->has_value()) {
          EXPECT_EQ(control->value(), 0) << control->name();
        }
      }
      run.control(c.text_box).type("typed");
      EXPECT_EQ(run.leave(), c.answer) << c.page << " " << unique;
      EXPECT_EQ(run.take_calls(), Calls{}) << c.page << " " << unique;
    }
  }
}

// The page the quality report adds under "DQQuanAttAcc" edits that element.
TEST(QualityReportPage, ThePageItAddsOpensAndSaves) {
  PageRun report("QualityReport");
  report.tree->add_editor_books();
  report.tree->books.push_back(
      com::make_object<FakeBook>(report.recorder, "QualityBook", "Quality"));
  report.control("chkQuanAttAcc").click();
  com::VARIANT_BOOL answer = 0;
  ASSERT_EQ(report.page->UnloadPage(nullptr, report.tree.get(), &answer), com::S_OK);
  const FakeEntry& added = *report.tree->book("QualityBook")->entries.at(0).get();
  ASSERT_TRUE(added.prog_id.starts_with("TidewiseCustomPage."));

  PageRun page(added.prog_id.substr(std::string("TidewiseCustomPage.").size()));
  ASSERT_EQ(page.load(added.unique_name), com::S_OK) << last_error();
  page.take_calls();
  page.control("txtName").type("RMSE");
  EXPECT_EQ(page.leave(), com::VARIANT_TRUE);
  const Calls calls = page.take_calls();
  ASSERT_EQ(calls.size(), 9u);
  EXPECT_EQ(calls[0], kUpdateFlag);
  EXPECT_EQ(calls[1], write("dqInfo/DQQuanAttAcc/measName", "RMSE"));
  std::string title;
  page.page->get_ShortTitle(&title);
  EXPECT_EQ(title, "Thematic Accuracy: Quantitative attribute accuracy");
}

TEST(QualityPages, TheCommissionElementIsStoredUnderItsLongName) {
  PageRun run("QualityElement");
  ASSERT_EQ(run.load("DQCompCommEle"), com::S_OK);
  EXPECT_EQ(run.take_calls().front(), read("dqInfo/DQCompleteComm/measName"));
  std::string title;
  run.page->get_ShortTitle(&title);
  EXPECT_EQ(title, "Completeness: Commission");
}

TEST(QualityPages, ANameOutsideTheTableKeepsTheLastElement) {
  PageRun run("QualityElement");
  ASSERT_EQ(run.load("DQTopConsisEle"), com::S_OK);
  run.take_calls();
  ASSERT_EQ(run.load("dqtopconsisele"), com::S_OK);
  EXPECT_EQ(run.take_calls().front(), read("dqInfo/DQTopConsis/measName"));
}

// ---- option buttons stand for "true" and "false"

struct FlagCase {
  const char* page;
  const char* unique_name;
  std::string path;
  const char* selected;
  const char* unselected;
};

TEST(FlagPages, OnlyExactlyTrueSelectsTheFirstOption) {
  const FlagCase cases[] = {
      {"QualityConformance", "DQTempValidConf", "dqInfo/DQTempValid/ConResult/conPass", "optTrue",
       "optFalse"},
      {"QualityExtent", "QualityExtent", "dqInfo/dqScope/scpExt/GeoBndBox/exTypeCode", "optTrue",
       "optFalse"},
      {"GeoDesc", "GeoDesc", "dataIdInfo/geoDesc/exTypeCode", "optYes", "optNo"},
  };
  for (const FlagCase& c : cases) {
    for (const char* stored : {"true", "True", "TRUE", "1", "yes", "", "false"}) {
      PageRun run(c.page);
      if (*stored) run.document->values[c.path] = {Variant::str(stored)};
      ASSERT_EQ(run.load(c.unique_name), com::S_OK);
      const bool yes = std::string(stored) == "true";
      EXPECT_EQ(run.control(c.selected).value(), yes ? 1 : 0) << c.page << " " << stored;
      EXPECT_EQ(run.control(c.unselected).value(), yes ? 0 : 1) << c.page << " " << stored;
      run.leave();
      EXPECT_EQ(run.document->text(c.path), yes ? "true" : "false") << c.page << " " << stored;
    }
  }
}

TEST(FlagPages, ChoosingAnOptionIsWritten) {
  PageRun run("QualityConformance");
  ASSERT_EQ(run.load("DQDomConsisConf"), com::S_OK);
  run.control("optTrue").click();
  EXPECT_EQ(run.leave(), com::VARIANT_FALSE);
  EXPECT_EQ(run.document->text("dqInfo/DQDomConsis/ConResult/conPass"), "true");
}

// ---- the quality report's check list

TEST(QualityReportPage, TitlesItselfOnLoadAndReadsNothing) {
  PageRun run("QualityReport");
  ASSERT_EQ(run.load(), com::S_OK);
  EXPECT_TRUE(run.take_calls().empty());
  EXPECT_EQ(run.control("lblHeading").caption(), "Data quality elements");
  com::VARIANT_BOOL answer = 0;
  ASSERT_EQ(run.page->UnloadPage(nullptr, run.tree.get(), &answer), com::S_OK);
  EXPECT_EQ(answer, com::VARIANT_TRUE);
  EXPECT_TRUE(run.take_calls().empty()) << "nothing ticked, yet the tree was touched";
}

TEST(QualityReportPage, TickingTheQuantitativeBoxAddsItsPageOnce) {
  PageRun run("QualityReport");
  run.tree->add_editor_books();
  run.tree->books.push_back(com::make_object<FakeBook>(run.recorder, "QualityBook", "Quality"));
  ASSERT_EQ(run.load(), com::S_OK);
  for (const char* other : {"chkCompOm", "ChkAbsExtPosAcc", "chkTempVal"}) {
    run.control(other).click();
  }
  com::VARIANT_BOOL answer = 0;
  ASSERT_EQ(run.page->UnloadPage(nullptr, run.tree.get(), &answer), com::S_OK);
  EXPECT_TRUE(run.take_calls().empty());

  run.control("chkQuanAttAcc").click();
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(run.page->UnloadPage(nullptr, run.tree.get(), &answer), com::S_OK) << last_error();
    EXPECT_EQ(answer, com::VARIANT_TRUE);
  }
  const auto& entries = run.tree->book("QualityBook")->entries;
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0]->unique_name, "DQQuanAttAcc");
  EXPECT_EQ(entries[0]->prog_id, "TidewiseCustomPage.QualityElement");

  // A new page control starts unchecked.
  PageRun again("QualityReport");
  EXPECT_EQ(again.control("chkQuanAttAcc").value(), 0);
}

TEST(QualityReportPage, FailsWithoutAQualityBook) {
  PageRun run("QualityReport");
  run.tree->add_editor_books();
  run.control("chkQuanAttAcc").click();
  com::VARIANT_BOOL answer = 7;
  EXPECT_EQ(run.page->UnloadPage(nullptr, run.tree.get(), &answer), com::E_INVALIDARG);
  EXPECT_EQ(answer, com::VARIANT_FALSE);
  EXPECT_NE(last_error().find("IMetadataSections.GetBook"), std::string::npos);
}

}  // namespace
}  // namespace tw::testing
