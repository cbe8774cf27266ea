// A failure at any document call ends the page member there, with the
// document's own status code, leaving what was written before it in place
// and releasing every reference the page took.

#include <gtest/gtest.h>

#include "support/pages.h"

namespace tw::testing {
namespace {

// Every page that reads or writes the document.
constexpr const char* kPages[] = {"Metadata",
                                  "Purpose",
                                  "Lineage",
                                  "Extent",
                                  "Format",
                                  "Status",
                                  "Contact",
                                  "Constraint",
                                  "SpatialRep",
                                  "VectorRepresentation",
                                  "QualityScope",
                                  "QualityExtent",
                                  "QualityElement",
                                  "QualityConformance",
                                  "QualityQuantitative",
                                  "ReferenceSys",
                                  "GeoDesc",
                                  "ProjectionDesc",
                                  "EllipsoidDesc",
                                  "DatumDesc",
                                  "GridRepresentation",
                                  "SchemaInfo",
                                  "TidewiseExt"};

// Loads the page from a document holding a value everywhere it looks, edits
// every box, and unloads it. Returns the failing member's status.
struct Outcome {
  HRESULT load = com::S_OK;
  HRESULT unload = com::S_OK;
};

Outcome drive(PageRun& run) {
  Outcome outcome;
  // The document holds an original value at every path; the edits replace it.
  for (const char* path : {"mdChar2", "dataIdInfo/idPurp", "dataIdInfo/idStatus"}) {
    run.document->values[path] = {Variant::str("original")};
  }
  // The bare element name selects the element on all three quality classes.
  outcome.load = run.load("DQTopConsis");
  if (com::failed(outcome.load)) return outcome;
  for (const auto& control : run.form().controls()) {
    if (control->has_text()) control->type("edited " + control->name());
  }
  com::VARIANT_BOOL result = 0;
  outcome.unload = run.unload(&result);
  return outcome;
}

class EveryDocumentPage : public ::testing::TestWithParam<const char*> {};

TEST_P(EveryDocumentPage, StopsAtAFailingCallWithItsCode) {
  std::vector<std::string> clean_calls;
  {
    PageRun clean(GetParam());
    const Outcome outcome = drive(clean);
    ASSERT_EQ(outcome.load, com::S_OK);
    ASSERT_EQ(outcome.unload, com::S_OK);
    clean_calls = clean.recorder->calls;
  }
  ASSERT_FALSE(clean_calls.empty());

  for (std::size_t n = 1; n <= clean_calls.size(); ++n) {
    const std::string& failing = clean_calls[n - 1];
    std::shared_ptr<Recorder> recorder;
    {
      PageRun run(GetParam());
      recorder = run.recorder;
      recorder->fail_at = static_cast<int>(n);
      const Outcome outcome = drive(run);
      EXPECT_EQ(com::failed(outcome.load) ? outcome.load : outcome.unload, kInjected) << failing;
      const std::string member = failing.substr(0, failing.find('('));
      EXPECT_EQ(last_error(), member + ": injected failure");
      EXPECT_EQ(recorder->calls,
                std::vector<std::string>(clean_calls.begin(), clean_calls.begin() + n))
          << "calls went on after the failure of " << failing;

      // Writes before the failing call took effect; the failing one did not.
      for (std::size_t i = 0; i < n; ++i) {
        const std::string& call = clean_calls[i];
        if (!call.starts_with("IMetadataValues.WriteValue(\"")) continue;
        const std::size_t path_end = call.find("\", \"");
        const std::string path = call.substr(28, path_end - 28);
        const std::string value = call.substr(path_end + 4, call.size() - path_end - 6);
        if (i + 1 < n) {
          EXPECT_EQ(run.document->text(path), value) << call;
        } else {
          EXPECT_NE(run.document->text(path), value) << "the failed write took effect";
        }
      }
    }
    EXPECT_EQ(recorder->live, 0) << "references left after the failure of " << failing;
  }
}

TEST_P(EveryDocumentPage, RefusesToWorkWithoutADocument) {
  PageRun run(GetParam());
  EXPECT_EQ(run.page->LoadPage(nullptr, nullptr, "DQTopConsis"), com::E_POINTER);
  EXPECT_NE(last_error().find("IMetaDataPage.LoadPage"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Pages, EveryDocumentPage, ::testing::ValuesIn(kPages),
                         [](const auto& info) { return std::string(info.param); });

TEST(CodePages, FailWhereTheDocumentHasNoXmlSide) {
  for (const char* page : {"Constraint", "SpatialRep", "Status", "Metadata"}) {
    auto recorder = std::make_shared<Recorder>();
    auto document = com::make_object<FakeDocument>(recorder, /*offers_xml=*/false);
    const auto view = create<host::IMetaDataPage>(page);
    HRESULT hr = view->LoadPage(document.get(), nullptr, "");
    if (com::succeeded(hr)) {
      com::VARIANT_BOOL result = 0;
      hr = view->UnloadPage(document.get(), nullptr, &result);
    }
    EXPECT_EQ(hr, com::E_NOINTERFACE) << page;
    EXPECT_NE(last_error().find("IMetadataXml"), std::string::npos) << page;
  }
}

}  // namespace
}  // namespace tw::testing
