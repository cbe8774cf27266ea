// The layout an item is saved with: one element a line, and no value touched.

#include "tidewise/host/layout.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/files.h"
#include "tidewise/host/document.h"
#include "tidewise/host/item.h"
#include "tidewise/host/session.h"
#include "tidewise/xml/xml.h"

namespace tw::host {
namespace {

std::string laid_out(const std::string& source) {
  const xml::DocPtr doc = xml::parse_text(source);
  lay_out(*doc);
  EXPECT_TRUE(is_laid_out(*doc)) << source;
  return xml::serialize(*doc);
}

TEST(Layout, PutsOneElementALineAndLeavesTextAlone) {
  const struct {
    const char* what;
    std::string source;
    std::string expected;
  } cases[] = {
      {"one line", "<metadata><a><b>1</b><c/></a><d>x</d></metadata>",
       "<metadata>\n  <a>\n    <b>1</b>\n    <c/>\n  </a>\n  <d>x</d>\n</metadata>\n"},
      {"a laid out file stays as it is, blank lines too",
       "<metadata>\n  <a>1</a>\n\n  <b>\n    <c/>\n  </b>\n</metadata>",
       "<metadata>\n  <a>1</a>\n\n  <b>\n    <c/>\n  </b>\n</metadata>\n"},
      {"an element added after the last line break",
       "<metadata>\n  <a>1</a>\n<b><c>2</c></b></metadata>",
       "<metadata>\n  <a>1</a>\n  <b>\n    <c>2</c>\n  </b>\n</metadata>\n"},
      {"texts keep their spaces and both forms of empty elements",
       "<metadata><a> </a><b></b><c/><d>\n x \n</d></metadata>",
       "<metadata>\n  <a> </a>\n  <b></b>\n  <c/>\n  <d>\n x \n</d>\n</metadata>\n"},
      {"mixed content is not entered", "<metadata><p>Hello <b><i>x</i></b> world</p></metadata>",
       "<metadata>\n  <p>Hello <b><i>x</i></b> world</p>\n</metadata>\n"},
      {"CDATA beside elements is text", "<metadata><a><![CDATA[ ]]><b/></a></metadata>",
       "<metadata>\n  <a><![CDATA[ ]]><b/></a>\n</metadata>\n"},
      {"comments and processing instructions take lines of their own",
       "<metadata><!-- note --><?pi x?><a/></metadata>",
       "<metadata>\n  <!-- note -->\n  <?pi x?>\n  <a/>\n</metadata>\n"},
      {"xml:space preserve, and default below it",
       "<metadata><a xml:space=\"preserve\"><b/> <c><d/></c></a>"
       "<e xml:space=\"preserve\"><f xml:space=\"default\"><g/></f></e></metadata>",
       "<metadata>\n  <a xml:space=\"preserve\"><b/> <c><d/></c></a>\n"
       "  <e xml:space=\"preserve\"><f xml:space=\"default\">\n      <g/>\n    </f></e>\n"
       "</metadata>\n"},
      {"a root without elements", "<metadata>text</metadata>", "<metadata>text</metadata>\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(laid_out(c.source), c.expected) << c.what;
    // Twice is once.
    EXPECT_EQ(laid_out(c.expected), c.expected) << c.what;
  }
}

// A chain of 40 levels: laid out to the 32nd level, as it was below, so that
// deep chains do not grow many times over.
TEST(Layout, StopsAtDepthThirtyTwo) {
  std::string open, close;
  for (int level = 0; level < 40; ++level) {
    open += "<l" + std::to_string(level) + ">";
    close = "</l" + std::to_string(level) + ">" + close;
  }
  const std::string out = laid_out("<metadata>" + open + "x" + close + "</metadata>");
  const std::string at_31 = "\n" + std::string(64, ' ') + "<l31><l32><l33>";
  EXPECT_NE(out.find(at_31), std::string::npos) << out;
  EXPECT_NE(out.find("<l39>x</l39></l38>"), std::string::npos) << out;
  EXPECT_EQ(out.find(std::string(66, ' ')), std::string::npos) << out;
}

// Every value a path reads, and every value the review compares, is the same
// before and after, on files written by hand and by the importer.
TEST(Layout, ChangesNoValueOfRealisticItems) {
  const std::filesystem::path source(TIDEWISE_SOURCE_DIR);
  for (const auto& file :
       {test::document_data("harbour.xml"), source / "examples/coastal-dataset.xml",
        source / "examples/kestrel-bay-bathymetry.xml",
        source / "tests/data/stylesheets/full-item.xml"}) {
    SCOPED_TRACE(file.string());
    auto document = com::make_object<XmlMetadataDocument>();
    document->load_file(file);
    const std::string before = document->xml();
    const auto copy = document->copy();
    document->lay_out();
    const std::string after = document->xml();
    EXPECT_FALSE(document->modified());
    EXPECT_TRUE(differences(before, after).empty());
    // Reads of every element, through the document's own interface.
    const xml::DocPtr parsed = xml::parse_text(before);
    std::function<void(const xmlNode*, const std::string&)> each = [&](const xmlNode* element,
                                                                       const std::string& path) {
      for (const xmlNode* child = element->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE || child->ns != nullptr) continue;
        const std::string child_path =
            (path.empty() ? "" : path + "/") + reinterpret_cast<const char*>(child->name);
        Variant a, b;
        ASSERT_EQ(copy->ReadValues(child_path, &a), com::S_OK);
        ASSERT_EQ(document->ReadValues(child_path, &b), com::S_OK);
        EXPECT_EQ(a, b) << child_path;
        each(child, child_path);
      }
    };
    each(xmlDocGetRootElement(parsed.get()), "");
    // The copy shared the content and keeps its own layout.
    EXPECT_EQ(copy->xml(), before);
  }
}

TEST(Layout, AnItemIsSavedLaidOut) {
  test::TempHome home;
  const auto file = home / "item.xml";
  test::write_file(file, "<metadata><dataIdInfo><idPurp>x</idPurp></dataIdInfo></metadata>");
  const auto item = CatalogItem::open(file);
  auto values = com::ComPtr<IMetadataValues>(item->document());
  ASSERT_EQ(values->WriteValue("dataIdInfo/idStatus", Variant::str("onGoing")), com::S_OK);
  item->save();
  EXPECT_EQ(test::read_file(file),
            "<metadata>\n  <dataIdInfo>\n    <idPurp>x</idPurp>\n"
            "    <idStatus>onGoing</idStatus>\n  </dataIdInfo>\n</metadata>\n");
  // What is in memory is what is on disk: the next save finds the file as
  // it left it.
  ASSERT_EQ(values->WriteValue("dataIdInfo/idPurp", Variant::str("y")), com::S_OK);
  EXPECT_NO_THROW(item->save());
}

// The layout is not looked for again after a change that cannot undo it; a
// change that can (or that takes back one that made it) is laid out again.
TEST(Layout, EveryChangeAfterALayoutIsSavedLaidOutToo) {
  const std::string source =
      "<metadata><dataIdInfo><idPurp>x</idPurp><idAbs>a<b/>c</idAbs></dataIdInfo>"
      "<dqInfo><dqScope/><dqScope/></dqInfo></metadata>";
  const struct {
    const char* what;
    std::function<void(XmlMetadataDocument&)> change;
  } cases[] = {
      {"a leaf's text",
       [](XmlMetadataDocument& d) {
         EXPECT_EQ(d.WriteValue("dataIdInfo/idPurp", Variant::str("y")), com::S_OK);
       }},
      {"an attribute",
       [](XmlMetadataDocument& d) {
         EXPECT_EQ(d.WriteAttribute("dataIdInfo", "x", Variant::str("1"), 1), com::S_OK);
       }},
      {"a new element",
       [](XmlMetadataDocument& d) {
         EXPECT_EQ(d.WriteValue("dataIdInfo/idStatus", Variant::str("onGoing")), com::S_OK);
       }},
      {"the text of an element with elements inside",
       [](XmlMetadataDocument& d) {
         EXPECT_EQ(d.WriteValue("dataIdInfo", Variant::str("")), com::S_OK);
         EXPECT_EQ(d.WriteValue("dataIdInfo/idAbs", Variant::str("")), com::S_OK);
       }},
      {"elements arranged",
       [](XmlMetadataDocument& d) {
         std::vector<Variant> order{Variant::i4(2), Variant::i4(1)};
         EXPECT_EQ(d.ArrangeElements("dqInfo/dqScope", Variant::array(0, std::move(order))),
                   com::S_OK);
       }},
      {"a layout taken back with its record",
       [](XmlMetadataDocument& d) {
         d.load_text("<metadata><dataIdInfo><idPurp>x</idPurp></dataIdInfo></metadata>");
         d.start_undo();
         d.lay_out();
         d.take_back_changes();
       }},
      {"the content of another document",
       [](XmlMetadataDocument& d) {
         auto other = com::make_object<XmlMetadataDocument>();
         other->load_text("<metadata><a><b>1</b></a></metadata>");
         d.take_content(*other.get());
       }},
  };
  for (const auto& c : cases) {
    auto document = com::make_object<XmlMetadataDocument>();
    document->load_text(source);
    document->lay_out();
    c.change(*document.get());
    document->lay_out();
    EXPECT_TRUE(is_laid_out(document->doc())) << c.what << ":\n" << document->xml();
  }
}

}  // namespace
}  // namespace tw::host
