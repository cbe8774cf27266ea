#include "tidewise/pages/page.h"

#include <algorithm>

#include "record.h"
#include "tidewise/pages/quality_elements.h"

namespace tw::pages {

using com::boundary;
using com::check;
using com::ComPtr;
using com::HRESULT;
using com::out_param;
using com::Variant;

namespace {

constexpr forms::ControlSpec kHeading[] = {
    {.name = "shpHeading",
     .kind = forms::Kind::Shape,
     .width = kPageWidth,
     .height = kBandHeight,
     .look = forms::Look::HeadingBand},
    {.name = "lblHeading",
     .kind = forms::Kind::Label,
     .caption = "Title",
     .left = 120,
     .top = 30,
     .width = kPageWidth - 240,
     .height = 375,
     .look = forms::Look::Heading},
};

}  // namespace

// The document as one member call sees it: its IMetadataXml side is taken
// once, when the member first needs it, and released with the call.
class Page::Document {
 public:
  explicit Document(host::IMetadataValues* values) : values_(values) {}

  host::IMetadataValues* values() const {
    if (values_ == nullptr) com::raise(com::E_POINTER, "no metadata document");
    return values_;
  }
  host::IMetadataXml* xml() {
    if (!xml_) xml_ = ComPtr<host::IMetadataValues>(values()).as<host::IMetadataXml>();
    return xml_.get();
  }

 private:
  host::IMetadataValues* values_;
  ComPtr<host::IMetadataXml> xml_;
};

Page::Page(const PageData& data) : data_(data) {
  form_.add(kHeading);
  form_.add(data.controls);
  for (std::string_view name : data.change_handlers) {
    form_.get(name).on_change([this] { changed_ = true; });
  }
  for (std::string_view name : data.pick_handlers) {
    form_.get(name).on_click([this] { changed_ = true; });
  }
  if (data.tracked) record_ = std::make_unique<Record>(*this, form_, changed_);
  switch (data.at_creation) {
    case TitleAtCreation::ShortTitleAndHeading:
      set_short_title(std::string(data.default_title));
      break;
    case TitleAtCreation::ShortTitleOnly:
      short_title_ = data.default_title;
      break;
    case TitleAtCreation::None:
      break;
  }
}

Page::~Page() = default;

HRESULT Page::QueryInterface(const com::GUID& iid, void** out) noexcept {
  // The class's own interface has no members of its own on most pages.
  if (out != nullptr && iid == data_.default_iid) {
    *out = static_cast<host::IMetaDataPage*>(this);
    AddRef();
    return com::S_OK;
  }
  return Object::QueryInterface(iid, out);
}

void Page::set_short_title(std::string title) {
  short_title_ = std::move(title);
  form_.get("lblHeading").set_caption(short_title_);
}

HRESULT Page::get_ShortTitle(std::string* title) noexcept {
  return boundary("IMetaDataPage.ShortTitle", [&] { out_param(title) = short_title_; });
}

HRESULT Page::put_ShortTitle(const std::string& title) noexcept {
  return boundary("IMetaDataPage.ShortTitle", [&] { set_short_title(title); });
}

HRESULT Page::get_Title(std::string* title) noexcept {
  return boundary("IMetaDataPage.Title",
                  [&] { out_param(title) = form_.get("lblHeading").caption(); });
}

HRESULT Page::put_Title(const std::string& title) noexcept {
  return boundary("IMetaDataPage.Title", [&] { form_.get("lblHeading").set_caption(title); });
}

HRESULT Page::get_HelpContextID(std::int16_t* id) noexcept {
  return boundary("IMetaDataPage.HelpContextID", [&] { out_param(id) = 0; });
}

HRESULT Page::get_Completed(com::VARIANT_BOOL* completed) noexcept {
  return boundary("IMetaDataPage.Completed", [&] {
    com::VARIANT_BOOL& out = out_param(completed);
    if (record_) {
      out = com::to_variant_bool(record_->completed());
      return;
    }
    out = com::to_variant_bool(data_.required_text.empty() ||
                               !form_.get(data_.required_text).text().empty());
  });
}

HRESULT Page::LoadPage(host::IMetadataValues* document, host::IMetadataSections*,
                       const std::string& unique_name) noexcept {
  return boundary("IMetaDataPage.LoadPage", [&] { load(document, unique_name); });
}

HRESULT Page::QueryUnload(host::IMetadataValues*, host::IMetadataSections*,
                          com::VARIANT_BOOL* result) noexcept {
  return boundary("IMetaDataPage.QueryUnload", [&] { out_param(result) = com::VARIANT_TRUE; });
}

HRESULT Page::UnloadPage(host::IMetadataValues* document, host::IMetadataSections* sections,
                         com::VARIANT_BOOL* result) noexcept {
  return boundary("IMetaDataPage.UnloadPage", [&] {
    com::VARIANT_BOOL& out = out_param(result);
    out = com::to_variant_bool(unload(document, sections));
  });
}

HRESULT Page::GetForm(forms::Form** form) noexcept {
  return boundary("IUserControl.GetForm", [&] { out_param(form) = &form_; });
}

void Page::choose_element(const std::string& unique_name) {
  for (const QualityElement& element : kQualityElements) {
    // The entry of the element's own book, or the bare element name under
    // which the quality report adds a page.
    const bool own_entry =
        unique_name.size() == element.prefix.size() + data_.quality->suffix.size() &&
        unique_name.starts_with(element.prefix) && unique_name.ends_with(data_.quality->suffix);
    if (!own_entry && unique_name != element.element) continue;
    quality_element_ = element.element;
    short_title_ =
        data_.quality->title_suffix.empty()
            ? std::string(element.element_title)
            : std::string(element.result_title) + std::string(data_.quality->title_suffix);
    return;
  }
  // A name outside the table keeps the element and the title this page had.
}

void Page::load(host::IMetadataValues* values, const std::string& unique_name) {
  switch (data_.on_load) {
    case TitleOnLoad::Keep:
      break;
    case TitleOnLoad::ShowShortTitle:
      set_short_title(short_title_);
      break;
    case TitleOnLoad::Fixed:
      set_short_title(std::string(data_.load_title));
      break;
    case TitleOnLoad::FromElement:
      choose_element(unique_name);
      set_short_title(short_title_);
      break;
  }
  // A quality page that has never been given an element has no paths: it
  // neither reads nor writes, rather than address "dqInfo//...".
  if (data_.quality != nullptr && quality_element_.empty()) {
    changed_ = false;
    return;
  }
  if (record_) {
    record_->load(values);
    return;
  }
  Document document(values);
  if (data_.xml_up_front) document.xml();
  if (data_.changed_before_reads) changed_ = data_.changed_after_load;
  for (const Field& field : data_.fields) read(field, document);
  // Filling the controls raised their Change events; they do not count.
  if (!data_.changed_before_reads) changed_ = data_.changed_after_load;
}

bool Page::unload(host::IMetadataValues* values, host::IMetadataSections* sections) {
  if (data_.unload_action != nullptr) return data_.unload_action(*this, sections);
  if (record_) {
    record_->unload(values);
  } else if (changed_) {
    Document document(values);
    if (data_.update_flag) {
      check(document.xml()->SetUpdateFlag(com::VARIANT_TRUE), "IMetadataXml.SetUpdateFlag");
    }
    if (data_.write_order.empty()) {
      for (const Field& field : data_.fields) write(field, document);
    } else {
      for (std::string_view control : data_.write_order) write(field_of(control), document);
    }
  }
  switch (data_.answer) {
    case Answer::Changed:
      return changed_;
    case Answer::True:
      return true;
    case Answer::False:
      return false;
  }
  return false;
}

std::string Page::path_of(const Field& field) const {
  if (data_.quality == nullptr) return std::string(field.path);
  return "dqInfo/" + quality_element_ + std::string(field.path);
}

const Field& Page::field_of(std::string_view control) const {
  const auto found = std::find_if(data_.fields.begin(), data_.fields.end(),
                                  [&](const Field& f) { return f.control == control; });
  if (found == data_.fields.end()) {
    com::raise(com::E_INVALIDARG, "no field is bound to \"" + std::string(control) + "\"");
  }
  return *found;
}

void Page::read(const Field& field, Document& document) {
  forms::Control& target = form_.get(field.control);
  const std::string path = path_of(field);
  switch (field.kind) {
    case FieldKind::Text:
    case FieldKind::TaggedText:
      target.set_text(ReadText(path, document.values()));
      break;
    case FieldKind::Code:
      target.set_text(
          std::string(field.codes->label_of(ReadAttributeText(path, "value", document.xml()))));
      break;
    case FieldKind::Flag:
      form_.get(ReadText(path, document.values()) == "true" ? field.control : field.unselected)
          .set_value(1);
      break;
    default:  // the host's pages' kinds: read by their record
      com::raise(com::E_NOTIMPL,
                 "the field of \"" + std::string(field.control) + "\" belongs to a host page");
  }
}

void Page::write(const Field& field, Document& document) {
  forms::Control& source = form_.get(field.control);
  const std::string path = path_of(field);
  source.bind(path);
  switch (field.kind) {
    case FieldKind::Text:
      check(document.values()->WriteValue(path, Variant::str(source.text())),
            "IMetadataValues.WriteValue");
      break;
    case FieldKind::TaggedText:
      check(document.values()->WriteValue(path, Variant::str(source.text())),
            "IMetadataValues.WriteValue");
      check(document.xml()->WriteAttribute(path, "ns",
                                           Variant::str(std::string(kExtensionNamespace)), 1),
            "IMetadataXml.WriteAttribute");
      break;
    case FieldKind::Code:
      check(document.xml()->WriteAttribute(
                path, "value", Variant::str(std::string(field.codes->code_of(source.text()))), 2),
            "IMetadataXml.WriteAttribute");
      break;
    case FieldKind::Flag:
      check(
          document.values()->WriteValue(path, Variant::str(source.value() != 0 ? "true" : "false")),
          "IMetadataValues.WriteValue");
      break;
    default:
      com::raise(com::E_NOTIMPL,
                 "the field of \"" + std::string(field.control) + "\" belongs to a host page");
  }
}

}  // namespace tw::pages
