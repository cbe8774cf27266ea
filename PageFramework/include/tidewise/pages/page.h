#pragma once
// The one skeleton of every page: a heading over a teal band, a short title,
// a changed flag, fixed answers to the host's questions, and a load/unload
// pair that moves the page's fields between its controls and the document.
// A page is data: its controls, its fields in load order, its write order
// and the few answers in which pages differ.
//
// The host's own pages are data of the same kind with a few more parts: code
// lists read as words, lists of repeated elements with the selected entry's
// fields below them, values written only where they differ from what was
// loaded, and Completed from what ISO requires of what the page shows.

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "tidewise/com/factory.h"
#include "tidewise/com/object.h"
#include "tidewise/forms/forms.h"
#include "tidewise/host/interfaces.h"
#include "tidewise/pages/globals.h"

namespace tw::pages {

// How a field moves between its control and the document.
enum class FieldKind {
  Text,        // the control's text is the element's text
  TaggedText,  // as Text; after writing, the element is tagged with the extension namespace
  Code,        // the attribute "value" holds a code, shown through the field's code list
  Flag,        // "true" selects the field's option button, anything else its `unselected` one;
               // on the host's pages "false" selects `unselected`, anything else neither
  // The host's pages:
  Words,      // the element's text is a code, shown in words through `words`
  WordsAt,    // the attribute "value" of the element holds a code, shown in words
  Attribute,  // the element's attribute `attribute` ("href": a keyword's link)
  Lines,      // a box of lines, each the value of one of the elements `path` repeats
  Checked,    // a list box with check marks, each checked item one of the elements `path` repeats
  Amount,     // the number of a measure the element holds as "number unit"
  Unit,       // the unit of such a measure
};

// A code list as a person reads it: each code as the item stores it, and
// the words that stand for it on the page.
struct Words {
  std::string_view code;
  std::string_view words;
};
class WordList {
 public:
  constexpr explicit WordList(std::span<const Words> entries) : entries_(entries) {}
  // A code outside the list shows as it is stored.
  std::string words_of(std::string_view code) const;
  // Text that names no entry (a code typed as it is stored, or anything
  // else) is stored as it is. Words that show the code before what it means
  // ("eng — English") also take what it means alone ("English").
  std::string code_of(std::string_view words) const;
  bool knows(std::string_view code) const;
  std::vector<std::string> all_words() const;
  std::vector<std::string> all_codes() const;

 private:
  std::span<const Words> entries_;
};

struct Field {
  std::string_view control;
  std::string_view path;  // below the root; on quality pages below "dqInfo/" and the element;
                          // in a list's entry below the entry's element
  FieldKind kind = FieldKind::Text;
  const CodeList* codes = nullptr;
  std::string_view unselected = {};
  // The host's pages:
  const WordList* words = nullptr;  // Words, WordsAt, and Lines or Checked values in words
  bool required = false;            // ISO requires it: Completed only while it holds text
  // Lines and Checked: where each repeated element keeps its value: below
  // it (empty: its own text), in the attribute `attribute` when one is named.
  std::string_view sub = {};
  std::string_view attribute = {};
  // In a list of several kinds: the one kind whose entries have this field;
  // empty: every kind.
  std::string_view of_kind = {};
  // WordsAt, and Lines with a `sub`: the code may also stand as the text of
  // the element above it (a language given as a character string instead of
  // a language code). It is read from there when the code is absent, and a
  // value read from there is written back there.
  bool or_text = false;
};

// The host's pages: a list of repeated elements. The list box shows an
// entry a line; the fields below it show the selected entry; the buttons
// add an entry after the last, remove the selected one, and move it up or
// down. A list inside another one shows the entries of the selected entry
// of its parent list.
struct Repeat {
  std::string_view list;  // the list box
  std::string_view path;  // the repeated element: below the root, or below the parent's entry
  std::string_view parent = {};  // the list whose selected entry holds these; empty: none
  // Where the fields' paths start below the entry's element ("distorCont":
  // a distributor's contact); empty: the element itself.
  std::string_view within = {};
  // Only elements that hold this child are entries ("GeoBndBox" among the
  // geographic elements); the others stay where they are.
  std::string_view holding = {};
  std::span<const Field> fields = {};  // paths below the entry's element
  // The controls whose texts name an entry in the list, joined; when all are
  // empty the entry is named `entry_name` and its number.
  std::span<const std::string_view> caption = {};
  std::string_view entry_name = "Entry";
  std::string_view add = {}, remove = {}, up = {}, down = {};  // the buttons
  std::string_view map = {};  // a map showing every entry's box (from the fields its links name)
  std::size_t at_least = 0;   // entries ISO requires, for Completed
  // Each entry must hold text in one of these controls, for Completed.
  std::span<const std::string_view> one_of = {};
  // Entries of several element names, each an ISO class of its own (the
  // reports of every kind of quality element): `kinds` gives each name with
  // the words that show it, `path` where they stand (empty: in the parent's
  // entry, or the root, itself). The combo box `kind` shows the selected
  // entry's kind; an entry added takes the kind the user picks there, one
  // already written keeps its own.
  const WordList* kinds = nullptr;
  std::string_view kind = {};
};

enum class TitleAtCreation {
  ShortTitleAndHeading,
  ShortTitleOnly,  // the heading keeps its design caption until LoadPage
  None,            // the title comes from LoadPage
};

enum class TitleOnLoad {
  Keep,
  ShowShortTitle,  // the heading shows the short title
  Fixed,           // the short title becomes `load_title`, and the heading shows it
  FromElement,     // the unique name chooses the quality element and the title
};

// What UnloadPage answers.
enum class Answer { Changed, True, False };

// The three quality page classes serve every quality element; the unique
// name's suffix tells which class an entry belongs to.
struct QualityRole {
  std::string_view suffix;        // "Ele", "Conf", "Quan"
  std::string_view title_suffix;  // empty: the element's own title
};

class Page;
using UnloadAction = bool (*)(Page& page, host::IMetadataSections* tree);
// Called after the page took a user's Change or Click on `control`.
using EventHook = void (*)(Page& page, std::string_view control);

struct PageData {
  std::string_view class_name;
  com::GUID clsid;
  com::GUID default_iid;  // the class's own interface
  std::string_view default_title = {};
  TitleAtCreation at_creation = TitleAtCreation::ShortTitleAndHeading;
  std::span<const forms::ControlSpec> controls = {};
  std::span<const Field> fields = {};                      // in load order
  std::span<const std::string_view> write_order = {};      // control names; empty: load order
  std::span<const std::string_view> change_handlers = {};  // controls whose Change sets `changed`
  // Combo boxes where picking from the list (Click) is an edit like typing.
  std::span<const std::string_view> pick_handlers = {};
  bool changed_after_load = true;
  bool changed_before_reads = false;
  bool xml_up_front = false;            // LoadPage takes the document's IMetadataXml before reading
  std::string_view required_text = {};  // Completed only while this control holds text
  Answer answer = Answer::Changed;
  bool update_flag = false;  // UnloadPage calls SetUpdateFlag before writing
  TitleOnLoad on_load = TitleOnLoad::Keep;
  std::string_view load_title = {};
  const QualityRole* quality = nullptr;
  UnloadAction unload_action = nullptr;  // replaces the writing of fields
  // The host's pages: LoadPage clears `changed`, every field and list takes
  // the user's edits, UnloadPage writes only what differs from what was
  // loaded and answers `changed`; Completed follows the fields' and lists'
  // requirements.
  bool tracked = false;
  std::span<const Repeat> repeats = {};
  // Controls bound to nothing in the document (a search box, its button and
  // results) whose Change or Click only `on_event` takes. It is also called
  // with an empty name once LoadPage has filled the page.
  std::span<const std::string_view> actions = {};
  EventHook on_event = nullptr;
};

// Layout shared by every page, in twips.
inline constexpr int kPageWidth = 9600;
inline constexpr int kBandHeight = 480;

class Record;

class Page : public com::Object<Page, host::IMetaDataPage, forms::IUserControl> {
 public:
  explicit Page(const PageData& data);
  ~Page() override;

  // Also answers the class's own interface.
  com::HRESULT QueryInterface(const com::GUID& iid, void** out) noexcept override;

  com::HRESULT get_ShortTitle(std::string* title) noexcept override;
  com::HRESULT put_ShortTitle(const std::string& title) noexcept override;
  com::HRESULT get_Title(std::string* title) noexcept override;
  com::HRESULT put_Title(const std::string& title) noexcept override;
  com::HRESULT get_HelpContextID(std::int16_t* id) noexcept override;
  com::HRESULT get_Completed(com::VARIANT_BOOL* completed) noexcept override;
  com::HRESULT LoadPage(host::IMetadataValues* document, host::IMetadataSections* sections,
                        const std::string& unique_name) noexcept override;
  com::HRESULT QueryUnload(host::IMetadataValues* document, host::IMetadataSections* sections,
                           com::VARIANT_BOOL* result) noexcept override;
  com::HRESULT UnloadPage(host::IMetadataValues* document, host::IMetadataSections* sections,
                          com::VARIANT_BOOL* result) noexcept override;

  com::HRESULT GetForm(forms::Form** form) noexcept override;

  const PageData& data() const { return data_; }
  forms::Form& form() { return form_; }
  forms::Control& control(std::string_view name) { return form_.get(name); }
  bool changed() const { return changed_; }
  const std::string& short_title() const { return short_title_; }
  const std::string& quality_element() const { return quality_element_; }

 private:
  class Document;

  void set_short_title(std::string title);
  void load(host::IMetadataValues* document, const std::string& unique_name);
  bool unload(host::IMetadataValues* document, host::IMetadataSections* sections);
  void choose_element(const std::string& unique_name);
  void read(const Field& field, Document& document);
  void write(const Field& field, Document& document);
  std::string path_of(const Field& field) const;
  const Field& field_of(std::string_view control) const;

  const PageData& data_;
  forms::Form form_;
  std::string short_title_;
  bool changed_ = false;
  std::string quality_element_;
  std::unique_ptr<Record> record_;  // the host's pages
};

// The factory function of a page class, for the library's class table.
template <const PageData& Data, class P = Page>
com::ComPtr<com::IUnknown> create_page() {
  auto page = com::make_object<P>(Data);
  return com::ComPtr<com::IUnknown>(page->identity());
}

// A page class's entry in its library's class table: the programmatic
// identifier is the library's prefix and the class name, the class's own
// interface is "_" and the class name. Each instantiation keeps its own
// copies of the names.
template <const std::string_view& Prefix, const PageData& Data>
com::ClassEntry page_class(com::CreateFunction create = &create_page<Data>) {
  static const std::string prog_id = std::string(Prefix) + std::string(Data.class_name);
  static const std::string interface_name = "_" + std::string(Data.class_name);
  return {Data.clsid, Data.class_name, prog_id, Data.default_iid, interface_name, create};
}

}  // namespace tw::pages

namespace tw::pages {

// A page whose class interface has members of its own: it answers that
// interface itself and shares the page's reference count.
template <com::Interface ClassInterface>
class PageWith : public Page, public ClassInterface {
 public:
  using Page::Page;

  com::HRESULT QueryInterface(const com::GUID& iid, void** out) noexcept override {
    if (out != nullptr && iid == ClassInterface::IID) {
      *out = static_cast<ClassInterface*>(this);
      Page::AddRef();
      return com::S_OK;
    }
    return Page::QueryInterface(iid, out);
  }
  std::uint32_t AddRef() noexcept override { return Page::AddRef(); }
  std::uint32_t Release() noexcept override { return Page::Release(); }
};

}  // namespace tw::pages
