// The host's metadata document through the interfaces the components use:
// path semantics, attributes, refused input, preservation of what no page
// knows, transformation to a file, and the trace of every call.

#include "tidewise/host/document.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "support/files.h"
#include "tidewise/com/error.h"
#include "tidewise/host/differences.h"
#include "tidewise/host/trace.h"

namespace tw::host {
namespace {

using com::ComPtr;
using com::E_INVALIDARG;
using com::HRESULT;
using com::S_OK;
using nlohmann::json;
namespace fs = std::filesystem;

constexpr std::string_view kNamespace = "urn:tidewise:/metadataModel/";

Variant texts(std::vector<std::string> values) {
  std::vector<Variant> elements;
  elements.reserve(values.size());
  for (std::string& value : values) elements.push_back(Variant::str(std::move(value)));
  return Variant::array(0, std::move(elements));
}

std::string show(const Variant& value) {
  return to_json(value).dump();
}

// A member's status and the error information it left (taken once).
struct Outcome {
  HRESULT hr;
  std::string description;
};

template <class Call>
Outcome outcome(Call&& call) {
  const HRESULT hr = call();
  const auto info = com::GetErrorInfo();
  return {hr, info ? info->description : ""};
}

bool starts_with(const std::string& text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_sink_ = set_trace_sink([this](const json& line) { traced.push_back(line); });
  }
  void TearDown() override { set_trace_sink(previous_sink_); }

  IMetadataValues* values() const { return document.get(); }
  IMetadataXml* xml() const { return document.get(); }

  Variant read(const std::string& path) {
    Variant result = Variant::str("not cleared");
    EXPECT_EQ(values()->ReadValues(path, &result), S_OK) << path;
    return result;
  }
  Variant read_attribute(const std::string& path, const std::string& name) {
    Variant result = Variant::str("not cleared");
    EXPECT_EQ(xml()->ReadAttribute(path, name, &result), S_OK) << path << " @" << name;
    return result;
  }
  void write(const std::string& path, const std::string& text) {
    ASSERT_EQ(values()->WriteValue(path, Variant::str(text)), S_OK) << path;
  }
  void load(std::string_view text) { document->load_text(text); }

  test::TempHome folder;
  ComPtr<XmlMetadataDocument> document = com::make_object<XmlMetadataDocument>();
  std::vector<json> traced;

 private:
  TraceSink previous_sink_;
};

// ---- A new document, and files

TEST_F(DocumentTest, NewDocumentHoldsTheMetadataRootAlone) {
  EXPECT_EQ(document->xml(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<metadata/>\n");
  EXPECT_FALSE(document->modified());
  EXPECT_FALSE(document->update_flag());
  EXPECT_TRUE(read("dataIdInfo/idPurp").is_empty());
  EXPECT_TRUE(document.try_as<IMetadataXml>());
  EXPECT_TRUE(ComPtr<IMetadataValues>(document).as<IMetadataXml>());
}

TEST_F(DocumentTest, MissingFileLoadsAsAnEmptyDocument) {
  load("<metadata><a>1</a></metadata>");
  document->load_file(folder / "absent.xml");
  EXPECT_EQ(document->xml(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<metadata/>\n");
  EXPECT_FALSE(fs::exists(folder / "absent.xml"));
}

TEST_F(DocumentTest, RealisticFileComesBackByteForByte) {
  const std::string original = test::read_file(test::document_data("harbour.xml"));
  document->load_file(test::document_data("harbour.xml"));
  EXPECT_EQ(document->xml(), original);
  document->write_file(folder / "copy.xml");
  EXPECT_EQ(test::read_file(folder / "copy.xml"), original);
}

// Only the written element changes; comments, processing instructions,
// CDATA, foreign namespaces, both forms of empty elements and non-ASCII
// text elsewhere keep every byte.
TEST_F(DocumentTest, WritingOneElementKeepsEveryOtherByte) {
  const std::string original = test::read_file(test::document_data("harbour.xml"));
  document->load_file(test::document_data("harbour.xml"));

  write("dataIdInfo/idPurp", "Fairway <2023> & approaches");
  ASSERT_EQ(
      xml()->WriteAttribute("dataIdInfo/idPurp", "ns", Variant::str(std::string(kNamespace)), 1),
      S_OK);
  EXPECT_TRUE(document->modified());

  std::string expected = original;
  const std::string before = "<idPurp>Nautical charting</idPurp>";
  const std::string after = "<idPurp ns=\"" + std::string(kNamespace) +
                            "\">Fairway &lt;2023&gt; &amp; approaches</idPurp>";
  ASSERT_NE(expected.find(before), std::string::npos);
  expected.replace(expected.find(before), before.size(), after);
  EXPECT_EQ(document->xml(), expected);

  document->write_file(folder / "harbour.xml");
  EXPECT_EQ(test::read_file(folder / "harbour.xml"), expected);
  auto reloaded = com::make_object<XmlMetadataDocument>();
  reloaded->load_file(folder / "harbour.xml");
  Variant purpose;
  ASSERT_EQ(reloaded->ReadValues("dataIdInfo/idPurp", &purpose), S_OK);
  EXPECT_EQ(purpose, texts({"Fairway <2023> & approaches"}));
  EXPECT_FALSE(reloaded->modified());
}

// A file in another encoding is read as UTF-8 text and written back in its
// own encoding.
TEST_F(DocumentTest, FileInItsOwnEncodingIsKept) {
  const std::string original = test::read_file(test::document_data("latin1.xml"));
  document->load_file(test::document_data("latin1.xml"));
  EXPECT_EQ(document->xml(), original);
  EXPECT_EQ(read("dataIdInfo/idPurp"), texts({"Cartographie c\u00f4ti\u00e8re"}));

  write("dataIdInfo/idPurp", "Qualit\u00e9 \u00fc");
  std::string expected = original;
  const std::string before = "Cartographie c\xf4ti\xe8re";
  expected.replace(expected.find(before), before.size(), "Qualit\xe9 \xfc");
  EXPECT_EQ(document->xml(), expected);
}

TEST_F(DocumentTest, SourceWithoutDeclarationIsSavedWithoutOne) {
  const std::string source = "<metadata>\n  <a x=\"1\">t</a>\n  <b></b>\n  <c/>\n</metadata>\n";
  load(source);
  EXPECT_EQ(document->xml(), source);
}

TEST_F(DocumentTest, LoadingAFileThatFailsThrowsAndKeepsTheDocument) {
  load("<metadata><keep>1</keep></metadata>");
  const std::string before = document->xml();
  test::write_file(folder / "broken.xml", "<metadata>\n<a>\n</b>\n</metadata>\n");
  try {
    document->load_file(folder / "broken.xml");
    FAIL() << "no error";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.code(), E_INVALIDARG);
    EXPECT_EQ(std::string(e.what()), "\"" + (folder / "broken.xml").string() +
                                         "\" line 3: Opening and ending tag mismatch: a line 2 "
                                         "and b");
  }
  fs::create_directory(folder / "folder.xml");
  try {
    document->load_file(folder / "folder.xml");
    FAIL() << "no error";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.code(), com::E_FAIL);
    EXPECT_NE(std::string(e.what()).find("folder.xml"), std::string::npos) << e.what();
  }
  if (::geteuid() != 0) {  // permissions do not stop root
    test::write_file(folder / "locked.xml", "<metadata/>");
    ::chmod((folder / "locked.xml").c_str(), 0);
    try {
      document->load_file(folder / "locked.xml");
      FAIL() << "no error";
    } catch (const com::Error& e) {
      EXPECT_EQ(e.code(), com::E_ACCESSDENIED);
    }
  }
  EXPECT_EQ(document->xml(), before);
}

// ---- Reading

TEST_F(DocumentTest, ReadingFindsEveryMatchInDocumentOrder) {
  document->load_file(test::document_data("harbour.xml"));
  const struct {
    std::string path;
    Variant expected;
  } cases[] = {
      {"dataIdInfo/idPurp", texts({"Nautical charting"})},
      {"mdFileID", texts({"tidewise-0042"})},
      {"dataIdInfo/idPoC/rpIndName", texts({"A. Marsh", "B. Reed"})},
      {"dqInfo/report/measName", texts({"Horizontal error", "CE90", "Survey date check"})},
      {"dataIdInfo/searchKeys/keyword",
       texts({"bathymetry", "tide & current", "fond marin \u2013 c\u00f4te"})},
      {"dataIdInfo/idAbs", texts({"Soundings of the <inner> harbour & approaches."})},
      // Only the element's own text, not its children's.
      {"dqInfo/dataLineage/statement", texts({"Surveyed by launch in June 2023."})},
      {"dataIdInfo/idCitation/resAltTitle", texts({""})},
      {"dataIdInfo/idCitation/resEd", texts({""})},
      {"dataIdInfo/idPoC/role/RoleCd", texts({"", ""})},
      {"dataIdInfo/dataExt/geoEle/GeoBndBox/northBL", texts({"48.41"})},
      // Elements in a namespace are another vocabulary's, prefixed or not.
      {"tideExt/tidTopic", Variant()},
      {"vendorData/thumbnail", Variant()},
      {"vendorData/state", Variant()},
      {"nothing", Variant()},
      {"dataIdInfo/nothing/idPurp", Variant()},
      {"idPurp", Variant()},
  };
  for (const auto& c : cases) {
    const Variant found = read(c.path);
    EXPECT_EQ(found, c.expected) << c.path << ": " << show(found);
  }
  EXPECT_FALSE(document->modified());
}

TEST_F(DocumentTest, ReadingANullOutParameterFails) {
  const Outcome out = outcome([&] { return values()->ReadValues("a", nullptr); });
  EXPECT_EQ(out.hr, com::E_POINTER);
  EXPECT_TRUE(starts_with(out.description, "IMetadataValues.ReadValues: ")) << out.description;
  EXPECT_EQ(xml()->ReadAttribute("a", "b", nullptr), com::E_POINTER);
}

// ---- Writing values

TEST_F(DocumentTest, WritingFollowsTheFirstMatchAndCreatesWhatIsMissing) {
  load(
      "<metadata>\n"
      "  <idPoC><rpIndName>A</rpIndName></idPoC>\n"
      "  <idPoC><rpIndName>B</rpIndName></idPoC>\n"
      "</metadata>\n");
  write("idPoC/rpIndName", "C");
  write("idPoC/rpOrgName", "Port");
  write("dqInfo/dqScope/scpLvl/ScopeCd", "005");
  EXPECT_EQ(document->xml(),
            "<metadata>\n"
            "  <idPoC><rpIndName>C</rpIndName><rpOrgName>Port</rpOrgName></idPoC>\n"
            "  <idPoC><rpIndName>B</rpIndName></idPoC>\n"
            "<dqInfo><dqScope><scpLvl><ScopeCd>005</ScopeCd></scpLvl></dqScope></dqInfo>"
            "</metadata>\n");
  EXPECT_EQ(read("idPoC/rpIndName"), texts({"C", "B"}));
  EXPECT_EQ(read("idPoC/rpOrgName"), texts({"Port"}));
}

TEST_F(DocumentTest, WritingReplacesOnlyTheElementsOwnText) {
  const struct {
    std::string source;
    std::string text;
    std::string expected;
  } cases[] = {
      {"<s kind=\"a\">old<note>n</note>tail</s>", "new", "<s kind=\"a\">new<note>n</note></s>"},
      {"<s><note>n</note>tail<!-- c --></s>", "new", "<s><note>n</note>new<!-- c --></s>"},
      {"<s><note>n</note></s>", "new", "<s>new<note>n</note></s>"},
      {"<s><![CDATA[a<b]]></s>", "x < y & z", "<s>x &lt; y &amp; z</s>"},
      {"<s>old</s>", "", "<s></s>"},
      {"<s/>", "", "<s/>"},  // already the text: nothing changes
      {"<s>same</s>", "same", "<s>same</s>"},
      {"<s>a\n<i/>b</s>", "line 1\nline 2\ttab\r", "<s>line 1\nline 2\ttab&#13;<i/></s>"},
  };
  for (const auto& c : cases) {
    load("<metadata>" + c.source + "</metadata>");
    write("s", c.text);
    EXPECT_EQ(document->xml(), "<metadata>" + c.expected + "</metadata>\n") << c.source;
    EXPECT_EQ(read("s"), texts({c.text})) << c.source;
    // What was written is read back the same after a save and a load.
    load(document->xml());
    EXPECT_EQ(read("s"), texts({c.text})) << c.source;
  }
}

TEST_F(DocumentTest, WritingTheSameTextKeepsTheBytesButCountsAsWritten) {
  const std::string source = "<metadata><a value=\"001\"><![CDATA[x]]></a></metadata>\n";
  load(source);
  EXPECT_FALSE(document->modified());
  write("a", "x");
  ASSERT_EQ(xml()->WriteAttribute("a", "value", Variant::str("001"), 2), S_OK);
  EXPECT_EQ(document->xml(), source);
  // A page that wrote is saved, whether or not the text differed.
  EXPECT_TRUE(document->modified());
  document->load_text(document->xml());
  EXPECT_FALSE(document->modified());
  write("a", "y");
  EXPECT_TRUE(document->modified());
}

// The revision names the content: whatever changes what the file would say
// gives a new one, a write of what is there already and the layout do not.
TEST_F(DocumentTest, TheRevisionChangesWithTheContentAlone) {
  using Step = std::function<HRESULT()>;
  const auto attribute = [&](const char* path, const char* name, const char* value) {
    return [=, this] { return xml()->WriteAttribute(path, name, Variant::str(value), 2); };
  };
  const auto value = [&](const char* path, const char* text) {
    return [=, this] { return values()->WriteValue(path, Variant::str(text)); };
  };
  const auto arrange = [&](const std::vector<std::int32_t>& order) {
    return [=, this] {
      std::vector<Variant> positions;
      positions.reserve(order.size());
      for (const std::int32_t at : order) positions.push_back(Variant::i4(at));
      return document->ArrangeElements("k", Variant::array(0, std::move(positions)));
    };
  };
  const struct {
    const char* name;
    Step step;
    bool revised;
  } cases[] = {
      {"the same text", value("a", "x"), false},
      {"the same attribute", attribute("a", "value", "001"), false},
      {"another text", value("a", "y"), true},
      {"another attribute", attribute("a", "value", "002"), true},
      {"a new attribute", attribute("a", "other", ""), true},
      {"an empty text where nothing was", value("b/c", ""), true},
      {"the same empty text again", value("b/c", ""), false},
      {"a second element named by its position", value("k[2]", ""), true},
      {"elements arranged as they stand", arrange({1, 2}), false},
      {"elements swapped", arrange({2, 1}), true},
      {"a text XML cannot hold", value("a", "\x01"), false},
      {"the same text loaded again", [&] { return xml()->LoadXmlText(document->xml()); }, true},
      {"the layout",
       [&] {
         document->lay_out();
         return S_OK;
       },
       false},
      {"the file read again",
       [&] {
         document->load_text(document->xml());
         return S_OK;
       },
       true},
  };
  load("<metadata><a value=\"001\"><![CDATA[x]]></a><k/></metadata>");
  for (const auto& c : cases) {
    const std::uint64_t before = document->revision();
    c.step();
    com::ClearErrorInfo();
    EXPECT_EQ(document->revision() != before, c.revised) << c.name;
  }

  // A copy shares the content and its revision until either is written.
  const auto copy = document->copy();
  EXPECT_EQ(copy->revision(), document->revision());
  const std::uint64_t shared = document->revision();
  ASSERT_EQ(copy->WriteValue("a", Variant::str("z")), S_OK);
  EXPECT_EQ(document->revision(), shared) << "the copy's write reached the original";
  EXPECT_NE(copy->revision(), shared);
  write("a", "z");
  EXPECT_NE(document->revision(), copy->revision()) << "the same change, made twice, is two";
  // Taking back a content takes back its revision: what a failed call undoes.
  document->take_content(*copy.get());
  EXPECT_EQ(document->revision(), copy->revision());
  EXPECT_NE(com::make_object<XmlMetadataDocument>()->revision(),
            com::make_object<XmlMetadataDocument>()->revision());
}

// What a failed member changed is taken back to the byte, whatever it was:
// texts beside comments and CDATA, attributes new and old, elements created
// on the way, and the changes kept whole (an arrangement, new text, a copy's
// content) mixed with them.
TEST_F(DocumentTest, ChangesAreTakenBackToTheByteOrKept) {
  const std::string source =
      "<?xml version=\"1.0\"?>\n<metadata>\n  <a value=\"001\">x<!-- note --><![CDATA[y]]>"
      "<b/>z</a>\n  <k>1</k><k>2</k>\n</metadata>\n";
  const auto value = [&](const std::string& path, const std::string& text) {
    return [=, this] { write(path, text); };
  };
  const auto attribute = [&](const std::string& path, const std::string& name,
                             const std::string& text) {
    return [=, this] { ASSERT_EQ(xml()->WriteAttribute(path, name, Variant::str(text), 2), S_OK); };
  };
  const auto swap = [&] {
    std::vector<Variant> order{Variant::i4(2), Variant::i4(1)};
    ASSERT_EQ(document->ArrangeElements("k", Variant::array(0, std::move(order))), S_OK);
  };
  using Steps = std::vector<std::function<void()>>;
  const struct {
    const char* name;
    Steps steps;
  } cases[] = {
      {"a text among a comment, CDATA and an element", {value("a", "new")}},
      {"an attribute changed and one added",
       {attribute("a", "value", "002"), attribute("a", "other", "o")}},
      {"elements created on the way and by position",
       {value("c/d/e", "deep"), value("k[4]", "four"), attribute("f", "g", "h")}},
      {"the same text twice over", {value("a", "one"), value("a", "two"), value("k[2]", "")}},
      {"writes around an arrangement",
       {value("a", "before"), value("n/m", "made"), swap, value("k", "after")}},
      {"writes around new text",
       {value("a", "before"),
        [&] { ASSERT_EQ(xml()->LoadXmlText("<metadata><other/></metadata>"), S_OK); },
        value("other", "after")}},
      {"writes on a content shared with a copy",
       {value("a", "before"),
        [&] {
          const auto copy = document->copy();
          write("k", "after");
        },
        value("k[2]", "later")}},
  };
  for (const auto& c : cases) {
    load(source);
    const std::uint64_t revision = document->revision();
    document->start_undo();
    for (const auto& step : c.steps) step();
    EXPECT_NE(document->xml(), source) << c.name;
    document->take_back_changes();
    EXPECT_EQ(document->xml(), source) << c.name;
    EXPECT_EQ(document->revision(), revision) << c.name;
    EXPECT_FALSE(document->modified()) << c.name;
    EXPECT_FALSE(document->undoing()) << c.name;
    // Reads find what is there again, not what was taken back.
    EXPECT_EQ(show(read("k")), show(texts({"1", "2"}))) << c.name;

    // Kept, the same steps leave what they leave without an undo.
    for (const auto& step : c.steps) step();
    const std::string without = document->xml();
    load(source);
    document->start_undo();
    for (const auto& step : c.steps) step();
    document->keep_changes();
    EXPECT_EQ(document->xml(), without) << c.name;
  }
}

// Records nest: an inner record taken back takes back its own steps alone,
// kept it becomes the outer one's, which then takes back both; also when
// either had to keep the content whole. A copy made while steps are pending
// keeps what it was given when they are taken back.
TEST_F(DocumentTest, NestedRecordsTakeBackTheirOwnSteps) {
  const std::string source =
      "<?xml version=\"1.0\"?>\n<metadata>\n  <a>x<!-- c --><b/>z</a>\n  <k>1</k><k>2</k>\n"
      "</metadata>\n";
  const auto swap = [&] {
    std::vector<Variant> order{Variant::i4(2), Variant::i4(1)};
    ASSERT_EQ(document->ArrangeElements("k", Variant::array(0, std::move(order))), S_OK);
  };
  using Step = std::function<void()>;
  const Step none = [] {};
  const struct {
    const char* name;
    Step outer_before, inner, outer_after;
  } cases[] = {
      {"texts alone", [&] { write("a", "outer"); }, [&] { write("n/m", "inner"); },
       [&] { write("k[2]", "after"); }},
      {"inner arrangement", [&] { write("a", "outer"); }, swap, [&] { write("k", "after"); }},
      {"outer arrangement", swap, [&] { write("a", "inner"); }, none},
      {"inner new text", [&] { write("a", "outer"); },
       [&] { ASSERT_EQ(xml()->LoadXmlText("<metadata><o/></metadata>"), S_OK); },
       [&] { write("o", "after"); }},
      {"inner writes to a shared content", [&] { write("a", "outer"); },
       [&] {
         const auto copy = document->copy();
         write("k", "inner");
       },
       none},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // Taken back, the inner record leaves what the outer one made.
    load(source);
    document->start_undo();
    c.outer_before();
    const std::string outer_only = document->xml();
    const std::uint64_t outer_revision = document->revision();
    document->start_undo();
    c.inner();
    EXPECT_NE(document->xml(), outer_only);
    document->take_back_changes();
    EXPECT_EQ(document->xml(), outer_only);
    EXPECT_EQ(document->revision(), outer_revision);
    EXPECT_TRUE(document->undoing());
    document->take_back_changes();
    EXPECT_EQ(document->xml(), source);
    EXPECT_FALSE(document->undoing());

    // Kept, the inner record's steps are the outer one's: all go.
    document->start_undo();
    c.outer_before();
    document->start_undo();
    c.inner();
    document->keep_changes();
    c.outer_after();
    const std::string all = document->xml();
    document->take_back_changes();
    EXPECT_EQ(document->xml(), source);
    EXPECT_FALSE(document->modified());
    EXPECT_EQ(show(read("k")), show(texts({"1", "2"})));

    // The content before the record, and the changes kept.
    document->start_undo();
    c.outer_before();
    c.inner();
    c.outer_after();
    const auto copy = document->copy();
    const auto before = document->keep_changes_giving_before();
    EXPECT_EQ(before->xml(), source);
    EXPECT_EQ(document->xml(), all);
    EXPECT_EQ(copy->xml(), all);
    EXPECT_FALSE(document->undoing());
  }

  // A copy made while steps are pending is not changed by their undo.
  load(source);
  document->start_undo();
  write("a", "pending");
  const auto copy = document->copy();
  document->take_back_changes();
  EXPECT_EQ(document->xml(), source);
  EXPECT_NE(copy->xml().find("pending"), std::string::npos);

  // Elements taken back are gone from what finds a large element's children,
  // also in a document made in memory, whose element names are their own.
  document = com::make_object<XmlMetadataDocument>();
  for (int i = 1; i <= 20; ++i) write("k[" + std::to_string(i) + "]", std::to_string(i));
  EXPECT_EQ(show(read("k[20]")), show(texts({"20"})));
  document->start_undo();
  write("k[22]", "made");
  write("fresh", "a name the element did not have");
  document->take_back_changes();
  EXPECT_EQ(show(read("fresh")), show(Variant()));
  std::int32_t count = 0;
  ASSERT_EQ(document->CountElements("k", &count), S_OK);
  EXPECT_EQ(count, 20);
  write("k[21]", "again");
  EXPECT_EQ(show(read("k[21]")), show(texts({"again"})));
  ASSERT_EQ(document->CountElements("k", &count), S_OK);
  EXPECT_EQ(count, 21);
}

// The paths a record names are those a review of the document before and
// after it lists: numbered where a name repeats (also among many children,
// and beside an element in a namespace without a prefix), attributes after
// "@".
TEST_F(DocumentTest, RecordedPathsNameWhatAReviewLists) {
  std::string many = "<metadata>";
  for (int i = 0; i < 40; ++i) many += "<log><at>" + std::to_string(i) + "</at></log>";
  many += "<x/></metadata>";
  const auto attribute = [&](const std::string& path, const std::string& name,
                             const std::string& text) {
    ASSERT_EQ(xml()->WriteAttribute(path, name, Variant::str(text), 2), S_OK);
  };
  const struct {
    const char* name;
    std::string source;
    std::function<void()> writes;
  } cases[] = {
      {"texts and new elements", "<metadata><a>1</a></metadata>",
       [&] {
         write("a", "2");
         write("b/c", "new");
         write("k[3]", "third");
       }},
      {"attributes", "<metadata><a v=\"1\"/></metadata>",
       [&] {
         attribute("a", "v", "2");
         attribute("a", "w", "3");
         attribute("n[2]", "v", "4");
       }},
      {"among many children", many,
       [&] {
         write("log[7]/at", "seven");
         write("log[41]/at", "new");
         write("x", "last");
       }},
      {"beside a namespace without a prefix",
       "<metadata><a xmlns=\"urn:o\">o</a><a>h</a></metadata>", [&] { write("a", "host"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    load(c.source);
    // Read on its own: a copy would share the content, and the first write
    // would keep it whole.
    const auto before = com::make_object<XmlMetadataDocument>();
    before->load_text(c.source);
    document->start_undo();
    c.writes();
    const auto paths = document->recorded_paths();
    ASSERT_TRUE(paths.has_value());
    const std::set<std::string> recorded(paths->begin(), paths->end());
    const Review review = compare_documents(before->doc(), document->doc());
    ASSERT_FALSE(review.changes.empty());
    for (const Difference& d : review.changes) EXPECT_TRUE(recorded.contains(d.path)) << d.path;
    document->keep_changes();
  }
}

// An element in a namespace is not the host's, whether it is named with a
// prefix or under a default namespace: reads pass it by, a write creates the
// host's own element beside it, and what was written is read again after a
// save and a load.
TEST_F(DocumentTest, ElementsInANamespaceAreNotTheHostsForReadsOrWrites) {
  const struct {
    std::string foreign;
  } cases[] = {
      {"<tideExt xmlns=\"urn:tidewise:ext\"><tidTopic>a</tidTopic></tideExt>"},
      {"<t:tideExt xmlns:t=\"urn:tidewise:ext\"><t:tidTopic>a</t:tidTopic></t:tideExt>"},
      {"<t:tideExt xmlns:t=\"urn:tidewise:ext\"><tidTopic>a</tidTopic></t:tideExt>"},
      {"<x xmlns=\"urn:x\"><tideExt xmlns=\"\"><tidTopic>a</tidTopic></tideExt></x>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.foreign);
    load("<metadata>" + c.foreign + "</metadata>");
    EXPECT_TRUE(read("tideExt/tidTopic").is_empty());
    write("tideExt/tidTopic", "b");
    const std::string saved = document->xml();
    EXPECT_EQ(saved, "<metadata>" + c.foreign + "<tideExt><tidTopic>b</tidTopic></tideExt>" +
                         "</metadata>\n");
    load(saved);
    EXPECT_EQ(read("tideExt/tidTopic"), texts({"b"}));
  }
}

// An item's root is the host's "metadata" in no namespace, whether it comes
// from a file, a text or LoadXmlText.
TEST_F(DocumentTest, AnItemWithAnotherRootIsRefused) {
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"<MD_Metadata/>", "the root element is \"MD_Metadata\""},
      {"<metadata xmlns=\"urn:x\"/>",
       "the root element is \"metadata\" in the namespace \"urn:x\""},
      {"<md:metadata xmlns:md=\"urn:x\"/>",
       "the root element is \"md:metadata\" in the namespace \"urn:x\""},
  };
  load("<metadata><keep>1</keep></metadata>");
  const std::string before = document->xml();
  const std::string rule = "; an item's root element is \"metadata\" in no namespace";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Outcome out = outcome([&] { return xml()->LoadXmlText(c.text); });
    EXPECT_EQ(out.hr, E_INVALIDARG);
    EXPECT_EQ(out.description, "IMetadataXml.LoadXmlText: XML text: " + c.message + rule);
    test::write_file(folder / "item.xml", c.text);
    try {
      document->load_file(folder / "item.xml");
      ADD_FAILURE() << "loaded";
    } catch (const com::Error& e) {
      EXPECT_EQ(e.code(), E_INVALIDARG);
      EXPECT_EQ(std::string(e.what()),
                "\"" + (folder / "item.xml").string() + "\": " + c.message + rule);
    }
    EXPECT_THROW(load(c.text), com::Error);
    EXPECT_EQ(document->xml(), before);
  }
  EXPECT_FALSE(document->modified());
  load("<metadata xmlns:v=\"urn:v\"><v:a/></metadata>");  // foreign content is fine
}

// The index of children by name: reads in document order and writes to the
// first match, however many siblings, interleaved with creations and loads.
TEST_F(DocumentTest, ManySiblingsReadAndWriteAsFewDo) {
  std::string source = "<metadata>";
  for (int i = 0; i < 500; ++i) {
    source += "<n>" + std::to_string(i) + "</n><v:n xmlns:v=\"urn:v\">x</v:n>";
    if (i % 100 == 0) source += "<list><item>" + std::to_string(i) + "</item></list>";
  }
  load(source + "</metadata>");
  const Variant all_n = read("n");
  ASSERT_EQ(all_n.as_array()->elements.size(), 500u);
  EXPECT_EQ(*all_n.as_array()->elements[499].as_string(), "499");
  EXPECT_EQ(read("list/item"), texts({"0", "100", "200", "300", "400"}));

  // Created after an index exists for the root, then found first and in order.
  write("n", "first");
  write("fresh/a", "1");
  write("list/item", "changed");
  write("fresh/a", "2");
  for (int i = 0; i < 40; ++i) write("fresh/b" + std::to_string(i), std::to_string(i));
  write("fresh/b39", "again");
  EXPECT_EQ(read("fresh/a"), texts({"2"}));
  EXPECT_EQ(read("fresh/b0"), texts({"0"}));
  EXPECT_EQ(read("fresh/b39"), texts({"again"}));
  EXPECT_EQ(read("list/item"), texts({"changed", "100", "200", "300", "400"}));
  EXPECT_EQ(*read("n").as_array()->elements[0].as_string(), "first");
  ASSERT_EQ(xml()->WriteAttribute("fresh", "ns", Variant::str("u"), 1), S_OK);
  EXPECT_EQ(read_attribute("fresh", "ns"), texts({"u"}));

  // What a save and a load give is what the index gave.
  const std::string saved = document->xml();
  load(saved);
  EXPECT_EQ(read("fresh/b39"), texts({"again"}));
  EXPECT_EQ(read("list/item"), texts({"changed", "100", "200", "300", "400"}));
  // A new content drops the old index.
  ASSERT_EQ(xml()->LoadXmlText("<metadata><n>only</n></metadata>"), S_OK);
  EXPECT_EQ(read("n"), texts({"only"}));
  EXPECT_TRUE(read("fresh/a").is_empty());
}

TEST_F(DocumentTest, ValuesAreWrittenAsText) {
  const struct {
    Variant value;
    std::string text;
  } cases[] = {
      {Variant::str("plain"), "plain"},
      {Variant::i2(-32768), "-32768"},
      {Variant::i4(2147483647), "2147483647"},
      {Variant::r8(2.5), "2.5"},
      {Variant::r8(0.1), "0.1"},
      {Variant::r8(-48.33), "-48.33"},
      {Variant::r8(1e21), "1e+21"},
      {Variant::r8(std::numeric_limits<double>::quiet_NaN()), "NaN"},
      {Variant::r8(-std::numeric_limits<double>::infinity()), "-INF"},
      {Variant::boolean(true), "true"},
      {Variant::boolean(false), "false"},
      {Variant::date(45000.5), "2023-03-15T12:00:00"},
      {Variant::date(0), "1899-12-30"},
      {Variant::date(-1.25), "1899-12-29T06:00:00"},
      {Variant(), ""},
      {Variant::null(), ""},
      {Variant::str("\u00e9t\u00e9 \u20ac \U0001F30A"), "\u00e9t\u00e9 \u20ac \U0001F30A"},
  };
  for (const auto& c : cases) {
    load("<metadata><v>old</v></metadata>");
    ASSERT_EQ(values()->WriteValue("v", c.value), S_OK) << show(c.value);
    EXPECT_EQ(read("v"), texts({c.text})) << show(c.value);
    ASSERT_EQ(xml()->WriteAttribute("v", "a", c.value, 2), S_OK) << show(c.value);
    EXPECT_EQ(read_attribute("v", "a"), texts({c.text})) << show(c.value);
  }
}

// Values that cannot become XML text fail before anything changes.
TEST_F(DocumentTest, ValuesThatCannotBeTextAreRefused) {
  const struct {
    Variant value;
    HRESULT code;
    std::string reason;
  } cases[] = {
      {Variant::array(0, {Variant::str("a")}), com::DISP_E_TYPEMISMATCH,
       "cannot be written as text"},
      {Variant::object(ComPtr<IUnknown>(document->identity())), com::DISP_E_TYPEMISMATCH,
       "cannot be written as text"},
      {Variant::str(std::string("a\0b", 3)), E_INVALIDARG, "U+0000"},
      {Variant::str("bell\x07"), E_INVALIDARG, "U+0007"},
      {Variant::str("\xEF\xBF\xBE"), E_INVALIDARG, "U+FFFE"},
      {Variant::str("cut \xC3"), E_INVALIDARG, "not valid UTF-8"},
      {Variant::str("\xC0\xAF"), E_INVALIDARG, "not valid UTF-8"},      // overlong
      {Variant::str("\xED\xA0\x80"), E_INVALIDARG, "not valid UTF-8"},  // surrogate
      {Variant::str("\xF4\x90\x80\x80"), E_INVALIDARG, "not valid UTF-8"},
      {Variant::str("\xFF"), E_INVALIDARG, "not valid UTF-8"},
      {Variant::date(std::numeric_limits<double>::infinity()), E_INVALIDARG, "out of range"},
  };
  load("<metadata><v>old</v></metadata>");
  const std::string before = document->xml();
  for (const auto& c : cases) {
    Outcome out = outcome([&] { return values()->WriteValue("new/v", c.value); });
    EXPECT_EQ(out.hr, c.code) << show(c.value);
    EXPECT_TRUE(starts_with(out.description, "IMetadataValues.WriteValue: ")) << out.description;
    EXPECT_NE(out.description.find(c.reason), std::string::npos) << out.description;
    out = outcome([&] { return xml()->WriteAttribute("new/v", "a", c.value, 1); });
    EXPECT_EQ(out.hr, c.code) << show(c.value);
    EXPECT_TRUE(starts_with(out.description, "IMetadataXml.WriteAttribute: ")) << out.description;
  }
  EXPECT_EQ(document->xml(), before);
  EXPECT_FALSE(document->modified());
}

// ---- Paths and names

TEST_F(DocumentTest, InvalidPathsAreRefusedOnWritingAndReadAsEmpty) {
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {"", "the path is empty"},
      {"/", "has an empty step"},
      {"a//b", "has an empty step"},
      {"/dataIdInfo", "has an empty step"},
      {"dataIdInfo/", "has an empty step"},
      {"a b", "element name \"a b\" is not a valid XML name"},
      {"dataIdInfo/1st", "element name \"1st\" is not a valid XML name"},
      {"v:thumbnail", "element name \"v:thumbnail\" is not a valid XML name"},
      {"-a", "is not a valid XML name"},
      {"a/.b", "is not a valid XML name"},
      {"a/b[0]", "has no position from 1 in brackets"},
      {"a/b[]", "has no position from 1 in brackets"},
      {"a/b[01]", "has no position from 1 in brackets"},
      {"a/b[1", "has no position from 1 in brackets"},
      {"a/b[1]c", "has no position from 1 in brackets"},
      {"a/b[-1]", "has no position from 1 in brackets"},
      {"a/b[99999999999999999999999]", "has no position from 1 in brackets"},
      {"a/[1]", "is not a valid XML name"},
      {"a/@b", "is not a valid XML name"},
      {"a/*", "is not a valid XML name"},
      {std::string("a\0b", 3), "is not a valid XML name"},
      {"caf\xC3", "element name \"caf\\xC3\" is not a valid XML name"},
  };
  load("<metadata><a><b>1</b></a></metadata>");
  const std::string before = document->xml();
  for (const auto& c : cases) {
    Outcome out = outcome([&] { return values()->WriteValue(c.path, Variant::str("x")); });
    EXPECT_EQ(out.hr, E_INVALIDARG) << c.path;
    EXPECT_EQ(out.description.rfind("IMetadataValues.WriteValue: ", 0), 0u) << out.description;
    EXPECT_NE(out.description.find(c.reason), std::string::npos) << out.description;
    out = outcome([&] { return xml()->WriteAttribute(c.path, "value", Variant::str("x"), 2); });
    EXPECT_EQ(out.hr, E_INVALIDARG) << c.path;
    EXPECT_EQ(out.description.rfind("IMetadataXml.WriteAttribute: ", 0), 0u) << out.description;
    EXPECT_TRUE(read(c.path).is_empty()) << c.path;
    EXPECT_TRUE(read_attribute(c.path, "value").is_empty()) << c.path;
  }
  EXPECT_EQ(document->xml(), before);
  EXPECT_FALSE(document->modified());
}

// ---- Repeated elements

TEST_F(DocumentTest, APositionNamesOneOfTheRepeatedElements) {
  load("<metadata><k><w>a</w><w>b</w><x>x</x><w>c</w></k><k><w>d</w></k></metadata>");
  const struct {
    std::string path;
    std::vector<std::string> found;
  } reads[] = {
      {"k/w", {"a", "b", "c", "d"}},
      {"k/w[1]", {"a", "d"}},  // the first of each k
      {"k/w[3]", {"c"}},
      {"k[2]/w", {"d"}},
      {"k[2]/w[2]", {}},
      {"k[3]/w", {}},
      {"k[1]/x[1]", {"x"}},
  };
  for (const auto& r : reads) {
    EXPECT_EQ(show(read(r.path)), r.found.empty() ? "null" : show(texts(r.found))) << r.path;
    std::int32_t count = -1;
    ASSERT_EQ(document->CountElements(r.path, &count), S_OK) << r.path;
    EXPECT_EQ(count, static_cast<std::int32_t>(r.found.size())) << r.path;
  }

  // A write creates the element at the position and those before it.
  write("k[2]/w[3]", "f");
  write("k[1]/w[2]", "B");
  write("n[2]/v", "new");
  EXPECT_EQ(show(read("k[2]/w")), show(texts({"d", "", "f"})));
  EXPECT_EQ(show(read("k/w")), show(texts({"a", "B", "c", "d", "", "f"})));
  EXPECT_EQ(show(read("n")), show(texts({"", ""})));
  EXPECT_EQ(show(read("n[2]/v")), show(texts({"new"})));
}

TEST_F(DocumentTest, ArrangingMovesRemovesAndAddsWholeElements) {
  const auto ints = [](const std::vector<int>& positions) {
    std::vector<Variant> values;
    values.reserve(positions.size());
    for (int p : positions) values.push_back(Variant::i4(p));
    return Variant::array(0, std::move(values));
  };
  const struct {
    std::string name, before, path;
    Variant order;
    std::string after;
  } cases[] = {
      {"reordered", "<k><w>a</w><w>b</w><w>c</w></k>", "k/w", ints({3, 1, 2}),
       "<k><w>c</w><w>a</w><w>b</w></k>"},
      {"one removed", "<k><w>a</w><w>b</w><w>c</w></k>", "k/w", ints({1, 3}),
       "<k><w>a</w><w>c</w></k>"},
      {"added after the last", "<k><w>a</w><x/></k>", "k/w", ints({1, 0, 0}),
       "<k><w>a</w><w/><w/><x/></k>"},
      {"other elements keep their places", "<k><x/><w>a</w><y/><w>b</w><z/></k>", "k/w",
       ints({2, 1, 0}), "<k><x/><w>b</w><y/><w>a</w><w/><z/></k>"},
      {"everything inside travels", "<k><w h=\"1\"><t>a</t><!--c--></w><w>b</w></k>", "k/w",
       ints({2, 1}), "<k><w>b</w><w h=\"1\"><t>a</t><!--c--></w></k>"},
      {"Empty removes them all", "<k><x/><w>a</w><w>b</w></k>", "k/w", Variant(), "<k><x/></k>"},
      {"an empty array too", "<k><w>a</w></k>", "k/w", Variant::array(0, {}), "<k/>"},
      {"the parent is made when elements are", "<a/>", "k/w", ints({0, 0}), "<a/><k><w/><w/></k>"},
      {"the parent's position", "<k><w>a</w></k><k><w>b</w><w>c</w></k>", "k[2]/w", ints({2, 1}),
       "<k><w>a</w></k><k><w>c</w><w>b</w></k>"},
      {"16-bit positions", "<k><w>a</w><w>b</w></k>", "k/w",
       Variant::array(0, {Variant::i2(2), Variant::i2(1)}), "<k><w>b</w><w>a</w></k>"},
  };
  for (const auto& c : cases) {
    load("<metadata>" + c.before + "</metadata>");
    const Outcome out = outcome([&] { return document->ArrangeElements(c.path, c.order); });
    ASSERT_EQ(out.hr, S_OK) << c.name << ": " << out.description;
    const std::string xml = document->xml();
    const auto root = xml.find("<metadata");
    EXPECT_EQ(xml.substr(root, xml.find_last_not_of('\n') + 1 - root),
              "<metadata>" + c.after + "</metadata>")
        << c.name;
    EXPECT_TRUE(document->modified()) << c.name;
  }

  // Nothing there and nothing asked: nothing is made or written.
  load("<metadata><a/></metadata>");
  ASSERT_EQ(document->ArrangeElements("k/w", Variant()), S_OK);
  EXPECT_FALSE(document->modified());
  EXPECT_TRUE(read("k").is_empty());
}

TEST_F(DocumentTest, AnArrangementThatCannotBeMadeChangesNothing) {
  const struct {
    std::string path;
    Variant order;
    HRESULT hr;
    std::string reason;
  } cases[] = {
      {"k/w", Variant::array(0, {Variant::i4(3)}), E_INVALIDARG, "no position 3 of 2"},
      {"k/w", Variant::array(0, {Variant::i4(-1)}), E_INVALIDARG, "not a whole number"},
      {"k/w", Variant::array(0, {Variant::i4(1), Variant::i4(1)}), E_INVALIDARG,
       "names position 1 twice"},
      {"k/w", Variant::array(0, {Variant::str("1")}), E_INVALIDARG, "not a whole number"},
      {"k/w", Variant::str("1"), com::DISP_E_TYPEMISMATCH, "not an array of positions"},
      {"k/w[1]", Variant(), E_INVALIDARG, "names a position"},
      {"k//w", Variant(), E_INVALIDARG, "has an empty step"},
  };
  load("<metadata><k><w>a</w><w>b</w></k></metadata>");
  const std::string before = document->xml();
  for (const auto& c : cases) {
    const Outcome out = outcome([&] { return document->ArrangeElements(c.path, c.order); });
    EXPECT_EQ(out.hr, c.hr) << c.reason;
    EXPECT_EQ(out.description.rfind("IMetadataElements.ArrangeElements: ", 0), 0u)
        << out.description;
    EXPECT_NE(out.description.find(c.reason), std::string::npos) << out.description;
  }
  EXPECT_EQ(document->xml(), before);
  EXPECT_FALSE(document->modified());
}

TEST_F(DocumentTest, ArrangingACopyLeavesTheOriginal) {
  load("<metadata><k><w>a</w><w>b</w></k></metadata>");
  const ComPtr<XmlMetadataDocument> copy = document->copy();
  ASSERT_EQ(copy->ArrangeElements("k/w", Variant::array(0, {Variant::i4(2)})), S_OK);
  Variant found;
  ASSERT_EQ(copy->ReadValues("k/w", &found), S_OK);
  EXPECT_EQ(show(found), show(texts({"b"})));
  EXPECT_EQ(show(read("k/w")), show(texts({"a", "b"})));
}

TEST_F(DocumentTest, NonAsciiNamesAreNames) {
  write("donn\u00e9es/\u00e9t\u00e9_1.x-y", "ok");
  EXPECT_EQ(read("donn\u00e9es/\u00e9t\u00e9_1.x-y"), texts({"ok"}));
  ASSERT_EQ(xml()->WriteAttribute("donn\u00e9es", "cl\u00e9", Variant::str("v"), 2), S_OK);
  EXPECT_EQ(read_attribute("donn\u00e9es", "cl\u00e9"), texts({"v"}));
}

// ---- Attributes

TEST_F(DocumentTest, AttributeModesTagAndSetCreatingTheElement) {
  load("<metadata><dataIdInfo><idPurp>p</idPurp></dataIdInfo></metadata>");
  // Mode 1 tags an element that a WriteValue of the same path just wrote.
  write("dataIdInfo/idPurp", "Charting");
  ASSERT_EQ(
      xml()->WriteAttribute("dataIdInfo/idPurp", "ns", Variant::str(std::string(kNamespace)), 1),
      S_OK);
  // Mode 2 sets the code element's attribute, creating the element.
  ASSERT_EQ(
      xml()->WriteAttribute("dataIdInfo/spatRpType/spatRepTypCd", "value", Variant::str("001"), 2),
      S_OK);
  EXPECT_EQ(document->xml(),
            "<metadata><dataIdInfo><idPurp ns=\"" + std::string(kNamespace) +
                "\">Charting</idPurp><spatRpType><spatRepTypCd value=\"001\"/></spatRpType>"
                "</dataIdInfo></metadata>\n");
  EXPECT_EQ(read_attribute("dataIdInfo/idPurp", "ns"), texts({std::string(kNamespace)}));
  EXPECT_EQ(read_attribute("dataIdInfo/spatRpType/spatRepTypCd", "value"), texts({"001"}));
  EXPECT_EQ(read("dataIdInfo/spatRpType/spatRepTypCd"), texts({""}));
}

TEST_F(DocumentTest, AttributeWritesKeepOtherAttributesAndTheirOrder) {
  load("<metadata><c a=\"1\" value=\"002\" z=\"3\">t<d/></c><c value=\"009\"/></metadata>");
  ASSERT_EQ(xml()->WriteAttribute("c", "value", Variant::str("say \"<&>\""), 2), S_OK);
  EXPECT_EQ(document->xml(),
            "<metadata><c a=\"1\" value=\"say &quot;&lt;&amp;&gt;&quot;\" z=\"3\">t<d/></c>"
            "<c value=\"009\"/></metadata>\n");
  EXPECT_EQ(read_attribute("c", "value"), texts({"say \"<&>\"", "009"}));
}

TEST_F(DocumentTest, ReadingAnAttributeGivesTheElementsThatHaveIt) {
  document->load_file(test::document_data("harbour.xml"));
  EXPECT_EQ(read_attribute("dataIdInfo/idPoC/role/RoleCd", "value"), texts({"007"}));
  EXPECT_EQ(read_attribute("dqInfo/report", "type"), texts({"DQAbsExtPosAcc", "DQTempValid"}));
  EXPECT_EQ(read_attribute("mdDateSt", "Sync"), texts({"TRUE"}));
  EXPECT_TRUE(read_attribute("dataIdInfo/idPurp", "ns").is_empty());
  EXPECT_TRUE(read_attribute("nothing", "value").is_empty());
  // A prefixed attribute is not the unprefixed one.
  EXPECT_TRUE(read_attribute("vendorData", "rev").is_empty());
  EXPECT_TRUE(read_attribute("metadata", "lang").is_empty());
}

TEST_F(DocumentTest, AttributeDefaultsOfAnInternalSubsetAreNotValues) {
  load(
      "<!DOCTYPE metadata [<!ATTLIST idPurp ns CDATA \"urn:default\">]>\n"
      "<metadata><idPurp>x</idPurp></metadata>\n");
  EXPECT_TRUE(read_attribute("idPurp", "ns").is_empty());
}

TEST_F(DocumentTest, InvalidModesAndAttributeNamesAreRefused) {
  load("<metadata><a value=\"1\">t</a></metadata>");
  const std::string before = document->xml();
  for (const std::int32_t mode : {0, 3, -1, 100}) {
    const Outcome out =
        outcome([&] { return xml()->WriteAttribute("a", "value", Variant::str("2"), mode); });
    EXPECT_EQ(out.hr, E_INVALIDARG) << mode;
    EXPECT_EQ(out.description,
              "IMetadataXml.WriteAttribute: mode " + std::to_string(mode) + " is neither 1 nor 2");
  }
  const struct {
    std::string name;
    std::string shown;
  } names[] = {
      {"", ""},
      {"a b", "a b"},
      {"1x", "1x"},
      {"x:y", "x:y"},
      {"xmlns", "xmlns"},  // would turn into a namespace declaration
      {"xmlns:p", "xmlns:p"},
      {"@v", "@v"},
      {std::string("v\0", 2), "v\\x00"},
      {"v\n", "v\\x0A"},
      {"caf\xC3", "caf\\xC3"},
  };
  for (const auto& n : names) {
    const Outcome out =
        outcome([&] { return xml()->WriteAttribute("a", n.name, Variant::str("2"), 2); });
    EXPECT_EQ(out.hr, E_INVALIDARG) << n.shown;
    EXPECT_EQ(out.description, "IMetadataXml.WriteAttribute: attribute name \"" + n.shown +
                                   "\" is not a valid XML name");
    EXPECT_TRUE(read_attribute("a", n.name).is_empty()) << n.shown;
  }
  EXPECT_EQ(document->xml(), before);
  EXPECT_FALSE(document->modified());
}

// ---- Whole-document operations

TEST_F(DocumentTest, LoadXmlTextReplacesTheContent) {
  write("old", "1");
  ASSERT_EQ(xml()->LoadXmlText("<metadata><dataIdInfo><idPurp>p</idPurp></dataIdInfo></metadata>"),
            S_OK);
  EXPECT_TRUE(document->modified());
  EXPECT_TRUE(read("old").is_empty());
  EXPECT_EQ(read("dataIdInfo/idPurp"), texts({"p"}));
}

// Untrusted text: what is malformed or dangerous fails with a message that
// names the line, and the document stays as it was.
TEST_F(DocumentTest, LoadXmlTextRefusesBadInputAndKeepsTheDocument) {
  // 255 levels below the root: 256 in all.
  const std::string deep_ok = [] {
    std::string text;
    for (int i = 0; i < 255; ++i) text += "<d>";
    for (int i = 0; i < 255; ++i) text += "</d>";
    return "<metadata>" + text + "</metadata>";
  }();
  const struct {
    std::string text;
    std::string message;  // after "IMetadataXml.LoadXmlText: XML text "
  } cases[] = {
      {"<metadata>\n<a>\n</b>\n</metadata>",
       "line 3: Opening and ending tag mismatch: a line 2 and b"},
      {"", "Document is empty"},
      {"<!-- nothing -->\n", "Start tag expected, '<' not found"},
      {"<metadata>&undefined;</metadata>", "line 1: Entity 'undefined' not defined"},
      {"<metadata><v:a/></metadata>", "line 1: Namespace prefix v on a is not defined"},
      {"<metadata>\xC3(</metadata>", "line 1: Input is not proper UTF-8"},
      {"<metadata/><extra/>", "line 1: Extra content at the end of the document"},
      {"<!DOCTYPE m [\n<!ENTITY a \"aaaaaaaaaa\">\n<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">\n]>\n"
       "<m>&b;</m>",
       "line 2: the DOCTYPE declares an entity; entity declarations are refused"},
      {"<!DOCTYPE m [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><m>&x;</m>",
       "line 1: the DOCTYPE declares an entity"},
      {"<!DOCTYPE m [<!ENTITY % p SYSTEM \"http://example.invalid/p.dtd\"> %p;]><m/>",
       "line 1: the DOCTYPE declares an entity"},
      {"<!DOCTYPE m [<!NOTATION n SYSTEM \"n\"><!ENTITY u SYSTEM \"u\" NDATA n>]><m/>",
       "line 1: the DOCTYPE declares an entity"},
      {"<metadata>" + deep_ok + "</metadata>",
       "line 1: elements are nested more than 256 levels deep"},
      {std::string("<metadata/>\0<!-- lost -->", 25), "line 1: the document holds a NUL character"},
      {"<!DOCTYPE metadata SYSTEM \"m.dtd\"><metadata><a>A&xxe;B</a></metadata>",
       "line 1: the entity \"xxe\" is not declared"},
      {std::string(xml::kMaxDocumentBytes + 1, ' '), "is larger than 64 MiB"},
  };
  load("<metadata><keep>1</keep></metadata>");
  const std::string before = document->xml();
  for (const auto& c : cases) {
    const Outcome out = outcome([&] { return xml()->LoadXmlText(c.text); });
    EXPECT_EQ(out.hr, E_INVALIDARG) << c.text.substr(0, 80);
    const std::string prefix = "IMetadataXml.LoadXmlText: XML text ";
    EXPECT_TRUE(starts_with(out.description, prefix)) << out.description;
    EXPECT_NE(out.description.find(c.message), std::string::npos) << out.description;
    EXPECT_EQ(document->xml(), before);
  }
  EXPECT_FALSE(document->modified());
  EXPECT_EQ(read("keep"), texts({"1"}));
  // The same nesting one level less deep, and a DOCTYPE without entities, are fine.
  EXPECT_EQ(xml()->LoadXmlText(deep_ok), S_OK);
  EXPECT_EQ(xml()->LoadXmlText("<!DOCTYPE metadata SYSTEM \"http://example.invalid/m.dtd\">"
                               "<metadata><a>1</a></metadata>"),
            S_OK);
  EXPECT_EQ(read("a"), texts({"1"}));
}

// Found by fuzzing: a name beyond ASCII cannot be written in a document in
// ISO-8859-1 (names have no character references), so the saved file could
// not be read again. Text can, and still is.
TEST_F(DocumentTest, NamesTheDocumentsEncodingCannotHoldAreRefused) {
  document->load_text(
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
      "<metadata><dataIdInfo><idPurp>Cartographie</idPurp></dataIdInfo></metadata>\n");
  const std::string before = document->xml();
  const std::string name =
      "dataIdInfo\xD1\x98"
      "dPurp";
  for (const Outcome& out :
       {outcome([&] { return values()->WriteValue(name, Variant::str("changed")); }),
        outcome([&] { return xml()->WriteAttribute("dataIdInfo", name, Variant::str("x"), 1); })}) {
    EXPECT_EQ(out.hr, E_INVALIDARG);
    EXPECT_NE(out.description.find("cannot be written in this document's encoding, ISO-8859-1"),
              std::string::npos)
        << out.description;
  }
  EXPECT_EQ(document->xml(), before);
  ASSERT_EQ(values()->WriteValue("dataIdInfo/idCredit", Variant::str("\xD1\x98 \xC3\xA9")), S_OK);
  document->load_text(document->xml());
  EXPECT_EQ(read("dataIdInfo/idCredit"), texts({"\xD1\x98 \xC3\xA9"}));
}

TEST_F(DocumentTest, UpdateFlagIsSetAndClearedByLoading) {
  EXPECT_EQ(xml()->SetUpdateFlag(com::VARIANT_TRUE), S_OK);
  EXPECT_TRUE(document->update_flag());
  EXPECT_FALSE(document->modified());
  document->load_text("<metadata/>");
  EXPECT_FALSE(document->update_flag());
}

// ---- Transformation to a file

TEST_F(DocumentTest, TransformToFileWritesTheTransformedDocument) {
  document->load_file(test::document_data("harbour.xml"));
  const std::string before = document->xml();
  const fs::path destination = folder / "summary.xml";
  ASSERT_EQ(xml()->TransformToFile(test::document_data("summary.xslt").string(), "",
                                   com::VARIANT_FALSE, destination.string()),
            S_OK);
  EXPECT_EQ(
      test::read_file(destination),
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<summary><title>Harbour bathymetry 2023</title><purpose>Nautical charting</purpose>"
      "<keyword>bathymetry</keyword><keyword>tide &amp; current</keyword>"
      "<keyword>fond marin \u2013 c\u00f4te</keyword>"
      "<contact role=\"pointOfContact\">A. Marsh</contact><contact role=\"\">B. Reed</contact>"
      "</summary>");
  // The stylesheet strips whitespace from its input; the document keeps it.
  EXPECT_EQ(document->xml(), before);
  EXPECT_FALSE(document->modified());
}

TEST_F(DocumentTest, FailingTransformLeavesAnOldDestinationIntact) {
  const fs::path destination = folder / "out.xml";
  test::write_file(destination, "old export");
  test::write_file(folder / "stop.xslt",
                   "<xsl:stylesheet version=\"1.0\" "
                   "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\n"
                   "<xsl:template match=\"/\"><out><xsl:message terminate=\"yes\">no scope "
                   "level</xsl:message></out></xsl:template>\n"
                   "</xsl:stylesheet>\n");
  test::write_file(folder / "broken.xslt", "<xsl:stylesheet>\n</xsl:styleshet>\n");
  test::write_file(folder / "plain.xslt", "<not-a-stylesheet/>\n");
  const struct {
    std::string stylesheet;
    HRESULT code;
    std::string message;  // after "IMetadataXml.TransformToFile: "
  } cases[] = {
      {(folder / "stop.xslt").string(), com::E_FAIL,
       "stylesheet \"" + (folder / "stop.xslt").string() + "\": the transformation failed: "},
      {(folder / "missing.xslt").string(), com::E_FAIL,
       "cannot read \"" + (folder / "missing.xslt").string() + "\": No such file or directory"},
      {(folder / "broken.xslt").string(), E_INVALIDARG,
       "\"" + (folder / "broken.xslt").string() + "\" line 2: "},
      {(folder / "plain.xslt").string(), E_INVALIDARG,
       "stylesheet \"" + (folder / "plain.xslt").string() + "\" cannot be used"},
  };
  for (const auto& c : cases) {
    const Outcome out = outcome([&] {
      return xml()->TransformToFile(c.stylesheet, "", com::VARIANT_FALSE, destination.string());
    });
    EXPECT_EQ(out.hr, c.code) << c.stylesheet;
    EXPECT_TRUE(starts_with(out.description, "IMetadataXml.TransformToFile: " + c.message))
        << out.description;
    EXPECT_EQ(test::read_file(destination), "old export");
  }
  const Outcome stop = outcome([&] {
    return xml()->TransformToFile((folder / "stop.xslt").string(), "", com::VARIANT_FALSE,
                                  destination.string());
  });
  EXPECT_NE(stop.description.find("no scope level"), std::string::npos) << stop.description;
  // A destination that cannot be written, and none at all.
  EXPECT_EQ(xml()->TransformToFile(test::document_data("summary.xslt").string(), "",
                                   com::VARIANT_FALSE, (folder / "no/such/dir.xml").string()),
            com::E_FAIL);
  EXPECT_EQ(xml()->TransformToFile(test::document_data("summary.xslt").string(), "",
                                   com::VARIANT_FALSE, ""),
            E_INVALIDARG);
  // Nothing half-written is left behind.
  EXPECT_EQ(test::names_in(folder.path()),
            (std::vector<std::string>{"broken.xslt", "out.xml", "plain.xslt", "stop.xslt"}));
}

// ---- Trace

TEST_F(DocumentTest, EveryMemberRecordsItsArguments) {
  Variant out;
  values()->ReadValues("a/b", &out);
  values()->WriteValue("a/b", Variant::str("t"));
  values()->WriteValue("a/n", Variant::i2(7));
  values()->WriteValue("a//bad", Variant::str("t"));  // failures are recorded too
  xml()->WriteAttribute("a/b", "ns", Variant::str("u"), 1);
  xml()->ReadAttribute("a/b", "ns", &out);
  xml()->SetUpdateFlag(com::VARIANT_TRUE);
  xml()->LoadXmlText("<metadata/>");
  xml()->TransformToFile("s.xslt", "", com::VARIANT_FALSE, (folder / "d.xml").string());
  std::int32_t count = 0;
  document->CountElements("a/b", &count);
  document->ArrangeElements("a/b", Variant::array(0, {Variant::i4(1), Variant::i4(0)}));
  const std::vector<json> expected = {
      {{"call", "IMetadataValues.ReadValues"}, {"args", {"a/b"}}},
      {{"call", "IMetadataValues.WriteValue"}, {"args", {"a/b", "t"}}},
      {{"call", "IMetadataValues.WriteValue"}, {"args", {"a/n", 7}}},
      {{"call", "IMetadataValues.WriteValue"}, {"args", {"a//bad", "t"}}},
      {{"call", "IMetadataXml.WriteAttribute"}, {"args", {"a/b", "ns", "u", 1}}},
      {{"call", "IMetadataXml.ReadAttribute"}, {"args", {"a/b", "ns"}}},
      {{"call", "IMetadataXml.SetUpdateFlag"}, {"args", {true}}},
      {{"call", "IMetadataXml.LoadXmlText"}, {"args", {"<metadata/>"}}},
      {{"call", "IMetadataXml.TransformToFile"},
       {"args", {"s.xslt", "", false, (folder / "d.xml").string()}}},
      {{"call", "IMetadataElements.CountElements"}, {"args", {"a/b"}}},
      {{"call", "IMetadataElements.ArrangeElements"}, {"args", {"a/b", {1, 0}}}},
  };
  ASSERT_EQ(traced.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(traced[i], expected[i]) << i;
}

TEST_F(DocumentTest, ErrorInformationIsTakenOnce) {
  EXPECT_EQ(values()->WriteValue("", Variant::str("x")), E_INVALIDARG);
  const auto first = com::GetErrorInfo();
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->source, "IMetadataValues.WriteValue");
  EXPECT_EQ(first->description, "IMetadataValues.WriteValue: the path is empty");
  EXPECT_FALSE(com::GetErrorInfo().has_value());
  // A call that succeeds leaves none.
  EXPECT_EQ(values()->WriteValue("a", Variant::str("x")), S_OK);
  EXPECT_FALSE(com::GetErrorInfo().has_value());
}

}  // namespace
}  // namespace tw::host
