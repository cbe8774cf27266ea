// The platform's XML services on their own: what a stylesheet may not do,
// how what it reads is parsed, and how errors are reported rather than
// printed.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <libxml/xmlerror.h>
#include <unistd.h>

#include <string>

#include "support/files.h"
#include "tidewise/com/error.h"
#include "tidewise/xml/xml.h"

namespace tw::xml {
namespace {

namespace fs = std::filesystem;

const std::string kStylesheetStart =
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" "
    "xmlns:exsl=\"http://exslt.org/common\" extension-element-prefixes=\"exsl\">\n";
const std::string kStylesheetEnd = "</xsl:stylesheet>\n";

// The code and message of what `body` throws.
template <class Body>
std::pair<com::HRESULT, std::string> failure(Body&& body) {
  try {
    body();
  } catch (const com::Error& e) {
    return {e.code(), e.what()};
  }
  return {com::S_OK, "no error"};
}

class XmlServicesTest : public ::testing::Test {
 protected:
  // A stylesheet file made of `templates`, and what it makes of `source`.
  std::string run(const std::string& templates, std::string_view source = "<metadata/>") {
    const fs::path sheet = folder / "sheet.xslt";
    test::write_file(sheet, kStylesheetStart + templates + kStylesheetEnd);
    return transform(*load_stylesheet(sheet), *parse_text(source));
  }

  test::TempHome folder;
};

TEST_F(XmlServicesTest, StylesheetsMayNotWriteFilesOrUseTheNetwork) {
  const fs::path written = folder / "written.xml";
  const struct {
    std::string templates;
    std::string message;
  } cases[] = {
      {"<xsl:template match=\"/\"><exsl:document href=\"" + written.string() +
           "\"><x/></exsl:document></xsl:template>",
       "the stylesheet may not write the file \"" + written.string() + "\""},
      {"<xsl:template match=\"/\"><exsl:document href=\"" + (folder / "new/dir/x.xml").string() +
           "\"><x/></exsl:document></xsl:template>",
       "the stylesheet may not write the file"},
      {"<xsl:template match=\"/\"><xsl:copy-of "
       "select=\"document('http://example.invalid/codes.xml')\"/></xsl:template>",
       "the stylesheet may not read over the network from \"http://example.invalid/codes.xml\""},
      {"<xsl:template match=\"/\"><xsl:copy-of "
       "select=\"document('ftp://example.invalid/codes.xml')\"/></xsl:template>",
       "the stylesheet may not read over the network from"},
  };
  for (const auto& c : cases) {
    const auto [code, message] = failure([&] { run(c.templates); });
    EXPECT_EQ(code, com::E_ACCESSDENIED) << c.templates;
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
  }
  EXPECT_FALSE(fs::exists(written));
  EXPECT_FALSE(fs::exists(folder / "new"));
}

TEST_F(XmlServicesTest, DocumentsAStylesheetReadsAreParsedUnderTheSameRules) {
  test::write_file(folder / "codes.xml", "<codes><code>a</code><code>b</code></codes>");
  test::write_file(folder / "entities.xml",
                   "<!DOCTYPE codes [<!ENTITY x SYSTEM \"/etc/hostname\">]><codes>&x;</codes>");
  test::write_file(folder / "broken.xml", "<codes>\n<code></codes>");
  // A local file, relative to the stylesheet, is read.
  EXPECT_EQ(run("<xsl:output method=\"text\"/><xsl:template match=\"/\"><xsl:for-each "
                "select=\"document('codes.xml')/codes/code\"><xsl:value-of "
                "select=\".\"/>;</xsl:for-each></xsl:template>"),
            "a;b;");
  const struct {
    std::string file;
    std::string message;
  } cases[] = {
      {"entities.xml", "the DOCTYPE declares an entity"},
      {"broken.xml", "line 2: Opening and ending tag mismatch"},
      {"missing.xml", "No such file or directory"},
  };
  for (const auto& c : cases) {
    const auto [code, message] = failure([&] {
      run("<xsl:template match=\"/\"><xsl:copy-of select=\"document('" + c.file +
          "')\"/></xsl:template>");
    });
    EXPECT_EQ(code, com::E_FAIL) << c.file;
    EXPECT_NE(message.find("\"" + (folder / c.file).string() + "\""), std::string::npos) << message;
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
  }
}

TEST_F(XmlServicesTest, ImportsAreLocalAndParsedUnderTheSameRules) {
  // In a folder whose name needs escaping in a URI.
  const fs::path lib = folder / "style sheets";
  fs::create_directory(lib);
  test::write_file(
      lib / "common.xslt",
      kStylesheetStart + "<xsl:template name=\"hello\">hello</xsl:template>" + kStylesheetEnd);
  test::write_file(lib / "main.xslt", kStylesheetStart +
                                          "<xsl:import href=\"common.xslt\"/>"
                                          "<xsl:output method=\"text\"/>"
                                          "<xsl:template match=\"/\"><xsl:call-template "
                                          "name=\"hello\"/></xsl:template>" +
                                          kStylesheetEnd);
  EXPECT_EQ(transform(*load_stylesheet(lib / "main.xslt"), *parse_text("<m/>")), "hello");
  test::write_file(lib / "stop.xslt", kStylesheetStart +
                                          "<xsl:template match=\"/\"><xsl:message "
                                          "terminate=\"yes\">stop</xsl:message></xsl:template>" +
                                          kStylesheetEnd);
  const auto [stop_code, stop_message] =
      failure([&] { transform(*load_stylesheet(lib / "stop.xslt"), *parse_text("<m/>")); });
  EXPECT_EQ(stop_code, com::E_FAIL);
  EXPECT_EQ(stop_message,
            "stylesheet \"" + (lib / "stop.xslt").string() + "\": the transformation failed: stop");

  test::write_file(lib / "entities.xslt", "<!DOCTYPE xsl:stylesheet [<!ENTITY e \"e\">]>\n" +
                                              kStylesheetStart + kStylesheetEnd);
  const struct {
    std::string import;
    std::string message;
  } cases[] = {
      {"http://example.invalid/common.xslt", "example.invalid/common.xslt"},
      {"entities.xslt", "the DOCTYPE declares an entity"},
      {"absent.xslt", "No such file or directory"},
  };
  for (const auto& c : cases) {
    test::write_file(lib / "bad.xslt", kStylesheetStart + "<xsl:include href=\"" + c.import +
                                           "\"/>" + kStylesheetEnd);
    const auto [code, message] = failure([&] { load_stylesheet(lib / "bad.xslt"); });
    EXPECT_EQ(code, com::E_INVALIDARG) << c.import;
    EXPECT_NE(message.find("stylesheet \"" + (lib / "bad.xslt").string() + "\" cannot be used"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
  }
}

TEST_F(XmlServicesTest, ParseErrorsNameTheSourceAndLine) {
  test::write_file(folder / "items.xml", "<items>\n<a>\n</b>\n</items>\n");
  auto [code, message] = failure([&] { parse_file(folder / "items.xml"); });
  EXPECT_EQ(code, com::E_INVALIDARG);
  EXPECT_EQ(message, "\"" + (folder / "items.xml").string() +
                         "\" line 3: Opening and ending tag mismatch: a line 2 and b");

  std::tie(code, message) = failure([&] { parse_text("<items>\n\n<a x='1' x='2'/></items>"); });
  EXPECT_EQ(code, com::E_INVALIDARG);
  EXPECT_EQ(message, "XML text line 3: Attribute x redefined");

  std::tie(code, message) = failure([&] { parse_file(folder / "none.xml"); });
  EXPECT_EQ(code, com::E_FAIL);
  EXPECT_EQ(message,
            "cannot read \"" + (folder / "none.xml").string() + "\": No such file or directory");
}

// What libxml2 2.9 lets through, or takes minutes over, is refused with a
// reason and a line, from a text and from a file alike.
TEST_F(XmlServicesTest, HostileInputIsRefusedWithItsReason) {
  const auto element_with = [](int attributes, std::string_view attribute = "a") {
    std::string tag = "<m>\n<e";
    for (int i = 0; i < attributes; ++i) {
      tag += " " + std::string(attribute) + std::to_string(i) + "='1'";
    }
    return tag + "/></m>";
  };
  std::string utf16_nul = "\xFF\xFE";
  for (const char ch : std::string("<m>a</m>\n")) {
    utf16_nul += ch;
    utf16_nul += '\0';
  }
  utf16_nul += std::string("\0\0<\0", 4);
  // UTF-32 in either byte order, with a byte order mark or without.
  const auto utf32 = [](std::string_view mark, bool big_endian) {
    std::string text(mark);
    for (const char ch : std::string_view("<m>a</m>")) {
      const std::string zeros(3, '\0');
      text += big_endian ? zeros + ch : ch + zeros;
    }
    return text;
  };
  const struct {
    std::string source;
    std::string message;  // empty: accepted
  } cases[] = {
      // A NUL after the root element used to end the input without a word.
      {std::string("<m><a>x</a></m>\0<!-- lost -->", 29),
       "line 1: the document holds a NUL character"},
      {std::string("<m/>\n\0", 6), "line 2: the document holds a NUL character"},
      {std::string("<m>\n<a>x\0y</a></m>", 18), "line 2: the document holds a NUL character"},
      {std::string("<m a='\0'/>", 10), "line 1: the document holds a NUL character"},
      {utf16_nul, "line 2: the document holds a NUL character"},
      // Read as NUL characters or broken input, UTF-32 is named as what it is.
      {utf32(std::string_view("\xFF\xFE\0\0", 4), false), "line 1: the document is in UTF-32"},
      {utf32(std::string_view("\0\0\xFE\xFF", 4), true), "line 1: the document is in UTF-32"},
      {utf32({}, false), "line 1: the document is in UTF-32"},
      {utf32({}, true), ""},
      // A text is read as a file of it is: 16 MB of nested start and end
      // tags, which libxml2 refused as text alone ("Huge input lookup").
      {[] {
         std::string open, close;
         for (int level = 0; level < 200; ++level) {
           const std::string name = std::string(40'000, 'n') + std::to_string(level);
           open += "<" + name + ">";
           close = "</" + name + ">" + close;
         }
         return open + close;
       }(),
       ""},
      // libxml2 looks at no more than 10,000,000 bytes at once.
      {"<m>\n<e a='" + std::string(5'000'000, 'x') + "' b='" + std::string(5'500'000, 'x') +
           "'/></m>",
       "line 2: a tag is longer than 10,000,000 bytes"},
      // Attributes: a bound that keeps the duplicate check of libxml2 from
      // growing with the square of their number.
      {element_with(256), ""},
      {element_with(257), "line 2: an element has more than 256 attributes"},
      {element_with(5000), "line 2: an element has more than 256 attributes"},
      {element_with(300, "xmlns:p"), "line 2: more than 256 namespaces are declared"},
      // An undeclared entity under an external DTD that is never loaded.
      {"<!DOCTYPE m SYSTEM \"m.dtd\">\n<m>A&xxe;B</m>",
       "line 2: the entity \"xxe\" is not declared; references to entities are refused"},
      {"<!DOCTYPE m SYSTEM \"m.dtd\">\n<m a=\"A&xxe;B\"/>",
       "line 2: the entity \"xxe\" is not declared"},
      {"<!DOCTYPE m SYSTEM \"m.dtd\">\n<m>A&amp;&#66;</m>", ""},
      // libxml2's own bound on one text, named as such.
      {"<m>\n" + std::string(10'000'001, 'x') + "</m>",
       "line 2: a text is longer than 10,000,000 bytes"},
      {"<m>\n" + std::string(9'999'000, 'x') + "</m>", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message.empty() ? c.source.substr(0, 60) : c.message);
    const fs::path file = folder / "source.xml";
    test::write_file(file, c.source);
    const auto from_text = failure([&] { parse_text(c.source); });
    const auto from_file = failure([&] { parse_file(file); });
    if (c.message.empty()) {
      EXPECT_EQ(from_text.first, com::S_OK) << from_text.second;
      EXPECT_EQ(from_file.first, com::S_OK) << from_file.second;
      continue;
    }
    EXPECT_EQ(from_text.first, com::E_INVALIDARG);
    EXPECT_EQ(from_text.second.rfind("XML text " + c.message, 0), 0u) << from_text.second;
    EXPECT_EQ(from_file.first, com::E_INVALIDARG);
    EXPECT_EQ(from_file.second.rfind("\"" + file.string() + "\" " + c.message, 0), 0u)
        << from_file.second;
  }
}

// A file over the size cap is refused before it is read: a sparse file of
// 65 MiB costs nothing to make and would cost its size to read.
TEST_F(XmlServicesTest, AFileOverTheCapIsRefusedUnread) {
  const fs::path file = folder / "huge.xml";
  test::write_file(file, "<m/>");
  fs::resize_file(file, kMaxDocumentBytes + 1);
  const auto [code, message] = failure([&] { parse_file(file); });
  EXPECT_EQ(code, com::E_INVALIDARG);
  EXPECT_EQ(message, "\"" + file.string() + "\" is larger than 64 MiB");
}

// Nothing reaches standard error, and the handlers in place before are
// restored afterwards.
TEST_F(XmlServicesTest, ErrorsAreCollectedNotPrinted) {
  static int foreign_calls = 0;
  const xmlStructuredErrorFunc foreign = [](void*, xmlErrorPtr) { ++foreign_calls; };
  xmlSetStructuredErrorFunc(nullptr, foreign);

  const fs::path captured = folder / "stderr.txt";
  const int saved = ::dup(STDERR_FILENO);
  const int file = ::open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(file, 0);
  ::dup2(file, STDERR_FILENO);
  ::close(file);
  const auto parse_failure = failure([] { parse_text("<a><b></a>"); });
  const auto encoding_failure =
      failure([] { parse_text("<?xml version='1.0' encoding='nope'?><a/>"); });
  const auto transform_failure = failure([&] {
    run("<xsl:template match=\"/\"><xsl:message>note</xsl:message><xsl:value-of "
        "select=\"$undefined\"/></xsl:template>");
  });
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);

  EXPECT_EQ(test::read_file(captured), "");
  EXPECT_EQ(parse_failure.first, com::E_INVALIDARG);
  EXPECT_EQ(encoding_failure.first, com::E_INVALIDARG);
  EXPECT_NE(transform_failure.first, com::S_OK);
  EXPECT_NE(transform_failure.second.find("undefined"), std::string::npos)
      << transform_failure.second;
  EXPECT_EQ(xmlStructuredError, foreign);
  EXPECT_EQ(foreign_calls, 0);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
}

TEST_F(XmlServicesTest, SerializationKeepsWhatTheSourceWrote) {
  const struct {
    std::string source;
    std::string expected;
  } cases[] = {
      {"<m><a></a><b/><c> </c><!--x--><?p q?><![CDATA[<&>]]></m>\n",
       "<m><a></a><b/><c> </c><!--x--><?p q?><![CDATA[<&>]]></m>\n"},
      {"<?xml version=\"1.0\"?>\n<m>\u00e9</m>\n", "<?xml version=\"1.0\"?>\n<m>\u00e9</m>\n"},
      {"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<m>\u00e9</m>\n",
       "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<m>\u00e9</m>\n"},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<m/>\n",
       "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<m/>\n"},
      {"<m xmlns=\"urn:a\" xmlns:b=\"urn:b\"><b:x b:y=\"1\"/></m>\n",
       "<m xmlns=\"urn:a\" xmlns:b=\"urn:b\"><b:x b:y=\"1\"/></m>\n"},
      // What the parser cannot tell apart comes back in one form.
      {"<m a='1'>&#233;&gt;></m>", "<m a=\"1\">\u00e9&gt;&gt;</m>\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(serialize(*parse_text(c.source)), c.expected) << c.source;
  // A file in an encoding that is not ASCII-based.
  std::string utf16 = "\xFF\xFE";
  for (const char ch : std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<m>\xE9</m>\n")) {
    utf16 += ch;
    utf16 += '\0';
  }
  EXPECT_EQ(serialize(*parse_text(utf16)), utf16);
  EXPECT_EQ(serialize(*new_document("metadata")),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<metadata/>\n");
}

TEST_F(XmlServicesTest, NamesWithoutPrefix) {
  for (const std::string_view name :
       {"a", "_a", "a1", "a.b-c_d", "dataIdInfo", "\u00e9t\u00e9", "\u4e2d\u6587", "xmlns"}) {
    EXPECT_TRUE(is_ncname(name)) << name;
  }
  using namespace std::string_view_literals;
  for (const std::string_view name :
       {""sv, "1a"sv, "-a"sv, ".a"sv, "a b"sv, "a:b"sv, ":a"sv, "a/b"sv, "a&b"sv, "\xC3"sv,
        "a\xC3("sv, "a\0b"sv, "\u00b7a"sv}) {
    EXPECT_FALSE(is_ncname(name)) << name;
  }
}

}  // namespace
}  // namespace tw::xml

namespace tw::xml {
namespace {

// Only a stylesheet that strips whitespace works on a copy; whether it strips
// itself or through an import, the document given stays as it was.
TEST_F(XmlServicesTest, TransformingLeavesTheDocumentAsItWas) {
  test::write_file(folder / "strip.xslt",
                   kStylesheetStart + "<xsl:strip-space elements=\"*\"/>" + kStylesheetEnd);
  const std::string copy_text =
      "<xsl:output method=\"xml\" omit-xml-declaration=\"yes\"/>"
      "<xsl:template match=\"/\"><xsl:copy-of select=\".\"/></xsl:template>";
  const std::string source =
      "<survey>\n  <site>Kestrel Bay</site>\n  <site>Harbour</site>\n</survey>";
  const struct {
    const char* what;
    std::string body;
    std::string output;
  } cases[] = {
      {"keeps whitespace", copy_text, source},
      {"strips", "<xsl:strip-space elements=\"*\"/>" + copy_text,
       "<survey><site>Kestrel Bay</site><site>Harbour</site></survey>"},
      {"strips through an import", "<xsl:import href=\"strip.xslt\"/>" + copy_text,
       "<survey><site>Kestrel Bay</site><site>Harbour</site></survey>"},
  };
  for (const auto& c : cases) {
    const fs::path sheet = folder / "sheet.xslt";
    test::write_file(sheet, kStylesheetStart + c.body + kStylesheetEnd);
    const DocPtr doc = parse_text(source);
    const std::string before = serialize(*doc);
    EXPECT_EQ(transform(*load_stylesheet(sheet), *doc), c.output + "\n") << c.what;
    EXPECT_EQ(serialize(*doc), before) << c.what;
    EXPECT_EQ(transform(*load_stylesheet(sheet), *doc), c.output + "\n") << c.what << ", again";
  }
}

// A parameter's value reaches the stylesheet as the string itself, never read
// as an expression (quotes, an XPath or nothing at all); one not given keeps
// the stylesheet's default.
TEST_F(XmlServicesTest, StylesheetParametersAreStrings) {
  const fs::path sheet = folder / "params.xslt";
  test::write_file(sheet, kStylesheetStart +
                              "<xsl:output method=\"text\"/><xsl:param name=\"format\" "
                              "select=\"'iso19139'\"/><xsl:param name=\"other\"/>"
                              "<xsl:template match=\"/\"><xsl:value-of select=\"concat($format, "
                              "'|', $other)\"/></xsl:template>" +
                              kStylesheetEnd);
  const DocPtr doc = parse_text("<m/>");
  const struct {
    StylesheetParameters parameters;
    std::string output;
  } cases[] = {
      {{}, "iso19139|"},
      {{{"format", "iso19115-3"}}, "iso19115-3|"},
      {{{"format", "it's \"quoted\""}, {"other", "count(//*)"}}, "it's \"quoted\"|count(//*)"},
      {{{"format", ""}}, "|"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(transform(*load_stylesheet(sheet), *doc, c.parameters), c.output);
    std::string streamed;
    transform(
        *load_stylesheet(sheet), *doc, [&](std::string_view piece) { streamed += piece; },
        c.parameters);
    EXPECT_EQ(streamed, c.output);
  }
}

// Written as it is serialized, the output is byte for byte what the whole
// text would be, in the encoding the stylesheet names, however many pieces
// it comes in; a writer that fails stops the transformation, or the
// document's serialization, with its error.
TEST_F(XmlServicesTest, AStreamedTransformWritesWhatTheWholeTextHolds) {
  std::string source = "<survey>";
  for (int i = 0; i < 3000; ++i)
    source += "<site>fond marin \u2013 c\u00f4te " + std::to_string(i) + "</site>";
  source += "</survey>";
  const std::string copy = "<xsl:template match=\"/\"><xsl:copy-of select=\".\"/></xsl:template>";
  const struct {
    const char* what;
    std::string body;
  } cases[] = {
      {"UTF-8", copy},
      {"ISO-8859-1", "<xsl:output method=\"xml\" encoding=\"ISO-8859-1\"/>" + copy},
      {"text",
       "<xsl:output method=\"text\"/><xsl:template match=\"/\"><xsl:value-of "
       "select=\"survey\"/></xsl:template>"},
  };
  const DocPtr doc = parse_text(source);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path sheet = folder / "sheet.xslt";
    test::write_file(sheet, kStylesheetStart + c.body + kStylesheetEnd);
    const std::string whole = transform(*load_stylesheet(sheet), *doc);
    std::string streamed;
    int pieces = 0;
    transform(*load_stylesheet(sheet), *doc, [&](std::string_view piece) {
      streamed += piece;
      ++pieces;
    });
    EXPECT_EQ(streamed, whole);
    EXPECT_GT(pieces, 1);
  }
  const fs::path sheet = folder / "sheet.xslt";
  test::write_file(sheet, kStylesheetStart + copy + kStylesheetEnd);
  std::size_t written = 0;
  EXPECT_THROW(transform(*load_stylesheet(sheet), *doc,
                         [&](std::string_view piece) {
                           if (written > 0) throw std::runtime_error("the disk is full");
                           written += piece.size();
                         }),
               std::runtime_error);
  EXPECT_GT(written, 0u);
  // The document's own serialization stops the same way.
  written = 0;
  EXPECT_THROW(serialize(*doc,
                         [&](std::string_view piece) {
                           if (written > 0) throw std::runtime_error("the disk is full");
                           written += piece.size();
                         }),
               std::runtime_error);
  EXPECT_GT(written, 0u);
}

}  // namespace
}  // namespace tw::xml
