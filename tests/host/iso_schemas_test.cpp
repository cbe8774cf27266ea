// The tool's own copy of the ISO schemas: loaded offline through its catalog,
// and what a record that breaks them is told.

#include <gtest/gtest.h>

#include "support/files.h"
#include "tidewise/com/error.h"
#include "tidewise/host/validation.h"
#include "tidewise/xml/xml.h"

namespace tw::host {
namespace {

namespace fs = std::filesystem;

// As the build lays it out beside bin/.
fs::path shipped() {
  return fs::path(TIDEWISE_BIN_DIR) / ".." / "share" / "tidewise" / "schemas";
}

const IsoSchemas& schemas() {
  static const IsoSchemas loaded(shipped());
  return loaded;
}

std::vector<Problem> validate(const std::string& record) {
  const xml::DocPtr doc = xml::parse_text(record);
  return schemas().validate(*doc);
}

TEST(IsoSchemas, TheExampleRecordValidates) {
  const std::string record =
      test::read_file(fs::path(TIDEWISE_SOURCE_DIR) / "examples" / "coastal-dataset-iso19139.xml");
  EXPECT_EQ(validate(record), std::vector<Problem>{});
}

TEST(IsoSchemas, TellWhereARecordBreaksThem) {
  const std::string start =
      "<gmd:MD_Metadata xmlns:gmd=\"http://www.isotc211.org/2005/gmd\" "
      "xmlns:gco=\"http://www.isotc211.org/2005/gco\">";
  const struct {
    std::string body;
    std::string path;
    std::optional<std::string> value;
    std::string message;
  } cases[] = {
      // The contact, the date stamp and the identification are missing.
      {"", "/gmd:MD_Metadata", std::nullopt, "Missing child element(s)"},
      {"<gmd:contact gco:nilReason=\"missing\"/><gmd:dateStamp><gco:Date>2024-02-30</gco:Date>"
       "</gmd:dateStamp>",
       "/gmd:MD_Metadata/gmd:dateStamp/gco:Date", "2024-02-30", "gco:Date"},
      {"<gmd:contact gco:nilReason=\"missing\"/><gmd:title/>", "/gmd:MD_Metadata/gmd:title",
       std::nullopt, "gmd:title"},
  };
  for (const auto& c : cases) {
    const auto found = validate(start + c.body + "</gmd:MD_Metadata>");
    ASSERT_FALSE(found.empty()) << c.body;
    EXPECT_EQ(found[0].kind, Problem::Kind::Schema);
    EXPECT_FALSE(found[0].page);
    EXPECT_EQ(found[0].path, c.path) << found[0].message;
    EXPECT_EQ(found[0].value, c.value) << found[0].message;
    EXPECT_NE(found[0].message.find(c.message), std::string::npos) << found[0].message;
    EXPECT_EQ(found[0].message.find("{http"), std::string::npos) << found[0].message;
  }
}

// A folder of schemas made for the test, in a folder removed afterwards.
class SchemaFolder : public ::testing::Test {
 protected:
  fs::path folder() const { return home_ / "schemas"; }
  void write(const std::string& name, const std::string& text) {
    fs::create_directories((folder() / name).parent_path());
    test::write_file(folder() / name, text);
  }
  test::TempHome home_;
};

TEST_F(SchemaFolder, NothingOutsideTheFolderIsRead) {
  EXPECT_THROW(IsoSchemas{folder()}, com::Error);  // no catalog, no root
  write("catalog.xml",
        "<catalog xmlns=\"urn:oasis:names:tc:entity:xmlns:xml:catalog\">"
        "<rewriteURI uriStartString=\"http://schemas.example.org/\" rewritePrefix=\"local/\"/>"
        "</catalog>");
  write("local/a.xsd",
        "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" targetNamespace=\"urn:a\">"
        "<xs:element name=\"a\"/></xs:schema>");
  const auto root = [&](const std::string& location) {
    write("tidewise.xsd",
          "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">"
          "<xs:import namespace=\"urn:a\" schemaLocation=\"" +
              location + "\"/></xs:schema>");
  };
  // Through the catalog, and a file of the folder itself.
  for (const std::string location : {"http://schemas.example.org/a.xsd", "local/a.xsd"}) {
    root(location);
    const IsoSchemas loaded(folder());
    const xml::DocPtr doc = xml::parse_text("<a xmlns=\"urn:a\"/>");
    EXPECT_TRUE(loaded.validate(*doc).empty()) << location;
  }
  // Not in the catalog, and outside the folder: refused, naming it.
  write("../outside.xsd", test::read_file(folder() / "local/a.xsd"));
  for (const std::string location :
       {"http://other.example.org/a.xsd", "../outside.xsd", "file:///etc/passwd"}) {
    root(location);
    try {
      const IsoSchemas loaded(folder());
      ADD_FAILURE() << location << " was read";
    } catch (const com::Error& e) {
      EXPECT_NE(std::string(e.what()).find("is not among the schemas in the folder"),
                std::string::npos)
          << e.what();
    }
  }
}

}  // namespace
}  // namespace tw::host
