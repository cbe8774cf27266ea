#pragma once
// The one skeleton of every page: a heading over a teal band, a short title,
// a changed flag, fixed answers to the host's questions, and a load/unload
// pair that moves the page's fields between its controls and the document.
// A page is data: its controls, its fields in load order, its write order
// and the few answers in which pages differ.

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
  Flag,        // "true" selects the field's option button, anything else its `unselected` one
};

struct Field {
  std::string_view control;
  std::string_view path;  // below the root; on quality pages below "dqInfo/" and the element
  FieldKind kind = FieldKind::Text;
  const CodeList* codes = nullptr;
  std::string_view unselected = {};
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
};

// Layout shared by every page, in twips.
inline constexpr int kPageWidth = 9600;
inline constexpr int kBandHeight = 480;

class Page : public com::Object<Page, host::IMetaDataPage, forms::IUserControl> {
 public:
  explicit Page(const PageData& data);

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
