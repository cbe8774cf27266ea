#pragma once
// Validation: what is wrong with an item, for the command line and the
// editor alike. Three sources, each a problem list of its own so that a
// front asks only for what it can afford:
//
// - the values a page shows, each checked against its control's value type
//   (a number, a date as ISO writes it, a latitude, an entry of a code list,
//   a value required beside others, one not below another);
// - ISO's obligations for the whole item (a title, an abstract, a contact, a
//   date stamp...), read from the document;
// - the item exported through the exporter component and validated against
//   the ISO 19139 schemas and the Tidewise extension, offline.
//
// The host knows a page only through its interfaces and its form's
// controls: the value types of the project's pages are a host table keyed
// by page class and control, and a page of another library may declare a
// control's type on the control itself (forms::ControlSpec::value_type).
// Nothing here changes the item: validation never stands in the way of
// saving.

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tidewise/forms/forms.h"
#include "tidewise/host/item.h"
#include "tidewise/host/records.h"
#include "tidewise/host/session.h"

namespace tw::host {

// ---- Value types

// What the text of a text or combo box must be. Written as words, the kind
// first, then modifiers in any order:
//   text | integer | decimal | real | latitude | longitude | date | dateTime
//   | boolean | measure | email | base64 | codeList
//   >N >=N <N <=N       bounds of a number
//   >=@CONTROL          not less than (not earlier than) another control's value
//   required            never empty
//   required-with=A,B   not empty once any of the controls A, B holds text
//   coded               (code lists) the page stores text outside the list as
//                       its first entry
struct ValueType {
  enum class Kind {
    Text,
    Integer,
    Decimal,
    Real,
    Latitude,
    Longitude,
    Date,      // a date (YYYY, YYYY-MM, YYYY-MM-DD) or a date and time, with a zone or not
    DateTime,  // a date and a time
    Boolean,
    Measure,  // a number and its unit: "1.5 m"
    Email,
    Base64,
    CodeList,  // one of the control's list items, exactly
  };
  struct Bound {
    double value = 0;
    bool inclusive = true;
  };
  Kind kind = Kind::Text;
  std::optional<Bound> lower, upper;
  std::string not_below;  // a control of the same page
  bool required = false;
  std::vector<std::string> required_with;
  bool coded = false;
  bool lines = false;  // "lines": a box of lines, each line a value of its own
};
// Throws std::invalid_argument naming the word it does not know.
ValueType parse_value_type(std::string_view text);

// The host's table of the project's pages: the value type of every text and
// combo box whose value is not free text, by page class (after
// "TidewiseCustomPage.") and control.
struct ValueTypeEntry {
  std::string_view page_class;
  std::string_view control;
  std::string_view type;
};
std::span<const ValueTypeEntry> project_value_types();

// The type of a control of a page class (its programmatic identifier): the
// host's table of the project's pages first, else the type the control
// declares, else none.
std::optional<ValueType> value_type_of(std::string_view prog_id, const forms::Control& control);

// What is wrong with `text` as a value of `type` alone, as a message saying
// what is expected; nothing when it is fine. Empty text is fine here
// (whether a value is required depends on the rest of the page); `items` is
// the list of a code list's box.
std::optional<std::string> check_value(const ValueType& type, std::string_view text,
                                       std::span<const std::string> items = {});

// ---- Problems

struct PageRef {
  std::string unique_name;
  std::string title;
  friend bool operator==(const PageRef&, const PageRef&) = default;
};

struct Problem {
  enum class Kind {
    Value,    // not a valid value of its type
    List,     // not an entry of its code list
    Missing,  // required and empty
    Order,    // below the value it must not be below
    Schema,   // the exported record does not validate
    Export,   // the export could not carry the value as ISO wants it, or failed
    Page,     // the page failed, so its values could not be checked
  };
  Kind kind = Kind::Value;
  std::optional<PageRef> page;       // none: the item as a whole
  std::string control;               // empty: none
  std::optional<std::string> value;  // the text concerned, when there is one
  std::string message;               // what is expected
  std::string path;                  // where in the exported record (schema, export)
  friend bool operator==(const Problem&, const Problem&) = default;
};
// "value", "list", "missing", "order", "schema", "export", "page".
std::string_view to_string(Problem::Kind kind);

// [{"page": {"uniqueName", "title"} or null, "control": ... or null,
//   "value": ... or null, "kind", "message", "path"?}]
Json problems_json(std::span<const Problem> problems);
// One line a problem: PAGE "Title", CONTROL "value": message.
std::string problems_text(std::span<const Problem> problems);

// ---- The three sources

// The problems of a page's controls as the page shows them now (after
// LoadPage, or while the author edits): what the editor asks of the open
// page, and of each page it probes.
std::vector<Problem> page_problems(const PageRef& page, std::string_view prog_id,
                                   const forms::Form& form);
std::vector<Problem> page_problems(const OpenPage& page);

// ISO's obligations of the whole item. A problem names the first page of
// `pages` (the tree's entries, as probed) that shows the value, if any.
std::vector<Problem> obligation_problems(IMetadataValues& document,
                                         std::span<const EntryState> pages);

// The ISO schemas and the Tidewise extension, loaded from a folder laid out
// as share/tidewise/schemas (catalog.xml, tidewise.xsd and the ISO folders).
// Nothing is read from anywhere else: an import that the catalog does not
// map to a file of the folder fails to load, and no network is used.
class IsoSchemas {
 public:
  // The schema a record of ISO 19139 is validated against: the extension,
  // which imports gmd (and the stand-ins of srv and gmi beside it).
  static constexpr std::string_view kIso19139 = "tidewise.xsd";
  // That of an ISO 19115-3 record: the extension of ISO 19115-3, which
  // imports mdb 2.0 and with it every package.
  static constexpr std::string_view kIso19115_3 = "tidewise-iso19115-3.xsd";
  static std::string_view root_of(RecordFormat format) {
    return format == RecordFormat::Iso19115_3 ? kIso19115_3 : kIso19139;
  }

  // Loads `root`, a file of the folder, and what it imports. Throws
  // com::Error when the folder's schemas cannot be loaded.
  explicit IsoSchemas(const std::filesystem::path& folder, std::string_view root = kIso19139);
  ~IsoSchemas();
  IsoSchemas(const IsoSchemas&) = delete;
  IsoSchemas& operator=(const IsoSchemas&) = delete;

  const std::filesystem::path& folder() const { return folder_; }
  // Every way the record breaks the schemas, as Schema problems whose path
  // is the element's, like "/gmd:MD_Metadata/gmd:dateStamp".
  std::vector<Problem> validate(const xmlDoc& record) const;

 private:
  struct Loaded;
  std::filesystem::path folder_;
  std::unique_ptr<Loaded> loaded_;
};

// Exports the item with the exporter component (whose stylesheet folder the
// front has chosen), in `format`, into a scratch file and validates the
// record against `schemas` (loaded for that format): schema
// problems, and every value the export could only carry as typed
// (tw:verbatim, tw3:verbatim). A failing export is an Export problem, not an
// exception.
std::vector<Problem> export_problems(CatalogItem& item, const IsoSchemas& schemas,
                                     RecordFormat format = RecordFormat::Iso19139);

// All of them for an item open in a session: every entry of its tree loaded
// on a copy of the document and its controls checked, the obligations, and,
// with `schemas`, the export. An export problem about a value a page already
// named is left out. The session's document is not changed.
std::vector<Problem> item_problems(EditingSession& session, const IsoSchemas* schemas,
                                   RecordFormat format = RecordFormat::Iso19139);

}  // namespace tw::host
