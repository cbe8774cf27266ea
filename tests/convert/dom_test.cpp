// The platform's XML DOM document, registered from its own library and
// created through the registry as the importer creates it.

#include "tidewise/xml/dom.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "support/files.h"
#include "tidewise/com/factory.h"

namespace tw::xml {
namespace {

namespace fs = std::filesystem;
using com::ComPtr;
using com::Variant;

const std::string kSheetStart =
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    "<xsl:output method=\"text\"/>";
const std::string kSheetEnd = "</xsl:stylesheet>";

std::string last_error() {
  const auto info = com::GetErrorInfo();
  return info ? info->source + " | " + info->description : "(no error information)";
}

class DomTest : public ::testing::Test {
 protected:
  void SetUp() override {
    void* library = ::dlopen(TIDEWISE_XML_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    const auto entry =
        reinterpret_cast<com::HRESULT (*)() noexcept>(::dlsym(library, "DllRegisterServer"));
    ASSERT_NE(entry, nullptr);
    ASSERT_EQ(entry(), com::S_OK);
    ::dlclose(library);
  }

  static ComPtr<IXMLDOMDocument2> create() {
    ComPtr<IXMLDOMDocument2> document;
    EXPECT_EQ(com::CoCreateInstance(CLSID_DOMDocument, IXMLDOMDocument2::IID, document.put_void()),
              com::S_OK)
        << last_error();
    return document;
  }

  // Loads `file`; returns the success flag, expecting the status that goes with it.
  static bool load(IXMLDOMDocument2& document, const std::string& file) {
    com::VARIANT_BOOL loaded = 7;
    const com::HRESULT hr = document.load(Variant::str(file), &loaded);
    EXPECT_EQ(hr, loaded ? com::S_OK : com::S_FALSE) << file;
    return com::from_variant_bool(loaded);
  }

  std::string transform(const std::string& source, const fs::path& sheet) {
    const auto document = create();
    const auto stylesheet = create();
    EXPECT_TRUE(load(*document.get(), source)) << last_error();
    EXPECT_TRUE(load(*stylesheet.get(), sheet.string())) << last_error();
    std::string output;
    EXPECT_EQ(document->transformNode(stylesheet.get(), &output), com::S_OK) << last_error();
    return output;
  }

  fs::path file(std::string_view name, std::string_view content) const {
    fs::path path = home_ / name;
    test::write_file(path, content);
    return path;
  }

  test::TempHome home_;
};

TEST_F(DomTest, OneObjectAnswersForTheThreeInterfacesAndKeepsItsFlags) {
  const auto document = create();
  ASSERT_TRUE(document);
  for (const com::GUID& iid : {IXMLDOMDocument::IID, IXMLDOMNode::IID, com::IUnknown::IID}) {
    ComPtr<com::IUnknown> other;
    ASSERT_EQ(document->QueryInterface(iid, other.put_void()), com::S_OK);
    EXPECT_EQ(static_cast<void*>(other.get()), static_cast<void*>(document.get()));
  }
  using Get = com::HRESULT (IXMLDOMDocument::*)(com::VARIANT_BOOL*) noexcept;
  using Put = com::HRESULT (IXMLDOMDocument::*)(com::VARIANT_BOOL) noexcept;
  const std::pair<Get, Put> flags[] = {
      {&IXMLDOMDocument::get_async, &IXMLDOMDocument::put_async},
      {&IXMLDOMDocument::get_validateOnParse, &IXMLDOMDocument::put_validateOnParse},
      {&IXMLDOMDocument::get_resolveExternals, &IXMLDOMDocument::put_resolveExternals}};
  for (const auto& [get, put] : flags) {
    for (const com::VARIANT_BOOL value : {com::VARIANT_FALSE, com::VARIANT_TRUE}) {
      ASSERT_EQ(((*document.get()).*put)(value), com::S_OK);
      com::VARIANT_BOOL read = 7;
      ASSERT_EQ(((*document.get()).*get)(&read), com::S_OK);
      EXPECT_EQ(read, value);
    }
  }
}

TEST_F(DomTest, TransformsAFileWithAStylesheetFoundThroughABackslashPath) {
  const fs::path source = file("survey.xml", "<survey><site>Kestrel Bay</site></survey>");
  fs::create_directory(home_ / "sheets");
  file("sheets/common.xslt",
       "<xsl:stylesheet version=\"1.0\" "
       "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
       "<xsl:template name=\"site\">site: <xsl:value-of select=\"site\"/>"
       "</xsl:template></xsl:stylesheet>");
  file("sheets/main.xslt",
       "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
       "<xsl:import href=\"common.xslt\"/><xsl:output method=\"text\"/>"
       "<xsl:template match=\"/survey\"><xsl:call-template name=\"site\"/></xsl:template>" +
           kSheetEnd);
  // Imports resolve beside the stylesheet file, whichever separator named it.
  for (const std::string& sheet : std::vector<std::string>{
           (home_ / "sheets" / "main.xslt").string(), (home_ / "sheets").string() + "\\main.xslt",
           (home_ / "sheets").string() + "/\\main.xslt"}) {
    EXPECT_EQ(transform(source.string(), sheet), "site: Kestrel Bay") << sheet;
  }
}

TEST_F(DomTest, WhatCannotBeLoadedIsReportedByFlagAndErrorInformationAndLeavesNothing) {
  const fs::path good = file("good.xml", "<survey/>");
  const struct {
    fs::path file;
    std::string message;
  } cases[] = {
      {home_ / "missing.xml", "No such file or directory"},
      {file("broken.xml", "<survey>\n<site></survey>"), "line 2: Opening and ending tag mismatch"},
      {file("entity.xml", "<!DOCTYPE s [<!ENTITY x SYSTEM \"/etc/hostname\">]><s>&x;</s>"),
       "the DOCTYPE declares an entity"},
      {file("bomb.xml",
            "<!DOCTYPE s [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]><s>&b;</s>"),
       "the DOCTYPE declares an entity"},
      {home_.path(), "Is a directory"},
  };
  const auto sheet = create();
  ASSERT_TRUE(
      load(*sheet.get(),
           file("copy.xslt", kSheetStart + "<xsl:template match=\"/\">x</xsl:template>" + kSheetEnd)
               .string()));
  for (const auto& c : cases) {
    const auto document = create();
    ASSERT_TRUE(load(*document.get(), good.string()));
    EXPECT_FALSE(load(*document.get(), c.file.string())) << c.file;
    const std::string error = last_error();
    EXPECT_EQ(error.substr(0, error.find(" | ")), "IXMLDOMDocument.load");
    EXPECT_NE(error.find("\"" + c.file.string() + "\""), std::string::npos) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    // What was loaded before is gone: there is nothing to transform.
    std::string output = "unchanged";
    EXPECT_EQ(document->transformNode(sheet.get(), &output), com::E_FAIL);
    EXPECT_EQ(output, "");
    EXPECT_NE(last_error().find("the document is empty"), std::string::npos);
  }
}

TEST_F(DomTest, RefusesWhatIsNotAPathOrNotAStylesheet) {
  const auto document = create();
  com::VARIANT_BOOL loaded = 7;
  EXPECT_EQ(document->load(Variant::i4(3), &loaded), com::DISP_E_TYPEMISMATCH);
  EXPECT_EQ(loaded, com::VARIANT_FALSE);
  EXPECT_EQ(document->load(Variant::str("x"), nullptr), com::E_POINTER);

  ASSERT_TRUE(load(*document.get(), file("survey.xml", "<survey/>").string()));
  const auto not_a_sheet = create();
  ASSERT_TRUE(load(*not_a_sheet.get(), file("plain.xml", "<metadata/>").string()));
  std::string output;
  EXPECT_EQ(document->transformNode(not_a_sheet.get(), &output), com::E_INVALIDARG);
  EXPECT_NE(last_error().find("plain.xml"), std::string::npos);
  EXPECT_EQ(document->transformNode(create().get(), &output), com::E_INVALIDARG)
      << "an empty stylesheet";
  EXPECT_EQ(document->transformNode(nullptr, &output), com::E_POINTER);
}

TEST_F(DomTest, AStylesheetReadsInItsOwnFolderOnly) {
  fs::create_directories(home_ / "sheets" / "codes");
  file("secret.xml", "<secret>outside</secret>");
  file("sheets/codes/list.xml", "<codes>inside</codes>");
  const fs::path source = file("survey.xml", "<survey/>");
  const auto sheet_reading = [&](const std::string& target) {
    return file("sheets/read.xslt", kSheetStart +
                                        "<xsl:template match=\"/\"><xsl:value-of "
                                        "select=\"document('" +
                                        target + "')\"/></xsl:template>" + kSheetEnd);
  };
  EXPECT_EQ(transform(source.string(), sheet_reading("codes/list.xml")), "inside");

  fs::create_symlink(home_ / "secret.xml", home_ / "sheets" / "link.xml");
  for (const std::string& target : std::vector<std::string>{
           "../secret.xml", (home_ / "secret.xml").string(), "link.xml", "/etc/hostname"}) {
    const auto document = create();
    const auto sheet = create();
    ASSERT_TRUE(load(*document.get(), source.string()));
    ASSERT_TRUE(load(*sheet.get(), sheet_reading(target).string()));
    std::string output;
    EXPECT_EQ(document->transformNode(sheet.get(), &output), com::E_ACCESSDENIED) << target;
    EXPECT_NE(last_error().find("may not read, from outside its folder,"), std::string::npos)
        << target;
    EXPECT_EQ(output, "");
  }
}

}  // namespace
}  // namespace tw::xml
