// The records a file to import holds, as both fronts learn them: how many, each
// one as a document of its own, and a safe item name for each.

#include "tidewise/host/records.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/files.h"
#include "tidewise/com/error.h"
#include "tidewise/host/differences.h"
#include "tidewise/host/document.h"
#include "tidewise/xml/xml.h"

namespace tw::host {
namespace {

namespace fs = std::filesystem;

const std::string kNs =
    " xmlns:gmd=\"http://www.isotc211.org/2005/gmd\" "
    "xmlns:gco=\"http://www.isotc211.org/2005/gco\"";

std::string record(const std::string& id, const std::string& inside = "") {
  return "<gmd:MD_Metadata><gmd:fileIdentifier><gco:CharacterString>" + id +
         "</gco:CharacterString></gmd:fileIdentifier>" + inside + "</gmd:MD_Metadata>";
}

TEST(RecordFileTest, CountsTheRecordsTheImporterWouldTake) {
  const struct {
    std::string name, text;
    std::size_t count;
    bool wrapped;
  } cases[] = {
      {"a record", "<gmd:MD_Metadata" + kNs + "/>", 1, false},
      {"ISO 19115-2's record", "<gmi:MI_Metadata xmlns:gmi=\"http://www.isotc211.org/2005/gmi\"/>",
       1, false},
      {"a profile's root",
       "<che:CHE_MD_Metadata xmlns:che=\"http://www.geocat.ch/2008/che\"" + kNs +
           " gco:isoType=\"gmd:MD_Metadata\"/>",
       1, false},
      {"a response of two",
       "<csw:GetRecordsResponse xmlns:csw=\"http://www.opengis.net/cat/csw/2.0.2\"" + kNs +
           "><csw:SearchResults>" + record("a") + record("b") +
           "</csw:SearchResults></csw:GetRecordsResponse>",
       2, true},
      {"a response of one whose record holds a series member",
       "<csw:GetRecordByIdResponse xmlns:csw=\"http://www.opengis.net/cat/csw/2.0.2\"" + kNs + ">" +
           record("a", "<gmd:series><gmd:DS_Series><gmd:seriesMetadata>" + record("inner") +
                           "</gmd:seriesMetadata></gmd:DS_Series></gmd:series>") +
           "</csw:GetRecordByIdResponse>",
       1, true},
      {"no record at all", "<metadata><idPurp>x</idPurp></metadata>", 0, false},
      {"ISO 19115-3",
       "<mdb:MD_Metadata xmlns:mdb=\"http://standards.iso.org/iso/19115/-3/mdb/2.0\"/>", 1, false},
      {"ISO 19115-2's record in ISO 19115-3",
       "<mac:MI_Metadata xmlns:mac=\"http://standards.iso.org/iso/19115/-3/mac/2.0\"/>", 1, false},
      {"a response of ISO 19115-3 records of both versions and one of ISO 19139",
       "<csw:GetRecordsResponse xmlns:csw=\"http://www.opengis.net/cat/csw/3.0\"" + kNs +
           "><mdb:MD_Metadata xmlns:mdb=\"http://standards.iso.org/iso/19115/-3/mdb/1.0\"/>"
           "<x:MD_Metadata xmlns:x=\"http://standards.iso.org/iso/19115/-3/mdb/2.0\"/>" +
           record("c") + "</csw:GetRecordsResponse>",
       3, true},
      {"a namespace that only looks like ISO 19115-3's",
       "<mdb:MD_Metadata xmlns:mdb=\"http://standards.iso.org/iso/19115/-3/mdbx/2.0\"/>", 0, false},
  };
  test::TempHome folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = folder / "source.xml";
    test::write_file(file, c.text);
    const RecordFile records(file);
    EXPECT_EQ(records.count(), c.count);
    EXPECT_EQ(records.wrapped(), c.wrapped);
  }
}

TEST(RecordFileTest, ARecordOfAResponseStandsAloneWithItsNamespaces) {
  test::TempHome folder;
  const fs::path file = folder / "response.xml";
  // The namespaces are declared on the wrapper only.
  test::write_file(file, "<r:Response xmlns:r=\"urn:x\"" + kNs + "><r:hit>" + record("  first ") +
                             "</r:hit><r:hit>" + record("second") + "</r:hit></r:Response>");
  const RecordFile records(file);
  ASSERT_EQ(records.count(), 2u);
  EXPECT_EQ(records.file_identifier(1), "first");
  EXPECT_EQ(records.file_identifier(2), "second");

  const xml::DocPtr second = xml::parse_text(records.record(2));
  const xmlNode* root = xmlDocGetRootElement(second.get());
  ASSERT_NE(root->ns, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(root->ns->href), "http://www.isotc211.org/2005/gmd");
  EXPECT_NE(records.record(2).find("second"), std::string::npos);
  EXPECT_EQ(records.record(2).find("first"), std::string::npos);

  for (const std::size_t n : {std::size_t{0}, std::size_t{3}}) {
    try {
      (void)records.record(n);
      ADD_FAILURE() << "record " << n << " was given";
    } catch (const com::Error& e) {
      EXPECT_EQ(e.code(), com::E_INVALIDARG);
      EXPECT_NE(std::string(e.what()).find("holds 2 records"), std::string::npos) << e.what();
    }
  }
}

TEST(RecordFileTest, AnIso19115_3RecordIsNamedByItsMetadataIdentifier) {
  test::TempHome folder;
  const fs::path file = folder / "response.xml";
  const std::string ns3 =
      " xmlns:mdb=\"http://standards.iso.org/iso/19115/-3/mdb/2.0\""
      " xmlns:mcc=\"http://standards.iso.org/iso/19115/-3/mcc/1.0\""
      " xmlns:gco=\"http://standards.iso.org/iso/19115/-3/gco/1.0\"";
  test::write_file(file, "<r:Response xmlns:r=\"urn:x\"" + ns3 +
                             "><mdb:MD_Metadata><mdb:metadataIdentifier><mcc:MD_Identifier>"
                             "<mcc:code><gco:CharacterString> tide-3 </gco:CharacterString>"
                             "</mcc:code><mcc:codeSpace><gco:CharacterString>urn:uuid"
                             "</gco:CharacterString></mcc:codeSpace></mcc:MD_Identifier>"
                             "</mdb:metadataIdentifier></mdb:MD_Metadata>"
                             "<mdb:MD_Metadata/></r:Response>");
  const RecordFile records(file);
  ASSERT_EQ(records.count(), 2u);
  EXPECT_EQ(records.file_identifier(1), "tide-3");
  EXPECT_EQ(records.file_identifier(2), "");
  const xml::DocPtr first = xml::parse_text(records.record(1));
  EXPECT_STREQ(reinterpret_cast<const char*>(xmlDocGetRootElement(first.get())->ns->href),
               "http://standards.iso.org/iso/19115/-3/mdb/2.0");
}

TEST(RecordFileTest, ARecordFileIsReadWholeOnlyWhenARecordIsAskedFor) {
  test::TempHome folder;
  const fs::path file = folder / "record.xml";
  // Broken after the root's start tag: counting does not read that far.
  test::write_file(file, "<gmd:MD_Metadata" + kNs + "><gmd:fileIdentifier>");
  const RecordFile records(file);
  EXPECT_EQ(records.count(), 1u);
  EXPECT_THROW((void)records.record(1), com::Error);
}

TEST(ItemFileNameTest, NamesStayInTheFolderAndDoNotCollide) {
  const struct {
    std::string identifier;
    std::size_t n;
    std::string expected;
  } cases[] = {
      {"tide-gauge-01", 1, "tide-gauge-01.xml"},
      {"a/b c:d", 2, "a_b_c_d.xml"},
      {"../../etc/passwd", 3, "record-3.xml"},
      {".hidden", 4, "record-4.xml"},
      {"", 5, "record-5.xml"},
      {"///", 6, "record-6.xml"},
      {"Küste", 7, "K__ste.xml"},
      {"tide-gauge-01", 8, "record-8.xml"},  // taken by the first
      {std::string(300, 'x'), 9, std::string(120, 'x') + ".xml"},
  };
  std::set<std::string> taken;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.identifier);
    EXPECT_EQ(item_file_name(c.identifier, c.n, taken), c.expected);
  }
  EXPECT_EQ(taken.size(), std::size(cases));
  // A record-N name that an identifier took already.
  std::set<std::string> clash{"record-2.xml"};
  EXPECT_EQ(item_file_name("", 2, clash), "record-2-2.xml");
}

// What an import that fills takes of the record: only values the item has
// not got or holds empty; what the author wrote is never replaced.
TEST(FillMissingTest, AddsWhatIsMissingOrEmptyAndKeepsTheRest) {
  const struct {
    const char* what;
    std::string into;
    std::string from;
    std::string filled;
  } cases[] = {
      {"a value it lacks", "<metadata><a>mine</a></metadata>",
       "<metadata><a>theirs</a><b>new</b></metadata>",
       "<metadata><a>mine</a><b>new</b></metadata>"},
      {"an empty value", "<metadata><a/></metadata>", "<metadata><a>theirs</a></metadata>",
       "<metadata><a>theirs</a></metadata>"},
      {"an attribute", "<metadata><a>mine</a></metadata>",
       "<metadata><a c=\"1\">theirs</a></metadata>", "<metadata><a c=\"1\">mine</a></metadata>"},
      {"a second of a repeated element", "<metadata><k>x</k></metadata>",
       "<metadata><k>y</k><k>z</k></metadata>", "<metadata><k>x</k><k>z</k></metadata>"},
      {"what only it has", "<metadata><a>mine</a></metadata>", "<metadata/>",
       "<metadata><a>mine</a></metadata>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    XmlMetadataDocument into, from;
    into.load_text(c.into);
    from.load_text(c.from);
    const std::uint64_t before = into.revision();
    fill_missing(into, from);
    EXPECT_EQ(differences(c.filled, into.xml()), std::vector<Difference>{});
    EXPECT_EQ(into.revision() != before, c.into != c.filled);
  }
}

// A new item never replaces a file that is there, and leaves nothing beside
// it when it cannot be made.
TEST(CreateItemFileTest, WritesANewFileWholeAndNeverOverAnother) {
  test::TempHome home;
  XmlMetadataDocument document;
  document.load_text("<metadata><a>new</a></metadata>");
  const struct {
    const char* what;
    const char* there;  // nullptr: no file
    bool exists;
  } cases[] = {{"a new name", nullptr, false}, {"a name taken", "<metadata/>", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path folder = home / c.what;
    fs::create_directory(folder);
    const fs::path file = folder / "item.xml";
    if (c.there) test::write_file(file, c.there);
    if (c.exists) {
      try {
        create_item_file(file, document);
        ADD_FAILURE() << "created over a file";
      } catch (const ItemNotCreated& e) {
        EXPECT_TRUE(e.exists());
      }
      EXPECT_EQ(test::read_file(file), c.there);
    } else {
      create_item_file(file, document);
      EXPECT_EQ(differences(document.xml(), test::read_file(file)), std::vector<Difference>{});
    }
    EXPECT_EQ(test::names_in(folder), std::vector<std::string>{"item.xml"});
  }
}

}  // namespace
}  // namespace tw::host
