// The ISO 19139 stylesheets through the platform's XML services, as the
// exporter and importer run them: the safe loader reads the stylesheet's own
// tables through document(''), and node-set is there.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/files.h"
#include "tidewise/com/error.h"
#include "tidewise/host/document.h"
#include "tidewise/xml/xml.h"

namespace tw::host {
namespace {

using com::ComPtr;
using com::S_OK;
namespace fs = std::filesystem;

const fs::path kSource = TIDEWISE_SOURCE_DIR;
const fs::path kExport = kSource / "stylesheets" / "toTidewiseModel.xslt";
const fs::path kImport = kSource / "stylesheets" / "toVelmarModel.xslt";
const fs::path kItem = kSource / "examples" / "coastal-dataset.xml";
const fs::path kRecord = kSource / "examples" / "coastal-dataset-iso19139.xml";

std::string first(const Variant& values) {
  const auto* array = values.as_array();
  if (array == nullptr || array->elements.empty()) return "(none)";
  const auto* text = array->elements.front().as_string();
  return text ? *text : "(not text)";
}

TEST(StylesheetsTest, ExportThroughTheDocumentWritesTheExampleRecord) {
  test::TempHome folder;
  const ComPtr<XmlMetadataDocument> item = com::make_object<XmlMetadataDocument>();
  item->load_file(kItem);
  const fs::path destination = folder / "record.xml";
  ASSERT_EQ(item->TransformToFile(kExport.string(), "", com::VARIANT_FALSE, destination.string()),
            S_OK);
  EXPECT_EQ(test::read_file(destination), test::read_file(kRecord));
}

TEST(StylesheetsTest, ImportGivesADocumentThePagesRead) {
  const xml::StylesheetPtr sheet = xml::load_stylesheet(kImport);
  const xml::DocPtr record = xml::parse_file(kRecord);
  const ComPtr<XmlMetadataDocument> imported = com::make_object<XmlMetadataDocument>();
  ASSERT_EQ(imported->LoadXmlText(xml::transform(*sheet, *record)), S_OK);
  const ComPtr<XmlMetadataDocument> item = com::make_object<XmlMetadataDocument>();
  item->load_file(kItem);

  const struct {
    std::string path;
    std::string attribute;  // empty: the element's text
  } values[] = {
      {"dataIdInfo/idPurp", ""},
      {"dataIdInfo/idPoC/rpCntInfo/cntAddress/eMailAdd", ""},
      {"dataIdInfo/LegConsts/useConsts/RestrictCd", "value"},
      {"dqInfo/dqScope/scpLvl/ScopeCd", "value"},
      {"dqInfo/DQAbsExtPosAcc/measName", ""},
      {"MdCoRefSys/datum/identCode", ""},
      {"tideExt/tidTopic", ""},
  };
  for (const auto& value : values) {
    Variant expected, found;
    if (value.attribute.empty()) {
      ASSERT_EQ(item->ReadValues(value.path, &expected), S_OK);
      ASSERT_EQ(imported->ReadValues(value.path, &found), S_OK);
    } else {
      ASSERT_EQ(item->ReadAttribute(value.path, value.attribute, &expected), S_OK);
      ASSERT_EQ(imported->ReadAttribute(value.path, value.attribute, &found), S_OK);
    }
    EXPECT_NE(first(expected), "(none)") << value.path;
    EXPECT_EQ(first(found), first(expected)) << value.path;
  }
}

TEST(StylesheetsTest, ImportRefusesADocumentThatHoldsNoRecord) {
  const xml::StylesheetPtr sheet = xml::load_stylesheet(kImport);
  const xml::DocPtr item = xml::parse_file(kItem);
  try {
    static_cast<void>(xml::transform(*sheet, *item));
    FAIL() << "an item of the host was imported as a record";
  } catch (const com::Error& error) {
    EXPECT_EQ(error.code(), com::E_FAIL);
    EXPECT_NE(std::string(error.what()).find("not an ISO 19139 or ISO 19115-3 record"),
              std::string::npos)
        << error.what();
  }
}

}  // namespace
}  // namespace tw::host
