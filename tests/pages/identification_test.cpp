#include <gtest/gtest.h>

#include "identification/code_list_pages.h"
#include "pages/calls.h"
#include "support/pages.h"

namespace tw::testing {
namespace {

using namespace calls;
using Calls = std::vector<std::string>;

std::vector<std::string> texts(PageRun& run, std::initializer_list<const char*> controls) {
  std::vector<std::string> result;
  for (const char* name : controls) result.push_back(run.control(name).text());
  return result;
}

// ---- Metadata

TEST(MetadataPage, ReadsInItsOrderAndWritesTheParentBeforeTheLevel) {
  PageRun run("Metadata");
  const std::pair<const char*, const char*> stored[] = {
      {"mdChar2", "utf8"},       {"mdHrLv2", "dataset"},       {"mdParentID", "parent-42"},
      {"mdHrLvName", "Survey"},  {"mdStanName2", "ISO 19115"}, {"mdStanVer2", "2003"},
      {"mdDateSt", "2026-03-01"}};
  for (const auto& [path, text] : stored) run.document->values[path] = {Variant::str(text)};

  ASSERT_EQ(run.load(), com::S_OK);
  EXPECT_EQ(run.take_calls(),
            (Calls{read("mdChar2"), read("mdHrLv2"), read("mdParentID"), read("mdHrLvName"),
                   read("mdStanName2"), read("mdStanVer2"), read("mdDateSt")}));
  EXPECT_EQ(texts(run, {"cmbChar", "cmbLevel", "txtParent", "txtLvlName", "txtMetaName",
                        "txtMetaVersion", "txtDate"}),
            (std::vector<std::string>{"utf8", "dataset", "parent-42", "Survey", "ISO 19115", "2003",
                                      "2026-03-01"}));
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.take_calls(),
            (Calls{kUpdateFlag, write("mdChar2", "utf8"), write("mdParentID", "parent-42"),
                   write("mdHrLv2", "dataset"), write("mdHrLvName", "Survey"),
                   write("mdStanName2", "ISO 19115"), write("mdStanVer2", "2003"),
                   write("mdDateSt", "2026-03-01")}));
}

TEST(MetadataPage, AnEmptyDocumentShowsEmptyBoxesNotTheDesignText) {
  PageRun run("Metadata");
  EXPECT_EQ(run.control("cmbChar").text(), "ucs 2");
  ASSERT_EQ(run.load(), com::S_OK);
  EXPECT_EQ(run.control("cmbChar").text(), "");
  run.take_calls();
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  const Calls written = run.take_calls();
  ASSERT_EQ(written.size(), 8u);
  EXPECT_EQ(written[1], write("mdChar2", ""));
}

TEST(MetadataPage, StoresTypedTextVerbatimAndIntegersAsText) {
  PageRun run("Metadata");
  run.document->values["mdStanVer2"] = {Variant::i2(2)};
  ASSERT_EQ(run.load(), com::S_OK);
  EXPECT_EQ(run.control("txtMetaVersion").text(), "2");
  run.control("cmbChar").type("utf-8");
  run.control("cmbLevel").pick("tile");
  run.control("txtDate").type("March 2026");
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.document->text("mdChar2"), "utf-8");
  EXPECT_EQ(run.document->text("mdHrLv2"), "tile");
  EXPECT_EQ(run.document->text("mdDateSt"), "March 2026");
}

TEST(MetadataPage, ListsItsItemsInOrder) {
  PageRun run("Metadata");
  const auto& characters = run.control("cmbChar").items();
  ASSERT_EQ(characters.size(), 24u);
  EXPECT_EQ(characters.front(), "ucs2");
  EXPECT_EQ(characters[14], "8859part11");
  EXPECT_EQ(characters.back(), "big5");
  const auto& levels = run.control("cmbLevel").items();
  ASSERT_EQ(levels.size(), 16u);
  EXPECT_EQ(levels[6], "nonGeographicDataset");
  EXPECT_EQ(levels.back(), "tile");
}

// ---- Status

TEST(StatusPage, ADocumentWithoutAStatusShowsAnEmptyBoxAndWritesItTagged) {
  PageRun run("Status");
  EXPECT_EQ(run.control("cmbStatus").text(), "completed");
  ASSERT_EQ(run.load(), com::S_OK);
  EXPECT_EQ(run.take_calls(), Calls{read("dataIdInfo/idStatus")});
  EXPECT_EQ(run.control("cmbStatus").text(), "");
  EXPECT_TRUE(run.completed());
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.take_calls(),
            (Calls{write("dataIdInfo/idStatus", ""), tag("dataIdInfo/idStatus")}));
}

TEST(StatusPage, KeepsAValueOutsideTheListAndStoresAPickedItem) {
  PageRun run("Status");
  run.document->values["dataIdInfo/idStatus"] = {Variant::str("OnGoing")};
  ASSERT_EQ(run.load(), com::S_OK);
  EXPECT_EQ(run.control("cmbStatus").text(), "OnGoing");
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.document->text("dataIdInfo/idStatus"), "OnGoing");
  run.control("cmbStatus").pick("underDevelopment");
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.document->text("dataIdInfo/idStatus"), "underDevelopment");
}

TEST(StatusPage, NeverLoadedWritesNothing) {
  PageRun run("Status");
  EXPECT_EQ(run.leave(), com::VARIANT_FALSE);
  EXPECT_TRUE(run.take_calls().empty());
}

// ---- Contact

constexpr std::pair<const char*, const char*> kContactRows[] = {
    {"txtName", "dataIdInfo/idPoC/rpIndName"},
    {"txtOrg", "dataIdInfo/idPoC/rpOrgName"},
    {"txtPos", "dataIdInfo/idPoC/rpPosName"},
    {"cmbRole", "dataIdInfo/idPoC/role"},
    {"txtDel", "dataIdInfo/idPoC/rpCntInfo/cntAddress/delPoint"},
    {"txtCity", "dataIdInfo/idPoC/rpCntInfo/cntAddress/city"},
    {"txtAdmin", "dataIdInfo/idPoC/rpCntInfo/cntAddress/adminArea"},
    {"txtPostal", "dataIdInfo/idPoC/rpCntInfo/cntAddress/postCode"},
    {"txtCountry", "dataIdInfo/idPoC/rpCntInfo/cntAddress/country"},
    {"txtEmail", "dataIdInfo/idPoC/rpCntInfo/cntAddress/eMailAdd"},
    {"txtTel", "dataIdInfo/idPoC/rpCntInfo/cntPhone/voiceNum"},
    {"txtFax", "dataIdInfo/idPoC/rpCntInfo/cntPhone/faxNum"},
};

TEST(ContactPage, ReadsAndWritesTwelveValuesInRowOrderEvenUnedited) {
  PageRun run("Contact");
  for (const auto& [control, path] : kContactRows) {
    run.document->values[path] = {Variant::str(std::string("value of ") + control)};
  }
  run.document->values["dataIdInfo/idPoC/role"] = {Variant::str("007")};
  ASSERT_EQ(run.load(), com::S_OK);
  Calls reads, writes;
  for (const auto& [control, path] : kContactRows) {
    reads.push_back(read(path));
    writes.push_back(write(path, run.control(control).text()));
  }
  EXPECT_EQ(run.take_calls(), reads);
  EXPECT_EQ(run.control("cmbRole").text(), "007");
  EXPECT_EQ(run.control("txtEmail").text(), "value of txtEmail");
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.take_calls(), writes);
}

TEST(ContactPage, StoresATypedRoleExactly) {
  PageRun run("Contact");
  EXPECT_EQ(run.control("cmbRole").text(), "");
  ASSERT_EQ(run.load(), com::S_OK);
  run.control("cmbRole").type("harbour master");
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.document->text("dataIdInfo/idPoC/role"), "harbour master");
  EXPECT_EQ(run.document->text("dataIdInfo/idPoC/rpIndName"), "");
}

TEST(ContactPage, PutsTheRoleBoxLastInTabOrder) {
  PageRun run("Contact");
  std::vector<std::pair<int, std::string>> order;
  for (const auto& control : run.form().controls()) {
    if (control->tab_index()) order.emplace_back(*control->tab_index(), control->name());
  }
  std::sort(order.begin(), order.end());
  std::vector<std::string> names;
  names.reserve(order.size());
  for (const auto& [index, name] : order) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"txtName", "txtOrg", "txtPos", "txtDel", "txtCity",
                                             "txtAdmin", "txtPostal", "txtCountry", "txtTel",
                                             "txtFax", "txtEmail", "cmbRole"}));
  EXPECT_EQ(run.control("txtFax").container(), "frmAddress");
  EXPECT_EQ(run.control("lblFax").caption(), "Faxsimile");
}

// ---- Constraint and SpatialRep: codes stored, labels shown

const std::string kAccess = "dataIdInfo/LegConsts/accessConsts/RestrictCd";
const std::string kUse = "dataIdInfo/LegConsts/useConsts/RestrictCd";
const std::string kLimit = "dataIdInfo/LegConsts/useLimit";
const std::string kSpatial = "dataIdInfo/spatRpType/spatRepTypCd";

TEST(ConstraintPage, ReadsTheTextThenBothCodesAndWritesAllThree) {
  PageRun run("Constraint");
  run.document->values[kLimit] = {Variant::str("Not for navigation")};
  run.document->attributes[{kAccess, "value"}] = Variant::str("008");
  run.document->attributes[{kUse, "value"}] = Variant::str("005");
  ASSERT_EQ(run.load(), com::S_OK);
  EXPECT_EQ(run.take_calls(), (Calls{read(kLimit), read_code(kAccess), read_code(kUse)}));
  EXPECT_EQ(texts(run, {"txtLimitation", "cmbAccess", "cmbUse"}),
            (std::vector<std::string>{"Not for navigation", "otherRestrictions", "license"}));
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.take_calls(), (Calls{write(kLimit, "Not for navigation"),
                                     write_code(kAccess, "008"), write_code(kUse, "005")}));
}

TEST(ConstraintPage, AnEmptyDocumentShowsCopyrightAndStoresTheFirstCode) {
  PageRun run("Constraint");
  ASSERT_EQ(run.load(), com::S_OK);
  EXPECT_EQ(texts(run, {"txtLimitation", "cmbAccess", "cmbUse"}),
            (std::vector<std::string>{"", "copyright", "copyright"}));
  run.take_calls();
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.take_calls(),
            (Calls{write(kLimit, ""), write_code(kAccess, "001"), write_code(kUse, "001")}));
}

struct CodeCase {
  const char* page;
  const char* control;
  std::string path;
  const char* stored;  // the code in the document, or the label typed or picked
  const char* shown;
  const char* written;
  bool picked = false;
};

class CodeListPages : public ::testing::TestWithParam<CodeCase> {};

TEST_P(CodeListPages, TranslateBothWays) {
  const CodeCase& c = GetParam();
  PageRun run(c.page);
  if (c.shown != nullptr) run.document->attributes[{c.path, "value"}] = Variant::str(c.stored);
  ASSERT_EQ(run.load(), com::S_OK);
  if (c.shown != nullptr) {
    EXPECT_EQ(run.control(c.control).text(), c.shown);
  } else if (c.picked) {
    run.control(c.control).pick(c.stored);
  } else {
    run.control(c.control).type(c.stored);
  }
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.document->attribute(c.path, "value"), c.written);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CodeListPages,
    ::testing::Values(
        CodeCase{"Constraint", "cmbAccess", kAccess, "008", "otherRestrictions", "008"},
        CodeCase{"Constraint", "cmbUse", kUse, "003", "patentPending", "003"},
        CodeCase{"Constraint", "cmbAccess", kAccess, "009", "copyright", "001"},
        CodeCase{"Constraint", "cmbAccess", kAccess, "8", "copyright", "001"},
        CodeCase{"Constraint", "cmbUse", kUse, "", "copyright", "001"},
        CodeCase{"Constraint", "cmbAccess", kAccess, "otherRestrictions", nullptr, "008", true},
        CodeCase{"Constraint", "cmbAccess", kAccess, "License", nullptr, "001"},
        CodeCase{"Constraint", "cmbUse", kUse, " license ", nullptr, "001"},
        CodeCase{"Constraint", "cmbUse", kUse, "restricted", nullptr, "007"},
        CodeCase{"SpatialRep", "cmbSpatial", kSpatial, "004", "tin", "004"},
        CodeCase{"SpatialRep", "cmbSpatial", kSpatial, "006", "video", "006"},
        CodeCase{"SpatialRep", "cmbSpatial", kSpatial, "007", "vector", "001"},
        CodeCase{"SpatialRep", "cmbSpatial", kSpatial, "", "vector", "001"},
        CodeCase{"SpatialRep", "cmbSpatial", kSpatial, "tin", nullptr, "004", true},
        CodeCase{"SpatialRep", "cmbSpatial", kSpatial, "Grid", nullptr, "001"},
        CodeCase{"SpatialRep", "cmbSpatial", kSpatial, "stereoModel", nullptr, "005"}));

TEST(CodeListPages, OfferTheirTranslationOnTheClassInterface) {
  const auto constraint = create<custom::_Constraint>("Constraint");
  const auto spatial = create<custom::_SpatialRep>("SpatialRep");
  const std::pair<const char*, const char*> restrictions[] = {
      {"001", "copyright"},     {"002", "patent"},
      {"003", "patentPending"}, {"004", "trademark"},
      {"005", "license"},       {"006", "intellectualPropertyRights"},
      {"007", "restricted"},    {"008", "otherRestrictions"},
      {"", "copyright"},        {"1", "copyright"},
      {"009", "copyright"}};
  for (const auto& [code, label] : restrictions) {
    std::string shown;
    ASSERT_EQ(constraint->RestrictionToLabel(code, &shown), com::S_OK);
    EXPECT_EQ(shown, label) << code;
  }
  const std::pair<const char*, const char*> types[] = {
      {"001", "vector"},      {"002", "grid"},  {"003", "textTable"}, {"004", "tin"},
      {"005", "stereoModel"}, {"006", "video"}, {"000", "vector"},    {"VIDEO", "vector"}};
  for (const auto& [code, label] : types) {
    std::string shown;
    ASSERT_EQ(spatial->SpatialToLabel(code, &shown), com::S_OK);
    EXPECT_EQ(shown, label) << code;
  }
  EXPECT_EQ(spatial->SpatialToLabel("001", nullptr), com::E_POINTER);
}

TEST(SpatialRepPage, ReadsAndWritesOnlyTheCode) {
  PageRun run("SpatialRep");
  ASSERT_EQ(run.load(), com::S_OK);
  EXPECT_EQ(run.take_calls(), Calls{read_code(kSpatial)});
  run.control("cmbSpatial").pick("grid");
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.take_calls(), Calls{write_code(kSpatial, "002")});
  EXPECT_TRUE(run.tree->books.empty()) << "the page touched the tree";
}

// ---- Vector representation

TEST(VectorRepresentationPage, SetsTheFlagThenWritesAllThreeAndAnswersTrue) {
  PageRun run("VectorRepresentation");
  run.document->values["VectSpatRep/topLvl"] = {Variant::str("planarGraph")};
  run.document->values["VectSpatRep/geometObjs/geoObjTyp"] = {Variant::str("Curves")};
  run.document->values["VectSpatRep/geometObjs/geoObjCnt"] = {Variant::str("many")};
  ASSERT_EQ(run.load(), com::S_OK);
  EXPECT_EQ(run.take_calls(),
            (Calls{read("VectSpatRep/topLvl"), read("VectSpatRep/geometObjs/geoObjTyp"),
                   read("VectSpatRep/geometObjs/geoObjCnt")}));
  EXPECT_EQ(texts(run, {"cmbLevel", "txtName", "txtNumber"}),
            (std::vector<std::string>{"planarGraph", "Curves", "many"}));
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_EQ(run.take_calls(), (Calls{kUpdateFlag, write("VectSpatRep/topLvl", "planarGraph"),
                                     write("VectSpatRep/geometObjs/geoObjTyp", "Curves"),
                                     write("VectSpatRep/geometObjs/geoObjCnt", "many")}));
}

TEST(VectorRepresentationPage, AnswersTrueEvenWhenNeverLoaded) {
  PageRun run("VectorRepresentation");
  EXPECT_EQ(run.leave(), com::VARIANT_TRUE);
  EXPECT_TRUE(run.take_calls().empty());
}

TEST(VectorRepresentationPage, TakesFocusInItsOwnOrder) {
  PageRun run("VectorRepresentation");
  EXPECT_EQ(run.control("cmbLevel").tab_index(), 0);
  EXPECT_EQ(run.control("txtNumber").tab_index(), 1);
  EXPECT_EQ(run.control("txtName").tab_index(), 2);
  EXPECT_EQ(run.control("txtName").kind(), forms::Kind::ComboBox);
  EXPECT_EQ(run.control("txtName").container(), "frmDesc");
}

}  // namespace
}  // namespace tw::testing
