#include <gtest/gtest.h>

#include <set>

#include "support/pages.h"

namespace tw::testing {
namespace {

struct Creation {
  const char* page_class;
  const char* short_title;  // after creation
  const char* heading;      // the heading label's caption after creation
};

// Every page class of the library with the title it gives itself.
constexpr Creation kCreations[] = {
    {"Metadata", "Metadata information", "Metadata information"},
    {"QualityConformance", "", "Title"},
    {"QualityScope", "Scope", "Scope"},
    {"QualityExtent", "Scope extent", "Scope extent"},
    {"QualityReport", "", "Title"},
    {"QualityElement", "", "Title"},
    {"QualityQuantitative", "", "Title"},
    {"Purpose", "Purpose", "Purpose"},
    {"Status", "Status", "Status"},
    {"Lineage", "Lineage", "Lineage"},
    {"Contact", "Point of contact for the resource", "Point of contact for the resource"},
    {"Constraint", "Constraints", "Constraints"},
    {"SpatialRep", "Spatial representation", "Spatial representation"},
    {"Extent", "Extent", "Extent"},
    {"Format", "Format", "Format"},
    {"VectorRepresentation", "Vector Representation", "Vector Representation"},
    {"ProjectionDesc", "Projection Description", "Projection Description"},
    {"EllipsoidDesc", "Ellipsoid Description", "Ellipsoid Description"},
    {"DatumDesc", "Datum Description", "Datum Description"},
    {"GridRepresentation", "Grid Representation", "Grid Representation"},
    {"SchemaInfo", "Schema Information", "Schema Information"},
    {"TidewiseExt", "Tidewise theme", "Tidewise theme"},
    {"ReferenceSys", "Reference system", "Reference system"},
    {"GeoDesc", "Geographic description", "Title"},
};

class EveryPage : public ::testing::TestWithParam<Creation> {};

std::string short_title(host::IMetaDataPage* page) {
  std::string title = "unset";
  EXPECT_EQ(page->get_ShortTitle(&title), com::S_OK);
  return title;
}
std::string title(host::IMetaDataPage* page) {
  std::string text = "unset";
  EXPECT_EQ(page->get_Title(&text), com::S_OK);
  return text;
}

TEST_P(EveryPage, TitlesItselfAtCreation) {
  const Creation& c = GetParam();
  const auto page = create<host::IMetaDataPage>(c.page_class);
  EXPECT_EQ(short_title(page.get()), c.short_title);
  EXPECT_EQ(title(page.get()), c.heading);
}

TEST_P(EveryPage, KeepsTitleAndShortTitleApart) {
  const auto page = create<host::IMetaDataPage>(GetParam().page_class);
  ASSERT_EQ(page->put_ShortTitle("Short"), com::S_OK);
  EXPECT_EQ(title(page.get()), "Short");
  ASSERT_EQ(page->put_Title("Long heading"), com::S_OK);
  EXPECT_EQ(short_title(page.get()), "Short");
  EXPECT_EQ(title(page.get()), "Long heading");
  EXPECT_EQ(form_of(page.get()).get("lblHeading").caption(), "Long heading");
}

TEST_P(EveryPage, AnswersTheHostsFixedQuestions) {
  PageRun run(GetParam().page_class);
  std::int16_t help = 5;
  EXPECT_EQ(run.page->get_HelpContextID(&help), com::S_OK);
  EXPECT_EQ(help, 0);
  com::VARIANT_BOOL answer = com::VARIANT_FALSE;
  EXPECT_EQ(run.page->QueryUnload(run.document.get(), run.tree.get(), &answer), com::S_OK);
  EXPECT_EQ(answer, com::VARIANT_TRUE);
  EXPECT_TRUE(run.recorder->calls.empty()) << "QueryUnload touched the host";

  // Out parameters are checked before anything happens.
  EXPECT_EQ(run.page->get_ShortTitle(nullptr), com::E_POINTER);
  EXPECT_EQ(run.page->get_Completed(nullptr), com::E_POINTER);
  EXPECT_EQ(run.page->QueryUnload(run.document.get(), run.tree.get(), nullptr), com::E_POINTER);
  EXPECT_EQ(run.page->UnloadPage(run.document.get(), run.tree.get(), nullptr), com::E_POINTER);
  EXPECT_TRUE(run.recorder->calls.empty());
}

TEST_P(EveryPage, HasItsHeadingOverTheTealBand) {
  const auto page = create<host::IMetaDataPage>(GetParam().page_class);
  forms::Form& form = form_of(page.get());
  const forms::Control& heading = form.get("lblHeading");
  const forms::Control& band = form.get("shpHeading");
  EXPECT_EQ(heading.kind(), forms::Kind::Label);
  EXPECT_EQ(heading.font(), (forms::Font{"Arial", 12, true}));
  EXPECT_EQ(heading.fore_color(), forms::kWhite);
  EXPECT_EQ(band.kind(), forms::Kind::Shape);
  EXPECT_EQ(band.back_color(), (forms::Color{0, 128, 128}));
  EXPECT_EQ(band.top(), 0);
  // The heading lies within the band.
  EXPECT_GE(heading.top(), band.top());
  EXPECT_LE(heading.top() + heading.height(), band.top() + band.height());
}

TEST_P(EveryPage, IsReachedThroughEachOfItsInterfaces) {
  const com::ClassEntry& entry = library_class(GetParam().page_class);
  const ComPtr<com::IUnknown> object = entry.create();
  for (const com::GUID& iid : {entry.default_iid, host::IMetaDataPage::IID,
                               forms::IUserControl::IID, com::IUnknown::IID}) {
    ComPtr<com::IUnknown> reached;
    ASSERT_EQ(object->QueryInterface(iid, reached.put_void()), com::S_OK) << com::to_string(iid);
    // Whatever interface it came through, the identity is the same object.
    EXPECT_EQ(reached.as<com::IUnknown>(), object);
  }
  void* none = &none;
  EXPECT_EQ(object->QueryInterface(host::ICustomPages::IID, &none), com::E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Library, EveryPage, ::testing::ValuesIn(kCreations),
                         [](const auto& info) { return std::string(info.param.page_class); });

TEST(ClassTable, NamesEveryClassOnceUnderTheLibrarysPrefix) {
  std::set<std::string> names, prog_ids;
  std::set<com::GUID> ids;
  for (const com::ClassEntry& entry : custom::kModule.classes) {
    EXPECT_EQ(entry.prog_id, "TidewiseCustomPage." + std::string(entry.name));
    EXPECT_TRUE(names.insert(std::string(entry.name)).second) << entry.name;
    EXPECT_TRUE(prog_ids.insert(std::string(entry.prog_id)).second) << entry.prog_id;
    EXPECT_TRUE(ids.insert(entry.clsid).second) << entry.name;
    EXPECT_TRUE(ids.insert(entry.default_iid).second) << entry.name;
    EXPECT_EQ(entry.default_interface_name, "_" + std::string(entry.name));
  }
  EXPECT_EQ(names.size(), std::size(kCreations) + 1);  // the pages and Connect
}

}  // namespace
}  // namespace tw::testing
