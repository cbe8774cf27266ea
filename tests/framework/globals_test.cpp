#include "tidewise/pages/globals.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace tw::testing {
namespace {

using pages::AddPageIfMissing;
using pages::ReadAttributeText;
using pages::ReadText;

// Runs `body` and returns the status code of the error it throws (S_OK if none).
template <class Body>
HRESULT code_of(Body&& body) {
  try {
    body();
  } catch (const com::Error& e) {
    return e.code();
  }
  return com::S_OK;
}

struct ReadCase {
  const char* what;
  Variant result;  // what the document returns for the path
  std::string text;
  std::string attribute_text;
};

class Readers : public ::testing::TestWithParam<ReadCase> {};

TEST_P(Readers, TurnTheFirstValueIntoText) {
  const ReadCase& c = GetParam();
  auto recorder = std::make_shared<Recorder>();
  auto document = com::make_object<FakeDocument>(recorder);
  document->raw_results["a/b"] = c.result;
  EXPECT_EQ(ReadText("a/b", document.get()), c.text);

  // The attribute reader sees the same first value, without the Integer rule.
  const com::SafeArray* array = c.result.as_array();
  if (array != nullptr && !array->elements.empty()) {
    document->attributes[{"a/b", "value"}] = array->elements.front();
  }
  EXPECT_EQ(ReadAttributeText("a/b", "value", document.get()), c.attribute_text);
}

Variant values(std::vector<Variant> items, std::int32_t lower_bound = 0) {
  return Variant::array(lower_bound, std::move(items));
}

INSTANTIATE_TEST_SUITE_P(
    Values, Readers,
    ::testing::Values(
        ReadCase{"absent", Variant(), "", ""}, ReadCase{"empty array", values({}), "", ""},
        ReadCase{"text", values({Variant::str("Coastal erosion")}), "Coastal erosion",
                 "Coastal erosion"},
        ReadCase{"empty text", values({Variant::str("")}), "", ""},
        ReadCase{"integer", values({Variant::i2(7)}), "7", ""},
        ReadCase{"negative integer", values({Variant::i2(-32768)}), "-32768", ""},
        ReadCase{"long", values({Variant::i4(7)}), "", ""},
        ReadCase{"double", values({Variant::r8(7.5)}), "", ""},
        ReadCase{"date", values({Variant::date(45000)}), "", ""},
        ReadCase{"boolean", values({Variant::boolean(true)}), "", ""},
        ReadCase{"null", values({Variant::null()}), "", ""},
        ReadCase{"empty element", values({Variant()}), "", ""},
        ReadCase{"several values", values({Variant::str("first"), Variant::str("second")}), "first",
                 "first"},
        ReadCase{"lower bound one", values({Variant::str("only")}, 1), "only", "only"}),
    [](const auto& info) {
      std::string name = info.param.what;
      std::replace(name.begin(), name.end(), ' ', '_');
      return name;
    });

TEST(Readers, RefuseABareScalarWithATypeMismatch) {
  auto recorder = std::make_shared<Recorder>();
  auto document = com::make_object<FakeDocument>(recorder);
  document->raw_results["a"] = Variant::str("bare");
  EXPECT_EQ(code_of([&] { ReadText("a", document.get()); }), com::DISP_E_TYPEMISMATCH);
}

TEST(Readers, PassOnTheDocumentsFailureWithItsCodeAndMember) {
  auto recorder = std::make_shared<Recorder>();
  auto document = com::make_object<FakeDocument>(recorder);
  recorder->fail_at = 1;
  try {
    ReadText("a", document.get());
    FAIL() << "no failure";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.code(), kInjected);
    EXPECT_EQ(e.source(), "IMetadataValues.ReadValues");
  }
  recorder->fail_at = 2;
  try {
    ReadAttributeText("a", "value", document.get());
    FAIL() << "no failure";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.code(), kInjected);
    EXPECT_EQ(e.source(), "IMetadataXml.ReadAttribute");
  }
}

TEST(ScopeCodes, MapEveryLabelAndCodeBothWays) {
  const std::pair<const char*, const char*> table[] = {{"001", "attribute"},
                                                       {"002", "attributeType"},
                                                       {"003", "collectionHardware"},
                                                       {"004", "collectionSession"},
                                                       {"005", "dataset"},
                                                       {"006", "series"},
                                                       {"007", "nonGeographicDataset"},
                                                       {"008", "dimensionGroup"},
                                                       {"009", "feature"},
                                                       {"010", "featureType"},
                                                       {"011", "propertyType"},
                                                       {"012", "fieldSession"},
                                                       {"013", "software"},
                                                       {"014", "service"},
                                                       {"015", "model"},
                                                       {"016", "tile"}};
  for (const auto& [code, label] : table) {
    EXPECT_EQ(pages::ScopeCodeToLabel(code), label);
    EXPECT_EQ(pages::ScopeLabelToCode(label), code);
  }
}

TEST(ScopeCodes, AnythingElseFallsBackToTheFirstEntry) {
  for (const char* label : {"Dataset", "", " dataset", "dataset ", "Tile", "005"}) {
    EXPECT_EQ(pages::ScopeLabelToCode(label), "001") << label;
  }
  for (const char* code : {"16", "5", "", "000", "017", "dataset", "0005"}) {
    EXPECT_EQ(pages::ScopeCodeToLabel(code), "attribute") << code;
  }
}

class AddPageIfMissingTest : public ::testing::Test {
 protected:
  std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
  ComPtr<FakeTree> tree = com::make_object<FakeTree>(recorder);

  void SetUp() override {
    tree->add_editor_books();
    tree->books.push_back(com::make_object<FakeBook>(recorder, "QualityBook", "Quality"));
    tree->book("QualityBook")
        ->entries.push_back(com::make_object<FakeEntry>(recorder, "TidewiseCustomPage.QualityScope",
                                                        "QualityScope"));
  }
  void add(const std::string& book, const std::string& name) {
    AddPageIfMissing(tree.get(), book, "TidewiseCustomPage.QualityElement", name);
  }
  std::vector<std::string> names(const std::string& book) {
    std::vector<std::string> result;
    for (const auto& e : tree->book(book)->entries) result.push_back(e->unique_name);
    return result;
  }
};

TEST_F(AddPageIfMissingTest, LooksThroughTheBookThenAddsOnce) {
  add("QualityBook", "DQQuanAttAcc");
  EXPECT_EQ(
      recorder->calls,
      (std::vector<std::string>{
          R"(IMetadataSections.GetBook("QualityBook"))", "IMetadataBook._NewEnum()",
          "IEnumVARIANT.Next(1)", "IMetadataPageEntry.UniqueName()", "IEnumVARIANT.Next(1)",
          R"(IMetadataSections.GetBook("QualityBook"))",
          R"(IMetadataBook.AddPage("TidewiseCustomPage.QualityElement", "DQQuanAttAcc", I2:-1, I2:-1))"}));
  recorder->calls.clear();
  add("QualityBook", "DQQuanAttAcc");
  EXPECT_EQ(names("QualityBook"), (std::vector<std::string>{"QualityScope", "DQQuanAttAcc"}));
  // The second call stops at the match.
  EXPECT_EQ(recorder->calls.back(), "IMetadataPageEntry.UniqueName()");
}

TEST_F(AddPageIfMissingTest, ComparesNamesExactly) {
  add("QualityBook", "dqquanattacc");
  add("QualityBook", "DQQuanAttAcc");
  add("QualityBook", "DQQuanAttAcc ");
  EXPECT_EQ(names("QualityBook"), (std::vector<std::string>{"QualityScope", "dqquanattacc",
                                                            "DQQuanAttAcc", "DQQuanAttAcc "}));
}

TEST_F(AddPageIfMissingTest, AMissingBookFailsAndAddsNothing) {
  EXPECT_EQ(code_of([&] { add("NoSuchBook", "DQQuanAttAcc"); }), com::E_INVALIDARG);
  for (const auto& book : tree->books) {
    EXPECT_TRUE(book->key != "QualityBook" || book->entries.size() == 1);
  }
}

TEST_F(AddPageIfMissingTest, AFailureAtAnyCallEndsItThereAndReleasesEverything) {
  add("QualityBook", "Probe");
  const std::size_t total = recorder->calls.size();
  for (std::size_t n = 1; n <= total; ++n) {
    auto failing = std::make_shared<Recorder>();
    {
      auto fresh = com::make_object<FakeTree>(failing);
      fresh->books.push_back(com::make_object<FakeBook>(failing, "QualityBook", "Quality"));
      fresh->books[0]->entries.push_back(
          com::make_object<FakeEntry>(failing, "TidewiseCustomPage.QualityScope", "QualityScope"));
      failing->fail_at = static_cast<int>(n);
      try {
        AddPageIfMissing(fresh.get(), "QualityBook", "TidewiseCustomPage.QualityElement", "Probe");
        ADD_FAILURE() << "no failure at call " << n;
      } catch (const com::Error& e) {
        EXPECT_EQ(e.code(), kInjected) << n;
        EXPECT_EQ(e.source() + "(", failing->calls.back().substr(0, e.source().size() + 1)) << n;
      }
      EXPECT_EQ(failing->calls.size(), n) << "calls went on after the failure at " << n;
      EXPECT_EQ(fresh->books[0]->entries.size(), 1u) << n;
    }
    EXPECT_EQ(failing->live, 0) << "references left after a failure at call " << n;
  }
}

}  // namespace
}  // namespace tw::testing
