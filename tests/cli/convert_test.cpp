// tidewise import and export: round trips through the test stylesheets, the
// message when no stylesheet folder is named, hostile files and stylesheets
// that must lose nothing, and whole folders.

#include <libxml/xmlschemas.h>
#include <pty.h>

#include "cli/cli_fixture.h"

namespace tw::cli {
namespace {

const fs::path kData = fs::path(TIDEWISE_SOURCE_DIR) / "tests/data/convert";
const std::string kMessage =
    "You must set the TIDEWISE_STYLESHEETS variable in your environment to reference Tidewise "
    "stylesheets";
const std::string kSheetStart =
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" "
    "xmlns:exsl=\"http://exslt.org/common\" extension-element-prefixes=\"exsl\">";
const std::string kSheetEnd = "</xsl:stylesheet>";

// Whether the file is valid against the schema; why not, when it is not.
std::string schema_errors(const fs::path& file, const fs::path& schema) {
  std::string errors;
  xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(schema.c_str());
  xmlSchemaPtr compiled = xmlSchemaParse(parser);
  xmlSchemaFreeParserCtxt(parser);
  if (compiled == nullptr) return "the schema cannot be read";
  xmlSchemaValidCtxtPtr validator = xmlSchemaNewValidCtxt(compiled);
  xmlSchemaSetValidStructuredErrors(
      validator,
      [](void* out, xmlErrorPtr error) { *static_cast<std::string*>(out) += error->message; },
      &errors);
  const int result = xmlSchemaValidateFile(validator, file.c_str(), 0);
  xmlSchemaFreeValidCtxt(validator);
  xmlSchemaFree(compiled);
  return result == 0 ? "" : errors.empty() ? "invalid" : errors;
}

// Every file below a folder with its content, to see that nothing changed.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    files[fs::relative(entry.path(), folder).string()] =
        entry.is_regular_file() ? test::read_file(entry.path()) : "<folder>";
  }
  return files;
}

class ConvertCli : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    sheets_ = home_.path() / "sheets";
    fs::create_directory(sheets_);
    for (const char* name : {"toVelmarModel.xslt", "toTidewiseModel.xslt"}) {
      fs::copy_file(kData / name, sheets_ / name);
    }
    env_["TIDEWISE_STYLESHEETS"] = sheets_.string();
    // Registered once here, so that later runs leave TIDEWISE_HOME as it is.
    ASSERT_EQ(run({"register"}).status, 0);
  }

  fs::path file(const std::string& name, std::string_view content) const {
    fs::path path = home_.path() / name;
    fs::create_directories(path.parent_path());
    test::write_file(path, content);
    return path;
  }

  std::string page_text(const fs::path& item, const std::string& page, const std::string& box) {
    const json shown = run_json({"show", item.string(), page, "--json"});
    return shown.is_null() ? "" : control(shown, box).value("text", "");
  }

  fs::path sheets_;
};

TEST_F(ConvertCli, ARecordImportedAndExportedAgainKeepsItsValuesAndSchema) {
  const fs::path item = home_.path() / "estuary.xml";
  const Outcome imported = run({"import", (kData / "record.xml").string(), item.string()});
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.err, "");
  EXPECT_EQ(page_text(item, "Purpose", "txtInfo"),
            "Calibrate the estuary sediment transport model.");

  const fs::path exported = home_.path() / "out" / "estuary-export.xml";
  fs::create_directory(exported.parent_path());
  const Outcome out = run({"export", item.string(), exported.string()});
  ASSERT_EQ(out.status, 0) << out.err;
  EXPECT_EQ(schema_errors(exported, kData / "record.xsd"), "");

  // Catalogue software reads what was exported as the record it came from.
  const Outcome read = run_program(
      "/usr/bin/python3",
      {(fs::path(TIDEWISE_SOURCE_DIR) / "tests/cli/owslib_read.py").string(), exported.string()});
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(json::parse(read.out), json::parse(R"({"identifier": "tw-estuary-sediment-2024-0031",
                            "datestamp": "2024-03-18",
                            "title": "Suspended sediment in the Kestrel estuary, winter 2023–24",
                            "abstract": "Turbidity and suspended sediment concentration from three moored sondes at 10-minute intervals.",
                            "purpose": "Calibrate the estuary sediment transport model.",
                            "keywords": ["estuary", "turbidity", "sediment & silt"]})"));
}

// The project's own stylesheets, on the example record: what catalogue
// software reads of the export is what it read of the record imported.
TEST_F(ConvertCli, TheProjectsStylesheetsRoundTripTheExampleRecord) {
  const fs::path sheets = fs::path(TIDEWISE_SOURCE_DIR) / "stylesheets";
  const fs::path record = fs::path(TIDEWISE_SOURCE_DIR) / "examples/coastal-dataset-iso19139.xml";
  if (!fs::exists(sheets / "toVelmarModel.xslt") || !fs::exists(record)) {
    GTEST_SKIP() << "the project's stylesheets or the example record are not in this tree";
  }
  env_["TIDEWISE_STYLESHEETS"] = sheets.string();
  const fs::path item = home_.path() / "coastal-imported.xml";
  const fs::path exported = home_.path() / "coastal-exported.xml";
  const Outcome imported = run({"import", record.string(), item.string()});
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(page_text(item, "Purpose", "txtInfo"),
            "Monitor cliff-top retreat and beach lowering to support the shoreline management "
            "plan review.");
  const Outcome out = run({"export", item.string(), exported.string()});
  ASSERT_EQ(out.status, 0) << out.err;

  const std::string reader = (fs::path(TIDEWISE_SOURCE_DIR) / "tests/cli/owslib_read.py").string();
  const Outcome before = run_program("/usr/bin/python3", {reader, record.string()});
  const Outcome after = run_program("/usr/bin/python3", {reader, exported.string()});
  ASSERT_EQ(before.status, 0) << before.err;
  ASSERT_EQ(after.status, 0) << after.err;
  EXPECT_EQ(json::parse(after.out), json::parse(before.out));
  EXPECT_EQ(json::parse(after.out).at("identifier"), "tw-coast-erosion-2023-0417");
}

// The standard an export writes is the one asked for, one file or a folder;
// a stylesheet of one's own that knows only ISO 19139 is told, not believed.
TEST_F(ConvertCli, TheFormatChoosesTheStandardAndAStylesheetThatIgnoresItIsTold) {
  const fs::path sheets = fs::path(TIDEWISE_SOURCE_DIR) / "stylesheets";
  if (!fs::exists(sheets / "iso19115-3.xsl"))
    GTEST_SKIP() << "the project's stylesheets are not here";
  env_["TIDEWISE_STYLESHEETS"] = sheets.string();
  const fs::path items = home_.path() / "items";
  fs::create_directory(items);
  fs::copy_file(fs::path(TIDEWISE_SOURCE_DIR) / "examples/coastal-dataset.xml", items / "a.xml");
  const auto root = [](const fs::path& file) {
    const std::string text = test::read_file(file);
    const auto start = text.find('<', text.find("?>"));
    return text.substr(start, text.find_first_of(" >", start) - start);
  };
  const struct {
    std::vector<std::string> format;
    std::string root;
  } cases[] = {{{}, "<gmd:MD_Metadata"},
               {{"--format", "iso19139"}, "<gmd:MD_Metadata"},
               // The example's reference system is ours: the extension's root.
               {{"--format", "iso19115-3"}, "<tw3:MD_Metadata"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format.empty() ? "no format" : c.format[1]);
    const fs::path out = home_.path() / "out.xml";
    std::vector<std::string> args = {"export", (items / "a.xml").string(), out.string()};
    args.insert(args.end(), c.format.begin(), c.format.end());
    const Outcome r = run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(root(out), c.root);
    args = {"export", "--batch", items.string(), (home_.path() / "batch").string()};
    args.insert(args.end(), c.format.begin(), c.format.end());
    const Outcome batch = run(args);
    ASSERT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(root(home_.path() / "batch" / "a.xml"), c.root);
  }
  const Outcome unknown = run({"export", (items / "a.xml").string(),
                               (home_.path() / "x.xml").string(), "--format", "iso19115"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("iso19139, iso19115-3"), std::string::npos) << unknown.err;
  EXPECT_FALSE(fs::exists(home_.path() / "x.xml"));

  env_["TIDEWISE_STYLESHEETS"] = sheets_.string();  // the test's, which write ISO 19139 only
  const Outcome ignored = run({"export", (items / "a.xml").string(),
                               (home_.path() / "y.xml").string(), "--format", "iso19115-3"});
  EXPECT_EQ(ignored.status, 1);
  EXPECT_NE(ignored.err.find("wrote an ISO 19139 record where an ISO 19115-3 record was asked for"),
            std::string::npos)
      << ignored.err;
}

TEST_F(ConvertCli, TheStylesheetsOptionComesBeforeTheEnvironmentAndMayEndInASeparator) {
  env_["TIDEWISE_STYLESHEETS"] = (home_.path() / "nowhere").string();
  const fs::path item = home_.path() / "new-item.xml";
  for (const std::string& folder : {sheets_.string(), sheets_.string() + "\\"}) {
    const Outcome r =
        run({"import", (kData / "record.xml").string(), item.string(), "--stylesheets", folder});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(page_text(item, "Purpose", "txtInfo"),
              "Calibrate the estuary sediment transport model.");
    fs::remove(item);
  }
}

TEST_F(ConvertCli, WithoutAStylesheetFolderOneMessageAndNothingReadOrWritten) {
  const std::string before = test::read_file(item_);
  for (const std::optional<std::string>& value :
       {std::optional<std::string>(), std::optional<std::string>("")}) {
    env_["TIDEWISE_STYLESHEETS"] = value;
    const fs::path trace = home_.path() / "trace.jsonl";
    const fs::path created = home_.path() / "created.xml";
    for (const fs::path& item : {item_, created}) {
      const Outcome r = run(
          {"import", (kData / "record.xml").string(), item.string(), "--trace", trace.string()});
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.err, "Importer: " + kMessage + "\n");
      EXPECT_EQ(read_trace(trace),
                std::vector<json>{json::parse(R"({"call":"MsgBox","args":[")" + kMessage +
                                              R"(",0,"Importer"]})")});
    }
    EXPECT_EQ(test::read_file(item_), before);
    EXPECT_FALSE(fs::exists(created)) << "an item is created only by an import that happened";

    const fs::path destination = home_.path() / "export.xml";
    const Outcome r =
        run({"export", item_.string(), destination.string(), "--trace", trace.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Exporter: " + kMessage + "\n");
    EXPECT_EQ(read_trace(trace),
              (std::vector<json>{json::parse(R"({"call":"IMetadataHolder.Metadata","args":[]})"),
                                 json::parse(R"({"call":"MsgBox","args":[")" + kMessage +
                                             R"(",0,"Exporter"]})")}));
    EXPECT_FALSE(fs::exists(destination));
  }
}

TEST_F(ConvertCli, AnImportIsTracedAsTheCallsOnTheHost) {
  const fs::path trace = home_.path() / "trace.jsonl";
  const Outcome r =
      run({"import", (kData / "record.xml").string(), item_.string(), "--trace", trace.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = read_trace(trace);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].at("call"), "IMetadataXml.LoadXmlText");
  EXPECT_NE(lines[0].at("args").at(0).get<std::string>().find("<idPurp>Calibrate"),
            std::string::npos);
  EXPECT_EQ(lines[1],
            json::parse(R"({"call":"IMetadataHolder.put_Metadata","args":["<object>"]})"));
}

// Each bad input ends with exit status 1 and a message saying what was wrong;
// the item stays as it was, byte for byte, and no file appears anywhere.
TEST_F(ConvertCli, BadInputsFailCleanlyAndLoseNothing) {
  const std::string record = test::read_file(kData / "record.xml");
  const auto sheet = [&](const std::string& body) {
    test::write_file(sheets_ / "toVelmarModel.xslt", kSheetStart + body + kSheetEnd);
  };
  const auto good_sheet = [&] {
    fs::copy_file(kData / "toVelmarModel.xslt", sheets_ / "toVelmarModel.xslt",
                  fs::copy_options::overwrite_existing);
  };
  file("secret.xml", "<secret>outside the stylesheet folder</secret>");
  const struct {
    const char* what;
    std::function<fs::path()> prepare;  // gives the source
    std::string message;
  } cases[] = {
      {"a missing source", [&] { return home_.path() / "missing.xml"; },
       "missing.xml\": No such file or directory"},
      {"a source that is not XML", [&] { return file("notes.xml", "survey notes, not XML"); },
       "notes.xml\" line 1: Start tag expected"},
      {"a source naming a local file as an entity",
       [&] {
         return file("entity.xml", "<!DOCTYPE m [<!ENTITY x SYSTEM \"" +
                                       (home_.path() / "secret.xml").string() + "\">]><m>&x;</m>");
       },
       "the DOCTYPE declares an entity; entity declarations are refused"},
      {"an entity-expansion bomb",
       [&] {
         std::string doctype = "<!DOCTYPE m [<!ENTITY a0 \"lol\">";
         for (int i = 1; i < 10; ++i) {
           doctype += "<!ENTITY a" + std::to_string(i) + " \"";
           for (int j = 0; j < 10; ++j) doctype += "&a" + std::to_string(i - 1) + ";";
           doctype += "\">";
         }
         return file("bomb.xml", doctype + "]><m>&a9;</m>");
       },
       "the DOCTYPE declares an entity"},
      {"a missing stylesheet",
       [&] {
         fs::remove(sheets_ / "toVelmarModel.xslt");
         return kData / "record.xml";
       },
       "toVelmarModel.xslt\": No such file or directory"},
      {"a stylesheet that is not XSLT",
       [&] {
         test::write_file(sheets_ / "toVelmarModel.xslt", "<metadata/>");
         return kData / "record.xml";
       },
       "toVelmarModel.xslt\" cannot be used"},
      {"a stylesheet whose output is not XML",
       [&] {
         sheet("<xsl:output method=\"text\"/><xsl:template match=\"/\">plain text</xsl:template>");
         return kData / "record.xml";
       },
       "IMetadataXml.LoadXmlText"},
      {"a stylesheet that writes a file",
       [&] {
         sheet("<xsl:template match=\"/\"><exsl:document href=\"" +
               (home_.path() / "written.xml").string() +
               "\"><x/></exsl:document><metadata/></xsl:template>");
         return kData / "record.xml";
       },
       "the stylesheet may not write the file"},
      {"a stylesheet that reads outside its folder",
       [&] {
         sheet(
             "<xsl:template match=\"/\"><metadata><xsl:copy-of "
             "select=\"document('../secret.xml')\"/></metadata></xsl:template>");
         return kData / "record.xml";
       },
       "the stylesheet may not read, from outside its folder,"},
      {"a stylesheet that stops", [&] { return file("other.xml", "<other/>"); },
       "the transformation failed: not a record of the project's model: other"},
  };
  for (const auto& c : cases) {
    good_sheet();
    const fs::path source = c.prepare();
    const auto before = snapshot(home_.path());
    const Outcome r = run({"import", source.string(), item_.string()});
    EXPECT_EQ(r.status, 1) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find("IMetadataImport.Import failed"), std::string::npos) << r.err;
    EXPECT_EQ(snapshot(home_.path()), before) << c.what << " changed or left files";
  }
  EXPECT_EQ(test::read_file(item_),
            test::read_file(fs::path(TIDEWISE_SOURCE_DIR) / "examples" / "coastal-dataset.xml"));
}

TEST_F(ConvertCli, AFailedExportLeavesTheOldFileWholeAndWritesNothingElse) {
  const fs::path destination = file("exports/estuary.xml", "<old>export</old>");
  const auto sheet = [&](const std::string& body) {
    test::write_file(sheets_ / "toTidewiseModel.xslt", kSheetStart + body + kSheetEnd);
  };
  const struct {
    const char* what;
    std::function<void()> prepare;
    std::string message;
  } cases[] = {
      {"a stylesheet that fails midway",
       [&] {
         sheet(
             "<xsl:template match=\"/\"><record><xsl:copy-of select=\"metadata/mdFileID\"/>"
             "<xsl:message terminate=\"yes\">stopped midway</xsl:message></record>"
             "</xsl:template>");
       },
       "the transformation failed: stopped midway"},
      {"a stylesheet that writes a file",
       [&] {
         sheet("<xsl:template match=\"/\"><exsl:document href=\"" +
               (home_.path() / "exports/side.xml").string() +
               "\"><x/></exsl:document>"
               "</xsl:template>");
       },
       "the stylesheet may not write the file"},
      {"a missing stylesheet", [&] { fs::remove(sheets_ / "toTidewiseModel.xslt"); },
       "toTidewiseModel.xslt\": No such file or directory"},
  };
  for (const auto& c : cases) {
    c.prepare();
    const auto before = snapshot(home_.path());
    const Outcome r = run({"export", item_.string(), destination.string()});
    EXPECT_EQ(r.status, 1) << c.what;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
    EXPECT_EQ(snapshot(home_.path()), before) << c.what;
  }
  const Outcome missing =
      run({"export", (home_.path() / "no-item.xml").string(), destination.string()});
  EXPECT_EQ(missing.status, 1);
  // An error of the tool's own is shown with its code, once.
  EXPECT_NE(missing.err.find("no-item.xml\" does not exist (0x80004005)\n"), std::string::npos)
      << missing.err;
  EXPECT_EQ(test::read_file(destination), "<old>export</old>");

  const Outcome onto_itself = run({"export", item_.string(), item_.string()});
  EXPECT_EQ(onto_itself.status, 2) << onto_itself.err;
}

// Folders: every .xml file is converted by one of two workers; a bad one is
// reported by name and reason while the others are converted.
TEST_F(ConvertCli, AFolderIsConvertedFileByFileAndABadFileIsReportedByName) {
  const std::string record = test::read_file(kData / "record.xml");
  for (const char* id : {"a", "b", "c", "d"}) {
    std::string copy = record;
    copy.replace(copy.find("tw-estuary"), 10, std::string("tw-") + id);
    file(std::string("incoming/") + id + ".xml", copy);
  }
  file("incoming/broken.xml", "<gmd:MD_Metadata>");
  file("incoming/readme.txt", "not converted");
  const fs::path items = home_.path() / "items";

  const Outcome imported =
      run({"import", "--batch", (home_.path() / "incoming").string(), items.string()});
  EXPECT_EQ(imported.status, 1);
  EXPECT_NE(imported.err.find("tidewise: broken.xml: IMetadataImport.Import failed"),
            std::string::npos)
      << imported.err;
  EXPECT_NE(imported.err.find("1 of 5 files could not be imported"), std::string::npos);
  EXPECT_EQ(imported.err.find('\r'), std::string::npos) << "no progress bar off a terminal";
  EXPECT_EQ(test::names_in(items), (std::vector<std::string>{"a.xml", "b.xml", "c.xml", "d.xml"}));
  EXPECT_EQ(page_text(items / "c.xml", "Purpose", "txtInfo"),
            "Calibrate the estuary sediment transport model.");

  const fs::path exported = home_.path() / "exported";
  const Outcome out = run({"export", "--batch", items.string(), exported.string()});
  EXPECT_EQ(out.status, 0) << out.err;
  EXPECT_EQ(out.err, "");
  EXPECT_EQ(test::names_in(exported), test::names_in(items));
  for (const std::string& name : test::names_in(exported)) {
    EXPECT_EQ(schema_errors(exported / name, kData / "record.xsd"), "") << name;
    EXPECT_NE(test::read_file(exported / name).find("tw-" + name.substr(0, 1) + "-sediment"),
              std::string::npos);
  }

  env_["TIDEWISE_STYLESHEETS"] = std::nullopt;
  const Outcome unset = run({"export", "--batch", items.string(), exported.string()});
  EXPECT_EQ(unset.status, 0);
  EXPECT_EQ(unset.err, "Exporter: " + kMessage + "\n") << "the message once, not per file";

  // The folder given reaches every child, whatever the environment says; an
  // empty one is no folder there either.
  const fs::path again = home_.path() / "again";
  for (const std::optional<std::string>& variable :
       {std::optional<std::string>(),
        std::optional<std::string>((home_.path() / "nowhere").string())}) {
    env_["TIDEWISE_STYLESHEETS"] = variable;
    const Outcome given = run(
        {"export", "--batch", items.string(), again.string(), "--stylesheets", sheets_.string()});
    EXPECT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(given.err, "");
    EXPECT_EQ(test::names_in(again), test::names_in(items));
    fs::remove_all(again);
    const Outcome empty =
        run({"export", "--batch", items.string(), again.string(), "--stylesheets", ""});
    EXPECT_EQ(empty.err, "Exporter: " + kMessage + "\n");
    EXPECT_TRUE(test::names_in(again).empty());
  }

  EXPECT_EQ(run({"import", "--batch", items.string(), items.string()}).status, 2);
  EXPECT_EQ(run({"import", "--batch", items.string(), exported.string(), "--trace", "t"}).status,
            2);
}

// The components read "\\" as a folder separator: every check of whether
// two names reach one file compares them as they will be opened.
TEST_F(ConvertCli, NamesAreComparedAsTheComponentsOpenThem) {
  const std::string item = item_.string();
  const std::string before = test::read_file(item_);
  fs::create_directory(home_.path() / "items");
  fs::copy_file(item_, home_.path() / "items" / "a.xml");
  const fs::path dot = home_.path() / ".";
  const std::string items = (home_.path() / "items").string();
  const std::string trace = (home_.path() / "trace.jsonl").string();
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"export", item, dot.string() + "\\coastal.xml"}, "is the item itself"},
      {{"export", item, (home_.path() / "items" / "..\\coastal.xml").string()},
       "is the item itself"},
      {{"import", dot.string() + "\\coastal.xml", item}, "is the file to import"},
      {{"export", "--batch", items, items + "\\"}, "are the same"},
      {{"import", "--batch", items + "\\", items}, "are the same"},
      {{"export", item, dot.string() + "\\trace.jsonl", "--trace", trace},
       "--trace: \"" + trace + "\" is the destination"},
  };
  for (const auto& c : cases) {
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.args.back() << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(test::read_file(item_), before) << c.args.back();
    EXPECT_EQ(test::read_file(home_.path() / "items" / "a.xml"), before) << c.args.back();
  }
}

// A file name in a batch folder never leads a conversion outside its two
// folders: it is refused like a file that fails, named as every message
// names things, while the others are converted.
TEST_F(ConvertCli, ABatchReadsAndWritesInsideItsFoldersWhateverTheNames) {
  const std::string record = test::read_file(kData / "record.xml");
  file("victim/p.xml", "<victim/>");
  file("items/ok.xml", test::read_file(item_));
  file("items/..\\victim\\p.xml", test::read_file(item_));
  file("records/ok.xml", record);
  file("records/..\\victim\\p.xml", record);
  file("records/bad\x1B[2J.xml", "<gmd:MD_Metadata>");
  const struct {
    std::string command, from, to;
    std::size_t failed;
  } cases[] = {
      {"export", "items", "exported", 1},
      {"import", "records", "imported", 2},
  };
  for (const auto& c : cases) {
    const Outcome r = run(
        {c.command, "--batch", (home_.path() / c.from).string(), (home_.path() / c.to).string()});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("tidewise: ..\\victim\\p.xml: the name holds \"\\\""), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(std::to_string(c.failed) + " of " + std::to_string(c.failed + 1) +
                         " files could not be"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find('\x1B'), std::string::npos) << "a raw escape reached the terminal";
    EXPECT_EQ(test::names_in(home_.path() / c.to), std::vector<std::string>{"ok.xml"});
    EXPECT_EQ(test::names_in(home_.path() / "victim"), std::vector<std::string>{"p.xml"});
    EXPECT_EQ(test::read_file(home_.path() / "victim/p.xml"), "<victim/>");
  }
}

TEST_F(ConvertCli, AFolderShowsItsProgressOnATerminal) {
  file("incoming/a.xml", test::read_file(kData / "record.xml"));
  file("incoming/b.xml", test::read_file(kData / "record.xml"));
  file("incoming/c.xml", "<gmd:MD_Metadata>");
  int terminal = -1;
  const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    apply_environment();
    const std::string program = std::string(TIDEWISE_BIN_DIR) + "/tidewise";
    const std::string from = (home_.path() / "incoming").string();
    const std::string to = (home_.path() / "items").string();
    ::execl(program.c_str(), program.c_str(), "import", "--batch", from.c_str(), to.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  std::string shown;
  char buffer[512];
  for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;) shown.append(buffer, n);
  ::close(terminal);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  // What happened is counted: a failure is not a file imported.
  EXPECT_NE(shown.find("/3 imported, 1 failed"), std::string::npos) << shown;
  EXPECT_NE(shown.find("] 2/3 imported, 1 failed"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("3/3 imported"), std::string::npos) << shown;
  EXPECT_EQ(test::names_in(home_.path() / "items"), (std::vector<std::string>{"a.xml", "b.xml"}));
}

}  // namespace
}  // namespace tw::cli
