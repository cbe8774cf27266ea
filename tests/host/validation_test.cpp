// Validation: value types, the checks of a page's controls, and ISO's
// obligations of an item.

#include "tidewise/host/validation.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "support/files.h"

namespace tw::host {
namespace {

using Kind = ValueType::Kind;
namespace fs = std::filesystem;

TEST(ValueTypes, AreReadFromTheirWords) {
  const ValueType n = parse_value_type("real >0  <=1.5e1 required coded");
  ASSERT_TRUE(n.lower && n.upper);
  EXPECT_EQ(n.lower->value, 0);
  EXPECT_FALSE(n.lower->inclusive);
  EXPECT_EQ(n.upper->value, 15);
  EXPECT_TRUE(n.upper->inclusive && n.required && n.coded);
  EXPECT_FALSE(n.lines);
  EXPECT_TRUE(parse_value_type("email lines").lines);
  for (const char* bad : {"", "  ", "number", "integer required-with=", "integer required-with=a,",
                          "real >abc", "real >NaN", "date >=@", "text mandatory"}) {
    EXPECT_THROW(parse_value_type(bad), std::invalid_argument) << bad;
  }
}

// The project's table names controls that take text on pages that exist, and
// parses; every combo box is typed a code list but the project's themes,
// which are suggestions.
TEST(ValueTypes, TheProjectTableFitsThePages) {
  std::set<std::pair<std::string, std::string>> typed;
  for (const ValueTypeEntry& entry : project_value_types()) {
    EXPECT_NO_THROW(parse_value_type(entry.type)) << entry.page_class << "." << entry.control;
    EXPECT_TRUE(typed.emplace(entry.page_class, entry.control).second)
        << entry.page_class << "." << entry.control << " twice";
  }
  std::size_t found = 0;
  for (const auto& file :
       fs::directory_iterator(fs::path(TIDEWISE_SOURCE_DIR) / "tests/data/pages")) {
    const Json page = Json::parse(test::read_file(file.path()));
    const std::string page_class = file.path().stem().string();
    forms::Form form;
    std::vector<std::string> names;
    for (const Json& c : page["controls"]) {
      const std::string kind = c["kind"];
      if (kind != "TextBox" && kind != "ComboBox") continue;
      names.push_back(c["name"]);
      std::vector<std::string_view> items;
      if (c.contains("items")) {
        for (const Json& item : c["items"]) items.push_back(item.get_ref<const std::string&>());
      }
      form.add(forms::ControlSpec{
          .name = names.back(),
          .kind = kind == "TextBox" ? forms::Kind::TextBox : forms::Kind::ComboBox,
          .items = items});
      const auto type = value_type_of("TidewiseCustomPage." + page_class, form.get(names.back()));
      if (type) ++found;
      if (kind == "ComboBox") {
        const bool free_text = page_class == "TidewiseExt";
        EXPECT_EQ(type && type->kind == Kind::CodeList, !free_text)
            << page_class << "." << names.back();
      }
    }
  }
  EXPECT_EQ(found, project_value_types().size()) << "an entry names no text or combo box";
}

TEST(ValueTypes, ADeclaredTypeServesWhereTheTableHasNone) {
  forms::Form form;
  form.add(
      forms::ControlSpec{.name = "txtWest", .kind = forms::Kind::TextBox, .value_type = "integer"});
  form.add(forms::ControlSpec{
      .name = "txtTitle", .kind = forms::Kind::TextBox, .value_type = "text required"});
  // The table wins for the project's pages.
  EXPECT_EQ(value_type_of("TidewiseCustomPage.QualityExtent", form.get("txtWest"))->kind,
            Kind::Longitude);
  EXPECT_EQ(value_type_of("TidewiseHostPage.Box", form.get("txtWest"))->kind, Kind::Integer);
  EXPECT_TRUE(value_type_of("TidewiseHostPage.Citation", form.get("txtTitle"))->required);
  form.add(forms::ControlSpec{.name = "txtFree", .kind = forms::Kind::TextBox});
  EXPECT_FALSE(value_type_of("TidewiseHostPage.Citation", form.get("txtFree")));
}

// nullptr: valid; else a piece of the message.
struct ValueCase {
  const char* type;
  const char* text;
  const char* problem;
};

TEST(CheckValue, TellsWhatIsExpected) {
  const std::vector<std::string> roles = {"owner", "pointOfContact"};
  const ValueCase cases[] = {
      // Numbers
      {"integer", "42", nullptr},
      {"integer", "2.0", "not a whole number"},
      {"integer", "lots", "not a number"},
      {"integer >0", "0", "greater than 0"},
      {"decimal", ".5", nullptr},
      {"decimal", ".", "not a number"},
      {"decimal", "1e3", "exponent"},
      {"real", "1.5E-3", nullptr},
      {"real", "0,9996", "\"0.9996\""},
      {"real", " 12 ", "spaces around"},
      {"real >0", "-1", "greater than 0"},
      {"real >=0 <=1", "1.01", "between 0 and 1"},
      {"real >0", "NaN", "out of range"},
      {"latitude", "90.0001", "from -90 to 90"},
      {"longitude", "-180.5", "from -180 to 180"},
      // Dates as ISO takes them
      {"date", "2024-02-29", nullptr},
      {"date", "2000-02-29", nullptr},
      {"date", "2023-02-29", "February 2023 has 28 days"},
      {"date", "1900-02-29", "February 1900 has 28 days"},
      {"date", "2024-13-45", "no month 13"},
      {"date", "2024-01-00", "no day 0"},
      {"date", "2024-01-01+14:00", nullptr},
      {"date", "2024-01-01+14:30", "time zone"},
      {"date", "0000-01-01", "year 0000"},
      {"date", "-0044-03-15", nullptr},
      {"date", "02024-01-01", "expected YYYY-MM-DD"},
      {"date", "31/02/2024 garbage", "expected YYYY-MM-DD"},
      {"date", "2024-01-01T10:30:00", nullptr},
      {"date", "2024-01-01T10-30-00", "2024-01-01T10:30:00"},
      {"dateTime", "2024-03-01T09:30:00.125+01:00", nullptr},
      {"dateTime", "2024-03-01T24:00:00", nullptr},
      {"dateTime", "2024-03-01T24:00:01", "no such time"},
      {"dateTime", "2024-03-01T23:59:60", "no such time"},
      {"dateTime", "2024-03-01T09:30", "expected YYYY-MM-DDThh:mm:ss"},
      {"dateTime", "2024-03-01", "without a time"},
      // The others
      {"boolean", "true", nullptr},
      {"boolean", "yes", "true or false"},
      {"measure", "1.5 m", nullptr},
      {"measure", "1.5", "like 1.5 m"},
      {"measure", "1.5 m s", "like 1.5 m"},
      // A unit is a symbol or a URI, as GML's unit identifiers are.
      {"measure", "0.5 urn:ogc:def:uom:EPSG::9001", nullptr},
      {"measure", "0.5 http://www.opengis.net/def/uom/UCUM/0/m", nullptr},
      {"measure", "0.5 #m", nullptr},
      {"measure", "0.5 ../units.xml#m", nullptr},
      {"measure", "0.5 m:x", nullptr},
      {"measure", "0.5 :m", "like 1.5 m"},
      {"measure", "0.5 9m:x", "like 1.5 m"},
      {"measure", "0.5 urn:ogc:def:uom:EPSG::9001 m", "like 1.5 m"},
      {"email", "ops@harbour.example.org", nullptr},
      {"email", "ops at harbour", "e-mail"},
      {"email", "ops@harbour.example.org ", "spaces around"},
      {"base64", "iVBORw0KGgo=", nullptr},
      {"base64", "iVBO Rw0K\nGgo=", nullptr},
      {"base64", "schema.png", "not its name"},
      {"base64", "====", "Base64"},
      // Code lists: exactly an entry
      {"codeList", "owner", nullptr},
      {"codeList", "Owner", "the entry \"owner\" is written so"},
      {"codeList", "owner ", "space at its end"},
      {"codeList", "boss", "expected one of owner, pointOfContact"},
      {"codeList coded", "boss", "would store \"owner\" in its place"},
      // Empty text is a matter of obligations, not of the type.
      {"integer", "", nullptr},
      {"codeList", "", nullptr},
  };
  for (const ValueCase& c : cases) {
    const auto problem = check_value(parse_value_type(c.type), c.text, roles);
    if (c.problem == nullptr) {
      EXPECT_FALSE(problem) << c.type << " \"" << c.text << "\": " << problem.value_or("");
    } else {
      ASSERT_TRUE(problem) << c.type << " \"" << c.text << "\"";
      EXPECT_NE(problem->find(c.problem), std::string::npos)
          << c.type << " \"" << c.text << "\": " << *problem;
    }
  }
}

// A page's controls as a form, with the types they declare.
class PageChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    static constexpr std::string_view kLevels[] = {"dataset", "series"};
    const forms::ControlSpec controls[] = {
        {.name = "lblHeading", .kind = forms::Kind::Label},
        {.name = "txtSouth", .kind = forms::Kind::TextBox, .value_type = "latitude"},
        {.name = "txtNorth",
         .kind = forms::Kind::TextBox,
         .value_type = "latitude >=@txtSouth required-with=txtSouth"},
        {.name = "txtBegin", .kind = forms::Kind::TextBox, .value_type = "date"},
        {.name = "txtEnd", .kind = forms::Kind::TextBox, .value_type = "date >=@txtBegin"},
        {.name = "cmbLevel",
         .kind = forms::Kind::ComboBox,
         .items = kLevels,
         .value_type = "codeList required coded"},
        {.name = "txtNote", .kind = forms::Kind::TextBox},
        {.name = "txtMail", .kind = forms::Kind::TextBox, .value_type = "email lines"},
    };
    form_.add(controls);
    form_.get("cmbLevel").set_text("dataset");
  }

  std::vector<Problem> problems() const {
    return page_problems({"Box", "Bounding box"}, "TidewiseHostPage.Box", form_);
  }
  void set(std::string_view control, std::string text) {
    form_.get(control).set_text(std::move(text));
  }

  forms::Form form_;
};

TEST_F(PageChecks, NameThePageControlValueAndWhatIsExpected) {
  set("txtSouth", "abc");
  set("txtNorth", "49");
  set("cmbLevel", "Dataset");
  const auto found = problems();
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].kind, Problem::Kind::Value);
  EXPECT_EQ(found[0].page, (PageRef{"Box", "Bounding box"}));
  EXPECT_EQ(found[0].control, "txtSouth");
  EXPECT_EQ(found[0].value, "abc");
  EXPECT_NE(found[0].message.find("latitude"), std::string::npos);
  EXPECT_EQ(found[1].kind, Problem::Kind::List);
  EXPECT_EQ(found[1].control, "cmbLevel");
  EXPECT_NE(found[1].message.find("would store \"dataset\""), std::string::npos);
  // Fixed, nothing is left.
  set("txtSouth", "48.3");
  set("cmbLevel", "series");
  EXPECT_TRUE(problems().empty());
}

TEST_F(PageChecks, ABoxOfLinesIsCheckedLineByLine) {
  set("txtMail", "a@example.org\nnot-an-address\n\nb@example.org\nc@");
  const auto found = problems();
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].control, "txtMail");
  EXPECT_EQ(found[0].value, "not-an-address");
  EXPECT_EQ(found[1].value, "c@");
  set("txtMail", "a@example.org\nb@example.org\n");
  EXPECT_TRUE(problems().empty());
}

TEST_F(PageChecks, RequiredValuesAndOrder) {
  const struct {
    const char* south;
    const char* north;
    const char* begin;
    const char* end;
    std::vector<std::pair<std::string, Problem::Kind>> expected;
  } cases[] = {
      {"", "", "", "", {}},
      {"48", "", "", "", {{"txtNorth", Problem::Kind::Missing}}},
      {"  ", "", "", "", {{"txtSouth", Problem::Kind::Value}}},
      {"48", "47.9", "", "", {{"txtNorth", Problem::Kind::Order}}},
      {"48", "48", "", "", {}},
      {"48", "abc", "", "", {{"txtNorth", Problem::Kind::Value}}},
      {"abc", "47", "", "", {{"txtSouth", Problem::Kind::Value}}},
      {"", "", "2024-05-01", "2024-04-30", {{"txtEnd", Problem::Kind::Order}}},
      {"", "", "2024-05-01", "2024-05-01", {}},
      {"", "", "2024", "2024-06", {}},
      {"", "", "2024-06", "2024", {}},
      {"", "", "2025", "2024-12-31", {{"txtEnd", Problem::Kind::Order}}},
      // The same instant in two zones, then an end an hour early.
      {"", "", "2024-05-01T10:00:00+02:00", "2024-05-01T08:00:00Z", {}},
      {"",
       "",
       "2024-05-01T10:00:00+02:00",
       "2024-05-01T07:00:00Z",
       {{"txtEnd", Problem::Kind::Order}}},
  };
  for (const auto& c : cases) {
    set("txtSouth", c.south);
    set("txtNorth", c.north);
    set("txtBegin", c.begin);
    set("txtEnd", c.end);
    std::vector<std::pair<std::string, Problem::Kind>> found;
    for (const Problem& p : problems()) found.emplace_back(p.control, p.kind);
    EXPECT_EQ(found, c.expected) << c.south << "|" << c.north << "|" << c.begin << "|" << c.end;
  }
  set("txtEnd", "");
  set("cmbLevel", "");
  ASSERT_EQ(problems().size(), 1u);
  EXPECT_EQ(problems()[0].kind, Problem::Kind::Missing);
}

// ---- Obligations

class Obligations : public ::testing::Test {
 protected:
  std::vector<Problem> on(std::string_view xml, std::span<const EntryState> pages = {}) {
    document_->load_text(xml);
    return obligation_problems(*document_.get(), pages);
  }
  com::ComPtr<XmlMetadataDocument> document_ = com::make_object<XmlMetadataDocument>();
};

TEST_F(Obligations, AreMetByAnyOfTheirValuesAndNameThePageThatShowsOne) {
  const std::string met =
      "<mdContact><rpPosName>Data officer</rpPosName></mdContact><mdDateSt>2024-01-01</mdDateSt>"
      "<dataIdInfo><idCitation><resTitle>T</resTitle><resRefDate><refDate>2023</refDate>"
      "</resRefDate></idCitation><idAbs>A</idAbs></dataIdInfo>";
  EXPECT_TRUE(on("<metadata>" + met + "</metadata>").empty());
  const auto lacking = on("<metadata/>");
  ASSERT_EQ(lacking.size(), 5u);
  const char* words[] = {"title", "citation", "abstract", "contact", "date stamp"};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(lacking[i].kind, Problem::Kind::Missing);
    EXPECT_FALSE(lacking[i].page);
    EXPECT_NE(lacking[i].message.find(words[i]), std::string::npos) << lacking[i].message;
  }
  // Blank is missing; the date stamp names the page that shows it.
  const EntryState pages[] = {
      {"Purpose", "TidewiseCustomPage.Purpose", "Purpose", true, {}},
      {"Metadata", "TidewiseCustomPage.Metadata", "Metadata information", true, {}}};
  std::string blank = met;
  blank.replace(blank.find("2024-01-01"), 10, " ");
  const auto found = on("<metadata>" + blank + "</metadata>", pages);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].page, (PageRef{"Metadata", "Metadata information"}));
  EXPECT_EQ(found[0].control, "txtDate");
  EXPECT_EQ(found[0].value, " ");
}

}  // namespace
}  // namespace tw::host
